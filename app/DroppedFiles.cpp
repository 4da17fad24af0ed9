#include "app/DroppedFiles.h"

#include "platform/FileAttributes.h"

#include <unordered_set>

namespace
{

bool endsWithExtension (const juce::String& lowerCasePath, const juce::StringArray& extensions)
{
    for (auto& extension : extensions)
        if (lowerCasePath.endsWith (extension))
            return true;

    return false;
}

/** Audio files anywhere below a folder, in path order so that a dropped folder lists tidily. */
juce::Array<juce::File> findAudioFilesBelow (const juce::File& folder, const juce::StringArray& extensions)
{
    // The framework matches wildcards case-sensitively here, so the names are tested by hand.
    auto found = folder.findChildFiles (juce::File::findFiles, true, "*");
    juce::Array<juce::File> audioFiles;

    for (auto& file : found)
        if (endsWithExtension (file.getFileName().toLowerCase(), extensions))
            audioFiles.add (file);

    std::sort (audioFiles.begin(), audioFiles.end(), [] (const juce::File& a, const juce::File& b)
               { return a.getFullPathName().compareNatural (b.getFullPathName()) < 0; });
    return audioFiles;
}

} // namespace

juce::StringArray getAudioFileExtensions()
{
    return { ".wav", ".ogg", ".au", ".aac", ".ec3", ".caf", ".aif", ".ape", ".mp3", ".wma", ".flac" };
}

juce::String getAudioFileChooserPattern()
{
    return "*.wav;*.ogg;*.au;*.aac;*.ec3;*.caf;*.aif;*.ape;*.mp3;*.wma;*.flac";
}

juce::String collectDroppedAudioFiles (const juce::StringArray& paths, juce::StringArray extensions,
                                       juce::String currentText, bool skipExisting)
{
    std::unordered_set<juce::String> listed;

    if (skipExisting)
    {
        juce::StringArray lines;
        lines.addTokens (currentText, "\n", "");

        for (auto& line : lines)
            listed.insert (line);
    }

    juce::StringArray collected;

    auto append = [&] (const juce::String& path)
    {
        if (listed.count (path) == 0)
            collected.add (path);
    };

    for (auto& path : paths)
    {
        if (platform::isFolder (path))
            for (auto& file : findAudioFilesBelow (juce::File (path), extensions))
                append (file.getFullPathName());

        // Also for folders: a folder named like an audio file is listed too, and Start passes over it.
        if (endsWithExtension (path.toLowerCase(), extensions))
            append (path);
    }

    return collected.joinIntoString ("\n");
}
