#include "platform/FileAttributes.h"

#include <sys/stat.h>

namespace platform
{

namespace
{
bool statPath (const juce::String& path, struct stat& info) noexcept
{
    return path.isNotEmpty() && ::stat (path.toRawUTF8(), &info) == 0;
}
} // namespace

bool pathExists (const juce::String& path)
{
    struct stat info;
    return statPath (path, info);
}

bool isFolder (const juce::String& path)
{
    struct stat info;
    return statPath (path, info) && S_ISDIR (info.st_mode);
}

bool isFile (const juce::String& path)
{
    struct stat info;
    return statPath (path, info) && ! S_ISDIR (info.st_mode);
}

juce::int64 fileSize (const juce::String& path)
{
    struct stat info;

    if (! statPath (path, info) || S_ISDIR (info.st_mode))
        return -1;

    return (juce::int64) info.st_size;
}

bool isSameFile (const juce::String& pathA, const juce::String& pathB)
{
    if (pathA == pathB)
        return true;

    struct stat infoA, infoB;
    return statPath (pathA, infoA) && statPath (pathB, infoB) && infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
}

std::optional<FileIdentity> getFileIdentity (const juce::String& path)
{
    struct stat info;

    if (! statPath (path, info))
        return {};

    return FileIdentity { (std::uint64_t) info.st_dev, (std::uint64_t) info.st_ino };
}

} // namespace platform
