#pragma once

#include "platform/FileDescriptor.h"

#include <juce_core/juce_core.h>

#include <optional>
#include <system_error>

namespace platform
{

/** Copies up to numBytes from the source, starting at sourceOffset, into the destination at
    destinationOffset, inside the kernel where the file systems allow it, so that the bytes never
    pass through this process. The destination must be an existing ordinary file; it is neither
    created nor truncated, and bytes outside the copied range are left as they are.

    Returns the number of bytes copied, which is less than numBytes when the source ends first.
    Returns nothing for any error: either file missing or not an ordinary file (a pipe or a device
    is never read from or written to), a failed read or write, a full disk.
*/
[[nodiscard]] std::optional<juce::int64> copyFileBytes (const juce::File& source,
                                                        juce::int64 sourceOffset,
                                                        const juce::File& destination,
                                                        juce::int64 destinationOffset,
                                                        juce::int64 numBytes);

/** The same copy; on failure, error holds the system's reason (errno), e.g. a full disk. */
[[nodiscard]] std::optional<juce::int64> copyFileBytes (const juce::File& source,
                                                        juce::int64 sourceOffset,
                                                        const juce::File& destination,
                                                        juce::int64 destinationOffset,
                                                        juce::int64 numBytes,
                                                        std::error_code& error);

/** Opens an ordinary file for writing (never a pipe or a device); with createNew the file is
    made, and must not exist yet, otherwise it must exist. Invalid on failure, error then holding
    the errno. A file written in several parts is best written through one descriptor: some file
    systems (fusefat) refuse to lengthen a small file that was closed and opened again.
*/
[[nodiscard]] FileDescriptor openFileForWriting (const juce::File& file, bool createNew, int& error);

/** The same copy, into a destination opened for writing. */
[[nodiscard]] std::optional<juce::int64> copyFileBytes (const juce::File& source,
                                                        juce::int64 sourceOffset,
                                                        const FileDescriptor& destination,
                                                        juce::int64 destinationOffset,
                                                        juce::int64 numBytes,
                                                        std::error_code& error);

/** Writes all the bytes at the offset into a file opened for writing: 0, or the errno. */
[[nodiscard]] int writeFileBytes (const FileDescriptor& file, juce::int64 offset, const void* bytes, size_t numBytes);

/** Closes a file that was written: 0, or the errno of a failure that a file system reports
    only when the file is closed (a full disk).
*/
[[nodiscard]] int closeWrittenFile (FileDescriptor& file);

/** Writes all the bytes into the file at the offset; with createNew the file is made, and must
    not exist yet, otherwise it must exist. Plain system calls, so that every failure is seen,
    also the one a file system reports only when the file is closed. Returns 0, or the errno of
    the failure (ENOSPC for a full disk, EFBIG beyond a file-size limit, ...).
*/
[[nodiscard]] int writeFileBytes (const juce::File& file, juce::int64 offset, const void* bytes, size_t numBytes, bool createNew);

} // namespace platform
