#include "app/SettingsFolder.h"

#include <cstdio>
#include <filesystem>
#include <optional>

namespace
{

// The one settings folder of the process, set once by the content component at start-up.
juce::String& settingsFolderPath()
{
    static juce::String path;
    return path;
}

juce::File getSettingsFile (const juce::String& name)
{
    const auto& folder = settingsFolderPath();

    if (folder.isEmpty())
        return {};

    // The folder path ends with a separator; getChildFile joins without doubling it.
    return juce::File (folder).getChildFile (name);
}

// As many links in a row as the system itself follows before it calls it a loop.
constexpr int maxLinksFollowed = 40;

/** Where a write of the file really goes: through a symbolic link, or a chain of them, to the
    file at its end (which need not exist yet), so that a link into a dotfiles folder stays a
    link. A relative target counts from the link's own folder, as the system reads it. Nothing
    when the links go round in a circle, or lead into a folder that does not exist: one that is
    missing may be on a drive that is not mounted now.
*/
std::optional<juce::File> findWriteTarget (const juce::File& file)
{
    namespace fs = std::filesystem;
    fs::path path (file.getFullPathName().toStdString());

    for (int i = 0; i <= maxLinksFollowed; ++i)
    {
        std::error_code error;

        if (! fs::is_symlink (fs::symlink_status (path, error)))
            return juce::File (juce::String (path.string()));

        const auto target = fs::read_symlink (path, error);

        if (error)
            return std::nullopt;

        const auto joined = target.is_absolute() ? target : path.parent_path() / target;
        const auto folder = fs::canonical (joined.parent_path(), error);

        if (error)
            return std::nullopt;

        path = folder / joined.filename();
    }

    return std::nullopt;
}

} // namespace

void initSettingsFolder (const juce::String& folder, const juce::String& subFolder)
{
    const auto separator = juce::File::getSeparatorString();
    const auto folderPath = folder.replace ("\\", separator).replace ("/", separator);
    const auto documents = juce::File::getSpecialLocation (juce::File::userDocumentsDirectory).getFullPathName();

    juce::File (documents + separator + folderPath + separator).createDirectory();

    settingsFolderPath() = documents + separator + folderPath + separator + subFolder;
}

int readSettingsFile (const juce::String& name, void* buffer, int size)
{
    const auto file = getSettingsFile (name);

    if (file == juce::File() || ! file.existsAsFile())
        return -1;

    if (size > 0)
    {
        if (buffer == nullptr)
        {
            jassertfalse;
            return 0;
        }

        juce::FileInputStream input (file);

        if (! input.openedOk())
            return 0;

        return juce::jmax (0, input.read (buffer, size));
    }

    // Only the low 32 bits count, as with the platform call the size comes from.
    return (int) (juce::uint32) file.getSize();
}

bool writeSettingsFile (const juce::String& name, const void* data, int size)
{
    const auto link = getSettingsFile (name);

    if (link == juce::File() || size < 0 || (size > 0 && data == nullptr))
        return false;

    const auto target = findWriteTarget (link);

    // Whatever put a folder there keeps it: the write fails, as writing to a folder does.
    if (! target.has_value() || target->isDirectory())
        return false;

    const auto& file = *target;

    // The settings folder may have gone while the program ran.
    if (! file.getParentDirectory().createDirectory())
        return false;

    // Like File::replaceWithData (a hidden file beside the target, then renamed over it), but
    // the rename only happens once every byte is known to be on disk: a failed or short write
    // would otherwise replace a good file with a truncated one.
    juce::TemporaryFile temporary (file, juce::TemporaryFile::useHiddenFile);

    {
        juce::FileOutputStream output (temporary.getFile());

        if (! output.openedOk() || (size > 0 && ! output.write (data, (size_t) size)))
            return false;

        output.flush();

        if (output.getStatus().failed())
            return false;
    }

    if (temporary.getFile().getSize() != (juce::int64) size)
        return false;

    // The file keeps who may read it (a private dotfile stays private).
    std::error_code error;
    const auto oldPermissions = std::filesystem::status (file.getFullPathName().toStdString(), error).permissions();

    if (! error)
        std::filesystem::permissions (temporary.getFile().getFullPathName().toStdString(), oldPermissions, error);

    // One rename, which replaces a file in one step and refuses a folder that has come meanwhile
    // (the framework's own overwrite deletes whatever is there first, a folder too).
    return std::rename (temporary.getFile().getFullPathName().toRawUTF8(), file.getFullPathName().toRawUTF8()) == 0;
}

juce::String getSettingsFolderPath()
{
    return settingsFolderPath();
}
