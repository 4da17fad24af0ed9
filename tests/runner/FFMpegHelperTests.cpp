#include "RunnerEventLog.h"
#include "platform/ScopedEnvironment.h"
#include "platform/TempFolder.h"
#include "runner/ConverterUnpacker.h"
#include "runner/FFMpegHelper.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using runner_tests::RecordedEvent;

namespace
{
constexpr int runTimeoutMs = 120000;
const juce::String outputOptions ("-ac 1 -acodec pcm_s16le -ar 44100");

juce::StringArray namesWithout (const juce::StringArray& names, const juce::String& left)
{
    juce::StringArray result;

    for (auto& name : names)
        if (name != left)
            result.add (name);

    return result;
}

/** A WAV file that holds nothing but the RIFF header, a 16-byte "fmt " and the "data" chunk. */
bool isPlainWav (const juce::File& file)
{
    juce::MemoryBlock bytes;

    if (! file.loadFileAsData (bytes) || bytes.getSize() < 44)
        return false;

    const auto* data = static_cast<const char*> (bytes.getData());
    const auto dataSize = juce::ByteOrder::littleEndianInt (data + 40);

    return juce::String (data, 4) == "RIFF" && juce::String (data + 8, 8) == "WAVEfmt "
           && juce::ByteOrder::littleEndianInt (data + 16) == 16 && juce::String (data + 36, 4) == "data"
           && bytes.getSize() == 44 + dataSize + (dataSize & 1);
}

juce::File temporaryFileOf (const juce::File& output)
{
    return output.getSiblingFile ("." + output.getFileName());
}

/** What the converter writes, in place of the output itself. */
juce::File partialFileOf (const juce::File& output)
{
    return juce::FFMpegHelper::getPartialFileFor (output);
}

class FFMpegHelperTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { converterReady = unpackConverter(); }

    void SetUp() override
    {
        ASSERT_TRUE (converterReady) << "the converter could not be unpacked";
        helper.addListener (&recorder);
        helper.getRunner().addListener (&runnerRecorder);
    }

    juce::File makeInput (const juce::String& name, double seconds, int sampleRate = 48000, int channels = 2)
    {
        const auto file = temp.file (name);
        EXPECT_TRUE (testing_support::makeSine (file, seconds, {}, sampleRate, channels));
        return file;
    }

    static juce::File outputFor (const juce::File& input)
    {
        return input.getSiblingFile ("KIV_Wav").getChildFile (input.getFileNameWithoutExtension() + ".wav");
    }

    void queue (const juce::File& input, const juce::File& output, const juce::String& preInputOptions = {})
    {
        helper.addItem (input.getFullPathName(), output.getFullPathName(), preInputOptions, outputOptions, "-y", true);
    }

    /** Starts the runner and waits for the end of the run that begins now. */
    std::vector<RecordedEvent> runToEnd()
    {
        const auto before = recorder.log.events().size();
        helper.startRunner();

        EXPECT_TRUE (recorder.log.waitFor ([before] (const std::vector<RecordedEvent>& events)
                                           { return events.size() > before && events.back().name == "end"; },
                                           runTimeoutMs));
        EXPECT_TRUE (helper.getRunner().waitForThreadToExit (5000));

        const auto all = recorder.log.events();
        return { all.begin() + (std::ptrdiff_t) before, all.end() };
    }

    bool waitForTime (float atLeastSeconds)
    {
        return recorder.log.waitFor ([atLeastSeconds] (const std::vector<RecordedEvent>& events)
                                     {
                                         for (auto& event : events)
                                             if (event.name == "time" && event.seconds >= atLeastSeconds)
                                                 return true;

                                         return false; },
                                     runTimeoutMs);
    }

    static inline bool converterReady = false;

    testing_support::TemporaryFolder temp;
    runner_tests::HelperRecorder recorder; // both outlive the helper and its runner thread
    runner_tests::RunnerRecorder runnerRecorder;
    juce::FFMpegHelper helper;
};
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

    // The command line as it is shown, and the arguments the converter really gets: it writes a
    // hidden partial file that still ends in ".wav".
    EXPECT_EQ (partialFileOf (outputFor (first)).getFileName(), ".first.wav.partial.wav");
    const auto item = runnerRecorder.log.named ("start item").front().item;
    const auto q = juce::String ("\"");
    EXPECT_EQ (item.commandLine, q + helper.getFfmpegPath() + q + "  -i " + q + first.getFullPathName() + q + " " + outputOptions
                                     + " " + q + outputFor (first).getFullPathName() + q + " -y");
    EXPECT_EQ (item.arguments, juce::StringArray (helper.getFfmpegPath(), "-i", first.getFullPathName(), "-ac", "1", "-acodec",
                                                  "pcm_s16le", "-ar", "44100", partialFileOf (outputFor (first)).getFullPathName(), "-y"));
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

TEST_F (FFMpegHelperTest, APartialFileLeftByACrashIsReplacedOrRemoved)
{
    const auto good = makeInput ("good.wav", 1.0);
    const auto bad = temp.file ("bad.mp3");
    ASSERT_TRUE (bad.replaceWithText ("not audio"));

    for (auto& input : { good, bad })
    {
        ASSERT_TRUE (outputFor (input).getParentDirectory().createDirectory());
        ASSERT_TRUE (partialFileOf (outputFor (input)).replaceWithText ("left by a program that was killed"));
    }

    // Without "-y" the converter would refuse to write over the stale file.
    helper.addItem (good.getFullPathName(), outputFor (good).getFullPathName(), {}, outputOptions, {}, true);
    queue (bad, outputFor (bad));
    runToEnd();

    const auto ends = recorder.log.named ("end item");
    ASSERT_EQ (ends.size(), 2u);
    EXPECT_TRUE (ends[0].progress.converted) << ends[0].progress.failureReason;
    EXPECT_TRUE (isPlainWav (outputFor (good)));
    EXPECT_FALSE (ends[1].progress.converted);
    EXPECT_FALSE (outputFor (bad).exists());

    for (auto& input : { good, bad })
        EXPECT_FALSE (partialFileOf (outputFor (input)).exists());
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

    // With overwrite on it is deleted when the item is queued.
    helper.addItem (input.getFullPathName(), output.getFullPathName(), {}, outputOptions, "-y", true);
    EXPECT_EQ (runner.getNumQueuedCommands(), 1);
    EXPECT_FALSE (output.exists());

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

    struct Case
    {
        const char* name;
        bool started, stopped, exitedNormally;
        int exitCode;
        const char* lastLine; // the converter's last words, "" for none
        const char* output; // what the converter left: "wav", "text" or "" for nothing
        bool converted;
        const char* reason;
        bool outputLeft;
    };

    const Case cases[] {
        { "finished", true, false, true, 0, "", "wav", true, "", true },
        { "not started", false, false, false, -1, "", "", false, "the converter could not be started", false },
        { "stopped", true, true, false, -1, "", "text", false, "stopped", false },
        { "failed", true, false, true, 1, "<input>: Invalid data found when processing input", "text", false, "Invalid data found when processing input", false },
        { "failed behind a tag", true, false, true, 1, "[wav @ 0x55d0c8] Invalid sample rate", "", false, "Invalid sample rate", false },
        { "failed quietly", true, false, true, 8, "", "", false, "the converter ended with exit code 8", false },
        { "crashed", true, false, false, -1, "", "text", false, "the converter was ended by a signal", false },
        { "not a WAV file", true, false, true, 0, "", "text", false, "the result is not a WAV file", false },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto output = temp.file ("out").getChildFile (juce::String (c.name) + ".wav");
        const auto partial = partialFileOf (output);
        output.getParentDirectory().createDirectory();

        CommandItem item;
        item.inputPath = temp.file ("in.mp3").getFullPathName();
        item.outputPath = output.getFullPathName();
        item.started = c.started;
        item.stopped = c.stopped;
        item.exitedNormally = c.exitedNormally;
        item.exitCode = c.exitCode;

        helper.onRunnerEvent ("start item", &item, (int) sizeof (item));

        if (juce::String (c.output) == "wav")
        {
            ASSERT_TRUE (sourceWav.copyFileTo (partial));
        }
        else if (juce::String (c.output) == "text")
        {
            ASSERT_TRUE (partial.replaceWithText ("half a result"));
        }

        if (const auto line = juce::String (c.lastLine).replace ("<input>", item.inputPath); line.isNotEmpty())
        {
            helper.onRunnerEvent ("new line", line.toRawUTF8(), (int) line.getNumBytesAsUTF8() + 1);
            helper.onRunnerEvent ("return line", "Conversion failed!", 19); // a closing remark, not the reason
        }

        helper.onRunnerEvent ("end item", &item, (int) sizeof (item));

        const auto end = recorder.log.events().back();
        EXPECT_EQ (end.name, "end item");
        EXPECT_EQ (end.progress.converted, c.converted);
        EXPECT_EQ (end.progress.failureReason, c.reason);
        EXPECT_EQ (output.existsAsFile(), c.outputLeft);
        EXPECT_FALSE (temporaryFileOf (output).exists());
        EXPECT_FALSE (partial.exists());

        if (c.converted)
        {
            EXPECT_TRUE (isPlainWav (output));
        }
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
