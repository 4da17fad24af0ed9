#include "ContentTestSupport.h"

#include "app/HID_Write_Thread.h"
#include "app/OutputNaming.h"
#include "platform/TempFolder.h"

namespace app_tests
{

void ContentTest::SetUp()
{
    installTranslationTable (TranslationTable::english);

    // Each test starts without a settings file of an earlier one.
    juce::File ("~/Documents").deleteRecursively();
    juce::File ("~/Documents").createDirectory();
}

void ContentTest::TearDown()
{
    destroyComponent();
    countNotConvertedAlerts (true);
    testing_support::pumpUntil ([]
                                { return false; },
                                20);
}

void ContentTest::makeComponent()
{
    destroyComponent();
    component = std::make_unique<MainContentComponent>();
    component->addToDesktop (juce::ComponentPeer::windowHasTitleBar);
    component->setVisible (true);
}

void ContentTest::destroyComponent()
{
    component.reset();
}

juce::Component& ContentTest::child (Child which) const
{
    return *component->getChildComponent ((int) which);
}

void ContentTest::click (Child which)
{
    child<juce::Button> (which).triggerClick();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
}

void ContentTest::chooseOptions (const juce::String& sampleRate, const juce::String& bitDepth, const juce::String& channel)
{
    const auto choose = [this] (Child which, const juce::String& text)
    {
        auto& combo = child<juce::ComboBox> (which);

        for (int i = 0; i < combo.getNumItems(); ++i)
            if (combo.getItemText (i) == text)
                combo.setSelectedItemIndex (i, juce::sendNotificationSync);

        ASSERT_EQ (combo.getText(), text);
    };

    choose (Child::sampleRate, sampleRate);
    choose (Child::bitDepth, bitDepth);
    choose (Child::channel, channel);
}

bool ContentTest::isIdleAgain() const
{
    return ! component->isConversionRunning() && startButton().getButtonText() == "Start"
           && progressText() == "all done" && logEditor().getText().endsWith ("close this application.");
}

bool ContentTest::waitUntilIdle()
{
    const auto idle = [this]
    { return isIdleAgain(); };

    if (! testing_support::pumpUntil (idle, runTimeoutMs))
        return false;

    // A run quicker than one log refresh ends while the window still shows the run before it:
    // the log editor follows within 100 ms and posted changes within a few, so look again then.
    testing_support::pumpUntil ([]
                                { return false; },
                                250);
    return testing_support::pumpUntil (idle, runTimeoutMs);
}

void ContentTest::convert()
{
    click (Child::start);
    ASSERT_TRUE (testing_support::pumpUntil ([this]
                                             { return component->isConversionRunning() || isIdleAgain(); },
                                             5000));
    ASSERT_TRUE (waitUntilIdle()) << logEditor().getText();
}

juce::File ContentTest::getConfigFile() const
{
    return juce::File ("~/Documents/KIV/Meltrow/config.json");
}

void ContentTest::writeRealTimeConfig() const
{
    getConfigFile().getParentDirectory().createDirectory();
    ASSERT_TRUE (getConfigFile().replaceWithText (
        R"({"name":"kivWaveFile","samplerate":{"default":0,"value":[{"text":"44100","code":"-ar 44100 -af arealtime"}],"suffix":"Hz"},)"
        R"("bit":{"default":0,"value":[{"text":"16","code":"-acodec pcm_s16le"}],"suffix":"bit"},)"
        R"("channel":{"default":0,"value":[{"text":"mono","code":"-ac 1","value":1}],"suffix":""}})"));
}

int ContentTest::countNotConvertedAlerts (bool close) const
{
    auto count = 0;
    auto& desktop = juce::Desktop::getInstance();

    for (int i = desktop.getNumComponents(); --i >= 0;)
    {
        if (auto* alert = dynamic_cast<juce::AlertWindow*> (desktop.getComponent (i)))
        {
            if (alert->getName() != "Attention" || ! alert->isCurrentlyModal())
                continue;

            ++count;

            if (close)
                alert->exitModalState (0);
        }
    }

    return count;
}

juce::String ContentTest::expectedLogOf (const juce::File& input, const juce::String& outcome) const
{
    return "Converting: " + input.getFullPathName() + " => " + getOutputFileFor (input).getFullPathName() + "\n" + outcome + "\n\n";
}

void startWorker (MainContentComponent& owner, const juce::StringArray& inputs)
{
    startWorker (conversionWorker, owner, inputs);
}

void startWorker (HID_Write_Thread& worker, MainContentComponent& owner, const juce::StringArray& inputs)
{
    worker.owner = &owner;
    worker.inputFiles = inputs;
    worker.converterPath = platform::getConverterFile().getFullPathName();
    worker.startThread();
}

bool waitForWorkerToEnd (int timeoutMs)
{
    return testing_support::pumpUntil ([]
                                       { return ! conversionWorker.isThreadRunning(); },
                                       timeoutMs);
}

int countConverterChildren()
{
    return testing_support::countOwnChildren (platform::getConverterFile().getFileName());
}

} // namespace app_tests
