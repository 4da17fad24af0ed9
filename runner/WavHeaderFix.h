#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>

/** Copies a RIFF/WAVE file into one that holds only the RIFF header, one plain 16-byte "fmt "
    chunk and the "data" chunk; an extensible format is folded to PCM or IEEE float.

    Returns true when the destination now holds a valid RIFF/WAVE file. On false no destination
    file is left behind.
*/
[[nodiscard]] bool fixWavHeader (const juce::File& source, const juce::File& destination);
