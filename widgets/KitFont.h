#pragma once

#include <juce_graphics/juce_graphics.h>

namespace juce::KitFont
{

/** True when every character of the text is 7-bit ASCII (also for an empty text). The kit
    draws only such texts in a custom typeface: a face chosen for its Latin look usually lacks
    the glyphs of other scripts, while the default typeface can show them.
*/
[[nodiscard]] bool isPureAscii (const juce::String& text) noexcept;

/** A plain font of the given height in the typeface, or in the default typeface when the
    typeface is null.
*/
[[nodiscard]] juce::Font withTypeface (const juce::Typeface::Ptr& typeface, float height);

/** withTypeface for a pure-ASCII text, else a plain default-typeface font of the same height. */
[[nodiscard]] juce::Font forText (const juce::String& text, const juce::Typeface::Ptr& typeface, float height);

} // namespace juce::KitFont
