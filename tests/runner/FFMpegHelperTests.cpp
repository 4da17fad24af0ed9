#include "HelperTest.h"
#include "platform/ScopedEnvironment.h"
#include "platform/TempFolder.h"

#include <csignal>
#include <sys/stat.h>

using runner_tests::FFMpegHelperTest;
using runner_tests::isPlainWav;
using runner_tests::outputOptions;
using runner_tests::partialFileOf;
using runner_tests::RecordedEvent;
using runner_tests::runTimeoutMs;
using runner_tests::temporaryFileOf;

namespace
{
juce::StringArray namesWithout (const juce::StringArray& names, const juce::String& left)
{
    juce::StringArray result;

    for (auto& name : names)
        if (name != left)
            result.add (name);

    return result;
}
} // namespace

TEST_F (FFMpegHelperTest, ConvertsEveryItemAndReportsItInOrder)
{
    const auto first = makeInput ("first.wav", 2.0);
    const auto second = makeInput ("second.flac", 1.0, 44100, 1);
    queue (first, outputFor (first));
    queue (second, outputFor (second));
    ASSERT_EQ (helper.getRunner().getNumQueuedCommands(), 2);

    const auto events = runToEnd();

    EXPECT_EQ (namesWithout (recorder.log.names(), "time"),
               juce::StringArray ({ "start", "start item", "duration", "end item", "start item", "duration", "end item", "end" }));

    const auto starts = recorder.log.named ("start item");
    const auto ends = recorder.log.named ("end item");
    ASSERT_EQ (starts.size(), 2u);
    ASSERT_EQ (ends.size(), 2u);

    const juce::File inputs[] { first, second };
    const double seconds[] { 2.0, 1.0 };

    for (int i = 0; i < 2; ++i)
    {
        SCOPED_TRACE (inputs[i].getFileName());
        const auto output = outputFor (inputs[i]);

        EXPECT_EQ (starts[(size_t) i].progress.currentIndex, i + 1);
        EXPECT_EQ (starts[(size_t) i].progress.total, 2);
        EXPECT_EQ (starts[(size_t) i].progress.inputPath, inputs[i].getFullPathName());
        EXPECT_EQ (starts[(size_t) i].progress.outputPath, output.getFullPathName());
        EXPECT_TRUE (ends[(size_t) i].progress.converted);
        EXPECT_EQ (ends[(size_t) i].progress.failureReason, "");
        EXPECT_NEAR (ends[(size_t) i].progress.durationSeconds, seconds[i], 0.01);
        EXPECT_NEAR (ends[(size_t) i].progress.timeSeconds, seconds[i], 0.05);

        const auto facts = testing_support::probeAudio (output);
        EXPECT_EQ (facts.formatName, "wav");
        EXPECT_EQ (facts.codecName, "pcm_s16le");
        EXPECT_EQ (facts.sampleRate, 44100);
        EXPECT_EQ (facts.channels, 1);
        EXPECT_NEAR (facts.durationSeconds, seconds[i], 0.05);
        EXPECT_TRUE (isPlainWav (output));
        EXPECT_FALSE (temporaryFileOf (output).exists());
        EXPECT_FALSE (partialFileOf (output).exists());
    }

    // The command line as it is shown, and the arguments the converter really gets: every line
    // tagged with its level, and a hidden partial file that still ends in ".wav".
    EXPECT_EQ (partialFileOf (outputFor (first)).getFileName(), ".first.wav.partial.wav");
    const auto item = runnerRecorder.log.named ("end item").front().item;
    const auto q = juce::String ("\"");
    EXPECT_EQ (item.commandLine, q + helper.getFfmpegPath() + q + "  -i " + q + first.getFullPathName() + q + " " + outputOptions
                                     + " " + q + outputFor (first).getFullPathName() + q + " -y");
    EXPECT_EQ (item.arguments, juce::StringArray (helper.getFfmpegPath(), "-loglevel", "level+info", "-y", "-i", first.getFullPathName(),
                                                  "-ac", "1", "-acodec", "pcm_s16le", "-ar", "44100",
                                                  partialFileOf (outputFor (first)).getFullPathName(), "-y"));
    EXPECT_EQ (helper.getFfmpegPath(), platform::getConverterFile().getFullPathName());

    for (auto& event : events)
        EXPECT_EQ (event.threadName, "CommandRunnerThread");
}

TEST_F (FFMpegHelperTest, ConvertsNamesWithBlanksQuotesDashesAndChineseLetters)
{
    const auto folder = temp.file (juce::CharPointer_UTF8 ("a folder \"\xe9\x9f\xb3\xe4\xb9\x90\""));
    ASSERT_TRUE (folder.createDirectory());
    const auto input = folder.getChildFile (juce::CharPointer_UTF8 ("-i \"my\" \xe6\xad\x8c\xe6\x9b\xb2 -y.flac"));
    ASSERT_TRUE (testing_support::makeSine (input, 1.0));

    queue (input, outputFor (input));
    runToEnd();

    const auto end = recorder.log.named ("end item").front().progress;
    EXPECT_TRUE (end.converted) << end.failureReason;

    const auto facts = testing_support::probeAudio (outputFor (input));
    EXPECT_EQ (facts.codecName, "pcm_s16le");
    EXPECT_EQ (facts.channels, 1);

    // Nothing but the one output: no part of a name became a file or an option of its own.
    EXPECT_EQ (outputFor (input).getParentDirectory().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 2);
}

TEST_F (FFMpegHelperTest, ARelativeNameBeginningWithADashIsAPathNotAnOption)
{
    const auto previous = juce::File::getCurrentWorkingDirectory();
    ASSERT_TRUE (temp.get().setAsCurrentWorkingDirectory());
    const juce::ScopeGuard restore { [&]
                                     { previous.setAsCurrentWorkingDirectory(); } };

    ASSERT_TRUE (testing_support::makeSine (temp.file ("-an.flac"), 1.0));
    helper.addItem ("-an.flac", "-an.wav", {}, outputOptions, "-y", true);
    runToEnd();

    const auto end = recorder.log.named ("end item").front().progress;
    EXPECT_TRUE (end.converted) << end.failureReason;
    EXPECT_EQ (testing_support::probeAudio (temp.file ("-an.wav")).channels, 1);
}

TEST_F (FFMpegHelperTest, TheConverterWritesItsPartialFileWhateverTheTrailingOptions)
{
    // The partial file exists before the converter starts; without "-y" of our own it would ask
    // "Overwrite? [y/N]" and give up.
    const juce::StringArray trailingOptions { "", "-y", "-map_metadata -1" };

    for (int i = 0; i < trailingOptions.size(); ++i)
    {
        const auto input = makeInput ("tone" + juce::String (i) + ".flac", 0.5);
        helper.addItem (input.getFullPathName(), outputFor (input).getFullPathName(), {}, outputOptions, trailingOptions[i], true);
    }

    runToEnd();

    const auto ends = recorder.log.named ("end item");
    ASSERT_EQ (ends.size(), (size_t) trailingOptions.size());

    for (int i = 0; i < trailingOptions.size(); ++i)
    {
        SCOPED_TRACE ("trailing options \"" + trailingOptions[i] + "\"");
        EXPECT_TRUE (ends[(size_t) i].progress.converted) << ends[(size_t) i].progress.failureReason;
        EXPECT_TRUE (isPlainWav (temp.file ("KIV_Wav/tone" + juce::String (i) + ".wav")));
    }
}

TEST_F (FFMpegHelperTest, ReportsRisingTimeDuringALongConversion)
{
    const auto input = temp.file ("long.flac");
    ASSERT_TRUE (testing_support::makeSine (input, 1800.0, { "-c:a", "flac" }, 96000, 1));

    auto mismatches = 0;
    recorder.log.onEvent = [&] (const RecordedEvent& event)
    {
        if (event.name == "time" && helper.getProgress().timeSeconds != event.seconds)
            ++mismatches;
    };

    queue (input, outputFor (input));
    runToEnd();
    recorder.log.onEvent = nullptr;

    const auto durations = recorder.log.named ("duration");
    ASSERT_EQ (durations.size(), 1u);
    EXPECT_NEAR (durations.front().seconds, 1800.0, 0.01);

    const auto times = recorder.log.named ("time");
    ASSERT_GE (times.size(), 3u);

    for (size_t i = 1; i < times.size(); ++i)
        EXPECT_GE (times[i].seconds, times[i - 1].seconds);

    EXPECT_GT (times[1].seconds, times[0].seconds);
    EXPECT_LT (times.front().seconds, 1800.0f);
    EXPECT_NEAR (times.back().seconds, 1800.0, 0.05);
    EXPECT_EQ (mismatches, 0);
    EXPECT_TRUE (recorder.log.named ("end item").front().progress.converted);
}

TEST_F (FFMpegHelperTest, AFailedConversionGivesTheConvertersReasonAndLeavesNoOutput)
{
    const auto input = temp.file ("notes.mp3");
    ASSERT_TRUE (input.replaceWithText ("These are notes, not audio.\nSecond line of text.\n"));
    const auto output = outputFor (input);

    // What the converter itself says about this input, without the path in front.
    juce::String direct;
    testing_support::runProgram ({ "ffmpeg", "-nostdin", "-hide_banner", "-i", input.getFullPathName(), "-f", "null", "-" }, &direct);
    auto lines = juce::StringArray::fromLines (direct.trim());
    const auto expected = lines[lines.size() - 1].fromFirstOccurrenceOf (input.getFullPathName() + ": ", false, false);
    ASSERT_TRUE (expected.isNotEmpty()) << direct;

    queue (input, output);
    runToEnd();

    const auto end = recorder.log.named ("end item").front().progress;
    EXPECT_FALSE (end.converted);
    EXPECT_EQ (end.failureReason, expected);
    EXPECT_FALSE (output.exists());
    EXPECT_FALSE (temporaryFileOf (output).exists());
    EXPECT_EQ (recorder.log.names().joinIntoString (","), "start,start item,end item,end");
}

TEST_F (FFMpegHelperTest, AStopMidItemLeavesNoConverterNorPartialOutputAndKeepsTheQueue)
{
    const auto slow = makeInput ("slow.flac", 30.0);
    const auto next = makeInput ("next.wav", 1.0);
    const auto last = makeInput ("last.wav", 1.0);
    queue (slow, outputFor (slow), "-re"); // read at the input's own pace: 30 s
    queue (next, outputFor (next));
    queue (last, outputFor (last));

    helper.startRunner();
    ASSERT_TRUE (waitForTime (0.5f));
    ASSERT_TRUE (partialFileOf (outputFor (slow)).exists()); // the converter has begun writing
    EXPECT_FALSE (outputFor (slow).exists());

    EXPECT_TRUE (helper.stopRunner (2000));
    EXPECT_FALSE (helper.isRunning());
    EXPECT_EQ (testing_support::countOwnChildren (platform::programFileName ("ffmpeg")), 0);
    EXPECT_EQ (recorder.log.names().strings.getLast(), "end");

    const auto stopped = recorder.log.named ("end item").front().progress;
    EXPECT_FALSE (stopped.converted);
    EXPECT_EQ (stopped.failureReason, "stopped");
    EXPECT_FALSE (outputFor (slow).exists());
    EXPECT_FALSE (temporaryFileOf (outputFor (slow)).exists());
    EXPECT_FALSE (partialFileOf (outputFor (slow)).exists());
    EXPECT_EQ (helper.getRunner().getNumQueuedCommands(), 2);

    // The next start runs what was left first, and counts it.
    runToEnd();
    const auto starts = recorder.log.named ("start item");
    const auto ends = recorder.log.named ("end item");
    ASSERT_EQ (starts.size(), 3u);
    EXPECT_EQ (starts[1].progress.inputPath, next.getFullPathName());
    EXPECT_EQ (starts[1].progress.currentIndex, 1);
    EXPECT_EQ (starts[1].progress.total, 2);
    EXPECT_EQ (starts[2].progress.inputPath, last.getFullPathName());
    EXPECT_TRUE (ends[1].progress.converted);
    EXPECT_TRUE (ends[2].progress.converted);
}

TEST_F (FFMpegHelperTest, AnOutputFolderThatCannotBeMadeFailsItsItemWithoutStartingTheConverter)
{
    testing_support::ScopedTmpfs medium (4096);

    if (medium.getProblem().isNotEmpty())
        GTEST_SKIP() << medium.getProblem();

    const auto input = medium.file ("song.flac");
    ASSERT_TRUE (testing_support::makeSine (input, 1.0));
    ASSERT_TRUE (medium.makeReadOnly());

    queue (input, outputFor (input));
    runToEnd();

    // Still an item of the run, so that the log and the alert tell the user.
    EXPECT_EQ (recorder.log.names().joinIntoString (","), "start,start item,end item,end");
    const auto end = recorder.log.named ("end item").front().progress;
    EXPECT_FALSE (end.converted);
    EXPECT_EQ (end.failureReason, "the output folder could not be created: Read-only file system");

    EXPECT_FALSE (runnerRecorder.log.named ("end item").front().item.started);
    EXPECT_TRUE (runnerRecorder.log.named ("new line").empty()) << "the converter ran";
}

TEST_F (FFMpegHelperTest, AFullDiskDuringTheRewriteGivesTheSystemsReason)
{
    // The converter's 2.2 MiB fit on the disk; its rewritten copy does not.
    const testing_support::ScopedTmpfs disk (4096);

    if (disk.getProblem().isNotEmpty())
        GTEST_SKIP() << disk.getProblem();

    const auto input = makeInput ("song.flac", 8.0, 48000, 2);
    const auto output = disk.file ("KIV_Wav/song.wav");
    helper.addItem (input.getFullPathName(), output.getFullPathName(), {}, "-acodec pcm_s24le", "-y", true);
    runToEnd();

    const auto end = recorder.log.named ("end item").front().progress;
    EXPECT_FALSE (end.converted);
    EXPECT_EQ (end.failureReason, "the result could not be rewritten: No space left on device");
    EXPECT_TRUE (output.getParentDirectory().findChildFiles (juce::File::findFilesAndDirectories, false, "*").isEmpty());
}

TEST_F (FFMpegHelperTest, DestroyingAHelperMidItemLeavesNoConverterRunning)
{
    const auto slow = makeInput ("slow.wav", 30.0);
    runner_tests::HelperRecorder ownRecorder;
    runner_tests::RunnerRecorder ownRunnerRecorder;

    {
        juce::FFMpegHelper running;
        running.addListener (&ownRecorder);
        running.getRunner().addListener (&ownRunnerRecorder);
        running.addItem (slow.getFullPathName(), outputFor (slow).getFullPathName(), "-re", outputOptions, "-y", true);
        running.startRunner();
        ASSERT_TRUE (ownRecorder.log.waitForEvent ("time", runTimeoutMs));
    }

    EXPECT_EQ (testing_support::countOwnChildren (platform::programFileName ("ffmpeg")), 0);
    EXPECT_EQ (ownRecorder.log.names().strings.getLast(), "end");
    EXPECT_FALSE (outputFor (slow).exists());

    // Killed, not waited for until it ended by itself.
    const auto ends = ownRunnerRecorder.log.named ("end item");
    ASSERT_EQ (ends.size(), 1u);
    EXPECT_FALSE (ends[0].item.exitedNormally);
}

TEST_F (FFMpegHelperTest, WithoutAUsableConverterFolderEveryItemFailsToStart)
{
    const auto input = makeInput ("in.wav", 0.5);
    const auto shared = temp.file ("shared");
    ASSERT_TRUE (shared.createDirectory());
    ASSERT_EQ (::chmod (shared.getFullPathName().toRawUTF8(), 0777), 0); // anyone could plant a converter here

    testing_support::ScopedEnvironment environment;
    environment.set ("TMPDIR", shared);
    EXPECT_FALSE (unpackConverter());

    runner_tests::HelperRecorder ownRecorder;
    juce::FFMpegHelper refused;
    refused.addListener (&ownRecorder);
    EXPECT_EQ (refused.getFfmpegPath(), "");

    refused.addItem (input.getFullPathName(), outputFor (input).getFullPathName(), {}, outputOptions, "-y", true);
    refused.startRunner();
    ASSERT_TRUE (ownRecorder.log.waitForEvent ("end", runTimeoutMs));

    const auto end = ownRecorder.log.named ("end item").front().progress;
    EXPECT_FALSE (end.converted);
    EXPECT_EQ (end.failureReason, "the converter could not be started");
    EXPECT_TRUE (shared.findChildFiles (juce::File::findFilesAndDirectories, false).isEmpty());
}

TEST_F (FFMpegHelperTest, QueueingChecksTheInputAndTheOutput)
{
    const auto input = temp.file ("in.wav");
    ASSERT_TRUE (input.replaceWithText ("stands in for audio"));
    const auto output = outputFor (input);
    auto& runner = helper.getRunner();

    // A folder is not an input, and neither is a missing file.
    helper.addItem (temp.get().getFullPathName(), output.getFullPathName(), {}, outputOptions, "-y", true);
    helper.addItem (temp.file ("missing.wav").getFullPathName(), output.getFullPathName(), {}, outputOptions, "-y", true);
    EXPECT_EQ (runner.getNumQueuedCommands(), 0);
    EXPECT_TRUE (recorder.log.events().empty());
    EXPECT_FALSE (output.getParentDirectory().exists());

    // An existing output with overwrite off is reported and left alone.
    ASSERT_TRUE (output.getParentDirectory().createDirectory());
    ASSERT_TRUE (output.replaceWithText ("older result"));
    helper.addItem (input.getFullPathName(), output.getFullPathName(), {}, outputOptions, "-y", false);
    EXPECT_EQ (runner.getNumQueuedCommands(), 0);
    ASSERT_EQ (recorder.log.names(), juce::StringArray ({ "output exists" }));
    EXPECT_EQ (recorder.log.events().front().size, (int) sizeof (ProgressRecord));
    EXPECT_EQ (recorder.log.events().front().progress.inputPath, input.getFullPathName());
    EXPECT_EQ (recorder.log.events().front().progress.outputPath, output.getFullPathName());
    EXPECT_EQ (output.loadFileAsString(), "older result");

    // With overwrite on it is queued, and stays until the item's complete result replaces it.
    helper.addItem (input.getFullPathName(), output.getFullPathName(), {}, outputOptions, "-y", true);
    EXPECT_EQ (runner.getNumQueuedCommands(), 1);
    EXPECT_EQ (output.loadFileAsString(), "older result");

    // An output that is the input itself would destroy it: reported, never queued.
    helper.addItem (input.getFullPathName(), input.getFullPathName(), {}, outputOptions, "-y", true);
    EXPECT_EQ (runner.getNumQueuedCommands(), 1);
    EXPECT_EQ (recorder.log.names(), juce::StringArray ({ "output exists", "output exists" }));
    EXPECT_EQ (input.loadFileAsString(), "stands in for audio");

    // Queued without a run: the test's own runner is idle, so empty the queue by hand.
    runner.popFrontCommand();
}

TEST_F (FFMpegHelperTest, TurnsHowTheConverterEndedIntoAnOutcome)
{
    const auto sourceWav = makeInput ("source.wav", 0.5);
    const auto input = temp.file ("in.mp3").getFullPathName();
    const auto junk = juce::String::repeatedString ("x", 16383); // all the runner hands over of a line without an end

    struct Case
    {
        const char* name;
        bool started, stopped, exitedNormally;
        int exitCode, signal;
        juce::StringArray lines; // what the converter printed; <input> and <partial> stand for the paths
        const char* output; // what the converter left: "wav", "text" or "" for nothing
        const char* reason; // "" when converted
    };

    const juce::String longError ("[error] " + juce::String::repeatedString ("y", 400));

    const Case cases[] {
        { "finished", true, false, true, 0, 0, { "[info] size=      86kB time=00:00:00.50 bitrate= 1411kbits/s" }, "wav", "" },
        { "not started", false, false, false, -1, 0, {}, "", "the converter could not be started" },
        { "stopped", true, true, false, -1, SIGKILL, {}, "text", "stopped" },
        { "the converter's verdict on the input",
          true,
          false,
          true,
          1,
          0,
          { "[info]   Metadata:", "[mp3 @ 0x55d0c8] [error] Failed to read frame size: Could not seek to 1033.",
            "[error] <input>: Invalid data found when processing input", "[info] Conversion failed!" },
          "text",
          "Invalid data found when processing input" },
        { "the first error of a burst is its cause",
          true,
          false,
          true,
          1,
          0,
          { "[AVFilterGraph @ 0x5600] [error] No such filter: 'nosuchfilter'", "[error] Error reinitializing filters!",
            "[fatal] Error while processing the decoded data for stream #0:0", "[info] Conversion failed!" },
          "",
          "No such filter: 'nosuchfilter'" },
        { "the last burst counts, and the partial file is named as the output",
          true,
          false,
          true,
          1,
          0,
          { "[mp3float @ 0x7f00] [error] Header missing\n[info] size=      86kB time=00:00:01.00 bitrate= 705kbits/s", // one read
            "[error] Error writing trailer of <partial>: No space left on device", "[info]     encoder         : Lavc59.37.100 pcm_s16le",
            "[info] video:0kB audio:128kB subtitle:0kB other streams:0kB global headers:0kB muxing overhead: 0.05%" },
          "text",
          "Error writing trailer of <output>: No space left on device" },
        { "remarks and warnings are never the reason",
          true,
          false,
          true,
          1,
          0,
          { "[info]     encoder         : Lavc59.37.100 pcm_s16le", "[wav @ 0x5600] [warning] Estimated duration",
            "[info] video:0kB audio:128kB subtitle:0kB other streams:0kB global headers:0kB muxing overhead: 0.05%" },
          "",
          "the converter ended with exit code 1" },
        { "16 KiB without a line end is not the converter's report", true, false, true, 8, 0, { junk }, "", "the converter ended with exit code 8" },
        { "a long error is cut to one readable line", true, false, true, 1, 0, { longError + "\n" + longError }, "", nullptr }, // checked below
        { "crashed", true, false, false, -1, SIGSEGV, { "[info]     encoder         : Lavc59.37.100 pcm_s16le" }, "text", "the converter was ended by signal 11 (Segmentation fault)" },
        { "ended by a signal it did not name", true, false, false, -1, 0, {}, "text", "the converter was ended by a signal" },
        { "caught a signal and ended", true, false, true, 255, 0, { "[error] Error while decoding stream #0:0: Invalid data found when processing input", "[info] Exiting normally, received signal 15." }, "wav", "the converter was ended by signal 15 (Terminated)" },
        { "grew beyond what a WAV file holds", true, false, false, -1, SIGKILL, { "[info] size= 4194304kB time=00:46:40.00 bitrate=12288.0kbits/s" }, "text", "the result would be larger than a WAV file can hold (4 GiB)" },
        { "told a duration too long in the same read as another line", true, false, false, -1, SIGKILL, { "[info] Input #0, wav, from '<input>':\n[info]   Duration: 01:00:00.00, start: 0.000000, bitrate: 1411 kb/s" }, "text", "the result would be larger than a WAV file can hold (4 GiB)" },
        { "not a WAV file", true, false, true, 0, 0, {}, "text", "the result is not a WAV file" },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto output = temp.file ("out").getChildFile (juce::String (c.name).replaceCharacter ('\'', '_') + ".wav");
        ASSERT_TRUE (output.getParentDirectory().createDirectory());

        CommandItem item;
        item.inputPath = input;
        item.outputPath = output.getFullPathName();
        item.arguments = { "ffmpeg", "-i", input, "-ac", "2", "-acodec", "pcm_f32le", "-ar", "192000", "placeholder" };
        item.outputArgument = item.arguments.size() - 1;
        item.started = c.started;
        item.stopped = c.stopped;
        item.exitedNormally = c.exitedNormally;
        item.exitCode = c.exitCode;
        item.signal = c.signal;

        helper.onRunnerEvent ("start item", &item, (int) sizeof (item));
        ASSERT_EQ (helper.prepareItem (item), "");
        const juce::File partial (item.arguments[item.outputArgument]);
        EXPECT_TRUE (partial.existsAsFile());

        if (juce::String (c.output) == "wav")
        {
            ASSERT_TRUE (sourceWav.copyFileTo (partial));
        }
        else if (juce::String (c.output) == "text")
        {
            ASSERT_TRUE (partial.replaceWithText ("half a result"));
        }

        for (auto line : c.lines)
        {
            line = line.replace ("<input>", input).replace ("<partial>", partial.getFullPathName());
            helper.onRunnerEvent ("new line", line.toRawUTF8(), (int) line.getNumBytesAsUTF8() + 1);
        }

        helper.onRunnerEvent ("end item", &item, (int) sizeof (item));

        const auto end = recorder.log.events().back();
        EXPECT_EQ (end.name, "end item");
        const auto reason = end.progress.failureReason;

        if (c.reason != nullptr)
        {
            EXPECT_EQ (reason, juce::String (c.reason).replace ("<output>", output.getFullPathName()));
        }
        else
        {
            EXPECT_EQ (reason, juce::String::repeatedString ("y", 299) + juce::String::charToString (0x2026));
        }

        EXPECT_EQ (end.progress.converted, reason.isEmpty());
        EXPECT_EQ (output.existsAsFile(), reason.isEmpty());
        EXPECT_EQ (runner_tests::namesIn (output.getParentDirectory()), reason.isEmpty() ? juce::StringArray (output.getFileName()) : juce::StringArray())
            << "only the output, and only when converted";

        if (reason.isEmpty())
        {
            EXPECT_TRUE (isPlainWav (output));
        }

        output.deleteFile();
    }
}

TEST_F (FFMpegHelperTest, ReadsDurationAndTimeFromTheConvertersLines)
{
    struct Case
    {
        const char* line;
        const char* event; // "" for none
        float seconds;
    };

    const Case cases[] {
        { "  Duration: 00:02:52.00, start: 0.000000, bitrate: 10201 kb/s", "duration", 172.0f },
        { "frame=  100 fps=0.0 q=-0.0 size=  256kB time=00:01:02.50 bitrate=1.0kbits/s    ", "time", 62.5f },
        { "size=   10336kB time=00:02:00.00 bitrate= 705.6kbits/s speed=2.03e+03x    ", "time", 120.0f },
        { "  Stream #0:0: Audio: flac, time=00:00:09.00 bitrate=1", "", 0.0f },
        { "size=     100kB bitrate= 705.6kbits/s", "", 0.0f },
        { "frame=  100 time=00:00:03.00", "", 0.0f },
        { "Duration: N/A, bitrate: N/A", "duration", 0.0f },
        { "Duration: 00:00:05.00", "", 0.0f },
        // One read brought the end of another line too.
        { "[info]   Stream #0:0 -> #0:0 (flac (native) -> pcm_s16le (native))\n[info] size=     256kB time=00:01:02.50 bitrate= 705.6kbits/s    ", "time", 62.5f },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.line);
        const auto before = recorder.log.events().size();
        const auto text = juce::String (c.line) + "\r";
        helper.onRunnerEvent ("return line", text.toRawUTF8(), (int) text.getNumBytesAsUTF8() + 1);

        const auto events = recorder.log.events();

        if (juce::String (c.event).isEmpty())
        {
            EXPECT_EQ (events.size(), before);
            continue;
        }

        ASSERT_EQ (events.size(), before + 1);
        EXPECT_EQ (events.back().name, c.event);
        EXPECT_EQ (events.back().size, 4);
        EXPECT_FLOAT_EQ (events.back().seconds, c.seconds);

        const auto progress = helper.getProgress();

        if (juce::String (c.event) == "duration")
        {
            EXPECT_FLOAT_EQ (progress.durationSeconds, c.seconds);
            EXPECT_EQ (progress.timeSeconds, 0.0f);
        }
        else
        {
            EXPECT_FLOAT_EQ (progress.timeSeconds, c.seconds);
        }
    }
}

TEST (TextHelpers, TextBetweenFindsTheEndMarkerFromTheStartMarkersOwnPosition)
{
    struct Case
    {
        const char *text, *start, *end, *expected;
    };

    const Case cases[] {
        { "Duration: 00:02:52.00, start: 0.0", "Duration: ", ",", "00:02:52.00" },
        { "x time=00:00:01.00 bitrate", "time=", " ", "00:00:01.00" },
        { "time=00:00:01.00", "time=", " ", "" }, // no end marker
        { "abc", "x", "c", "" }, // no start marker
        { "ab,cd", "", ",", "ab" }, // empty start marker: from position 0
        { ",ab", "", ",", "" }, // end marker at position 0
        { "a=b", "=", "=", "" }, // end marker is the start marker itself
        { "k:v:w", "k:", ":", "" }, // the end marker found inside the start marker
    };

    for (auto& c : cases)
        EXPECT_EQ (textBetween (c.text, c.start, c.end), c.expected) << c.text << " / " << c.start << " / " << c.end;
}

TEST (TextHelpers, ParseTimeToSecondsReadsHoursMinutesAndSeconds)
{
    const std::pair<const char*, float> cases[] {
        { "01:02:03", 3723.0f },
        { "00:02:52.00", 172.0f },
        { "00:01:02.50", 62.5f },
        { "12", 43200.0f },
        { "00:30", 1800.0f },
        { "", 0.0f },
        { "N/A", 0.0f },
        { "1x:2y:3.5z", 3723.5f },
    };

    for (auto& [text, seconds] : cases)
        EXPECT_FLOAT_EQ (parseTimeToSeconds (text), seconds) << text;
}
