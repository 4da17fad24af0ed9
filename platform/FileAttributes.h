#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <optional>

namespace platform
{

/** True when anything (file or folder) exists at the path. An empty path exists nowhere. */
[[nodiscard]] bool pathExists (const juce::String& path);

/** True when the path names an existing folder. */
[[nodiscard]] bool isFolder (const juce::String& path);

/** True when the path names an existing file that is not a folder. */
[[nodiscard]] bool isFile (const juce::String& path);

/** The size in bytes of the file at the path, or -1 when it cannot be read. */
[[nodiscard]] juce::int64 fileSize (const juce::String& path);

/** True when both paths are the same text or lead to one file on disk, through links too. */
[[nodiscard]] bool isSameFile (const juce::String& pathA, const juce::String& pathB);

/** Which file on disk a path leads to (through links): two paths with equal identities name
    one file, whatever their letters.
*/
struct FileIdentity
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    [[nodiscard]] bool operator<(const FileIdentity& other) const noexcept
    {
        return device != other.device ? device < other.device : inode < other.inode;
    }
};

/** The identity of the file at the path; nothing when there is none. */
[[nodiscard]] std::optional<FileIdentity> getFileIdentity (const juce::String& path);

} // namespace platform
