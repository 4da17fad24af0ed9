#pragma once

#include "RunnerEventLog.h"
#include "runner/ConverterUnpacker.h"
#include "runner/FFMpegHelper.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace runner_tests
{

inline constexpr int runTimeoutMs = 120000;
inline const juce::String outputOptions ("-ac 1 -acodec pcm_s16le -ar 44100");

/** A WAV file that holds nothing but the RIFF header, a 16-byte "fmt " and the "data" chunk. */
inline bool isPlainWav (const juce::File& file)
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

inline juce::File temporaryFileOf (const juce::File& output)
{
    return output.getSiblingFile ("." + output.getFileName());
}

/** What the converter writes, in place of the output itself, when that name is free. */
inline juce::File partialFileOf (const juce::File& output)
{
    return juce::FFMpegHelper::getPartialFileFor (output);
}

/** The file names in a folder, hidden ones included. */
inline juce::StringArray namesIn (const juce::File& folder)
{
    juce::StringArray names;

    for (auto& file : folder.findChildFiles (juce::File::findFilesAndDirectories, false, "*", juce::File::FollowSymlinks::no))
        names.add (file.getFileName());

    names.sort (false);
    return names;
}

/** An FFmpeg helper with the converter the program carries, and recorders of its events and
    of its runner's.
*/
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
        EXPECT_TRUE (file.getParentDirectory().createDirectory());
        EXPECT_TRUE (testing_support::makeSine (file, seconds, {}, sampleRate, channels));
        return file;
    }

    static juce::File outputFor (const juce::File& input)
    {
        return input.getSiblingFile ("KIV_Wav").getChildFile (input.getFileNameWithoutExtension() + ".wav");
    }

    void queue (const juce::File& input, const juce::File& output, const juce::String& preInputOptions = {},
                const juce::String& options = outputOptions)
    {
        helper.addItem (input.getFullPathName(), output.getFullPathName(), preInputOptions, options, "-y", true);
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
    HelperRecorder recorder; // both outlive the helper and its runner thread
    RunnerRecorder runnerRecorder;
    juce::FFMpegHelper helper;
};

} // namespace runner_tests
