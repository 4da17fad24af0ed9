#pragma once

#include <juce_core/juce_core.h>

/** The input list as Start reads it: one path per line. */
struct InputListLines
{
    juce::Array<juce::File> files; // the lines that name an existing file, in list order
    juce::StringArray notFound; // the lines that name nothing, as the user wrote them
};

/** Reads the input list's text. Blank lines and lines that name an existing folder (through a
    link too) are passed over, and the blanks at both ends of a line are not part of its path; a
    relative path is taken from the working folder, "~" from the home folder. A missing path or
    an address such as file://... names nothing.
*/
[[nodiscard]] InputListLines readInputListLines (const juce::String& listText, const juce::File& workingFolder);
