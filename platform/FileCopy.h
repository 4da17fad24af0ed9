#pragma once

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

} // namespace platform
