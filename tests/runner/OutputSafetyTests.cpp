#include "HelperTest.h"

#include <unistd.h>

using runner_tests::FFMpegHelperTest;
using runner_tests::isPlainWav;
using runner_tests::namesIn;
using runner_tests::partialFileOf;

namespace
{
double secondsOf (const juce::File& wav)
{
    return testing_support::probeAudio (wav).durationSeconds;
}

/** A WAV file of unsigned 8-bit mono samples at 8000 Hz whose samples, all silence, take no room
    on the disk: the file is made sparse, the way a long recording of nothing could be stored.
*/
bool makeSparseWav (const juce::File& file, juce::int64 seconds)
{
    const auto dataBytes = (juce::uint32) (seconds * 8000);
    juce::MemoryOutputStream header;
    header.write ("RIFF", 4);
    header.writeInt ((int) (dataBytes + 36));
    header.write ("WAVEfmt ", 8);
    header.writeInt (16);
    header.writeShort (1); // PCM
    header.writeShort (1);
    header.writeInt (8000);
    header.writeInt (8000);
    header.writeShort (1);
    header.writeShort (8);
    header.write ("data", 4);
    header.writeInt ((int) dataBytes);

    if (! file.replaceWithData (header.getData(), header.getDataSize()))
        return false;

    // The hole reads as zeros: for unsigned samples a constant, silent all the same.
    return ::truncate (file.getFullPathName().toRawUTF8(), (off_t) (44 + dataBytes)) == 0;
}
} // namespace

// An output name that the file system takes converts, however long: the hidden files beside it
// are cut to fit, and the output's own name appears only for the complete result.
TEST_F (FFMpegHelperTest, ConvertsOutputNamesUpToTheFileSystemsLimit)
{
    const auto input = makeInput ("in.flac", 0.2);
    const juce::String han = juce::CharPointer_UTF8 ("\xe9\x9f\xb3"); // three bytes in UTF-8
    std::vector<juce::File> outputs;

    for (auto letter : { juce::String ("a"), han })
    {
        for (int bytes = 250; bytes <= 255; ++bytes)
        {
            // Letters, then ASCII to reach the exact length, then ".wav".
            juce::String name;

            while ((int) name.getNumBytesAsUTF8() + (int) letter.getNumBytesAsUTF8() + 4 <= bytes)
                name << letter;

            name << juce::String::repeatedString ("b", bytes - 4 - (int) name.getNumBytesAsUTF8()) << ".wav";
            ASSERT_EQ ((int) name.getNumBytesAsUTF8(), bytes);

            outputs.push_back (temp.file ("out").getChildFile (name));
            queue (input, outputs.back());
        }
    }

    runToEnd();

    const auto ends = runnerRecorder.log.named ("end item");
    const auto results = recorder.log.named ("end item");
    ASSERT_EQ (results.size(), outputs.size());

    for (size_t i = 0; i < outputs.size(); ++i)
    {
        SCOPED_TRACE (juce::String ((int) outputs[i].getFileName().getNumBytesAsUTF8()) + " bytes");
        EXPECT_TRUE (results[i].progress.converted) << results[i].progress.failureReason;
        EXPECT_TRUE (isPlainWav (outputs[i]));

        // What the converter was told to write: a hidden name of its own beside the output.
        const juce::File written (ends[i].item.arguments[ends[i].item.outputArgument]);
        EXPECT_EQ (written.getParentDirectory(), outputs[i].getParentDirectory());
        EXPECT_TRUE (written.getFileName().startsWith (".") && written.getFileName().endsWith (".partial.wav"));
        EXPECT_LE ((int) written.getFileName().getNumBytesAsUTF8(), 255);
    }

    EXPECT_EQ (namesIn (temp.file ("out")).size(), (int) outputs.size()) << "hidden files were left";
}

// The converter's partial file and the rewrite's temporary file are made new; a file that was
// there before, under a name either would like, is never deleted or replaced.
TEST_F (FFMpegHelperTest, NeverDeletesOrReplacesAFileItDidNotMake)
{
    // An input named like the rewrite's file for the next input's output.
    const auto dotted = makeInput ("d/.a.flac", 0.5);
    const auto plain = makeInput ("d/a.mp3", 1.0);
    queue (dotted, outputFor (dotted));
    queue (plain, outputFor (plain));

    // An output beside its input, under the name the rewrite would like.
    const auto besideOutput = makeInput ("e/.x.wav", 1.5);
    const auto besideBytes = besideOutput.loadFileAsString();
    queue (besideOutput, temp.file ("e/x.wav"));

    // Someone's files under the names of the partial files, for a good and for a bad input.
    const auto good = makeInput ("f/good.wav", 0.5);
    const auto bad = temp.file ("f/bad.mp3");
    ASSERT_TRUE (bad.replaceWithText ("not audio"));
    ASSERT_TRUE (outputFor (good).getParentDirectory().createDirectory());

    for (auto& input : { good, bad })
    {
        ASSERT_TRUE (partialFileOf (outputFor (input)).replaceWithText ("someone's file"));
        queue (input, outputFor (input));
    }

    runToEnd();

    const auto ends = recorder.log.named ("end item");
    ASSERT_EQ (ends.size(), 5u);

    for (size_t i = 0; i < 4; ++i)
        EXPECT_TRUE (ends[i].progress.converted) << i << ": " << ends[i].progress.failureReason;

    EXPECT_FALSE (ends[4].progress.converted);

    // Each output from its own input.
    EXPECT_NEAR (secondsOf (outputFor (dotted)), 0.5, 0.05);
    EXPECT_NEAR (secondsOf (outputFor (plain)), 1.0, 0.1);
    EXPECT_EQ (namesIn (outputFor (plain).getParentDirectory()), juce::StringArray (".a.wav", "a.wav"));

    EXPECT_EQ (besideOutput.loadFileAsString(), besideBytes);
    EXPECT_NEAR (secondsOf (temp.file ("e/x.wav")), 1.5, 0.05);
    EXPECT_EQ (namesIn (temp.file ("e")), juce::StringArray (".x.wav", "x.wav"));

    for (auto& input : { good, bad })
        EXPECT_EQ (partialFileOf (outputFor (input)).loadFileAsString(), "someone's file");

    EXPECT_EQ (namesIn (outputFor (good).getParentDirectory()),
               juce::StringArray (".bad.wav.partial.wav", ".good.wav.partial.wav", "good.wav"));
}

// An output that stood before a run is replaced only by its complete successor: a stopped,
// failed or never-run item leaves it as it was.
TEST_F (FFMpegHelperTest, AnOutputIsReplacedOnlyByItsCompleteSuccessor)
{
    const auto slow = makeInput ("Front_Center.flac", 30.0);
    const auto next = makeInput ("Front_Left.flac", 1.0);
    const auto bad = temp.file ("Front_Right.mp3");
    ASSERT_TRUE (bad.replaceWithText ("not audio"));
    ASSERT_TRUE (temp.file ("KIV_Wav").createDirectory());

    for (auto& input : { slow, next, bad })
    {
        ASSERT_TRUE (outputFor (input).replaceWithText ("older result"));
        queue (input, outputFor (input), input == slow ? "-re" : "");
    }

    helper.startRunner();
    ASSERT_TRUE (waitForTime (0.5f));
    ASSERT_TRUE (helper.stopRunner (2000));

    for (auto& input : { slow, next, bad })
        EXPECT_EQ (outputFor (input).loadFileAsString(), "older result") << input.getFileName();

    // The items left over run next: the good one replaces its output, the bad one does not.
    runToEnd();
    const auto ends = recorder.log.named ("end item");
    ASSERT_EQ (ends.size(), 3u);
    EXPECT_EQ (ends[0].progress.failureReason, "stopped");
    EXPECT_TRUE (ends[1].progress.converted);
    EXPECT_FALSE (ends[2].progress.converted);

    EXPECT_EQ (outputFor (slow).loadFileAsString(), "older result");
    EXPECT_TRUE (isPlainWav (outputFor (next)));
    EXPECT_EQ (outputFor (bad).loadFileAsString(), "older result");
    EXPECT_EQ (namesIn (temp.file ("KIV_Wav")), juce::StringArray ("Front_Center.wav", "Front_Left.wav", "Front_Right.wav"));
}

// song.flac and song.mp3 both give song.wav: within one run the first result stays, and the
// later input is told apart as not converted, naming the input whose output has that name.
TEST_F (FFMpegHelperTest, AnOutputWrittenEarlierInTheRunIsNeverReplacedByALaterInput)
{
    const auto flac = makeInput ("song.flac", 2.0);
    const auto mp3 = temp.file ("song.mp3");
    ASSERT_TRUE (testing_support::makeSine (mp3, 0.5, { "-c:a", "libmp3lame" }));
    const auto output = outputFor (flac);

    queue (flac, output);
    queue (mp3, output);
    runToEnd();

    auto ends = recorder.log.named ("end item");
    ASSERT_EQ (ends.size(), 2u);
    EXPECT_TRUE (ends[0].progress.converted);
    EXPECT_FALSE (ends[1].progress.converted);
    EXPECT_EQ (ends[1].progress.failureReason, "the same output was written earlier in this run from " + flac.getFullPathName());
    EXPECT_FALSE (runnerRecorder.log.named ("end item")[1].item.started) << "the converter ran for nothing";
    EXPECT_NEAR (secondsOf (output), 2.0, 0.05);
    EXPECT_EQ (namesIn (output.getParentDirectory()), juce::StringArray ("song.wav"));

    // A later run replaces it as any output that stood before.
    queue (mp3, output);
    runToEnd();
    ends = recorder.log.named ("end item");
    ASSERT_EQ (ends.size(), 3u);
    EXPECT_TRUE (ends[2].progress.converted) << ends[2].progress.failureReason;
    EXPECT_NEAR (secondsOf (output), 0.5, 0.1);
}

// An hour of 8 kHz samples converted to 192 kHz 32-bit stereo would take 5.5 GB: more than a
// WAV file can hold. It is refused as soon as the converter tells the input's duration, before
// it has written the samples; the input takes no room on the disk either.
TEST_F (FFMpegHelperTest, AnOutputLargerThanAWavFileCanHoldIsRefusedBeforeItIsWritten)
{
    const auto input = temp.file ("hour.wav");
    ASSERT_TRUE (makeSparseWav (input, 3600));
    const auto small = makeInput ("small.flac", 0.5);

    queue (input, outputFor (input), {}, "-ac 2 -acodec pcm_f32le -ar 192000");
    queue (small, outputFor (small), {}, "-ac 2 -acodec pcm_f32le -ar 192000");

    {
        // Should the refusal fail, the converter (which inherits the limit) cannot fill the disk.
        const testing_support::FileSizeLimit limit (256 << 20);
        ASSERT_TRUE (limit.ok);
        runToEnd();
    }

    const auto ends = recorder.log.named ("end item");
    ASSERT_EQ (ends.size(), 2u);
    EXPECT_FALSE (ends[0].progress.converted);
    EXPECT_EQ (ends[0].progress.failureReason, "the result would be larger than a WAV file can hold (4 GiB)");
    EXPECT_NEAR (ends[0].progress.durationSeconds, 3600.0, 0.01);

    // Cut short by us while it had converted next to nothing, and the run went on.
    const auto refused = runnerRecorder.log.named ("end item").front().item;
    EXPECT_FALSE (refused.exitedNormally);
    EXPECT_FALSE (refused.stopped);
    auto convertedSeconds = 0.0f;

    for (auto& event : recorder.log.events())
    {
        if (event.name == "end item")
            break;

        if (event.name == "time")
            convertedSeconds = event.seconds;
    }

    EXPECT_LT (convertedSeconds, 60.0f);
    EXPECT_TRUE (ends[1].progress.converted) << ends[1].progress.failureReason;
    EXPECT_EQ (namesIn (temp.file ("KIV_Wav")), juce::StringArray ("small.wav"));
}
