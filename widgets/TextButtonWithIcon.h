#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace juce
{

/** A text button drawn as an outlined body with rounded corners, optionally with a small
    downward triangle at its right end, in colours that follow four states.

    The state is the first that holds of: disabled; down or toggled on; keyboard focus; normal.
    Down means, for the body, the flag the framework paints it with, and for the text and the
    arrow, the button's state being Button::buttonDown. Hovering changes nothing. Colours are looked up on the button itself (not on its parents), so
    a colour set with setColour wins over the defaults that LookAndFeelLocal provides.

    Defaults: no arrow, cornerFactor 0.25, fontFactor 0.5, no custom typeface (every text in the
    default typeface). A text that is not pure ASCII is always drawn in the default typeface, which
    can show other scripts.
*/
class TextButtonWithIcon : public juce::TextButton
{
public:
    enum ColourIds
    {
        fillNormalColourId = 0x2000001,
        fillDownColourId = 0x2000002,
        fillFocusedColourId = 0x2000003,
        fillDisabledColourId = 0x2000004,
        textNormalColourId = 0x2000005,
        textDownColourId = 0x2000006,
        textFocusedColourId = 0x2000007,
        textDisabledColourId = 0x2000008,
        outlineNormalColourId = 0x2000009,
        outlineDownColourId = 0x200000a,
        outlineFocusedColourId = 0x200000b,
        outlineDisabledColourId = 0x200000c
    };

    /** Draws a TextButtonWithIcon. Handed any other button it draws as LookAndFeel_V2 does,
        since the arrow, the factors and the typeface exist only on this class.
    */
    class LookAndFeelLocal : public juce::LookAndFeel_V2
    {
    public:
        /** Sets the default colours of the twelve ids: a light body, a blue body when down, a
            blue outline with focus, greyed when disabled.
        */
        LookAndFeelLocal();
        ~LookAndFeelLocal() override = default;

        void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                                   bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
        juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;
        void drawButtonText (juce::Graphics&, juce::TextButton&, bool shouldDrawButtonAsHighlighted,
                             bool shouldDrawButtonAsDown) override;

    private:
        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LookAndFeelLocal)
    };

    TextButtonWithIcon();

    /** The text is also the component's name, as with juce::TextButton. */
    explicit TextButtonWithIcon (const juce::String& buttonText);
    ~TextButtonWithIcon() override;

    /** Draws the triangle at the right end; the text then keeps clear of it. */
    void setDrawArrow (bool shouldDrawArrow);
    [[nodiscard]] bool isDrawingArrow() const noexcept { return drawArrow; }

    /** Corner size as a fraction of the height less 2 (0.5 gives round ends), and the text's
        left and right indent as a fraction of the height. When the indents leave no room, no
        text is drawn. A factor that is not a number, or is negative, counts as 0 (square
        corners, no indent); infinity as the largest float.
    */
    void setCornerFactor (float newCornerFactor);
    [[nodiscard]] float getCornerFactor() const noexcept { return cornerFactor; }

    /** Font height as a fraction of the button height; the font is never below 12 (nor above
        the framework's 10000). Out-of-range factors count as for setCornerFactor.
    */
    void setFontFactor (float newFontFactor);
    [[nodiscard]] float getFontFactor() const noexcept { return fontFactor; }

    /** The typeface for pure-ASCII texts; null for the default typeface. */
    void setTypeface (juce::Typeface::Ptr newTypeface);
    [[nodiscard]] const juce::Typeface::Ptr& getTypeface() const noexcept { return typeface; }

    /** True between gaining and losing the keyboard focus: selects the focused colours. */
    [[nodiscard]] bool showsFocus() const noexcept { return hasFocus; }

protected:
    // Only marks the focus for drawing: the over/down state stays as the mouse left it.
    void focusGained (juce::Component::FocusChangeType) override;
    void focusLost (juce::Component::FocusChangeType) override;

private:
    LookAndFeelLocal localLookAndFeel;
    bool hasFocus = false;
    juce::Typeface::Ptr typeface;
    bool drawArrow = false;
    float cornerFactor = 0.25f;
    float fontFactor = 0.5f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TextButtonWithIcon)
};

} // namespace juce
