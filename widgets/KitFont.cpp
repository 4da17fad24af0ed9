#include "widgets/KitFont.h"

namespace juce::KitFont
{

bool isPureAscii (const juce::String& text) noexcept
{
    // A character beyond ASCII takes more than one byte in UTF-8.
    return (size_t) text.length() == text.getNumBytesAsUTF8();
}

juce::Font withTypeface (const juce::Typeface::Ptr& typeface, float height)
{
    if (typeface == nullptr)
        return juce::Font (height, juce::Font::plain);

    juce::Font font (typeface);
    font.setHeight (height);
    return font;
}

juce::Font forText (const juce::String& text, const juce::Typeface::Ptr& typeface, float height)
{
    return withTypeface (isPureAscii (text) ? typeface : nullptr, height);
}

} // namespace juce::KitFont
