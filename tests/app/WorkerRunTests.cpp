#include "ContentTestSupport.h"

#include "app/HID_Write_Thread.h"
#include "app/OutputNaming.h"

#include <algorithm>
#include <regex>

using app_tests::ContentTest;
using testing_support::makeSine;
using testing_support::probeAudio;
using testing_support::pumpUntil;

namespace
{

juce::String summaryLine (const juce::File& input, const juce::String& outcome = {})
{
    return input.getFullPathName() + "    =>    " + getOutputFileFor (input).getFullPathName()
           + (outcome.isEmpty() ? juce::String() : "    " + outcome) + "\n";
}

juce::StringArray namesIn (const juce::File& folder)
{
    juce::StringArray names;

    for (const auto& entry : juce::RangedDirectoryIterator (folder, false))
        names.add (entry.getFile().getFileName());

    names.sort (false);
    return names;
}

} // namespace

TEST_F (ContentTest, WorkerConvertsItsListWithoutReplacingAnOutputAndStops)
{
    writeRealTimeConfig();

    const auto skipped = folder.file ("skipped.wav");
    const auto good = folder.file ("good.wav");
    const auto corrupt = folder.file ("corrupt.mp3");
    const auto longInput = folder.file ("long.wav");
    const auto notReached = folder.file ("later.wav");
    const auto outputFolder = getOutputFolderFor (good);

    for (const auto& [input, seconds] : { std::pair (skipped, 0.2), std::pair (good, 1.0), std::pair (longInput, 60.0), std::pair (notReached, 0.2) })
        ASSERT_TRUE (makeSine (input, seconds));

    ASSERT_TRUE (corrupt.replaceWithText ("not audio at all"));
    ASSERT_TRUE (outputFolder.createDirectory());
    ASSERT_TRUE (getOutputFileFor (skipped).replaceWithText ("an earlier output"));

    makeComponent();
    app_tests::startWorker (*component, { skipped.getFullPathName(), good.getFullPathName(), good.getFullPathName().toUpperCase(),
                                          corrupt.getFullPathName(), longInput.getFullPathName(), notReached.getFullPathName() });

    // Every text the progress line shows, until the long input reports its progress.
    juce::StringArray progressSeen;
    const auto longReport = "Converting:" + longInput.getFullPathName() + "@";
    ASSERT_TRUE (pumpUntil ([&]
                            {
                                progressSeen.addIfNotAlreadyThere (progressText());
                                return progressText().startsWith (longReport) && logEditor().getText().contains ("size="); },
                            60000))
        << progressSeen.joinIntoString ("\n");

    // Skipped inputs count: the good one is number 2 of 5 distinct paths.
    // Its first text may be replaced by its progress before it is seen on a loaded machine.
    const auto goodIsNumberTwo = std::any_of (progressSeen.begin(), progressSeen.end(), [&good] (const juce::String& text)
                                              { return text.startsWith ("Converting:" + good.getFullPathName()) && text.endsWith (" 2/5"); });
    EXPECT_TRUE (goodIsNumberTwo) << progressSeen.joinIntoString ("\n");
    EXPECT_TRUE (std::regex_search (progressText().toStdString(), std::regex (R"(@[0-9]+\.[0-9]% 4/5$)"))) << progressText();

    // The long input's own output since it started: its header, and its progress reports
    // replacing each other on the last line.
    const auto log = logEditor().getText();
    EXPECT_TRUE (log.contains ("Input #0, wav, from '" + longInput.getFullPathName() + "'")) << log;
    EXPECT_TRUE (log.contains ("  Duration: 00:01:00.00, ")) << log;
    EXPECT_FALSE (log.contains (good.getFullPathName())) << log;
    EXPECT_EQ (log.indexOf ("size="), log.lastIndexOf ("size=")) << log;

    component->stopConversionAndWorker();
    ASSERT_TRUE (app_tests::waitForWorkerToEnd (10000));
    EXPECT_EQ (app_tests::countConverterChildren(), 0);

    EXPECT_TRUE (waitUntilIdle()) << logEditor().getText();
    EXPECT_TRUE (pumpUntil ([this]
                            { return countNotConvertedAlerts (false) == 1; },
                            5000));

    EXPECT_EQ (conversionWorker.workerLog, summaryLine (skipped, "exists not convert") + summaryLine (good)
                                               + summaryLine (corrupt, "Conversion failed")
                                               + summaryLine (longInput, "Stopped"));
    EXPECT_TRUE (conversionWorker.inputFiles.isEmpty()) << "the rest of the list is dropped";
    EXPECT_TRUE (logEditor().getText().startsWith (conversionWorker.workerLog)) << "the summary stays in view";

    EXPECT_EQ (getOutputFileFor (skipped).loadFileAsString(), "an earlier output");

    const auto facts = probeAudio (getOutputFileFor (good));
    EXPECT_TRUE (facts.ok);
    EXPECT_EQ (facts.codecName, "pcm_s16le");
    EXPECT_EQ (facts.channels, 1);
    EXPECT_NEAR (facts.durationSeconds, 1.0, 0.1);

    // No output of the failed, stopped and dropped inputs, and no temporary file of any.
    EXPECT_EQ (namesIn (outputFolder), juce::StringArray ({ "good.wav", "skipped.wav" }));
}

TEST_F (ContentTest, WorkerEndsBeforeItsOwnerGoes)
{
    writeRealTimeConfig();
    const auto input = folder.file ("long.wav");
    ASSERT_TRUE (makeSine (input, 30.0));

    makeComponent();
    app_tests::startWorker (*component, { input.getFullPathName(), folder.file ("next.wav").getFullPathName() });
    ASSERT_TRUE (pumpUntil ([this]
                            { return progressText().contains ("@"); },
                            20000));

    // The worker's last look at the log editor waits for the message thread, which is busy here
    // destroying its owner: that wait must give way.
    destroyComponent();

    EXPECT_FALSE (conversionWorker.isThreadRunning());
    EXPECT_EQ (conversionWorker.owner, nullptr);
    EXPECT_EQ (app_tests::countConverterChildren(), 0);
    EXPECT_FALSE (getOutputFolderFor (input).getChildFile (".long.wav").exists());
    EXPECT_FALSE (getOutputFileFor (input).exists());

    // What the worker posted at its end finds no component and does nothing: the stopped input
    // would otherwise raise the "not converted" alert.
    pumpUntil ([]
               { return false; },
               100);
    EXPECT_EQ (countNotConvertedAlerts (false), 0);
}

TEST_F (ContentTest, WorkerAskedToExitKillsItsConverterAndEndsInTime)
{
    writeRealTimeConfig();
    const auto input = folder.file ("long.wav");
    ASSERT_TRUE (makeSine (input, 60.0));
    const auto partial = getOutputFolderFor (input).getChildFile (".long.wav");

    makeComponent();

    // Both give the thread 2000 ms and then kill it, which would end this whole program.
    const std::pair<const char*, std::function<void (std::unique_ptr<HID_Write_Thread>&)>> ways[] = {
        { "stopThread", [] (std::unique_ptr<HID_Write_Thread>& worker)
          { EXPECT_TRUE (worker->stopThread (2000)) << "it ended by itself"; } },
        { "destructor", [] (std::unique_ptr<HID_Write_Thread>& worker)
          { worker.reset(); } },
    };

    for (const auto& [name, askToExit] : ways)
    {
        auto worker = std::make_unique<HID_Write_Thread>();
        app_tests::startWorker (*worker, *component, { input.getFullPathName() });
        ASSERT_TRUE (pumpUntil ([this]
                                { return progressText().contains ("@"); },
                                20000))
            << name;
        ASSERT_TRUE (partial.existsAsFile()) << name;

        askToExit (worker);
        worker.reset();

        EXPECT_EQ (app_tests::countConverterChildren(), 0) << name;
        EXPECT_FALSE (partial.exists()) << name;
        EXPECT_FALSE (getOutputFileFor (input).exists()) << name;
        EXPECT_TRUE (waitUntilIdle()) << name << "\n"
                                      << logEditor().getText();
        EXPECT_TRUE (logEditor().getText().startsWith (summaryLine (input, "Stopped"))) << name << "\n"
                                                                                        << logEditor().getText();
        EXPECT_TRUE (pumpUntil ([this]
                                { return countNotConvertedAlerts (true) == 1; },
                                5000))
            << name;
    }
}

TEST_F (ContentTest, WorkerHonoursAStopThatComesAsItStarts)
{
    const auto input = folder.file ("song.wav");
    ASSERT_TRUE (makeSine (input, 1.0));

    makeComponent();

    const std::pair<const char*, std::function<void()>> stops[] = {
        { "stopConversionAndWorker", [this]
          { component->stopConversionAndWorker(); } },
        { "stopRequested", []
          { conversionWorker.stopRequested = true; } },
    };

    for (const auto& [name, stop] : stops)
    {
        app_tests::startWorker (*component, { input.getFullPathName() });
        stop();

        ASSERT_TRUE (app_tests::waitForWorkerToEnd (20000)) << name;
        EXPECT_EQ (conversionWorker.workerLog, "") << name;
        EXPECT_FALSE (getOutputFolderFor (input).exists()) << name << ": no input was begun";
        EXPECT_TRUE (waitUntilIdle()) << name;
    }

    // A stop of an earlier run does not stop the next one.
    app_tests::startWorker (*component, { input.getFullPathName() });
    ASSERT_TRUE (app_tests::waitForWorkerToEnd (60000));
    EXPECT_EQ (conversionWorker.workerLog, summaryLine (input));
    EXPECT_TRUE (getOutputFileFor (input).existsAsFile());
}

TEST_F (ContentTest, WorkerSummaryIsShownOnceWhenTheLogRefreshComesFirst)
{
    const auto input = folder.file ("song.wav");
    ASSERT_TRUE (makeSine (input, 0.5));

    makeComponent();

    // The worker is held after its input until notified.
    const juce::ScopedValueSetter<int> longPause (conversionWorker.waitMilliseconds, 60000);
    app_tests::startWorker (*component, { input.getFullPathName() });

    // Its output is complete only after its last change of the log editor: from then on it needs
    // nothing of the message thread.
    ASSERT_TRUE (pumpUntil ([&input]
                            { return getOutputFileFor (input).existsAsFile(); },
                            30000));

    // It ends while the message loop stands still, and the log refresh falls due before anything
    // it posted on its way out.
    conversionWorker.notify();
    ASSERT_TRUE (conversionWorker.waitForThreadToExit (10000));
    component->timerCallback (0);

    const auto summary = summaryLine (input);
    EXPECT_TRUE (pumpUntil ([this]
                            { return isIdleAgain(); },
                            5000))
        << logEditor().getText();

    const auto log = logEditor().getText();
    EXPECT_TRUE (log.startsWith (summary)) << log;
    EXPECT_EQ (log.indexOf (summary), log.lastIndexOf (summary)) << log;
}
