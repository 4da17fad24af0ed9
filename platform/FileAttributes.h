#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <tuple>
#include <vector>

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

/** What tells one file or folder on disk from every other, whichever path or link leads to it. */
struct FileIdentity
{
    juce::uint64 device = 0;
    juce::uint64 inode = 0;

    [[nodiscard]] bool operator<(const FileIdentity& other) const noexcept
    {
        return device != other.device ? device < other.device : inode < other.inode;
    }
};

/** The identity of what the path leads to (links followed), or nothing when it leads nowhere. */
[[nodiscard]] std::optional<FileIdentity> getFileIdentity (const juce::String& path);

/** One file on disk, whichever path leads to it. Where inode numbers can be trusted, its
    identity tells it. On a FUSE file system (exFAT or FAT on a USB stick, ...) they cannot: each
    name looked up may get a number of its own, so that Intro.wav and intro.wav, one file on a
    disk that ignores letter case, get two. There the file is told by its place instead: its real
    path, with every name below a FUSE folder as that folder lists it.
*/
struct FileOnDisk
{
    FileIdentity identity; // its inode 0 where the place tells the file
    juce::String place; // empty where the identity tells the file

    [[nodiscard]] bool operator<(const FileOnDisk& other) const noexcept
    {
        return std::tie (identity, place) < std::tie (other.identity, other.place);
    }

    [[nodiscard]] bool operator== (const FileOnDisk& other) const noexcept { return ! (*this < other) && ! (other < *this); }
};

/** The file on disk that the path leads to (links followed), or nothing when it leads nowhere. */
[[nodiscard]] std::optional<FileOnDisk> findFileOnDisk (const juce::String& path);

/** The same for many paths at once, in their order; each folder's listing is read only once. */
[[nodiscard]] std::vector<std::optional<FileOnDisk>> findFilesOnDisk (const juce::StringArray& paths);

/** True when both paths are the same text or lead to one file on disk, through links too. */
[[nodiscard]] bool isSameFile (const juce::String& pathA, const juce::String& pathB);

} // namespace platform
