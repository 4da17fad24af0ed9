#pragma once

#include <juce_core/juce_core.h>

/** The audio file extensions the input list takes, in lower case. */
[[nodiscard]] juce::StringArray getAudioFileExtensions();

/** The add-files chooser's pattern: the same extensions as "*.wav;*.ogg;...". */
[[nodiscard]] juce::String getAudioFileChooserPattern();

/** Collects the audio files among dropped paths, for appending to the input list.

    A folder gives every file at any depth whose name ends with one of the extensions (any
    letter case, hidden files included); any path whose own end matches an extension is taken
    as it is. With skipExisting, a path that already stands as a whole line of currentText is
    left out. Returns the collected paths joined with "\n", or an empty text.
*/
[[nodiscard]] juce::String collectDroppedAudioFiles (const juce::StringArray& paths, juce::StringArray extensions,
                                                     juce::String currentText, bool skipExisting);
