#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A popup menu with rounded corners: a juce::PopupMenu that carries its own look-and-feel.

    The menu holds its look-and-feel, and the shown menu refers to it, so keep the menu alive
    while it shows (an asynchronously shown menu falls back to the default look once it is gone).

    The corners are clear only where the framework can make the menu's window translucent. On a
    display without translucent windows the window is opaque and they show white, and a menu shown
    inside a parent component gets LookAndFeel_V2's frame over its edge.
*/
class RoundedPopupMenu : public juce::PopupMenu
{
public:
    /** Draws a popup menu as one rounded rectangle, the highlighted item as a rounded bar, and
        separators inset by the corner size. Item texts that are pure ASCII use the typeface,
        other texts the default typeface at the same height. Usable on its own with any menu
        (juce::PopupMenu::setLookAndFeel).

        Defaults: no typeface (the default typeface), font height 17 (as LookAndFeel_V2's menu
        font), corner size 6, and LookAndFeel_V2's colours but for a background of white with an
        alpha just below 1: an opaque background would make the menu window opaque and leave the
        area outside the rounded corners undrawn.
    */
    class LookAndFeelLocal : public juce::LookAndFeel_V2
    {
    public:
        LookAndFeelLocal();
        ~LookAndFeelLocal() override = default;

        void setTypeface (juce::Typeface::Ptr newTypeface) { typeface = std::move (newTypeface); }
        void setFontHeight (int newFontHeight) noexcept { fontHeight = newFontHeight; }
        /** A negative corner size counts as 0. */
        void setCornerSize (int newCornerSize) noexcept { cornerSize = juce::jmax (0, newCornerSize); }

        [[nodiscard]] const juce::Typeface::Ptr& getTypeface() const noexcept { return typeface; }
        [[nodiscard]] int getFontHeight() const noexcept { return fontHeight; }
        [[nodiscard]] int getCornerSize() const noexcept { return cornerSize; }

        void drawPopupMenuBackground (juce::Graphics&, int width, int height) override;
        void drawPopupMenuItem (juce::Graphics&, const juce::Rectangle<int>& area, bool isSeparator, bool isActive,
                                bool isHighlighted, bool isTicked, bool hasSubMenu, const juce::String& text,
                                const juce::String& shortcutKeyText, const juce::Drawable* icon,
                                const juce::Colour* textColour) override;
        juce::Font getPopupMenuFont() override;

    private:
        juce::Typeface::Ptr typeface;
        int fontHeight = 17;
        int cornerSize = 6;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LookAndFeelLocal)
    };

    RoundedPopupMenu();
    ~RoundedPopupMenu();

    /** The menu's own look-and-feel, for its typeface, font height, corner size and colours. */
    [[nodiscard]] LookAndFeelLocal& getLocalLookAndFeel() noexcept { return localLookAndFeel; }

private:
    LookAndFeelLocal localLookAndFeel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RoundedPopupMenu)
};
