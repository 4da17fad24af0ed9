// Writes each input to a file and rewrites it. Fails loudly when the rewrite crashes, claims
// success for a file that is not a clean WAVE file, writes more than the input's length plus a
// pad byte, or leaves a destination behind after a failure.

#include "runner/WavHeaderFix.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

/** A folder of this process's own for the two files, removed when the fuzzer exits. */
struct WorkFolder
{
    WorkFolder()
    {
        folder = juce::File::createTempFile ("meltrow-fuzz-wav");
        folder.createDirectory();
    }

    ~WorkFolder() { folder.deleteRecursively(); }

    juce::File folder;
};

const juce::File& workFolder()
{
    static const WorkFolder work;
    return work.folder;
}

void fail (const char* why)
{
    std::fprintf (stderr, "meltrow_fuzz_wav: %s\n", why);
    std::abort();
}

std::uint32_t uint32At (const juce::MemoryBlock& bytes, size_t offset)
{
    auto* b = static_cast<const std::uint8_t*> (bytes.getData()) + offset;
    return (std::uint32_t) b[0] | ((std::uint32_t) b[1] << 8) | ((std::uint32_t) b[2] << 16) | ((std::uint32_t) b[3] << 24);
}

/** RIFF header with the right size, a 16-byte "fmt " chunk, a "data" chunk and its pad byte. */
void checkOutput (const juce::MemoryBlock& output)
{
    const auto* bytes = static_cast<const char*> (output.getData());
    const auto size = output.getSize();

    if (size < 44 || std::memcmp (bytes, "RIFF", 4) != 0 || std::memcmp (bytes + 8, "WAVEfmt ", 8) != 0)
        fail ("output does not open with RIFF, WAVE, fmt ");

    if (uint32At (output, 4) != size - 8)
        fail ("RIFF size is not the file's length minus 8");

    if (uint32At (output, 16) != 16 || std::memcmp (bytes + 36, "data", 4) != 0)
        fail ("no 16-byte format chunk followed by data");

    const auto dataSize = (size_t) uint32At (output, 40);

    if (44 + dataSize + (dataSize & 1) != size)
        fail ("data chunk does not end the file");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, size_t size)
{
    const auto source = workFolder().getChildFile ("source.wav");
    const auto destination = workFolder().getChildFile ("fixed.wav");

    if (! source.replaceWithData (data, size) && size > 0)
        fail ("could not write the input file");

    if (size == 0)
        source.create();

    const auto ok = fixWavHeader (source, destination);

    if (ok)
    {
        juce::MemoryBlock output;

        if (! destination.loadFileAsData (output))
            fail ("true but no destination");

        if (output.getSize() > size + 1)
            fail ("wrote more than the input's length plus one byte");

        checkOutput (output);
        destination.deleteFile();
    }
    else if (destination.exists())
    {
        fail ("false but a destination was left behind");
    }

    return 0;
}
