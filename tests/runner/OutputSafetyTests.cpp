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

// One file listed again, under another spelling or through a link to its folder, has the
// same output: it is simply converted again, as any input is, and nothing fails.
TEST_F (FFMpegHelperTest, AnInputListedAgainIsConvertedAgainIntoItsOwnOutput)
{
    const auto tone = makeInput ("d/tone.wav", 0.5);
    ASSERT_EQ (::symlink ("d", temp.file ("link").getFullPathName().toRawUTF8()), 0);
    const auto folder = temp.get().getFullPathName();
    const juce::String spellings[] = { folder + "/d/tone.wav", folder + "/d/tone.wav", folder + "/d//tone.wav",
                                       folder + "/d/./tone.wav", folder + "/link/tone.wav", folder + "/link/../d/tone.wav" };

    for (const auto& input : spellings)
        helper.addItem (input, input.upToLastOccurrenceOf ("/", true, false) + "KIV_Wav/tone.wav", {}, runner_tests::outputOptions, "-y", true);

    runToEnd();

    const auto ends = recorder.log.named ("end item");
    ASSERT_EQ (ends.size(), std::size (spellings));

    for (size_t i = 0; i < ends.size(); ++i)
        EXPECT_TRUE (ends[i].progress.converted) << spellings[i] << ": " << ends[i].progress.failureReason;

    EXPECT_NEAR (secondsOf (outputFor (tone)), 0.5, 0.05);
    EXPECT_EQ (namesIn (outputFor (tone).getParentDirectory()), juce::StringArray ("tone.wav"));
}

// Links can lead an output onto a file that the run converts: onto another input in the same
// folder, into another listed folder, or a hard link onto its bytes. Such an item is reported
// and writes nothing, whether its output's input ran before it or is still to come.
TEST_F (FFMpegHelperTest, AnOutputIsNeverWrittenOverAnInputOfTheRun)
{
    // A folder whose KIV_Wav is a link to itself: song.flac's output is the listed song.wav.
    const auto flac = makeInput ("a/song.flac", 1.0);
    const auto wav = makeInput ("a/song.wav", 0.5, 22050, 1);
    ASSERT_EQ (::symlink (".", temp.file ("a/KIV_Wav").getFullPathName().toRawUTF8()), 0);

    // A KIV_Wav that leads into another folder whose file is listed as well.
    const auto intoOther = makeInput ("b/x.flac", 1.0);
    const auto other = makeInput ("c/x.wav", 0.5, 22050, 1);
    ASSERT_EQ (::symlink ("../c", temp.file ("b/KIV_Wav").getFullPathName().toRawUTF8()), 0);

    // An output name that is a hard link to a listed input elsewhere.
    const auto hardLinked = makeInput ("e/y.flac", 1.0);
    const auto linkedInput = makeInput ("f/z.wav", 0.5, 22050, 1);
    ASSERT_TRUE (temp.file ("e/KIV_Wav").createDirectory());
    ASSERT_EQ (::link (linkedInput.getFullPathName().toRawUTF8(), outputFor (hardLinked).getFullPathName().toRawUTF8()), 0);

    // An earlier run's output listed, and converted, before the input it came from.
    const auto oldOutput = makeInput ("g/KIV_Wav/h.wav", 0.5, 22050, 1);
    const auto source = makeInput ("g/h.flac", 1.0);

    const juce::File protectedInputs[] = { wav, other, linkedInput, oldOutput };
    juce::MemoryBlock before[std::size (protectedInputs)];

    for (size_t i = 0; i < std::size (protectedInputs); ++i)
        ASSERT_TRUE (protectedInputs[i].loadFileAsData (before[i]));

    for (const auto& input : { wav, flac, intoOther, other, hardLinked, linkedInput, oldOutput, source })
        queue (input, outputFor (input));

    runToEnd();

    // song.wav is its own output: refused when queued.
    ASSERT_EQ (recorder.log.named ("output exists").size(), 1u);
    EXPECT_EQ (recorder.log.named ("output exists")[0].progress.inputPath, wav.getFullPathName());

    const auto ends = recorder.log.named ("end item");
    const auto runnerEnds = runnerRecorder.log.named ("end item");
    ASSERT_EQ (ends.size(), 7u);

    const struct
    {
        juce::File input;
        juce::File replaced; // none: converted
    } expected[] = {
        { flac, wav },
        { intoOther, other },
        { other, {} },
        { hardLinked, linkedInput },
        { linkedInput, {} },
        { oldOutput, {} },
        { source, oldOutput },
    };

    for (size_t i = 0; i < ends.size(); ++i)
    {
        SCOPED_TRACE (expected[i].input.getFullPathName());
        EXPECT_EQ (ends[i].progress.inputPath, expected[i].input.getFullPathName());

        if (expected[i].replaced == juce::File())
        {
            EXPECT_TRUE (ends[i].progress.converted) << ends[i].progress.failureReason;
        }
        else
        {
            EXPECT_FALSE (ends[i].progress.converted);
            EXPECT_EQ (ends[i].progress.failureReason, "its output would replace the input " + expected[i].replaced.getFullPathName());
            EXPECT_FALSE (runnerEnds[i].item.started) << "the converter ran for nothing";
        }
    }

    for (size_t i = 0; i < std::size (protectedInputs); ++i)
    {
        juce::MemoryBlock after;
        EXPECT_TRUE (protectedInputs[i].loadFileAsData (after) && after == before[i]) << protectedInputs[i].getFullPathName();
    }

    EXPECT_NEAR (secondsOf (temp.file ("g/KIV_Wav/KIV_Wav/h.wav")), 0.5, 0.05);
    EXPECT_EQ (namesIn (temp.file ("a")), juce::StringArray ("KIV_Wav", "song.flac", "song.wav")) << "hidden files were left";
}

class FFMpegHelperOnFuse : public FFMpegHelperTest,
                           public testing::WithParamInterface<testing_support::ScopedFuseDisk::Format>
{
};

// exFAT and FAT take Intro.wav and intro.wav for one name, while FUSE gives the two names inode
// numbers of their own: the later input of that one output is still reported, and the first
// one's result kept; the first input spelled in lower case converts again. fusefat refuses
// splice, which the rewrite copes with.
TEST_P (FFMpegHelperOnFuse, OnADiskThatIgnoresLetterCaseTheLaterInputOfAnOutputIsReported)
{
    const testing_support::ScopedFuseDisk disk (GetParam());
    MELTROW_SKIP_UNLESS_MOUNTED (disk);

    const auto flac = disk.file ("m/Intro.flac");
    const auto mp3 = disk.file ("m/intro.mp3");
    ASSERT_TRUE (flac.getParentDirectory().createDirectory());
    ASSERT_TRUE (testing_support::makeSine (flac, 2.0));
    ASSERT_TRUE (testing_support::makeSine (mp3, 0.5, { "-c:a", "libmp3lame" }));
    const auto flacAgain = disk.file ("m/intro.flac");

    for (const auto& input : { flac, mp3, flacAgain })
        queue (input, outputFor (input));

    runToEnd();

    const auto ends = recorder.log.named ("end item");
    ASSERT_EQ (ends.size(), 3u);
    EXPECT_TRUE (ends[0].progress.converted) << ends[0].progress.failureReason;
    EXPECT_FALSE (ends[1].progress.converted);
    EXPECT_EQ (ends[1].progress.failureReason, "the same output was written earlier in this run from " + flac.getFullPathName());
    EXPECT_TRUE (ends[2].progress.converted) << ends[2].progress.failureReason;

    const auto names = namesIn (outputFor (flac).getParentDirectory());
    ASSERT_EQ (names.size(), 1) << names.joinIntoString (", ");
    EXPECT_TRUE (names[0].equalsIgnoreCase ("intro.wav")) << names[0];
    EXPECT_TRUE (isPlainWav (outputFor (flac)));
    EXPECT_NEAR (secondsOf (outputFor (flac)), 2.0, 0.05);
}

INSTANTIATE_TEST_SUITE_P (ExfatAndFat, FFMpegHelperOnFuse,
                          testing::Values (testing_support::ScopedFuseDisk::Format::exfat, testing_support::ScopedFuseDisk::Format::fat),
                          [] (const testing::TestParamInfo<testing_support::ScopedFuseDisk::Format>& formatInfo)
                          { return testing_support::ScopedFuseDisk::getName (formatInfo.param); });

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
