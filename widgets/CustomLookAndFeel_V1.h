#pragma once

#include "widgets/KitFactor.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

namespace juce
{

/** A LookAndFeel_V3 that gives labels and text buttons a font scaled to their height, optionally
    a custom font, and draws their texts with slightly different text rectangles.

    A label's font is fontScale times its height per line of text; a text button's, fontScale
    times its height. The button text uses the button's whole height (no vertical indent), and a
    label's text area starts at 7 % of the label's height, whatever its border's top.

    Defaults: no custom font (the default typeface, plain), fontScale 0.6. It serves any label and
    text button, as a look-and-feel set on a whole window.
*/
class CustomLookAndFeel_V1 : public juce::LookAndFeel_V3
{
public:
    CustomLookAndFeel_V1() = default;
    ~CustomLookAndFeel_V1() override = default;

    /** The font of every label and text button; its height is set at each use. Empty for the
        default typeface. Its typeface is used whatever the text: choose one that has its glyphs.
    */
    void setCustomFont (std::optional<juce::Font> newCustomFont) { customFont = std::move (newCustomFont); }

    /** The stored custom font, which keeps the height of its last use. */
    [[nodiscard]] const std::optional<juce::Font>& getCustomFont() const noexcept { return customFont; }

    /** A factor that is not a number, or is negative, counts as 0, infinity as the largest
        float; the font's height then stays within the framework's 0.1 to 10000.
    */
    void setFontScale (float newFontScale) noexcept { fontScale = KitFactor::drawable (newFontScale); }
    [[nodiscard]] float getFontScale() const noexcept { return fontScale; }

    juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;
    void drawButtonText (juce::Graphics&, juce::TextButton&, bool shouldDrawButtonAsHighlighted,
                         bool shouldDrawButtonAsDown) override;
    void drawImageButton (juce::Graphics&, juce::Image*, int imageX, int imageY, int imageW, int imageH,
                          const juce::Colour& overlayColour, float imageOpacity, juce::ImageButton&) override;
    void drawLabel (juce::Graphics&, juce::Label&) override;
    juce::Font getLabelFont (juce::Label&) override;

private:
    [[nodiscard]] juce::Font fontOfHeight (float height);

    std::optional<juce::Font> customFont;
    float fontScale = 0.6f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CustomLookAndFeel_V1)
};

} // namespace juce
