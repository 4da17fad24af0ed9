#include "ContentTestSupport.h"

#include "app/HID_Write_Thread.h"
#include "app/MeltrowApplication.h"

using app_tests::ContentTest;
using testing_support::makeSine;
using testing_support::pumpUntil;

namespace
{

/** Plays the user who reads the quit guard's message and presses OK. */
class MessageBoxReader : private juce::Timer
{
public:
    MessageBoxReader() { startTimer (20); }
    ~MessageBoxReader() override { stopTimer(); }

    int messagesSeen = 0;

private:
    void timerCallback() override
    {
        auto& desktop = juce::Desktop::getInstance();

        for (int i = desktop.getNumComponents(); --i >= 0;)
        {
            auto* box = dynamic_cast<juce::AlertWindow*> (desktop.getComponent (i));

            // The guard's box has no title; the not-converted alert has one.
            if (box != nullptr && box->isCurrentlyModal (false) && box->getName().isEmpty())
            {
                ++messagesSeen;
                box->exitModalState (0);
            }
        }
    }
};

/** Tries the system's quit request, the close button and the close request: each must show the
    guard's message and leave the program, its window and the run as they were.
*/
void expectEveryQuitPathRefused (MeltrowApplication& application, const std::function<bool()>& isRunning)
{
    auto* window = application.getMainWindow();
    ASSERT_NE (window, nullptr);

    const std::pair<const char*, std::function<void()>> quitPaths[] = {
        { "system quit request", [&]
          { application.systemRequestedQuit(); } },
        { "close button", [&]
          { window->closeButtonPressed(); } },
        { "close request", [&]
          { window->userTriedToCloseWindow(); } },
    };

    for (const auto& [name, quit] : quitPaths)
    {
        MessageBoxReader reader;
        quit();

        EXPECT_EQ (reader.messagesSeen, 1) << name;
        EXPECT_FALSE (juce::MessageManager::getInstance()->hasStopMessageBeenSent()) << name;
        EXPECT_TRUE (isRunning()) << name << ": the run goes on";
        EXPECT_EQ (application.getMainWindow(), window) << name;
    }
}

void expectQuitNotRefused()
{
    MessageBoxReader reader;
    EXPECT_FALSE (checkExitWhenRunning()) << "idle, quitting is not refused";
    pumpUntil ([]
               { return false; },
               100);
    EXPECT_EQ (reader.messagesSeen, 0);
}

/** The application with its window, and a long input to convert at the pace of real time. */
class QuitGuardTest : public ContentTest
{
protected:
    void SetUp() override
    {
        ContentTest::SetUp();
        ASSERT_TRUE (makeSine (input, 30.0));
        writeRealTimeConfig();

        application.initialise ({});
        content = application.getMainContent();
        ASSERT_NE (content, nullptr);
    }

    void TearDown() override
    {
        application.shutdown();
        ContentTest::TearDown();
    }

    const juce::File input = folder.file ("long.wav");

    // The application object expects to be the program's own, as START_JUCE_APPLICATION makes it.
    const juce::ScopedValueSetter<juce::JUCEApplicationBase::CreateInstanceFunction> standalone {
        juce::JUCEApplicationBase::createInstance, []() -> juce::JUCEApplicationBase*
        { return nullptr; }
    };
    MeltrowApplication application;
    MainContentComponent* content = nullptr;
};

} // namespace

TEST_F (QuitGuardTest, NoQuitPathEndsTheProgramDuringARun)
{
    auto* window = application.getMainWindow();
    ASSERT_NE (window, nullptr);
    EXPECT_EQ (window->getName(), "Meltrow 1.2.4");
    EXPECT_EQ (window->getConstrainer()->getMinimumWidth(), 400);
    EXPECT_EQ (window->getConstrainer()->getMinimumHeight(), 390);
    EXPECT_EQ (window->getContentComponent()->getWidth(), 800);
    EXPECT_EQ (window->getContentComponent()->getHeight(), 650);

    auto* start = dynamic_cast<juce::Button*> (content->getChildComponent (0));
    ASSERT_NE (start, nullptr);

    content->filesDropped ({ input.getFullPathName() }, 0, 0);
    content->buttonClicked (start);
    ASSERT_TRUE (pumpUntil ([this]
                            { return content->isConversionRunning(); },
                            5000));

    expectEveryQuitPathRefused (application, [this]
                                { return content->isConversionRunning(); });

    content->buttonClicked (start);
    ASSERT_TRUE (pumpUntil ([this]
                            { return ! content->isConversionRunning(); },
                            5000));

    expectQuitNotRefused();

    ASSERT_TRUE (getConfigFile().deleteFile());
    application.shutdown();
    EXPECT_EQ (application.getMainContent(), nullptr);
    EXPECT_TRUE (getConfigFile().existsAsFile()) << "the settings are written on the way out";
}

TEST_F (QuitGuardTest, NoQuitPathEndsTheProgramWhileTheWorkerRuns)
{
    app_tests::startWorker (*content, { input.getFullPathName() });
    ASSERT_TRUE (pumpUntil ([]
                            { return conversionWorker.isThreadRunning(); },
                            5000));
    EXPECT_FALSE (content->isConversionRunning()) << "the runner is idle";

    expectEveryQuitPathRefused (application, []
                                { return conversionWorker.isThreadRunning(); });

    content->stopConversionAndWorker();
    ASSERT_TRUE (app_tests::waitForWorkerToEnd (10000));
    expectQuitNotRefused();

    application.shutdown();
    EXPECT_EQ (app_tests::countConverterChildren(), 0);
}
