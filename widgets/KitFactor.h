#pragma once

#include <juce_core/juce_core.h>

#include <limits>

namespace juce::KitFactor
{

/** A factor (of a height, a size) that the kit can draw with: one that is not a number, or is
    negative, counts as 0, and infinity as the largest float. Sizes made from it stay finite,
    and where they exceed what there is to draw, the drawing code limits them.
*/
[[nodiscard]] inline float drawable (float factor) noexcept
{
    if (! (factor > 0.0f))
        return 0.0f;

    return juce::jmin (factor, std::numeric_limits<float>::max());
}

} // namespace juce::KitFactor
