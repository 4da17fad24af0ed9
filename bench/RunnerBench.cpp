// Times a batch of conversions through the FFmpeg helper against the same converter command
// lines run directly one after another, each followed by a `cp` of its output, and prints both
// times, their ratio and the helper's cost per item.
// Arguments: [folder] [items] [rounds] [seconds per input] [program for the direct commands].

#include "BenchTiming.h"
#include "platform/ChildProcess.h"
#include "runner/ConverterUnpacker.h"
#include "runner/FFMpegHelper.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace
{
using bench::Clock;
using bench::median;

const juce::String outputOptions ("-ac 1 -acodec pcm_s16le -ar 44100");

/** Waits for the helper's "end" and counts the items that converted. */
class RunWatcher : public juce::FFMpegHelperRunnerListener
{
public:
    void onRunnerEvent (juce::String event, const void* data, int size) override
    {
        if (event == "end item" && size == (int) sizeof (ProgressRecord) && static_cast<const ProgressRecord*> (data)->converted)
            ++converted;

        if (event == "end")
        {
            const std::lock_guard<std::mutex> guard (mutex);
            ended = true;
            endedSignal.notify_all();
        }
    }

    void reset()
    {
        const std::lock_guard<std::mutex> guard (mutex);
        ended = false;
        converted = 0;
    }

    void waitForEnd()
    {
        std::unique_lock<std::mutex> guard (mutex);
        endedSignal.wait (guard, [this]
                          { return ended; });
    }

    int converted = 0;

private:
    std::mutex mutex;
    std::condition_variable endedSignal;
    bool ended = false;
};

bool run (const juce::StringArray& arguments)
{
    platform::ChildProcess process;

    if (! process.start (arguments))
        return false;

    char scratch[4096];

    while (process.readProcessOutput (scratch, (int) sizeof (scratch)) > 0)
    {
    }

    process.waitForProcessToFinish (-1);
    const auto status = process.getExitStatus();
    return status.exitedNormally && status.exitCode == 0;
}

juce::String shellQuoted (const juce::String& text)
{
    return "'" + text.replace ("'", "'\\''") + "'";
}

/** Writes back what the run before left dirty, so that no run pays for another's files. */
void settle()
{
    ::sync();
}

} // namespace

int main (int argc, char** argv)
{
    const auto folder = juce::File (argc > 1 ? argv[1] : "/tmp/meltrow-bench-runner");
    const auto numItems = argc > 2 ? juce::jmax (1, juce::String (argv[2]).getIntValue()) : 20;
    const auto numRounds = argc > 3 ? juce::jmax (1, juce::String (argv[3]).getIntValue()) : 3;
    const auto inputSeconds = argc > 4 ? juce::jmax (0.1, juce::String (argv[4]).getDoubleValue()) : 30.0;
    const juce::String directProgram (argc > 5 ? argv[5] : "");

    if (! unpackConverter())
    {
        std::fprintf (stderr, "the converter could not be unpacked\n");
        return 1;
    }

    folder.deleteRecursively();
    folder.getChildFile ("direct").createDirectory();

    juce::StringArray inputs;

    for (int i = 0; i < numItems; ++i)
    {
        const auto input = folder.getChildFile ("input" + juce::String (i) + ".flac");
        const auto source = "sine=frequency=" + juce::String (220 + 20 * i) + ":sample_rate=48000:duration=" + juce::String (inputSeconds);

        if (! run ({ "ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", source, "-ac", "2", input.getFullPathName() }))
        {
            std::fprintf (stderr, "could not make %s\n", input.getFullPathName().toRawUTF8());
            return 1;
        }

        inputs.add (input.getFullPathName());
    }

    RunWatcher watcher;
    juce::FFMpegHelper helper;
    helper.addListener (&watcher);

    const auto helperOutput = [&folder] (int i)
    { return folder.getChildFile ("KIV_Wav").getChildFile ("input" + juce::String (i) + ".wav"); };
    const auto directOutput = [&folder] (int i)
    { return folder.getChildFile ("direct").getChildFile ("input" + juce::String (i) + ".wav"); };

    // The same command lines, run by the shell one after another, each output copied once, as
    // the helper's rewrite copies it; with another program (the machine's ffmpeg) when given.
    juce::String script ("set -e\n");
    const auto scriptProgram = directProgram.isNotEmpty() ? directProgram : helper.getFfmpegPath();
    const auto q = juce::String ("\"");

    for (int i = 0; i < numItems; ++i)
    {
        const auto output = directOutput (i).getFullPathName();
        script << q << scriptProgram << q << "  -i " << q << inputs[i] << q << " " << outputOptions << " " << q << output << q << " -y\n"
               << "cp " << shellQuoted (output) << " " << shellQuoted (output + ".copy") << "\n";
    }

    const auto timeHelper = [&]
    {
        watcher.reset();
        folder.getChildFile ("KIV_Wav").deleteRecursively();
        settle();
        const auto start = Clock::now();

        for (int i = 0; i < numItems; ++i)
            helper.addItem (inputs[i], helperOutput (i).getFullPathName(), {}, outputOptions, "-y", true);

        helper.startRunner();
        watcher.waitForEnd();
        helper.getRunner().waitForThreadToExit (-1);
        return bench::secondsSince (start);
    };

    // The runner alone, with the helper's arguments and no rewrite: where the time goes.
    juce::CommandRunner bareRunner;
    const auto timeRunnerAlone = [&]
    {
        folder.getChildFile ("direct").deleteRecursively();
        folder.getChildFile ("direct").createDirectory();
        settle();
        const auto start = Clock::now();

        for (int i = 0; i < numItems; ++i)
        {
            const auto output = directOutput (i).getFullPathName();
            juce::StringArray arguments { helper.getFfmpegPath() };
            arguments.addArray (ConverterLine::getTaggingOptions());
            arguments.addArray (juce::StringArray ("-i", inputs[i], "-ac", "1", "-acodec", "pcm_s16le", "-ar", "44100", output, "-y"));
            bareRunner.addCommand (inputs[i], output, {}, arguments, true);
        }

        bareRunner.startThread();
        bareRunner.waitForThreadToExit (-1);
        return bench::secondsSince (start);
    };

    const auto timeDirect = [&]
    {
        // Both runs start without older outputs, outside the timed span.
        folder.getChildFile ("direct").deleteRecursively();
        folder.getChildFile ("direct").createDirectory();

        settle();
        const auto start = Clock::now();
        const auto ok = run ({ "sh", "-c", script });
        const auto seconds = bench::secondsSince (start);
        return ok ? seconds : -1.0;
    };

    // One round of each to warm the page cache and the converter's libraries.
    timeHelper();
    timeDirect();
    timeRunnerAlone();

    std::vector<double> helperTimes, directTimes, runnerTimes;

    for (int round = 0; round < numRounds; ++round)
    {
        helperTimes.push_back (timeHelper());

        if (watcher.converted != numItems)
        {
            std::fprintf (stderr, "the helper converted %d of %d items\n", watcher.converted, numItems);
            return 1;
        }

        runnerTimes.push_back (timeRunnerAlone());
        directTimes.push_back (timeDirect());

        if (directTimes.back() < 0)
        {
            std::fprintf (stderr, "the direct run failed\n");
            return 1;
        }
    }

    const auto helperSeconds = median (helperTimes);
    const auto directSeconds = median (directTimes);
    const auto ratio = helperSeconds / directSeconds;

    std::printf ("%d inputs of %g s FLAC 48 kHz stereo -> WAV 44.1 kHz 16-bit mono, median of %d rounds\n", numItems,
                 inputSeconds, numRounds);
    std::printf ("helper:              %.3f s\n", helperSeconds);
    std::printf ("runner alone:        %.3f s (no rewrite)\n", median (runnerTimes));
    std::printf ("direct ffmpeg + cp:  %.3f s (%s)\n", directSeconds, scriptProgram.toRawUTF8());

    if (directProgram.isEmpty())
        std::printf ("ratio:               %.3f (target <= 1.10)\n", ratio);
    else
        std::printf ("ratio:               %.3f\n", ratio);
    std::printf ("overhead per item:   %.2f ms\n", (helperSeconds - directSeconds) * 1000.0 / numItems);

    folder.deleteRecursively();
    return 0;
}
