#include "app/SettingsFolder.h"

#include <cstdio>

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
    const auto file = getSettingsFile (name);

    if (file == juce::File() || size < 0 || (size > 0 && data == nullptr))
        return false;

    // Whatever put a folder there keeps it: the write fails, as writing to a folder does.
    if (file.isDirectory())
        return false;

    if (! file.existsAsFile())
        file.create();

    if (size == 0)
        return file.deleteFile() && file.create();

    // Like File::replaceWithData (a hidden file beside the target, then renamed over it), but
    // the rename only happens once every byte is known to be on disk: a failed or short write
    // would otherwise replace a good file with a truncated one.
    juce::TemporaryFile temporary (file, juce::TemporaryFile::useHiddenFile);

    {
        juce::FileOutputStream output (temporary.getFile());

        if (! output.openedOk() || ! output.write (data, (size_t) size))
            return false;

        output.flush();

        if (output.getStatus().failed())
            return false;
    }

    if (temporary.getFile().getSize() != (juce::int64) size)
        return false;

    // One rename, which replaces a file in one step and refuses a folder that has come meanwhile
    // (the framework's own overwrite deletes whatever is there first, a folder too).
    return std::rename (temporary.getFile().getFullPathName().toRawUTF8(), file.getFullPathName().toRawUTF8()) == 0;
}

juce::String getSettingsFolderPath()
{
    return settingsFolderPath();
}
