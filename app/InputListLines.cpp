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

        if (platform::isFile (file.getFullPathName()))
            result.files.add (file);
        else
            result.notFound.add (path);
    }

    return result;
}
