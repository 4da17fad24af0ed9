#include "RecordingContext.h"
#include "widgets/ProgressLabel.h"

#include <gtest/gtest.h>

using namespace widget_tests;

namespace
{
const juce::Colour track (0xff202020), filled (0xff30c030), highlight (0xffc03030);

RecordingContext drawProgress (juce::Label& label)
{
    RecordingContext context;
    juce::Graphics g (context);
    label.getLookAndFeel().drawLabel (g, label);
    return context;
}

juce::Path pill (float width, float height, float cornerSize)
{
    juce::Path path;
    path.addRoundedRectangle (0.0f, 0.0f, width, height, cornerSize);
    return path;
}
} // namespace

TEST (ProgressLabel, FillsTheTrackThenThePartForTheValue)
{
    struct Case
    {
        const char* text;
        int width, height;
        float cornerSize;
        int filledWidth;
        juce::Colour fillColour;
    };

    const Case cases[] = {
        { "25", 200, 20, 10.0f, 50, filled },
        { "25", 200, 21, 10.0f, 50, filled },
        { "33.3", 100, 20, 10.0f, 33, filled },
        { "100", 100, 20, 10.0f, 100, filled },
        { "150", 100, 20, 10.0f, 100, filled },
        { "-1", 100, 20, 10.0f, 100, highlight },
        { "0", 100, 20, 10.0f, 0, highlight },
        { "", 100, 20, 10.0f, 0, highlight },
        { "abc", 100, 20, 10.0f, 0, highlight },
        { "nan", 100, 20, 10.0f, 0, highlight },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text);
        juce::ProgressLabel label;
        label.setBounds (0, 0, c.width, c.height);
        label.setColour (juce::Label::backgroundColourId, track);
        label.setColour (juce::Label::textColourId, filled);
        label.setColour (juce::TextEditor::highlightColourId, highlight);
        label.setText (c.text, juce::dontSendNotification);

        const auto drawn = drawProgress (label).operations;
        ASSERT_EQ (drawn.size(), 2u); // no text, no outline
        EXPECT_EQ (drawn[0].colour, track);
        EXPECT_TRUE (samePath (drawn[0].path, pill ((float) c.width, (float) c.height, c.cornerSize)));
        EXPECT_EQ (drawn[1].colour, c.fillColour);
        EXPECT_EQ (drawn[1].bounds.getWidth(), (float) c.filledWidth);

        if (c.filledWidth > 0)
        {
            EXPECT_TRUE (samePath (drawn[1].path, pill ((float) c.filledWidth, (float) c.height, c.cornerSize)));
        }
    }
}

TEST (ProgressLabel, NarrowFilledPartGetsSmallerCorners)
{
    juce::ProgressLabel label;
    label.setBounds (0, 0, 200, 20);
    label.setText ("3", juce::dontSendNotification); // 6 wide: corners of 3 across, 10 down

    const auto drawn = drawProgress (label).operations;
    ASSERT_EQ (drawn.size(), 2u);
    juce::Path expected;
    expected.addRoundedRectangle (0.0f, 0.0f, 6.0f, 20.0f, 3.0f, 10.0f);
    EXPECT_TRUE (samePath (drawn[1].path, expected));
}

TEST (ProgressLabel, ColoursOfAnUncolouredLabelComeFromItsLookAndFeel)
{
    juce::ProgressLabel label;
    label.setBounds (0, 0, 100, 20);
    label.setText ("50", juce::dontSendNotification);

    const auto drawn = drawProgress (label).operations;
    ASSERT_EQ (drawn.size(), 2u);
    EXPECT_EQ (drawn[0].colour, label.getLookAndFeel().findColour (juce::Label::backgroundColourId));
    EXPECT_EQ (drawn[1].colour, label.getLookAndFeel().findColour (juce::Label::textColourId));
}
