#pragma once

#include <juce_core/juce_core.h>

// How a converter call's paths and options become the child's argument list. The runner's road
// and the standalone worker build their argument lists the same way.

/** The file the converter will see for a path: relative paths from the working folder, and
    no "~" expansion, which the converter does not do either.
*/
[[nodiscard]] juce::File fileFromPath (const juce::String& path);

/** A path as the converter gets it: a relative one is made absolute, so that a name that
    begins with "-" can never be read as an option.
*/
[[nodiscard]] juce::String pathArgument (const juce::String& path);

/** Appends the blank-separated words of an option text, one argument each. */
void addWords (juce::StringArray& arguments, const juce::String& options);
