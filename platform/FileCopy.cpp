#include "platform/FileCopy.h"

#include "platform/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform
{

namespace
{

constexpr juce::int64 plainCopyBufferSize = 16384;

// Through a small pipe the system calls cost what copying through a buffer of our own would;
// through 1 MiB the copy runs as fast as the kernel's own file copy.
constexpr int wantedPipeSize = 1 << 20;

/** Opens an ordinary file only: a pipe or a device could block or never end. */
FileDescriptor openOrdinaryFile (const juce::File& file, int accessMode, int& error)
{
    // O_NONBLOCK keeps the open itself from waiting for the other end of a pipe.
    const auto descriptor = ::open (file.getFullPathName().toRawUTF8(), accessMode | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);

    if (descriptor < 0)
    {
        error = errno;
        return {};
    }

    FileDescriptor owned (descriptor);
    struct stat info;

    if (::fstat (descriptor, &info) != 0)
    {
        error = errno;
        return {};
    }

    if (! S_ISREG (info.st_mode))
    {
        error = S_ISDIR (info.st_mode) ? EISDIR : EINVAL;
        return {};
    }

    // Without clearing O_NONBLOCK, splice would not wait for room in the pipe.
    if (::fcntl (descriptor, F_SETFL, ::fcntl (descriptor, F_GETFL) & ~O_NONBLOCK) != 0)
    {
        error = errno;
        return {};
    }

    return owned;
}

/** Where a copy stands. Bytes taken from the source are counted as left until they are written. */
struct CopyState
{
    loff_t sourceOffset = 0;
    loff_t destinationOffset = 0;
    juce::int64 bytesLeft = 0; // not yet taken from the source
    juce::int64 bytesCopied = 0; // written to the destination
    int error = 0; // the errno of a failure
};

/** Keeps the errno of a failed call for the caller. */
bool fail (CopyState& state, int error) noexcept
{
    state.error = error != 0 ? error : EIO;
    return false;
}

enum class Outcome
{
    finished, // everything asked for was copied, or the source ended
    refused, // splice does not work on these files; what was taken is written, the rest is not
    failed
};

/** splice answers so, having moved nothing, when the files or their file system do not take
    part in it (a FUSE file system may say EPERM, as fusefat does). A plain read or write then
    does the same work, and meets any real fault (a sealed file, a full disk) on its own.
*/
bool isRefusal (int error) noexcept
{
    return error == EINVAL || error == ENOSYS || error == EPERM || error == EOPNOTSUPP || error == EXDEV;
}

/** After EINTR the call is simply made again; EAGAIN only comes from a pipe that is not ready,
    so this waits a little for it instead of spinning.
*/
bool shouldRetry (int error, int pipeEnd, short events) noexcept
{
    if (error == EAGAIN)
    {
        pollfd waitFor { pipeEnd, events, 0 };
        ::poll (&waitFor, 1, 100);
    }

    return error == EINTR || error == EAGAIN;
}

/** Writes all the bytes at the offset and moves it past what was written: 0, or the errno. */
int writeAllAt (int destination, const char* bytes, juce::int64 numBytes, loff_t& offset) noexcept
{
    while (numBytes > 0)
    {
        const auto written = ::pwrite (destination, bytes, (size_t) numBytes, offset);

        if (written < 0 && errno == EINTR)
            continue;

        if (written <= 0)
            return written < 0 ? errno : ENOSPC;

        bytes += written;
        numBytes -= written;
        offset += written;
    }

    return 0;
}

bool writeAll (int destination, const char* bytes, juce::int64 numBytes, CopyState& state)
{
    const auto start = state.destinationOffset;
    const auto error = writeAllAt (destination, bytes, numBytes, state.destinationOffset);
    state.bytesCopied += state.destinationOffset - start;

    return error == 0 || fail (state, error);
}

Outcome copyByReadAndWrite (int source, int destination, CopyState& state)
{
    std::vector<char> buffer ((size_t) plainCopyBufferSize);

    while (state.bytesLeft > 0)
    {
        const auto bytesRead = ::pread (source, buffer.data(), (size_t) std::min (state.bytesLeft, plainCopyBufferSize), state.sourceOffset);

        if (bytesRead < 0 && errno == EINTR)
            continue;

        if (bytesRead < 0)
        {
            fail (state, errno);
            return Outcome::failed;
        }

        if (bytesRead == 0)
            break;

        state.sourceOffset += bytesRead;
        state.bytesLeft -= bytesRead;

        if (! writeAll (destination, buffer.data(), bytesRead, state))
            return Outcome::failed;
    }

    return Outcome::finished;
}

/** Writes what already sits in the pipe with plain reads and writes. */
bool emptyPipeByReading (int readEnd, int destination, juce::int64 bytesInPipe, CopyState& state)
{
    std::vector<char> buffer ((size_t) plainCopyBufferSize);

    while (bytesInPipe > 0)
    {
        const auto bytesRead = ::read (readEnd, buffer.data(), (size_t) std::min (bytesInPipe, plainCopyBufferSize));

        if (bytesRead < 0 && shouldRetry (errno, readEnd, POLLIN))
            continue;

        if (bytesRead <= 0)
            return fail (state, bytesRead < 0 ? errno : EIO);

        if (! writeAll (destination, buffer.data(), bytesRead, state))
            return false;

        bytesInPipe -= bytesRead;
    }

    return true;
}

Outcome emptyPipe (int readEnd, int destination, juce::int64 bytesInPipe, CopyState& state)
{
    while (bytesInPipe > 0)
    {
        const auto moved = ::splice (readEnd, nullptr, destination, &state.destinationOffset, (size_t) bytesInPipe, SPLICE_F_MOVE);

        if (moved < 0 && shouldRetry (errno, readEnd, POLLIN))
            continue;

        if (moved < 0 && isRefusal (errno))
            return emptyPipeByReading (readEnd, destination, bytesInPipe, state) ? Outcome::refused : Outcome::failed;

        // A file over the size limit takes part of a splice, then refuses the rest with EFBIG.
        if (moved <= 0)
        {
            fail (state, moved < 0 ? errno : ENOSPC);
            return Outcome::failed;
        }

        bytesInPipe -= moved;
        state.bytesCopied += moved;
    }

    return Outcome::finished;
}

int enlargedPipeSize (int writeEnd, juce::int64 numBytes) noexcept
{
    auto size = ::fcntl (writeEnd, F_GETPIPE_SZ);

    // Whatever the system grants is used: its limit for pipes may be lower.
    if (numBytes > size && ::fcntl (writeEnd, F_SETPIPE_SZ, wantedPipeSize) >= 0)
        size = ::fcntl (writeEnd, F_GETPIPE_SZ);

    return size > 0 ? size : (int) plainCopyBufferSize;
}

/** The source's pages go into the pipe and from there into the destination, never into this
    process's memory.
*/
Outcome copyBySplice (int source, int destination, CopyState& state)
{
    int ends[2];

    if (::pipe2 (ends, O_CLOEXEC) != 0)
        return Outcome::refused;

    const FileDescriptor readEnd (ends[0]);
    const FileDescriptor writeEnd (ends[1]);
    const juce::int64 pipeSize = enlargedPipeSize (writeEnd.get(), state.bytesLeft);

    while (state.bytesLeft > 0)
    {
        const auto taken = ::splice (source, &state.sourceOffset, writeEnd.get(), nullptr, (size_t) std::min (state.bytesLeft, pipeSize), SPLICE_F_MOVE);

        if (taken < 0 && shouldRetry (errno, writeEnd.get(), POLLOUT))
            continue;

        if (taken < 0 && isRefusal (errno))
            return Outcome::refused;

        if (taken < 0)
        {
            fail (state, errno);
            return Outcome::failed;
        }

        if (taken == 0)
            break;

        state.bytesLeft -= taken;

        if (const auto outcome = emptyPipe (readEnd.get(), destination, taken, state); outcome != Outcome::finished)
            return outcome;
    }

    return Outcome::finished;
}

} // namespace

std::optional<juce::int64> copyFileBytes (const juce::File& source,
                                          juce::int64 sourceOffset,
                                          const juce::File& destination,
                                          juce::int64 destinationOffset,
                                          juce::int64 numBytes)
{
    std::error_code ignored;
    return copyFileBytes (source, sourceOffset, destination, destinationOffset, numBytes, ignored);
}

std::optional<juce::int64> copyFileBytes (const juce::File& source,
                                          juce::int64 sourceOffset,
                                          const juce::File& destination,
                                          juce::int64 destinationOffset,
                                          juce::int64 numBytes,
                                          std::error_code& error)
{
    auto openError = 0;
    const auto output = openOrdinaryFile (destination, O_WRONLY, openError);

    if (! output.isValid())
    {
        error = std::error_code (openError != 0 ? openError : EIO, std::generic_category());
        return {};
    }

    return copyFileBytes (source, sourceOffset, output, destinationOffset, numBytes, error);
}

FileDescriptor openFileForWriting (const juce::File& file, bool createNew, int& error)
{
    return openOrdinaryFile (file, O_WRONLY | (createNew ? O_CREAT | O_EXCL : 0), error);
}

std::optional<juce::int64> copyFileBytes (const juce::File& source,
                                          juce::int64 sourceOffset,
                                          const FileDescriptor& destination,
                                          juce::int64 destinationOffset,
                                          juce::int64 numBytes,
                                          std::error_code& error)
{
    error.clear();
    const auto failWith = [&error] (int errorNumber) -> std::optional<juce::int64>
    {
        error = std::error_code (errorNumber != 0 ? errorNumber : EIO, std::generic_category());
        return {};
    };

    if (sourceOffset < 0 || destinationOffset < 0 || numBytes < 0 || ! destination.isValid())
        return failWith (EINVAL);

    auto openError = 0;
    const auto input = openOrdinaryFile (source, O_RDONLY, openError);

    if (! input.isValid())
        return failWith (openError);

    CopyState state { sourceOffset, destinationOffset, numBytes };
    auto outcome = copyBySplice (input.get(), destination.get(), state);

    // Some files and file systems refuse splice; the rest goes through a buffer of our own.
    if (outcome == Outcome::refused)
        outcome = copyByReadAndWrite (input.get(), destination.get(), state);

    if (outcome != Outcome::finished)
        return failWith (state.error);

    return state.bytesCopied;
}

int writeFileBytes (const FileDescriptor& file, juce::int64 offset, const void* bytes, size_t numBytes)
{
    if (offset < 0 || ! file.isValid())
        return EINVAL;

    loff_t position = offset;
    return writeAllAt (file.get(), static_cast<const char*> (bytes), (juce::int64) numBytes, position);
}

int closeWrittenFile (FileDescriptor& file)
{
    if (! file.isValid())
        return EBADF;

    return ::close (file.release()) == 0 ? 0 : errno;
}

int writeFileBytes (const juce::File& file, juce::int64 offset, const void* bytes, size_t numBytes, bool createNew)
{
    if (offset < 0)
        return EINVAL;

    auto error = 0;
    auto output = openFileForWriting (file, createNew, error);

    if (! output.isValid())
        return error;

    error = writeFileBytes (output, offset, bytes, numBytes);

    // A file system may report a full disk only when the file is closed.
    if (const auto closeError = closeWrittenFile (output); error == 0)
        error = closeError;

    return error;
}

} // namespace platform
