#include "RecordingContext.h"
#include "WidgetTestSupport.h"
#include "widgets/TextButtonWithIcon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace widget_tests;
using Ids = juce::TextButtonWithIcon::ColourIds;

namespace
{
// Opens the focus handlers, which the framework calls when the keyboard focus moves.
struct FocusableButton : public juce::TextButtonWithIcon
{
    using juce::TextButtonWithIcon::focusGained;
    using juce::TextButtonWithIcon::focusLost;
};

// Every colour id gets a colour of its own, so that each drawn colour names its id.
void colourEveryId (juce::TextButtonWithIcon& button)
{
    for (int id = Ids::fillNormalColourId; id <= Ids::outlineDisabledColourId; ++id)
        button.setColour (id, juce::Colour (0xff000000u | (juce::uint32) (id & 0xff) * 0x10101u));
}

juce::Colour colourOf (int id)
{
    return juce::Colour (0xff000000u | (juce::uint32) (id & 0xff) * 0x10101u);
}

RecordingContext drawBackground (juce::TextButtonWithIcon& button, bool isDown)
{
    RecordingContext context;
    juce::Graphics g (context);
    button.getLookAndFeel().drawButtonBackground (g, button, juce::Colours::red, false, isDown);
    return context;
}

RecordingContext drawText (juce::TextButton& button)
{
    RecordingContext context;
    juce::Graphics g (context);
    button.getLookAndFeel().drawButtonText (g, button, false, false);
    return context;
}

juce::Path expectedBody (float w, float h, float cornerX, float cornerY)
{
    juce::Path body;
    body.addRoundedRectangle (1.0f, 1.0f, w, h, cornerX, cornerY, true, true, true, true);
    return body;
}
} // namespace

TEST (TextButtonWithIcon, AttachesItsOwnLookAndFeelWithItsDefaults)
{
    juce::TextButtonWithIcon button ("OK");

    EXPECT_NE (dynamic_cast<juce::TextButtonWithIcon::LookAndFeelLocal*> (&button.getLookAndFeel()), nullptr);
    EXPECT_EQ (button.getButtonText(), "OK");
    EXPECT_FALSE (button.isDrawingArrow());
    EXPECT_FLOAT_EQ (button.getCornerFactor(), 0.25f);
    EXPECT_FLOAT_EQ (button.getFontFactor(), 0.5f);
    EXPECT_EQ (button.getTypeface(), nullptr);
}

TEST (TextButtonWithIcon, StateSelectsTheColoursInOrderDisabledDownFocusedNormal)
{
    enum State
    {
        normal = 0,
        down = 1,
        focused = 2,
        disabled = 3
    };

    struct Case
    {
        const char* name;
        bool enabled, parentEnabled, toggled, focus, downFlag;
        juce::Button::ButtonState buttonState;
        State body, text;
    };

    const Case cases[] = {
        { "normal", true, true, false, false, false, juce::Button::buttonNormal, normal, normal },
        { "hovered looks normal", true, true, false, false, false, juce::Button::buttonOver, normal, normal },
        { "focused", true, true, false, true, false, juce::Button::buttonNormal, focused, focused },
        { "toggled with focus", true, true, true, true, false, juce::Button::buttonNormal, down, down },
        // The body follows the down flag it is given, the text the button's own state.
        { "down flag only", true, true, false, false, true, juce::Button::buttonNormal, down, normal },
        { "button state down", true, true, false, true, false, juce::Button::buttonDown, focused, down },
        { "disabled, toggled and focused", false, true, true, true, true, juce::Button::buttonDown, disabled,
          disabled },
        { "parent disabled", true, false, false, false, false, juce::Button::buttonNormal, disabled, disabled },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        juce::Component parent;
        FocusableButton button;
        parent.addAndMakeVisible (button);
        parent.setEnabled (c.parentEnabled);
        button.setBounds (0, 0, 120, 30);
        button.setDrawArrow (true);
        colourEveryId (button);
        button.setEnabled (c.enabled);
        button.setToggleState (c.toggled, juce::dontSendNotification);
        button.setState (c.buttonState);

        if (c.focus)
            button.focusGained (juce::Component::focusChangedDirectly);

        const auto body = drawBackground (button, c.downFlag).operations;
        ASSERT_EQ (body.size(), 2u);
        EXPECT_EQ (body[0].colour, colourOf (Ids::outlineNormalColourId + c.body));
        EXPECT_EQ (body[1].colour, colourOf (Ids::fillNormalColourId + c.body));

        const auto text = drawText (button).visible();
        ASSERT_FALSE (text.empty());

        for (const auto& operation : text) // the triangle and every glyph
            EXPECT_EQ (operation.colour, colourOf (Ids::textNormalColourId + c.text));
    }
}

TEST (TextButtonWithIcon, FocusIsShownFromGainUntilLoss)
{
    FocusableButton button;
    button.focusGained (juce::Component::focusChangedByTabKey);
    EXPECT_TRUE (button.showsFocus());
    button.focusLost (juce::Component::focusChangedByTabKey);
    EXPECT_FALSE (button.showsFocus());
}

TEST (TextButtonWithIcon, ColourSetOnAParentIsNotConsulted)
{
    juce::Component parent;
    juce::TextButtonWithIcon button;
    parent.addAndMakeVisible (button);
    button.setBounds (0, 0, 60, 20);
    parent.setColour (Ids::fillNormalColourId, juce::Colours::red);

    const auto body = drawBackground (button, false).operations;
    ASSERT_EQ (body.size(), 2u);
    EXPECT_EQ (body[1].colour, button.getLookAndFeel().findColour (Ids::fillNormalColourId));
    EXPECT_NE (body[1].colour, juce::Colours::red);
}

TEST (TextButtonWithIcon, ArrowButtonGeometry)
{
    juce::TextButtonWithIcon button ("Convert");
    button.setBounds (0, 0, 120, 30);
    button.setDrawArrow (true);
    button.setCornerFactor (0.25f);

    const auto body = drawBackground (button, false).operations;
    ASSERT_EQ (body.size(), 2u);
    const auto outline = expectedBody (118.0f, 28.0f, 7.0f, 7.0f);
    juce::Path stroke;
    juce::PathStrokeType (1.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::butt)
        .createStrokedPath (stroke, outline);
    EXPECT_TRUE (samePath (body[0].path, stroke));
    EXPECT_EQ (body[0].bounds, juce::Rectangle<float> (0.5f, 0.5f, 119.0f, 29.0f));
    EXPECT_TRUE (samePath (body[1].path, outline)); // the fill comes last, over the outline's inner half

    const auto text = drawText (button);
    ASSERT_FALSE (text.operations.empty());
    juce::Path triangle;
    triangle.addTriangle (110.0f, 10.0f, 90.0f, 10.0f, 100.0f, 20.0f);
    EXPECT_EQ (text.operations[0].kind, DrawnOperation::Kind::fill);
    EXPECT_TRUE (samePath (text.operations[0].path, triangle));

    const auto font = button.getLookAndFeel().getTextButtonFont (button, 30);
    EXPECT_TRUE (sameGlyphs (text.glyphs(), fittedTextGlyphs (font, "Convert", { 7, 0, 83, 30 },
                                                              juce::Justification::centred, 2, 0.0f)));

    button.setSize (120, 31); // t is still 10
    EXPECT_TRUE (samePath (drawText (button).operations[0].path, triangle));
}

TEST (TextButtonWithIcon, WithoutArrowTheTextKeepsAnIndentOnBothSides)
{
    juce::TextButtonWithIcon button ("Convert");
    button.setBounds (0, 0, 120, 30);

    const auto text = drawText (button);
    ASSERT_FALSE (text.operations.empty());
    EXPECT_EQ (text.operations[0].kind, DrawnOperation::Kind::glyph);

    const auto font = button.getLookAndFeel().getTextButtonFont (button, 30);
    EXPECT_TRUE (sameGlyphs (text.glyphs(), fittedTextGlyphs (font, "Convert", { 7, 0, 106, 30 },
                                                              juce::Justification::centred, 2, 0.0f)));
}

TEST (TextButtonWithIcon, CornerFactorSetsTheCornersWithinTheFrameworkLimits)
{
    struct Case
    {
        float factor, cornerX, cornerY;
        int indent;
    };

    // 120 x 30: the body is 118 x 28, so corners stop at 59 across and 14 down.
    const Case cases[] = {
        { 0.0f, 0.0f, 0.0f, 0 },
        { 0.5f, 14.0f, 14.0f, 15 }, // round ends
        { 1.5f, 42.0f, 14.0f, 45 },
        { 2.0f, 56.0f, 14.0f, 60 }, // no room left for the text
        { 3.0f, 59.0f, 14.0f, 90 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.factor);
        juce::TextButtonWithIcon button ("Go");
        button.setBounds (0, 0, 120, 30);
        button.setCornerFactor (c.factor);

        const auto body = drawBackground (button, false).operations;
        ASSERT_EQ (body.size(), 2u);
        EXPECT_TRUE (samePath (body[1].path, expectedBody (118.0f, 28.0f, c.cornerX, c.cornerY)));

        const auto font = button.getLookAndFeel().getTextButtonFont (button, 30);
        const auto textWidth = 120 - 2 * c.indent;

        if (textWidth > 0)
        {
            EXPECT_TRUE (sameGlyphs (drawText (button).glyphs(),
                                     fittedTextGlyphs (font, "Go", { c.indent, 0, textWidth, 30 },
                                                       juce::Justification::centred, 2, 0.0f)));
        }
        else
        {
            EXPECT_TRUE (drawText (button).glyphs().empty()); // the indents leave no room
        }
    }

    juce::TextButtonWithIcon square ("Go");
    square.setBounds (0, 0, 120, 30);
    square.setCornerFactor (0.0f);
    EXPECT_TRUE (drawBackground (square, false).operations[1].path.contains (1.05f, 1.05f));
}

TEST (TextButtonWithIcon, FontHeightFollowsTheButtonButNeverBelowTwelve)
{
    juce::TextButtonWithIcon button ("OK");
    button.setFontFactor (0.5f);
    auto& lookAndFeel = button.getLookAndFeel();

    EXPECT_FLOAT_EQ (lookAndFeel.getTextButtonFont (button, 20).getHeight(), 12.0f);
    EXPECT_FLOAT_EQ (lookAndFeel.getTextButtonFont (button, 40).getHeight(), 20.0f);
}

TEST (TextButtonWithIcon, CustomTypefaceOnlyForPureAsciiTexts)
{
    const auto serif = loadSerifTypeface();
    ASSERT_NE (serif, nullptr);

    juce::TextButtonWithIcon button;
    button.setBounds (0, 0, 120, 40);
    button.setTypeface (serif);
    auto& lookAndFeel = button.getLookAndFeel();

    struct Case
    {
        const char* utf8;
        bool inCustomTypeface;
    };

    const Case cases[] = { { "OK", true }, { "", true }, { "\xe7\xa1\xae\xe5\xae\x9a", false }, { "Caf\xc3\xa9", false } };

    for (const auto& c : cases)
    {
        const auto text = juce::String::fromUTF8 (c.utf8);
        SCOPED_TRACE (text);
        button.setButtonText (text);
        const auto font = lookAndFeel.getTextButtonFont (button, 40);
        EXPECT_FLOAT_EQ (font.getHeight(), 20.0f);
        EXPECT_EQ (font.getTypefaceName(),
                   c.inCustomTypeface ? serif->getName() : juce::Font::getDefaultSansSerifFontName());

        const auto glyphs = drawText (button).glyphs();
        EXPECT_EQ (glyphs.empty(), text.isEmpty());

        for (const auto& glyph : glyphs)
            EXPECT_EQ (glyph.font.getTypefaceName(), font.getTypefaceName());
    }
}

TEST (TextButtonWithIcon, TextFontComesThroughTheVirtualFontCall)
{
    struct LargeFontLookAndFeel : public juce::TextButtonWithIcon::LookAndFeelLocal
    {
        juce::Font getTextButtonFont (juce::TextButton&, int) override { return juce::Font (33.0f); }
    };

    LargeFontLookAndFeel lookAndFeel;
    juce::TextButtonWithIcon button ("OK");
    button.setBounds (0, 0, 120, 40);
    button.setLookAndFeel (&lookAndFeel);

    const auto glyphs = drawText (button).glyphs();
    ASSERT_FALSE (glyphs.empty());
    EXPECT_FLOAT_EQ (glyphs[0].font.getHeight(), 33.0f);
    button.setLookAndFeel (nullptr);
}

TEST (TextButtonWithIcon, AnotherButtonIsDrawnAsLookAndFeelV2DrawsIt)
{
    juce::TextButtonWithIcon::LookAndFeelLocal kitLook;
    juce::LookAndFeel_V2 plainLook;
    juce::TextButton button ("Plain");
    button.setBounds (0, 0, 100, 24);

    const auto draw = [&button] (juce::LookAndFeel& lookAndFeel)
    {
        RecordingContext context;
        juce::Graphics g (context);
        lookAndFeel.drawButtonBackground (g, button, juce::Colours::orange, false, false);
        lookAndFeel.drawButtonText (g, button, false, false);
        return context.operations;
    };

    const auto drawn = draw (kitLook);
    const auto expected = draw (plainLook);
    ASSERT_EQ (drawn.size(), expected.size());

    for (size_t i = 0; i < drawn.size(); ++i)
    {
        EXPECT_EQ (drawn[i].bounds, expected[i].bounds);
        EXPECT_EQ (drawn[i].colour, expected[i].colour);
    }

    EXPECT_EQ (kitLook.getTextButtonFont (button, 24).getHeight(), plainLook.getTextButtonFont (button, 24).getHeight());
}

TEST (TextButtonWithIcon, PaintingGoesThroughItsLookAndFeel)
{
    juce::TextButtonWithIcon button ("OK");
    button.setBounds (0, 0, 120, 30);
    button.setDrawArrow (true);

    RecordingContext context;
    juce::Graphics g (context);
    button.paintEntireComponent (g, true);

    const auto drawn = context.visible();
    ASSERT_GE (drawn.size(), 4u);
    EXPECT_EQ (drawn[0].colour, button.findColour (Ids::outlineNormalColourId));
    EXPECT_EQ (drawn[1].colour, button.findColour (Ids::fillNormalColourId));
    EXPECT_EQ (drawn[2].bounds, juce::Rectangle<float> (90.0f, 10.0f, 20.0f, 10.0f));
}

TEST (TextButtonWithIcon, OutOfRangeFactorsDrawAsTheNearestDrawableOnes)
{
    constexpr auto nan = std::numeric_limits<float>::quiet_NaN();
    constexpr auto infinity = std::numeric_limits<float>::infinity();

    struct Case
    {
        float factor, drawsLike;
    };

    // On a 120 x 30 button every corner factor from 2 on gives round ends and no text.
    const Case cases[] = {
        { nan, 0.0f },
        { -1.0f, 0.0f },
        { -infinity, 0.0f },
        { 1.0e9f, 3.0f },
        { infinity, 3.0f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.factor);
        juce::TextButtonWithIcon button ("Go"), reference ("Go");

        for (auto* b : { &button, &reference })
        {
            b->setBounds (0, 0, 120, 30);
            b->setDrawArrow (true);
        }

        button.setCornerFactor (c.factor);
        button.setFontFactor (c.factor);
        reference.setCornerFactor (c.drawsLike);
        reference.setFontFactor (c.drawsLike);

        EXPECT_TRUE (std::isfinite (button.getCornerFactor()));
        EXPECT_TRUE (std::isfinite (button.getFontFactor()));

        const auto body = drawBackground (button, false).operations;
        const auto expectedBody = drawBackground (reference, false).operations;
        ASSERT_EQ (body.size(), 2u);
        EXPECT_TRUE (samePath (body[0].path, expectedBody[0].path)); // outline
        EXPECT_TRUE (samePath (body[1].path, expectedBody[1].path));

        const auto text = drawText (button);
        const auto expectedText = drawText (reference);
        ASSERT_FALSE (text.operations.empty());
        EXPECT_TRUE (samePath (text.operations[0].path, expectedText.operations[0].path)); // arrow
        EXPECT_TRUE (sameGlyphs (text.glyphs(), expectedText.glyphs()));

        // Also where the sizes leave nothing to draw (the sanitizer build finds an overflow).
        for (const auto size : { juce::Point<int> (0, 0), { 1, 1 }, { 2, 2 }, { 120, 2 }, { 3, 40 } })
        {
            button.setSize (size.x, size.y);
            juce::Image image (juce::Image::ARGB, 130, 50, true);
            juce::Graphics g (image);
            button.paintEntireComponent (g, true);
        }
    }
}
