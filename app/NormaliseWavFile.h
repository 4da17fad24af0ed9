#pragma once

#include <juce_core/juce_core.h>

/** Rewrites the converter's WAV output (source) as a clean WAV at target (see fixWavHeader).

    The rewrite goes into a temporary file beside the target, which replaces the target only
    once it is complete, so a failed rewrite, a full disk or a crash never leaves a half-written
    file under the target's name. Returns true when the target now holds the clean WAV; false
    leaves the target as it was. The source is left alone.
*/
[[nodiscard]] bool normaliseWavFile (const juce::File& source, const juce::File& target);
