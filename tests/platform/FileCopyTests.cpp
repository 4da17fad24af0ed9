#include "platform/FileCopy.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <dlfcn.h>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <vector>

namespace
{

/** How this program's splice answers: as the kernel's, or, like a file system that does not
    take part in it, with an error after a number of calls that work.
*/
struct SpliceRefusal
{
    int error = 0; // 0: the kernel's splice
    bool intoTheFile = false; // which call refuses: the one into the file, or the one out of it
    int callsBefore = 0;
};

SpliceRefusal spliceRefusal;

} // namespace

// Takes the place of the C library's splice in this test program, the copy's included.
extern "C" ssize_t splice (int in, loff_t* inOffset, int out, loff_t* outOffset, size_t length, unsigned int flags)
{
    using Splice = ssize_t (*) (int, loff_t*, int, loff_t*, size_t, unsigned int);
    static const auto kernelSplice = reinterpret_cast<Splice> (::dlsym (RTLD_NEXT, "splice"));
    auto& refusal = spliceRefusal;

    if (refusal.error != 0 && (outOffset != nullptr) == refusal.intoTheFile && refusal.callsBefore-- <= 0)
    {
        errno = refusal.error;
        return -1;
    }

    return kernelSplice (in, inOffset, out, outOffset, length, flags);
}

namespace
{

using Bytes = std::vector<std::uint8_t>;

Bytes pattern (size_t count, std::uint8_t seed)
{
    Bytes bytes (count);

    for (size_t i = 0; i < count; ++i)
        bytes[i] = (std::uint8_t) (i * 13 + seed + (i >> 16));

    return bytes;
}

Bytes readBytes (const juce::File& file)
{
    std::ifstream stream (file.getFullPathName().toStdString(), std::ios::binary);
    return Bytes (std::istreambuf_iterator<char> (stream), std::istreambuf_iterator<char>());
}

void writeBytes (const juce::File& file, const Bytes& bytes)
{
    ASSERT_TRUE (file.replaceWithData (bytes.data(), bytes.size()));
}

/** The destination as the copy should leave it: the range written over, the rest kept. */
Bytes expectedDestination (Bytes destination, const Bytes& source, size_t sourceOffset, size_t destinationOffset, size_t count)
{
    if (destination.size() < destinationOffset + count)
        destination.resize (destinationOffset + count);

    std::copy (source.begin() + (long) sourceOffset, source.begin() + (long) (sourceOffset + count), destination.begin() + (long) destinationOffset);
    return destination;
}

// Larger than the 1 MiB pipe, so that a copy takes several rounds, and not a multiple of a page.
const auto sourceBytes = pattern ((3u << 20) + 5, 1);
const auto oldDestination = pattern (100000, 7);

struct RangeCase
{
    const char* name;
    juce::int64 sourceOffset, destinationOffset, numBytes;
    juce::int64 expectedCount;
};

TEST (FileCopy, CopiesTheRangeAndLeavesTheRestOfTheDestination)
{
    const auto total = (juce::int64) sourceBytes.size();
    const RangeCase cases[] = {
        { "wholeFile", 0, 0, total, total },
        { "unalignedOffsetsAsInAWavRewrite", 78, 44, total - 78, total - 78 },
        { "insideTheDestination", 4097, 1000, 5000, 5000 },
        { "pastTheDestinationEnd", 3, 200001, 70000, 70000 },
        { "countBeyondTheSourceCopiesWhatThereIs", 1000, 44, total, total - 1000 },
        { "offsetAtTheSourceEnd", total, 44, 10, 0 },
        { "offsetBeyondTheSourceEnd", total + 10, 44, 10, 0 },
        { "nothingAsked", 0, 44, 0, 0 },
    };

    const testing_support::TemporaryFolder folder;
    const auto source = folder.file ("source.wav");
    const auto destination = folder.file ("destination.wav");
    writeBytes (source, sourceBytes);

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        writeBytes (destination, oldDestination);

        const auto copied = platform::copyFileBytes (source, c.sourceOffset, destination, c.destinationOffset, c.numBytes);

        ASSERT_TRUE (copied.has_value());
        EXPECT_EQ (*copied, c.expectedCount);
        EXPECT_TRUE (readBytes (destination)
                     == expectedDestination (oldDestination, sourceBytes, (size_t) std::min (c.sourceOffset, total), (size_t) c.destinationOffset, (size_t) c.expectedCount));
        EXPECT_EQ (readBytes (source), sourceBytes);
    }
}

TEST (FileCopy, RefusesWhatIsNotAnOrdinaryFile)
{
    const testing_support::TemporaryFolder folder;
    const auto source = folder.file ("source.wav");
    const auto destination = folder.file ("destination.wav");
    writeBytes (source, pattern (1000, 3));
    writeBytes (destination, oldDestination);
    const auto pipe = folder.file ("pipe");
    ASSERT_EQ (testing_support::runProgram ({ "mkfifo", pipe.getFullPathName() }), 0);

    // None of these may block: nobody holds the other end of the pipe.
    EXPECT_FALSE (platform::copyFileBytes (folder.file ("missing.wav"), 0, destination, 0, 10).has_value());
    EXPECT_FALSE (platform::copyFileBytes (source, 0, folder.file ("missing.wav"), 0, 10).has_value());
    EXPECT_FALSE (folder.file ("missing.wav").exists());
    EXPECT_FALSE (platform::copyFileBytes (folder.get(), 0, destination, 0, 10).has_value());
    EXPECT_FALSE (platform::copyFileBytes (source, 0, folder.get(), 0, 10).has_value());
    EXPECT_FALSE (platform::copyFileBytes (pipe, 0, destination, 0, 10).has_value());
    EXPECT_FALSE (platform::copyFileBytes (source, 0, pipe, 0, 10).has_value());
    EXPECT_FALSE (platform::copyFileBytes (source, -1, destination, 0, 10).has_value());
    EXPECT_FALSE (platform::copyFileBytes (source, 0, destination, -1, 10).has_value());
    EXPECT_FALSE (platform::copyFileBytes (source, 0, destination, 0, -1).has_value());
    EXPECT_EQ (readBytes (destination), oldDestination);
}

TEST (FileCopy, AFullDiskIsAnError)
{
    const testing_support::TemporaryFolder folder;
    const auto source = folder.file ("source.wav");
    const auto destination = folder.file ("destination.wav");
    writeBytes (source, sourceBytes);
    const auto total = (juce::int64) sourceBytes.size();

    // At the start, inside the first round through the pipe, and one byte short of the end.
    for (const auto limit : { (juce::int64) 44, (juce::int64) 100000, 44 + total - 79 })
    {
        SCOPED_TRACE (limit);
        ASSERT_TRUE (destination.replaceWithData ("0123456789012345678901234567890123456789abcd", 44));
        testing_support::FileSizeLimit fullDisk ((rlim_t) limit);
        ASSERT_TRUE (fullDisk.ok);
        EXPECT_FALSE (platform::copyFileBytes (source, 78, destination, 44, total - 78).has_value());
    }
}

TEST (FileCopy, FilesThatRefuseSpliceAreCopiedAllTheSame)
{
    // The kernel offers no splice for this file; its bytes are the test's own command line.
    const juce::File source ("/proc/self/cmdline");
    const auto expected = readBytes (source);
    ASSERT_GT (expected.size(), 2u);

    const testing_support::TemporaryFolder folder;
    const auto destination = folder.file ("destination.wav");
    writeBytes (destination, oldDestination);

    const auto copied = platform::copyFileBytes (source, 1, destination, 44, 1 << 20);

    ASSERT_TRUE (copied.has_value());
    EXPECT_EQ (*copied, (juce::int64) expected.size() - 1);
    EXPECT_TRUE (readBytes (destination) == expectedDestination (oldDestination, expected, 1, 44, expected.size() - 1));
}

// What fusefat and others answer: the copy goes on with plain reads and writes, from the first
// byte or from wherever the refusal came, and only a true fault fails it.
TEST (FileCopy, ACopyThatTheKernelRefusesGoesOnWithPlainReadsAndWrites)
{
    const testing_support::TemporaryFolder folder;
    const auto source = folder.file ("source.wav");
    const auto destination = folder.file ("destination.wav");
    writeBytes (source, sourceBytes);
    const auto total = (juce::int64) sourceBytes.size();

    const struct
    {
        const char* name;
        SpliceRefusal refusal;
        bool copies;
    } cases[] = {
        { "EPERM into the file", { EPERM, true, 0 }, true },
        { "EPERM into the file after the first round", { EPERM, true, 1 }, true },
        { "EOPNOTSUPP into the file", { EOPNOTSUPP, true, 0 }, true },
        { "EXDEV into the file", { EXDEV, true, 0 }, true },
        { "EINVAL into the file", { EINVAL, true, 0 }, true },
        { "ENOSYS into the file", { ENOSYS, true, 0 }, true },
        { "EPERM out of the file", { EPERM, false, 0 }, true },
        { "EOPNOTSUPP out of the file after the first round", { EOPNOTSUPP, false, 1 }, true },
        { "EXDEV out of the file", { EXDEV, false, 0 }, true },
        { "EIO into the file", { EIO, true, 0 }, false },
        { "EIO out of the file", { EIO, false, 0 }, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        writeBytes (destination, oldDestination);
        std::error_code error;

        spliceRefusal = c.refusal;
        const auto copied = platform::copyFileBytes (source, 78, destination, 44, total, error);
        spliceRefusal = {};

        if (c.copies)
        {
            EXPECT_TRUE (copied.has_value()) << error.message();
            EXPECT_EQ (copied.value_or (-1), total - 78);
            EXPECT_TRUE (readBytes (destination) == expectedDestination (oldDestination, sourceBytes, 78, 44, (size_t) (total - 78)));
        }
        else
        {
            EXPECT_FALSE (copied.has_value());
            EXPECT_EQ (error.value(), EIO);
        }
    }
}

} // namespace
