#include "platform/FileAttributes.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <climits>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>

namespace platform
{

namespace
{
bool statPath (const juce::String& path, struct stat& info) noexcept
{
    return path.isNotEmpty() && ::stat (path.toRawUTF8(), &info) == 0;
}

bool isOnFuse (const juce::String& path) noexcept
{
    constexpr auto fuseMagic = 0x65735546; // FUSE_SUPER_MAGIC, for fuse and fuseblk alike
    struct statfs info;
    return ::statfs (path.toRawUTF8(), &info) == 0 && info.f_type == fuseMagic;
}

/** The names that FUSE folders list, each folder read once for a batch of look-ups: a run's
    inputs on a USB stick often fill one folder, which would otherwise be read whole again for
    every one of them.
*/
class FolderListings
{
public:
    FolderListings() = default;

    /** The name under which the folder lists what the name leads to: the name itself when it
        is listed, the one entry that differs from it in letter case only when it is not (the
        file system folded it), or the name itself when that is not clear.
    */
    juce::String findListedName (const juce::String& folder, const juce::String& name)
    {
        const auto& names = getListing (folder);

        if (names.count (name) > 0)
            return name;

        juce::String folded;
        auto numFolded = 0;

        for (const auto& entryName : names)
        {
            if (entryName.equalsIgnoreCase (name))
            {
                folded = entryName;
                ++numFolded;
            }
        }

        return numFolded == 1 ? folded : name;
    }

private:
    const std::set<juce::String>& getListing (const juce::String& folder)
    {
        if (const auto found = listings.find (folder); found != listings.end())
            return found->second;

        auto& names = listings[folder];
        const std::unique_ptr<DIR, int (*) (DIR*)> listing (::opendir (folder.toRawUTF8()), ::closedir);

        if (listing != nullptr)
            while (const auto* entry = ::readdir (listing.get()))
                names.insert (juce::String::fromUTF8 (entry->d_name));

        return names;
    }

    std::map<juce::String, std::set<juce::String>> listings;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FolderListings)
};

/** The real path of a file on a FUSE file system, links and dots resolved, with every name below
    a FUSE folder as that folder lists it.
*/
juce::String findPlaceOnFuse (const juce::String& path, FolderListings& listings)
{
    char resolved[PATH_MAX];

    if (::realpath (path.toRawUTF8(), resolved) == nullptr)
        return {};

    juce::StringArray names;
    names.addTokens (juce::String::fromUTF8 (resolved), "/", "");
    names.removeEmptyStrings (false);

    juce::String place;

    for (const auto& name : names)
    {
        const auto folder = place.isEmpty() ? juce::String ("/") : place;
        place << "/" << (isOnFuse (folder) ? listings.findListedName (folder, name) : name);
    }

    return place.isEmpty() ? juce::String ("/") : place;
}

std::optional<FileOnDisk> findFileOnDisk (const juce::String& path, FolderListings& listings)
{
    const auto identity = getFileIdentity (path);

    if (! identity)
        return std::nullopt;

    if (! isOnFuse (path))
        return FileOnDisk { *identity, {} };

    auto place = findPlaceOnFuse (path, listings);

    if (place.isEmpty())
        return std::nullopt;

    return FileOnDisk { { identity->device, 0 }, std::move (place) };
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

std::optional<FileIdentity> getFileIdentity (const juce::String& path)
{
    struct stat info;

    if (! statPath (path, info))
        return std::nullopt;

    return FileIdentity { (juce::uint64) info.st_dev, (juce::uint64) info.st_ino };
}

std::optional<FileOnDisk> findFileOnDisk (const juce::String& path)
{
    FolderListings listings;
    return findFileOnDisk (path, listings);
}

std::vector<std::optional<FileOnDisk>> findFilesOnDisk (const juce::StringArray& paths)
{
    FolderListings listings;
    std::vector<std::optional<FileOnDisk>> files;
    files.reserve ((size_t) paths.size());

    for (const auto& path : paths)
        files.push_back (findFileOnDisk (path, listings));

    return files;
}

bool isSameFile (const juce::String& pathA, const juce::String& pathB)
{
    if (pathA == pathB)
        return true;

    const auto fileA = findFileOnDisk (pathA);
    return fileA && fileA == findFileOnDisk (pathB);
}

} // namespace platform
