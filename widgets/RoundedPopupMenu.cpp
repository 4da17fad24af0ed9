#include "widgets/RoundedPopupMenu.h"

#include "widgets/KitFont.h"

RoundedPopupMenu::LookAndFeelLocal::LookAndFeelLocal()
{
    setColour (juce::PopupMenu::backgroundColourId, juce::Colour (0xfeffffff));
}

juce::Font RoundedPopupMenu::LookAndFeelLocal::getPopupMenuFont()
{
    return juce::KitFont::withTypeface (typeface, (float) fontHeight);
}

void RoundedPopupMenu::LookAndFeelLocal::drawPopupMenuBackground (juce::Graphics& g, int width, int height)
{
    g.setColour (findColour (juce::PopupMenu::backgroundColourId));
    g.fillRoundedRectangle (0.0f, 0.0f, (float) width, (float) height, (float) cornerSize);
}

void RoundedPopupMenu::LookAndFeelLocal::drawPopupMenuItem (juce::Graphics& g, const juce::Rectangle<int>& area,
                                                            bool isSeparator, bool isActive, bool isHighlighted,
                                                            bool isTicked, bool hasSubMenu, const juce::String& text,
                                                            const juce::String& shortcutKeyText,
                                                            const juce::Drawable* icon, const juce::Colour* textColour)
{
    if (isSeparator)
    {
        // Inset by the corner size, so that the lines stop where the rounded edge begins. An
        // inset beyond the width leaves no line either way, and cannot overflow.
        auto r = area.reduced (juce::jmin (cornerSize, area.getWidth()), 0);
        r.removeFromTop (r.getHeight() / 2 - 1);

        g.setColour (juce::Colour (0x33000000));
        g.fillRect (r.removeFromTop (1));

        g.setColour (juce::Colour (0x66ffffff));
        g.fillRect (r.removeFromTop (1));
        return;
    }

    auto r = area.reduced (1);

    if (isHighlighted)
    {
        g.setColour (findColour (juce::PopupMenu::highlightedBackgroundColourId));
        g.fillRoundedRectangle ((float) area.getX() + 2.0f, (float) area.getY(), (float) area.getWidth() - 4.0f,
                                (float) area.getHeight(), (float) cornerSize);

        g.setColour (findColour (juce::PopupMenu::highlightedTextColourId));
    }
    else
    {
        g.setColour (textColour != nullptr ? *textColour : findColour (juce::PopupMenu::textColourId));
    }

    if (! isActive)
        g.setOpacity (0.3f);

    auto font = juce::KitFont::forText (text, typeface, (float) fontHeight);
    const auto maxFontHeight = (float) area.getHeight() / 1.3f;

    if (font.getHeight() > maxFontHeight)
        font.setHeight (maxFontHeight);

    g.setFont (font);

    const auto iconArea = r.removeFromLeft ((r.getHeight() * 5) / 4).reduced (3).toFloat();

    if (icon != nullptr)
    {
        icon->drawWithin (g, iconArea, juce::RectanglePlacement::centred | juce::RectanglePlacement::onlyReduceInSize,
                          1.0f);
    }
    else if (isTicked)
    {
        const auto tick = getTickShape (1.0f);
        g.fillPath (tick, tick.getTransformToScaleToFit (iconArea, true));
    }

    if (hasSubMenu)
    {
        const auto arrowH = 0.6f * getPopupMenuFont().getAscent();
        const auto x = (float) r.removeFromRight ((int) arrowH).getX();
        const auto halfH = (float) r.getCentreY();

        juce::Path arrow;
        arrow.addTriangle (x, halfH - arrowH * 0.5f, x, halfH + arrowH * 0.5f, x + arrowH * 0.6f, halfH);
        g.fillPath (arrow);
    }

    r.removeFromRight (3);
    g.drawFittedText (text, r, juce::Justification::centredLeft, 1);

    if (shortcutKeyText.isNotEmpty())
    {
        auto shortcutFont = font;
        shortcutFont.setHeight (shortcutFont.getHeight() * 0.75f);
        shortcutFont.setHorizontalScale (0.95f);
        g.setFont (shortcutFont);

        g.drawText (shortcutKeyText, r, juce::Justification::centredRight, true);
    }
}

//==============================================================================
RoundedPopupMenu::RoundedPopupMenu()
{
    setLookAndFeel (&localLookAndFeel);
}

RoundedPopupMenu::~RoundedPopupMenu()
{
    setLookAndFeel (nullptr);
}
