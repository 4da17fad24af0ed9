#include "platform/TempFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform
{

namespace
{
/** errno as text; called right after the failing call, before anything can change errno. */
juce::String systemError()
{
    return juce::String::fromUTF8 (std::strerror (errno));
}

/** A reason in the user's language: the phrase goes through the installed translations, and
    then %1 and %2 in it become the values, which are left as they are.
*/
juce::String describe (const char* phrase, const juce::String& first = {}, const juce::String& second = {})
{
    const auto translated = juce::translate (phrase);
    juce::String reason;

    for (auto text = translated.getCharPointer(); ! text.isEmpty();)
    {
        const auto character = text.getAndAdvance();

        if (character == '%' && (*text == '1' || *text == '2'))
            reason << (text.getAndAdvance() == '1' ? first : second);
        else
            reason << juce::String::charToString (character);
    }

    return reason;
}

FolderLookup refused (const juce::String& problem)
{
    return { {}, problem };
}

/** An environment variable that holds an absolute path; an empty path otherwise. */
juce::File absolutePathFromEnvironment (const char* variable)
{
    const auto* value = std::getenv (variable);

    if (value == nullptr || *value != '/')
        return {};

    return juce::File (juce::String::fromUTF8 (value));
}

/** What keeps the folder from being ours alone; empty when nothing does.

    A symbolic link is accepted only where the user named the folder (TMPDIR), and then only
    a link of the user's own (or root's) that leads to a folder which passes the checks.
*/
juce::String findOwnershipProblem (const juce::File& folder, bool acceptLink)
{
    const auto path = folder.getFullPathName();
    struct stat info;

    if (::lstat (path.toRawUTF8(), &info) != 0)
    {
        const auto error = systemError();
        return describe ("%1 cannot be used: %2", path, error);
    }

    if (S_ISLNK (info.st_mode))
    {
        if (! acceptLink)
            return describe ("%1 is a symbolic link", path);

        if (info.st_uid != ::geteuid() && info.st_uid != 0)
            return describe ("%1 is a symbolic link that belongs to another user", path);

        if (::stat (path.toRawUTF8(), &info) != 0)
        {
            const auto error = systemError();
            return describe ("%1 cannot be used: %2", path, error);
        }
    }

    if (! S_ISDIR (info.st_mode))
        return describe ("%1 is not a folder", path);

    if (info.st_uid != ::geteuid())
        return describe ("%1 belongs to another user", path);

    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return describe ("%1 can be written by other users", path);

    if (::access (path.toRawUTF8(), R_OK | W_OK | X_OK) != 0)
    {
        const auto error = systemError();
        return describe ("%1 cannot be written: %2", path, error);
    }

    return {};
}

FolderLookup checkedFolder (const juce::File& folder, bool acceptLink)
{
    const auto problem = findOwnershipProblem (folder, acceptLink);

    if (problem.isNotEmpty())
        return refused (problem);

    return { folder, {} };
}

bool allowsRunningPrograms (const juce::File& folder)
{
    struct statvfs info;
    return ::statvfs (folder.getFullPathName().toRawUTF8(), &info) == 0 && (info.f_flag & ST_NOEXEC) == 0;
}

/** Makes the folder and any missing parents; new ones are private, as XDG asks of its folders. */
bool createFoldersPrivately (const juce::File& folder)
{
    if (folder.isDirectory())
        return true;

    const auto parent = folder.getParentDirectory();

    if (parent != folder && ! createFoldersPrivately (parent))
        return false;

    return ::mkdir (folder.getFullPathName().toRawUTF8(), 0700) == 0 || errno == EEXIST;
}

juce::File cacheHome()
{
    const auto fromXdg = absolutePathFromEnvironment ("XDG_CACHE_HOME");

    if (fromXdg != juce::File())
        return fromXdg;

    auto home = absolutePathFromEnvironment ("HOME");

    if (home == juce::File())
        if (const auto* account = ::getpwuid (::geteuid()); account != nullptr && account->pw_dir != nullptr && account->pw_dir[0] == '/')
            home = juce::File (juce::String::fromUTF8 (account->pw_dir));

    return home == juce::File() ? juce::File() : home.getChildFile (".cache");
}
} // namespace

FolderLookup getPrivateFolder (const juce::File& parent, const juce::String& name)
{
    if (parent == juce::File() || name.isEmpty())
        return refused (describe ("there is no folder to make a private folder in"));

    struct stat parentInfo;

    if (::stat (parent.getFullPathName().toRawUTF8(), &parentInfo) != 0 || ! S_ISDIR (parentInfo.st_mode))
        return refused (describe ("%1 is not a folder", parent.getFullPathName()));

    // In a folder that others can write to, only the sticky bit (as on /tmp) keeps them from
    // renaming our folder away and putting one of theirs in its place.
    if ((parentInfo.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (parentInfo.st_mode & S_ISVTX) == 0)
        return refused (describe ("%1 can be written by other users", parent.getFullPathName()));

    const auto folder = parent.getChildFile (name);

    if (::mkdir (folder.getFullPathName().toRawUTF8(), 0700) != 0 && errno != EEXIST)
    {
        const auto error = systemError();
        return refused (describe ("%1 cannot be made: %2", folder.getFullPathName(), error));
    }

    return checkedFolder (folder, false);
}

FolderLookup getTempFolder()
{
    if (const auto* value = std::getenv ("TMPDIR"); value != nullptr && *value != 0)
    {
        const auto path = juce::String::fromUTF8 (value);

        if (! path.startsWithChar ('/'))
            return refused (describe ("TMPDIR is not an absolute path: %1", path));

        return checkedFolder (juce::File (path), true);
    }

    return getPrivateFolder (juce::File ("/tmp"), "meltrow-" + juce::String ((juce::int64)::geteuid()));
}

FolderLookup getConverterFolder()
{
    const auto temp = getTempFolder();

    if (! temp.isUsable() || allowsRunningPrograms (temp.folder))
        return temp;

    // Hardened machines mount the temporary folder noexec; a program unpacked there would not start.
    const auto cache = cacheHome();

    if (cache == juce::File())
        return refused (describe ("%1 does not allow running programs, and there is no cache folder", temp.folder.getFullPathName()));

    if (! createFoldersPrivately (cache))
    {
        const auto error = systemError();
        return refused (describe ("%1 cannot be made: %2", cache.getFullPathName(), error));
    }

    const auto converterFolder = getPrivateFolder (cache, "meltrow");

    if (converterFolder.isUsable() && ! allowsRunningPrograms (converterFolder.folder))
        return refused (describe ("neither %1 nor %2 allows running programs", temp.folder.getFullPathName(), converterFolder.folder.getFullPathName()));

    return converterFolder;
}

juce::String programFileName (const juce::String& baseName)
{
#if JUCE_WINDOWS
    return baseName + ".exe";
#else
    return baseName;
#endif
}

juce::File getConverterFile()
{
    const auto lookup = getConverterFolder();

    if (! lookup.isUsable())
        return {};

    return lookup.folder.getChildFile (programFileName ("ffmpeg"));
}

} // namespace platform
