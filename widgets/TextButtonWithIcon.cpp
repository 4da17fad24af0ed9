#include "widgets/TextButtonWithIcon.h"

#include "widgets/KitFactor.h"
#include "widgets/KitFont.h"

namespace juce
{

namespace
{
enum class ButtonState
{
    normal,
    down,
    focused,
    disabled
};

// The ids come in groups of four in the order normal, down, focused, disabled.
int colourIdFor (int normalId, ButtonState state) noexcept
{
    return normalId + static_cast<int> (state);
}

ButtonState stateOf (const TextButtonWithIcon& button, bool isDown) noexcept
{
    if (! button.isEnabled())
        return ButtonState::disabled;

    if (isDown || button.getToggleState())
        return ButtonState::down;

    return button.showsFocus() ? ButtonState::focused : ButtonState::normal;
}

juce::Colour ownColour (const TextButtonWithIcon& button, int normalId, ButtonState state)
{
    return button.findColour (colourIdFor (normalId, state), false);
}
} // namespace

//==============================================================================
TextButtonWithIcon::LookAndFeelLocal::LookAndFeelLocal()
{
    setColour (fillNormalColourId, juce::Colour (0xfff4f4f4));
    setColour (fillDownColourId, juce::Colour (0xff3a7bd5));
    setColour (fillFocusedColourId, juce::Colour (0xffe8f0fb));
    setColour (fillDisabledColourId, juce::Colour (0xffe4e4e4));
    setColour (textNormalColourId, juce::Colour (0xff202020));
    setColour (textDownColourId, juce::Colour (0xffffffff));
    setColour (textFocusedColourId, juce::Colour (0xff1d4f91));
    setColour (textDisabledColourId, juce::Colour (0xff9a9a9a));
    setColour (outlineNormalColourId, juce::Colour (0xff9e9e9e));
    setColour (outlineDownColourId, juce::Colour (0xff285ea8));
    setColour (outlineFocusedColourId, juce::Colour (0xff3a7bd5));
    setColour (outlineDisabledColourId, juce::Colour (0xffc8c8c8));
}

void TextButtonWithIcon::LookAndFeelLocal::drawButtonBackground (juce::Graphics& g, juce::Button& button,
                                                                 const juce::Colour& backgroundColour,
                                                                 bool shouldDrawButtonAsHighlighted,
                                                                 bool shouldDrawButtonAsDown)
{
    auto* own = dynamic_cast<TextButtonWithIcon*> (&button);

    if (own == nullptr)
    {
        LookAndFeel_V2::drawButtonBackground (g, button, backgroundColour, shouldDrawButtonAsHighlighted,
                                              shouldDrawButtonAsDown);
        return;
    }

    const auto state = stateOf (*own, shouldDrawButtonAsDown);
    const auto outline = ownColour (*own, outlineNormalColourId, state);
    const auto fill = ownColour (*own, fillNormalColourId, state);

    const auto w = (float) (button.getWidth() - 2);
    const auto h = (float) (button.getHeight() - 2);
    // Not below 0, which only a button less than 2 pixels high would give.
    const auto cornerSize = juce::jmax (0.0f, h * own->getCornerFactor());

    juce::Path body;
    body.addRoundedRectangle (1.0f, 1.0f, w, h, cornerSize, cornerSize, true, true, true, true);

    // The fill goes over the outline's inner half, leaving a crisp one-pixel edge outside it.
    g.setColour (outline);
    g.strokePath (body, juce::PathStrokeType (1.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::butt));
    g.setColour (fill);
    g.fillPath (body);
}

juce::Font TextButtonWithIcon::LookAndFeelLocal::getTextButtonFont (juce::TextButton& button, int buttonHeight)
{
    auto* own = dynamic_cast<TextButtonWithIcon*> (&button);

    if (own == nullptr)
        return LookAndFeel_V2::getTextButtonFont (button, buttonHeight);

    const auto size = juce::jmax (12.0f, (float) buttonHeight * own->getFontFactor());
    return KitFont::forText (button.getButtonText(), own->getTypeface(), size);
}

void TextButtonWithIcon::LookAndFeelLocal::drawButtonText (juce::Graphics& g, juce::TextButton& button,
                                                           bool shouldDrawButtonAsHighlighted,
                                                           bool shouldDrawButtonAsDown)
{
    auto* own = dynamic_cast<TextButtonWithIcon*> (&button);

    if (own == nullptr)
    {
        LookAndFeel_V2::drawButtonText (g, button, shouldDrawButtonAsHighlighted, shouldDrawButtonAsDown);
        return;
    }

    const auto state = stateOf (*own, button.getState() == juce::Button::buttonDown);
    g.setColour (ownColour (*own, textNormalColourId, state));
    g.setFont (getTextButtonFont (button, button.getHeight()));

    const auto h = button.getHeight();
    const auto w = button.getWidth();
    const auto t = h / 3;
    // Limited to the width, where the text has long gone: a large factor gives no int of its own.
    const auto indent = (int) juce::jmin ((double) ((float) h * own->getCornerFactor()), (double) w);
    auto textWidth = w - 2 * indent;

    if (own->isDrawingArrow())
    {
        juce::Path arrow;
        arrow.addTriangle ((float) (w - t), (float) t, (float) (w - 3 * t), (float) t, (float) (w - 2 * t),
                           (float) (2 * t));
        g.fillPath (arrow);
        textWidth = w - 3 * t - indent;
    }

    // A large corner factor can leave no room between the indents.
    if (textWidth > 0)
        g.drawFittedText (button.getButtonText(), indent, 0, textWidth, h, juce::Justification::centred, 2, 0.0f);
}

//==============================================================================
TextButtonWithIcon::TextButtonWithIcon()
{
    setLookAndFeel (&localLookAndFeel);
}

TextButtonWithIcon::TextButtonWithIcon (const juce::String& buttonText)
    : juce::TextButton (buttonText)
{
    setLookAndFeel (&localLookAndFeel);
}

TextButtonWithIcon::~TextButtonWithIcon()
{
    setLookAndFeel (nullptr);
}

void TextButtonWithIcon::setDrawArrow (bool shouldDrawArrow)
{
    drawArrow = shouldDrawArrow;
    repaint();
}

void TextButtonWithIcon::setCornerFactor (float newCornerFactor)
{
    cornerFactor = KitFactor::drawable (newCornerFactor);
    repaint();
}

void TextButtonWithIcon::setFontFactor (float newFontFactor)
{
    fontFactor = KitFactor::drawable (newFontFactor);
    repaint();
}

void TextButtonWithIcon::setTypeface (juce::Typeface::Ptr newTypeface)
{
    typeface = std::move (newTypeface);
    repaint();
}

void TextButtonWithIcon::focusGained (juce::Component::FocusChangeType)
{
    hasFocus = true;
    repaint();
}

void TextButtonWithIcon::focusLost (juce::Component::FocusChangeType)
{
    hasFocus = false;
    repaint();
}

} // namespace juce
