#include "app/DroppedFiles.h"

#include "platform/FileAttributes.h"

#include <deque>
#include <set>
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

void sortByPath (juce::Array<juce::File>& files)
{
    std::sort (files.begin(), files.end(), [] (const juce::File& a, const juce::File& b)
               { return a.getFullPathName().compareNatural (b.getFullPathName()) < 0; });
}

/** Audio files anywhere below a folder, in path order so that a dropped folder lists tidily.

    Links are followed, but every real folder is searched once, however many links lead to it: a
    link back into the tree would otherwise make the search endless. Every name found in those
    folders is listed, so a link to a file or a second hard link is an input with its own output.
    Links to folders wait until the folders reached without one are done, so that a folder's
    files are listed under its own path rather than through a link to it.
*/
juce::Array<juce::File> findAudioFilesBelow (const juce::File& folder, const juce::StringArray& extensions)
{
    std::set<platform::FileIdentity> foldersSeen;
    std::deque<juce::File> foldersToSearch, folderLinksToFollow;
    juce::Array<juce::File> audioFiles;

    const auto addFolder = [&] (const juce::File& candidate)
    {
        if (const auto identity = platform::getFileIdentity (candidate.getFullPathName()))
            if (foldersSeen.insert (*identity).second)
                foldersToSearch.push_back (candidate);
    };

    addFolder (folder);

    while (! foldersToSearch.empty() || ! folderLinksToFollow.empty())
    {
        if (foldersToSearch.empty())
        {
            addFolder (folderLinksToFollow.front());
            folderLinksToFollow.pop_front();
            continue;
        }

        const auto current = foldersToSearch.front();
        foldersToSearch.pop_front();

        // In name order, so that of two links to one folder the same one is searched every time.
        auto entries = current.findChildFiles (juce::File::findFilesAndDirectories, false, "*", juce::File::FollowSymlinks::no);
        sortByPath (entries);

        for (const auto& entry : entries)
        {
            if (platform::isFolder (entry.getFullPathName()))
            {
                if (entry.isSymbolicLink())
                    folderLinksToFollow.push_back (entry);
                else
                    addFolder (entry);
            }
            // Names are tested by hand: the framework matches wildcards case-sensitively here.
            else if (endsWithExtension (entry.getFileName().toLowerCase(), extensions))
            {
                audioFiles.add (entry);
            }
        }
    }

    sortByPath (audioFiles);
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
