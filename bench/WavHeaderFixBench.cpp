// Times the WAV header rewrite of a large file against `cp` of the same file, with the page
// cache warm, and prints the ratio. Arguments: [folder] [size in MiB] [runs].

#include "BenchTiming.h"
#include "runner/WavHeaderFix.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <unistd.h>
#include <vector>

namespace
{

void appendUint32 (juce::MemoryOutputStream& stream, juce::uint32 value) { stream.writeInt ((int) value); }

/** RIFF header, 16-byte "fmt ", a "LIST" chunk and the samples, as a converter writes them. */
bool makeSource (const juce::File& file, juce::int64 dataBytes)
{
    juce::MemoryOutputStream header;
    const char list[] = "INFOISFT\016\0\0\0Lavf59.27.100";
    const auto listSize = (juce::uint32) sizeof (list); // 26 with the final zero
    header.write ("RIFF", 4);
    appendUint32 (header, (juce::uint32) (4 + 24 + 8 + listSize + 8 + dataBytes));
    header.write ("WAVEfmt ", 8);
    appendUint32 (header, 16);
    header.writeShort (1);
    header.writeShort (2);
    appendUint32 (header, 48000);
    appendUint32 (header, 48000 * 4);
    header.writeShort (4);
    header.writeShort (16);
    header.write ("LIST", 4);
    appendUint32 (header, listSize);
    header.write (list, listSize);
    header.write ("data", 4);
    appendUint32 (header, (juce::uint32) dataBytes);

    file.deleteFile();
    juce::FileOutputStream stream (file, 1 << 20);

    if (! stream.openedOk() || ! stream.write (header.getData(), header.getDataSize()))
        return false;

    std::vector<juce::int16> block (1 << 18);

    for (size_t i = 0; i < block.size(); ++i)
        block[i] = (juce::int16) (8000.0 * std::sin ((double) i * 0.0577));

    const auto blockBytes = (juce::int64) (block.size() * sizeof (juce::int16));

    for (juce::int64 written = 0; written < dataBytes; written += blockBytes)
        if (! stream.write (block.data(), (size_t) std::min (blockBytes, dataBytes - written)))
            return false;

    stream.flush();
    return stream.getStatus().wasOk();
}

void warmCache (const juce::File& file)
{
    juce::FileInputStream stream (file);
    std::vector<char> buffer (1 << 20);

    while (stream.read (buffer.data(), (int) buffer.size()) > 0)
    {
    }
}

double secondsFor (const std::function<bool()>& work)
{
    const auto start = bench::Clock::now();

    if (! work())
    {
        std::fprintf (stderr, "a timed run failed\n");
        std::exit (1);
    }

    return bench::secondsSince (start);
}

} // namespace

int main (int argc, char* argv[])
{
    const auto folder = argc > 1 ? juce::File (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]))
                                 : juce::File::getSpecialLocation (juce::File::tempDirectory);
    const auto mebibytes = argc > 2 ? std::max (1, std::atoi (argv[2])) : 1024;
    const auto runs = argc > 3 ? std::max (1, std::atoi (argv[3])) : 5;

    const auto work = folder.getChildFile ("meltrow-bench-wav");
    work.createDirectory();
    const auto source = work.getChildFile ("source.wav");
    const auto copied = work.getChildFile ("copied.wav");
    const auto fixed = work.getChildFile ("fixed.wav");

    if (! makeSource (source, (juce::int64) mebibytes << 20))
    {
        std::fprintf (stderr, "could not write %s\n", source.getFullPathName().toRawUTF8());
        return 1;
    }

    const auto runCopy = [&]
    {
        juce::ChildProcess cp;
        return cp.start (juce::StringArray { "cp", source.getFullPathName(), copied.getFullPathName() })
               && cp.waitForProcessToFinish (-1) && cp.getExitCode() == 0;
    };
    const auto runFix = [&]
    { return fixWavHeader (source, fixed); };

    // Each run starts from the same state: source in the page cache, no output, nothing dirty.
    const auto settle = [&]
    {
        copied.deleteFile();
        fixed.deleteFile();
        ::sync();
        warmCache (source);
    };

    std::vector<double> copyTimes, fixTimes;
    settle();
    secondsFor (runCopy);
    settle();
    secondsFor (runFix);

    for (int run = 0; run < runs; ++run)
    {
        settle();
        copyTimes.push_back (secondsFor (runCopy));
        settle();
        fixTimes.push_back (secondsFor (runFix));
    }

    settle();
    work.deleteRecursively();

    const auto copySeconds = bench::median (copyTimes);
    const auto fixSeconds = bench::median (fixTimes);
    std::printf ("file: %d MiB WAV with a LIST chunk, %d runs, medians\n", mebibytes, runs);
    std::printf ("cp:           %.3f s\n", copySeconds);
    std::printf ("fixWavHeader: %.3f s\n", fixSeconds);
    std::printf ("ratio:        %.2f (target <= 1.15)\n", fixSeconds / copySeconds);
    return 0;
}
