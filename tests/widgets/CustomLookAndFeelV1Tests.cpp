#include "RecordingContext.h"
#include "WidgetTestSupport.h"
#include "widgets/ComponentWithExit.h"
#include "widgets/CustomLookAndFeel_V1.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace widget_tests;

TEST (CustomLookAndFeel_V1, LabelFontIsTheScaledHeightOfOneLine)
{
    struct Case
    {
        int height;
        const char* text;
        float expected;
    };

    const Case cases[] = {
        { 30, "One line", 24.0f },
        { 30, "One\nTwo", 12.0f },
        { 31, "One\nTwo", 12.0f }, // 31 / 2 = 15
        { 30, "Ends in a newline\n", 12.0f },
        { 30, "", 24.0f },
    };

    juce::CustomLookAndFeel_V1 lookAndFeel;
    lookAndFeel.setFontScale (0.8f);

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text);
        juce::Label label;
        label.setBounds (0, 0, 100, c.height);
        label.setText (c.text, juce::dontSendNotification);

        const auto font = lookAndFeel.getLabelFont (label);
        EXPECT_FLOAT_EQ (font.getHeight(), c.expected);
        EXPECT_EQ (font.getTypefaceName(), juce::Font::getDefaultSansSerifFontName());
        EXPECT_EQ (font.getStyleFlags(), juce::Font::plain);
    }
}

TEST (CustomLookAndFeel_V1, ButtonFontFollowsTheButtonNotTheHeightArgument)
{
    juce::CustomLookAndFeel_V1 lookAndFeel;
    lookAndFeel.setFontScale (0.5f);
    juce::TextButton button ("OK");
    button.setBounds (0, 0, 80, 24);

    EXPECT_FLOAT_EQ (lookAndFeel.getTextButtonFont (button, 50).getHeight(), 12.0f);
}

TEST (CustomLookAndFeel_V1, CustomFontKeepsTheHeightOfItsLastUse)
{
    const auto serif = loadSerifTypeface();
    ASSERT_NE (serif, nullptr);

    juce::CustomLookAndFeel_V1 lookAndFeel;
    lookAndFeel.setCustomFont (juce::Font (serif));
    lookAndFeel.setFontScale (0.5f);

    juce::Label label;
    label.setBounds (0, 0, 100, 24);
    juce::TextButton button;
    button.setBounds (0, 0, 100, 40);

    const auto labelFont = lookAndFeel.getLabelFont (label);
    const auto buttonFont = lookAndFeel.getTextButtonFont (button, 40);

    EXPECT_EQ (labelFont.getTypefaceName(), serif->getName());
    EXPECT_FLOAT_EQ (labelFont.getHeight(), 12.0f);
    EXPECT_FLOAT_EQ (buttonFont.getHeight(), 20.0f);
    ASSERT_TRUE (lookAndFeel.getCustomFont().has_value());
    EXPECT_FLOAT_EQ (lookAndFeel.getCustomFont()->getHeight(), 20.0f);

    label.setSize (100, 0); // the framework's lowest height
    EXPECT_FLOAT_EQ (lookAndFeel.getLabelFont (label).getHeight(), 0.1f);
    EXPECT_FLOAT_EQ (lookAndFeel.getCustomFont()->getHeight(), 0.1f);

    lookAndFeel.setCustomFont (std::nullopt);
    EXPECT_EQ (lookAndFeel.getLabelFont (label).getTypefaceName(), juce::Font::getDefaultSansSerifFontName());
}

TEST (CustomLookAndFeel_V1, OutOfRangeFontScalesGiveFontsOfTheNearestDrawableHeight)
{
    struct Case
    {
        float scale, height; // on a label 30 high
    };

    // The framework keeps font heights within 0.1 and 10000.
    const Case cases[] = {
        { std::numeric_limits<float>::quiet_NaN(), 0.1f },
        { -1.0f, 0.1f },
        { std::numeric_limits<float>::infinity(), 10000.0f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.scale);
        juce::CustomLookAndFeel_V1 lookAndFeel;
        lookAndFeel.setFontScale (c.scale);
        EXPECT_TRUE (std::isfinite (lookAndFeel.getFontScale()));

        juce::Label label ({}, "Level");
        label.setBounds (0, 0, 100, 30);
        juce::TextButton button ("Start");
        button.setBounds (0, 0, 100, 30);
        EXPECT_FLOAT_EQ (lookAndFeel.getLabelFont (label).getHeight(), c.height);
        EXPECT_FLOAT_EQ (lookAndFeel.getTextButtonFont (button, 30).getHeight(), c.height);

        // Drawn for real as well: the sanitizer build finds what a NaN height does to the glyphs.
        juce::Image image (juce::Image::ARGB, 100, 30, true);
        juce::Graphics g (image);
        lookAndFeel.drawLabel (g, label);
        lookAndFeel.drawButtonText (g, button, false, false);
    }
}

TEST (CustomLookAndFeel_V1, ButtonTextUsesTheWholeHeight)
{
    juce::CustomLookAndFeel_V1 lookAndFeel;
    lookAndFeel.setFontScale (0.5f); // 15 high on a button of 30
    juce::TextButton button ("Start");
    button.setBounds (0, 0, 100, 30);

    RecordingContext context;
    juce::Graphics g (context);
    lookAndFeel.drawButtonText (g, button, false, false);

    const auto font = lookAndFeel.getTextButtonFont (button, 30);
    ASSERT_FLOAT_EQ (font.getHeight(), 15.0f);
    EXPECT_FALSE (context.glyphs().empty());
    EXPECT_TRUE (sameGlyphs (context.glyphs(),
                             fittedTextGlyphs (font, "Start", { 9, 0, 82, 30 }, juce::Justification::centred, 2, 0.0f)));
    EXPECT_EQ (context.glyphs()[0].colour, button.findColour (juce::TextButton::textColourOffId));
}

TEST (CustomLookAndFeel_V1, ButtonTooNarrowForTextDrawsNone)
{
    juce::CustomLookAndFeel_V1 lookAndFeel;
    juce::TextButton button ("Start");
    button.setBounds (0, 0, 4, 30); // indents 3 and 3

    RecordingContext context;
    juce::Graphics g (context);
    lookAndFeel.drawButtonText (g, button, false, false);
    EXPECT_TRUE (context.operations.empty());
}

TEST (CustomLookAndFeel_V1, LabelTextAreaStartsAtSevenPerCentOfTheHeight)
{
    struct Case
    {
        int height;
        juce::Rectangle<int> area;
    };

    // Below the label's bottom edge on a tall label: the height still leaves out both border edges.
    for (const auto c : { Case { 40, { 5, 2, 90, 38 } }, Case { 100, { 5, 7, 90, 98 } } })
    {
        SCOPED_TRACE (c.height);
        juce::CustomLookAndFeel_V1 lookAndFeel;
        juce::Label label;
        label.setBounds (0, 0, 100, c.height);
        label.setBorderSize ({ 1, 5, 1, 5 });
        label.setJustificationType (juce::Justification::centred);
        label.setText ("Level", juce::dontSendNotification);
        label.setColour (juce::Label::backgroundColourId, juce::Colours::white);

        RecordingContext context (label.getLocalBounds());
        juce::Graphics g (context);
        lookAndFeel.drawLabel (g, label);

        const auto font = lookAndFeel.getLabelFont (label);
        const auto lines = juce::jmax (1, (int) ((float) c.area.getHeight() / font.getHeight()));
        EXPECT_TRUE (sameGlyphs (context.glyphs(), fittedTextGlyphs (font, "Level", c.area, juce::Justification::centred,
                                                                     lines, label.getMinimumHorizontalScale())));

        // Background first, the one-pixel outline of the whole label last.
        ASSERT_GE (context.operations.size(), 5u);
        EXPECT_EQ (context.operations.front().bounds, label.getLocalBounds().toFloat());
        EXPECT_EQ (context.operations.back().kind, DrawnOperation::Kind::fill);
    }
}

TEST (ComponentWithExit, PaintsAndLaysOutNothing)
{
    juce::ComponentWithExit component;
    juce::Component child;
    component.addAndMakeVisible (child);
    child.setBounds (3, 4, 5, 6);

    for (const auto size : { 0, 10, 500 })
    {
        component.setSize (size, size);
        RecordingContext context;
        juce::Graphics g (context);
        component.paint (g);
        EXPECT_TRUE (context.operations.empty());
        EXPECT_EQ (child.getBounds(), juce::Rectangle<int> (3, 4, 5, 6));
    }
}
