#include "widgets/CustomLookAndFeel_V1.h"

namespace juce
{

juce::Font CustomLookAndFeel_V1::fontOfHeight (float height)
{
    if (customFont.has_value())
    {
        customFont->setHeight (height);
        return *customFont;
    }

    return juce::Font (height, juce::Font::plain);
}

juce::Font CustomLookAndFeel_V1::getLabelFont (juce::Label& label)
{
    const auto lines = 1 + label.getText().retainCharacters ("\n").length();
    return fontOfHeight ((float) (label.getHeight() / lines) * fontScale);
}

juce::Font CustomLookAndFeel_V1::getTextButtonFont (juce::TextButton& button, int /*buttonHeight*/)
{
    return fontOfHeight ((float) button.getHeight() * fontScale);
}

void CustomLookAndFeel_V1::drawButtonText (juce::Graphics& g, juce::TextButton& button,
                                           bool /*shouldDrawButtonAsHighlighted*/, bool /*shouldDrawButtonAsDown*/)
{
    const auto font = getTextButtonFont (button, button.getHeight());
    g.setFont (font);
    g.setColour (button.findColour (button.getToggleState() ? juce::TextButton::textColourOnId
                                                            : juce::TextButton::textColourOffId)
                     .withMultipliedAlpha (button.isEnabled() ? 1.0f : 0.5f));

    const auto cornerSize = juce::jmin (button.getHeight(), button.getWidth()) / 2;
    const auto fontHeight = juce::roundToInt (font.getHeight() * 0.6f);
    const auto leftIndent = juce::jmin (fontHeight, 2 + cornerSize / (button.isConnectedOnLeft() ? 4 : 2));
    const auto rightIndent = juce::jmin (fontHeight, 2 + cornerSize / (button.isConnectedOnRight() ? 4 : 2));
    const auto textWidth = button.getWidth() - leftIndent - rightIndent;

    // The whole height, so that a large font is not squeezed by a vertical indent.
    if (textWidth > 0)
        g.drawFittedText (button.getButtonText(), leftIndent, 0, textWidth, button.getHeight(),
                          juce::Justification::centred, 2);
}

void CustomLookAndFeel_V1::drawImageButton (juce::Graphics& g, juce::Image* image, int imageX, int imageY,
                                            int imageW, int imageH, const juce::Colour& overlayColour,
                                            float imageOpacity, juce::ImageButton& button)
{
    LookAndFeel_V2::drawImageButton (g, image, imageX, imageY, imageW, imageH, overlayColour, imageOpacity,
                                     button);
}

void CustomLookAndFeel_V1::drawLabel (juce::Graphics& g, juce::Label& label)
{
    g.fillAll (label.findColour (juce::Label::backgroundColourId));

    if (! label.isBeingEdited())
    {
        const auto alpha = label.isEnabled() ? 1.0f : 0.5f;
        const auto font = getLabelFont (label);

        g.setColour (label.findColour (juce::Label::textColourId).withMultipliedAlpha (alpha));
        g.setFont (font);

        // The top is 7 % of the height whatever the border's top; the height still leaves out
        // both border edges, so on a tall label the area reaches below the bottom edge.
        const auto border = getLabelBorderSize (label);
        const juce::Rectangle<int> textArea (border.getLeft(), (int) ((float) label.getHeight() * 0.07f),
                                             label.getWidth() - border.getLeftAndRight(),
                                             label.getHeight() - border.getTopAndBottom());

        g.drawFittedText (label.getText(), textArea, label.getJustificationType(),
                          juce::jmax (1, (int) ((float) textArea.getHeight() / font.getHeight())),
                          label.getMinimumHorizontalScale());

        g.setColour (label.findColour (juce::Label::outlineColourId).withMultipliedAlpha (alpha));
    }
    else if (label.isEnabled())
    {
        g.setColour (label.findColour (juce::Label::outlineColourId));
    }

    g.drawRect (label.getLocalBounds());
}

} // namespace juce
