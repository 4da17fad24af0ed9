#include "app/InputListLines.h"

#include "platform/FileAttributes.h"

InputListLines readInputListLines (const juce::String& listText, const juce::File& workingFolder)
{
    juce::StringArray lines;
    lines.addTokens (listText, "\n", "");

    InputListLines result;

    for (const auto& line : lines)
    {
        // Typed or pasted lines carry stray blanks, and a list from Windows a "\r" at each end.
        const auto path = line.trim();

        if (path.isEmpty())
            continue;

        const auto file = workingFolder.getChildFile (path);
        const auto fullPath = file.getFullPathName();

        // A folder is no input but no mistake either: a dropped folder named like an audio file
        // stands in the list after its files.
        if (platform::isFolder (fullPath))
            continue;

        if (platform::isFile (fullPath))
            result.files.add (file);
        else
            result.notFound.add (path);
    }

    return result;
}
