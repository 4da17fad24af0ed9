#pragma once

#include <juce_core/juce_core.h>

/** The input list as Start reads it: one path per line. */
struct InputListLines
{
    juce::Array<juce::File> files; // the lines that name an existing file, in list order
    juce::StringArray notFound; // every other line that is not blank, as the user wrote it
};

/** Reads the input list's text. Blank lines are passed over, and the blanks at both ends of a
    line are not part of its path; a relative path is taken from the working folder, "~" from
    the home folder. A folder, a missing path or an address such as file://... names no file.
*/
[[nodiscard]] InputListLines readInputListLines (const juce::String& listText, const juce::File& workingFolder);
