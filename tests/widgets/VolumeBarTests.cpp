#include "RecordingContext.h"
#include "WidgetTestSupport.h"
#include "widgets/VolumeBar.h"

#include <gtest/gtest.h>

using namespace widget_tests;

namespace
{
RecordingContext drawBar (juce::Label& label)
{
    RecordingContext context;
    juce::Graphics g (context);
    label.getLookAndFeel().drawLabel (g, label);
    return context;
}
} // namespace

TEST (VolumeBar, DrawsTheBottomPartOfThePictureForTheLevel)
{
    struct Case
    {
        const char* level;
        int width, height, imageWidth, imageHeight;
        juce::Rectangle<int> source, destination; // empty: nothing is drawn
    };

    const Case cases[] = {
        { "0.5", 20, 100, 40, 200, { 0, 100, 40, 100 }, { 0, 50, 20, 50 } },
        { "1", 20, 100, 40, 200, { 0, 0, 40, 200 }, { 0, 0, 20, 100 } },
        { "0.333", 10, 30, 8, 60, { 0, 41, 8, 19 }, { 0, 21, 10, 9 } }, // 9.99 and 19.98 truncated
        { "0", 20, 100, 40, 200, {}, {} },
        { "abc", 20, 100, 40, 200, {}, {} },
        // Kept within 0 to 1.
        { "1.5", 20, 100, 40, 200, { 0, 0, 40, 200 }, { 0, 0, 20, 100 } },
        { "-0.5", 20, 100, 40, 200, {}, {} },
        { "nan", 20, 100, 40, 200, {}, {} },
        { "inf", 20, 100, 40, 200, {}, {} },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.level);
        juce::VolumeBar bar;
        bar.setBounds (0, 0, c.width, c.height);
        bar.setBarImage (makeCoordinateImage (c.imageWidth, c.imageHeight));
        bar.setText (c.level, juce::dontSendNotification);

        const auto drawn = drawBar (bar).visible();

        if (c.destination.isEmpty())
        {
            EXPECT_TRUE (drawn.empty());
            continue;
        }

        ASSERT_EQ (drawn.size(), 1u);
        EXPECT_EQ (drawn[0].kind, DrawnOperation::Kind::image);
        EXPECT_EQ (drawn[0].image.getBounds().withPosition (sourceOrigin (drawn[0].image)), c.source);
        EXPECT_EQ (drawn[0].bounds, c.destination.toFloat());
    }
}

TEST (VolumeBar, WithoutPictureDrawsNothing)
{
    juce::VolumeBar bar;
    bar.setBounds (0, 0, 20, 100);
    bar.setText ("0.7", juce::dontSendNotification);
    EXPECT_TRUE (drawBar (bar).operations.empty());
}

TEST (VolumeBar, PaintsOnlyThePictureNeitherBackgroundNorText)
{
    juce::VolumeBar bar;
    bar.setBounds (0, 0, 20, 100);
    bar.setColour (juce::Label::backgroundColourId, juce::Colours::red);
    bar.setColour (juce::Label::outlineColourId, juce::Colours::blue);
    bar.setBarImage (makeCoordinateImage (40, 200));
    bar.setText ("0.5", juce::dontSendNotification);

    RecordingContext context;
    juce::Graphics g (context);
    bar.paintEntireComponent (g, true);

    const auto drawn = context.visible();
    ASSERT_EQ (drawn.size(), 1u);
    EXPECT_EQ (drawn[0].kind, DrawnOperation::Kind::image);
}
