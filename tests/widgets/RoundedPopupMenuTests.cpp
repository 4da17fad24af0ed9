#include "RecordingContext.h"
#include "WidgetTestSupport.h"
#include "widgets/RoundedPopupMenu.h"

#include <gtest/gtest.h>

#include <limits>

using namespace widget_tests;
using MenuLook = RoundedPopupMenu::LookAndFeelLocal;

namespace
{
RecordingContext drawItem (MenuLook& lookAndFeel, juce::Rectangle<int> area, bool isSeparator, bool isHighlighted,
                           const juce::String& text = "Open")
{
    RecordingContext context;
    juce::Graphics g (context);
    lookAndFeel.drawPopupMenuItem (g, area, isSeparator, true, isHighlighted, false, false, text, {}, nullptr, nullptr);
    return context;
}

// The font that drawing an item left set on the context (also for an empty text).
juce::Font itemFont (MenuLook& lookAndFeel, juce::Rectangle<int> area, const juce::String& text)
{
    auto context = drawItem (lookAndFeel, area, false, false, text);
    return context.getFont();
}
} // namespace

TEST (RoundedPopupMenu, SeparatorIsInsetByTheCornerSize)
{
    struct Case
    {
        int cornerSize, x, width;
    };

    // A negative corner size counts as none; one wider than the area leaves nothing of the line.
    const Case cases[] = { { 6, 6, 188 }, { 0, 0, 200 }, { -4, 0, 200 }, { 150, 150, 0 }, { std::numeric_limits<int>::max(), 200, 0 } };

    for (const auto c : cases)
    {
        SCOPED_TRACE (c.cornerSize);
        MenuLook lookAndFeel;
        lookAndFeel.setCornerSize (c.cornerSize);

        const auto drawn = drawItem (lookAndFeel, { 0, 0, 200, 9 }, true, false).operations;
        ASSERT_EQ (drawn.size(), 2u);
        EXPECT_EQ (drawn[0].bounds, juce::Rectangle<float> ((float) c.x, 3.0f, (float) c.width, 1.0f));
        EXPECT_EQ (drawn[0].colour, juce::Colour (0x33000000));
        EXPECT_EQ (drawn[1].bounds, juce::Rectangle<float> ((float) c.x, 4.0f, (float) c.width, 1.0f));
        EXPECT_EQ (drawn[1].colour, juce::Colour (0x66ffffff));
    }
}

TEST (RoundedPopupMenu, HighlightIsARoundedBar)
{
    MenuLook lookAndFeel;
    lookAndFeel.setCornerSize (6);
    lookAndFeel.setColour (juce::PopupMenu::highlightedBackgroundColourId, juce::Colour (0xff2050a0));
    lookAndFeel.setColour (juce::PopupMenu::highlightedTextColourId, juce::Colour (0xfff0f0f0));

    const auto drawn = drawItem (lookAndFeel, { 0, 0, 200, 24 }, false, true);
    ASSERT_FALSE (drawn.operations.empty());
    juce::Path bar;
    bar.addRoundedRectangle (2.0f, 0.0f, 196.0f, 24.0f, 6.0f);
    EXPECT_EQ (drawn.operations[0].colour, juce::Colour (0xff2050a0));
    EXPECT_TRUE (samePath (drawn.operations[0].path, bar));

    ASSERT_FALSE (drawn.glyphs().empty());
    EXPECT_EQ (drawn.glyphs()[0].colour, juce::Colour (0xfff0f0f0));

    // Not highlighted: no bar, only the text.
    EXPECT_EQ (drawItem (lookAndFeel, { 0, 0, 200, 24 }, false, false).operations[0].kind, DrawnOperation::Kind::glyph);

    lookAndFeel.setCornerSize (0);
    const auto square = drawItem (lookAndFeel, { 0, 0, 200, 24 }, false, true).operations[0];
    EXPECT_EQ (square.bounds, juce::Rectangle<float> (2.0f, 0.0f, 196.0f, 24.0f));
    EXPECT_TRUE (square.path.contains (2.05f, 0.05f));
}

TEST (RoundedPopupMenu, ItemTextIsDrawnLikeLookAndFeelV2Draws)
{
    MenuLook lookAndFeel;
    juce::LookAndFeel_V2 plainLook;
    const juce::Rectangle<int> area (0, 0, 200, 24);

    RecordingContext expected;
    juce::Graphics g (expected);
    plainLook.drawPopupMenuItem (g, area, false, true, false, false, false, "Open", {}, nullptr, nullptr);

    EXPECT_TRUE (sameGlyphs (drawItem (lookAndFeel, area, false, false).glyphs(), expected.glyphs()));
}

TEST (RoundedPopupMenu, TypefaceOnlyForPureAsciiTexts)
{
    const auto serif = loadSerifTypeface();
    ASSERT_NE (serif, nullptr);

    MenuLook lookAndFeel;
    lookAndFeel.setTypeface (serif);
    lookAndFeel.setFontHeight (16);
    const juce::Rectangle<int> area (0, 0, 200, 24);

    struct Case
    {
        const char* utf8;
        bool inTypeface;
    };

    const Case cases[] = { { "Open", true }, { "", true }, { "Caf\xc3\xa9", false }, { "\xe6\x89\x93\xe5\xbc\x80", false } };

    for (const auto& c : cases)
    {
        const auto text = juce::String::fromUTF8 (c.utf8);
        SCOPED_TRACE (text);
        const auto font = itemFont (lookAndFeel, area, text);
        EXPECT_FLOAT_EQ (font.getHeight(), 16.0f);
        EXPECT_EQ (font.getTypefaceName(), c.inTypeface ? serif->getName() : juce::Font::getDefaultSansSerifFontName());
    }

    EXPECT_EQ (lookAndFeel.getPopupMenuFont().getTypefaceName(), serif->getName());
    EXPECT_FLOAT_EQ (lookAndFeel.getPopupMenuFont().getHeight(), 16.0f);
}

TEST (RoundedPopupMenu, ItemFontIsLimitedToTheItemHeight)
{
    MenuLook lookAndFeel;
    lookAndFeel.setFontHeight (30);

    EXPECT_FLOAT_EQ (itemFont (lookAndFeel, { 0, 0, 200, 20 }, "Open").getHeight(), 20.0f / 1.3f);
    EXPECT_FLOAT_EQ (itemFont (lookAndFeel, { 0, 0, 200, 20 }, juce::String::fromUTF8 ("\xe6\x89\x93")).getHeight(),
                     20.0f / 1.3f);
}

TEST (RoundedPopupMenu, WithoutTypefaceEveryTextUsesTheSameFont)
{
    MenuLook lookAndFeel;
    const auto ascii = itemFont (lookAndFeel, { 0, 0, 200, 30 }, "Open");
    const auto other = itemFont (lookAndFeel, { 0, 0, 200, 30 }, juce::String::fromUTF8 ("\xe6\x89\x93\xe5\xbc\x80"));

    EXPECT_EQ (ascii, other);
    EXPECT_EQ (ascii, lookAndFeel.getPopupMenuFont());
    EXPECT_FLOAT_EQ (ascii.getHeight(), 17.0f);
}

TEST (RoundedPopupMenu, BackgroundIsOneRoundedRectangle)
{
    MenuLook lookAndFeel;
    lookAndFeel.setCornerSize (8);

    RecordingContext context;
    juce::Graphics g (context);
    lookAndFeel.drawPopupMenuBackground (g, 150, 80);

    ASSERT_EQ (context.operations.size(), 1u);
    juce::Path background;
    background.addRoundedRectangle (0.0f, 0.0f, 150.0f, 80.0f, 8.0f);
    EXPECT_TRUE (samePath (context.operations[0].path, background));
    EXPECT_EQ (context.operations[0].colour, lookAndFeel.findColour (juce::PopupMenu::backgroundColourId));
    // Not quite opaque, so that the menu's window leaves the corners clear.
    EXPECT_FALSE (context.operations[0].colour.isOpaque());
}

TEST (RoundedPopupMenu, ShownMenuUsesItsOwnLookAndFeel)
{
    RoundedPopupMenu menu;
    menu.addItem (1, "Open");

    // Shown inside a parent component, so that no window reaches the desktop.
    juce::Component parent;
    parent.setBounds (0, 0, 400, 300);
    menu.showMenuAsync (juce::PopupMenu::Options().withParentComponent (&parent).withTargetScreenArea ({ 20, 20, 1, 1 }));

    ASSERT_EQ (parent.getNumChildComponents(), 1);
    EXPECT_EQ (&parent.getChildComponent (0)->getLookAndFeel(), &menu.getLocalLookAndFeel());

    juce::PopupMenu::dismissAllActiveMenus();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
}
