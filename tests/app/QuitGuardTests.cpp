#include "ContentTestSupport.h"

#include "app/HID_Write_Thread.h"
#include "app/MeltrowApplication.h"
#include "app/OutputNaming.h"
#include "runner/FFMpegHelper.h"

#include <sys/resource.h>

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

/** The application object started as the program starts it, with its window. */
class ApplicationTest : public ContentTest
{
protected:
    void SetUp() override
    {
        ContentTest::SetUp();
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

    // The application object expects to be the program's own, as START_JUCE_APPLICATION makes it.
    const juce::ScopedValueSetter<juce::JUCEApplicationBase::CreateInstanceFunction> standalone {
        juce::JUCEApplicationBase::createInstance, []() -> juce::JUCEApplicationBase*
        { return nullptr; }
    };
    MeltrowApplication application;
    MainContentComponent* content = nullptr;
};

/** The same, with a long input to convert at the pace of real time. */
class QuitGuardTest : public ApplicationTest
{
protected:
    void SetUp() override
    {
        ApplicationTest::SetUp();
        ASSERT_TRUE (makeSine (input, 30.0));
    }

    const juce::File input = folder.file ("long.wav");
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

TEST_F (ApplicationTest, AFileSizeLimitFailsTheItemWithoutEndingTheProgram)
{
    const auto input = folder.file ("song.wav");
    ASSERT_TRUE (makeSine (input, 2.0));

    auto* start = dynamic_cast<juce::Button*> (content->getChildComponent (0));
    auto* log = dynamic_cast<juce::TextEditor*> (content->getChildComponent (1));
    ASSERT_TRUE (start != nullptr && log != nullptr);

    content->filesDropped ({ input.getFullPathName() }, 0, 0);
    content->buttonClicked (start);
    const auto partial = juce::FFMpegHelper::getPartialFileFor (getOutputFileFor (input));

    // The partial file is made before the converter starts: a limit lowered then would be the
    // converter's too, from the fork on. Once the converter runs, it keeps the one it started with.
    ASSERT_TRUE (pumpUntil ([&]
                            { return content->isConversionRunning() && partial.existsAsFile() && app_tests::countConverterChildren() == 1; },
                            30000));

    // From now on our own writes hit the limit.
    // Without SIGXFSZ ignored, the rewrite would end this process.
    rlimit previous {};
    ASSERT_EQ (::getrlimit (RLIMIT_FSIZE, &previous), 0);
    rlimit limit = previous;
    limit.rlim_cur = 1000;
    ASSERT_EQ (::setrlimit (RLIMIT_FSIZE, &limit), 0);
    const auto ended = pumpUntil ([this]
                                  { return ! content->isConversionRunning(); },
                                  runTimeoutMs);
    ::setrlimit (RLIMIT_FSIZE, &previous);
    ASSERT_TRUE (ended);

    EXPECT_TRUE (pumpUntil ([log]
                            { return log->getText().contains ("all done"); },
                            5000));
    EXPECT_TRUE (log->getText().contains ("Conversion failed: the result could not be rewritten: File too large")) << log->getText();
    EXPECT_FALSE (getOutputFileFor (input).exists());
    EXPECT_FALSE (partial.exists());
    countNotConvertedAlerts (true);
    application.shutdown();
}
