#pragma once

#include <juce_core/juce_core.h>

/** The folder the converted WAV files of an input's folder go to: <input's folder>/KIV_Wav. */
[[nodiscard]] juce::File getOutputFolderFor (const juce::File& input);

/** The converted WAV of an input: <input's folder>/KIV_Wav/<name>.wav, where name is the input's
    file name without its last extension. Only a "." after the first character of the file name
    starts an extension, so ".intro" keeps its whole name.
*/
[[nodiscard]] juce::File getOutputFileFor (const juce::File& input);
