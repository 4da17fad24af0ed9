#include "RecordingContext.h"
#include "widgets/ImageKnob.h"

#include <gtest/gtest.h>

using namespace widget_tests;

namespace
{
const juce::Colour frameColours[] = { juce::Colours::red, juce::Colours::lime, juce::Colours::blue };

// Encoded once for the whole test program: the image cache knows frames by their address.
const std::vector<juce::MemoryBlock>& encodedFrames()
{
    static const auto frames = []
    {
        std::vector<juce::MemoryBlock> blocks;

        for (const auto colour : frameColours)
        {
            juce::Image image (juce::Image::ARGB, 8, 8, false);
            image.clear (image.getBounds(), colour);
            juce::MemoryOutputStream stream;
            juce::PNGImageFormat().writeImageToStream (image, stream);
            blocks.push_back (stream.getMemoryBlock());
        }

        return blocks;
    }();

    return frames;
}

juce::Array<juce::ImageKnob::FrameData> frameList (int count)
{
    juce::Array<juce::ImageKnob::FrameData> frames;

    for (int i = 0; i < count; ++i)
        frames.add ({ encodedFrames()[(size_t) i].getData(), (int) encodedFrames()[(size_t) i].getSize() });

    return frames;
}

RecordingContext drawKnob (juce::Slider& knob, int width, int height, float sliderPos = 0.0f,
                           float startAngle = -2.0f, float endAngle = 2.0f)
{
    RecordingContext context ({ 0, 0, width, height });
    juce::Graphics g (context);
    knob.getLookAndFeel().drawRotarySlider (g, 7, 9, width, height, sliderPos, startAngle, endAngle, knob);
    return context;
}

// Which frame a drawing shows, by its colour; -1 when no image was drawn.
int drawnFrame (const RecordingContext& context)
{
    for (const auto& operation : context.operations)
        if (operation.kind == DrawnOperation::Kind::image)
            for (int i = 0; i < 3; ++i)
                if (operation.image.getPixelAt (4, 4) == frameColours[i])
                    return i;

    return -1;
}
} // namespace

TEST (ImageKnob, AttachesItsLookAndFeelAsARotaryKnobWithoutTextBox)
{
    juce::ImageKnob knob;
    EXPECT_NE (dynamic_cast<juce::ImageKnob::LookAndFeelLocal*> (&knob.getLookAndFeel()), nullptr);
    EXPECT_TRUE (knob.isRotary());
    EXPECT_EQ (knob.getTextBoxPosition(), juce::Slider::NoTextBox);
    EXPECT_NE (knob.getComponentEffect(), nullptr);
}

TEST (ImageKnob, FrameForTheValueRoundsToTheNearestFrame)
{
    struct Case
    {
        double minimum, maximum, value, skew;
        int frames, expectedFrame; // -1: nothing drawn
    };

    const Case cases[] = {
        { 0.0, 1.0, 0.0, 1.0, 3, 0 },
        { 0.0, 1.0, 1.0, 1.0, 3, 2 },
        { 0.0, 1.0, 0.25, 1.0, 3, 1 }, // 0.5 rounds up
        { 0.0, 1.0, 0.24, 1.0, 3, 0 },
        { 10.0, 20.0, 17.5, 1.0, 3, 2 },
        { 0.0, 1.0, 0.25, 0.3, 3, 1 }, // the skew plays no part
        { 0.0, 1.0, 0.5, 1.0, 1, -1 },
        { 0.0, 1.0, 0.5, 1.0, 0, -1 },
        { 5.0, 5.0, 5.0, 1.0, 3, -1 }, // an empty range (the framework warns of it in debug builds)
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.minimum << ".." << c.maximum << " at " << c.value << ", "
                                         << c.frames << " frames");
        juce::ImageKnob knob;
        knob.setRange (c.minimum, c.maximum);
        knob.setSkewFactor (c.skew);
        knob.setValue (c.value, juce::dontSendNotification);
        knob.setFrames (frameList (c.frames));

        const auto drawn = drawKnob (knob, 50, 50);
        EXPECT_EQ (drawnFrame (drawn), c.expectedFrame);

        if (c.expectedFrame < 0)
        {
            EXPECT_TRUE (drawn.operations.empty());
        }
    }
}

TEST (ImageKnob, FrameFillsASquareOfTheWidthAtTheOrigin)
{
    juce::ImageKnob knob;
    knob.setFrames (frameList (3));

    const auto drawn = drawKnob (knob, 100, 60).operations; // x and y (7, 9) are not used
    ASSERT_EQ (drawn.size(), 1u);
    EXPECT_EQ (drawn[0].kind, DrawnOperation::Kind::image);
    EXPECT_EQ (drawn[0].bounds, juce::Rectangle<float> (0.0f, 0.0f, 100.0f, 100.0f));
}

TEST (ImageKnob, OtherDrawModesDrawNothing)
{
    for (const auto mode : { 2, -1 })
    {
        juce::ImageKnob knob;
        knob.setFrames (frameList (3));
        knob.setDrawMode (mode);
        EXPECT_TRUE (drawKnob (knob, 40, 40).operations.empty());
    }
}

TEST (ImageKnob, VectorKnobGeometry)
{
    struct Case
    {
        float sliderPos, angle;
    };

    // -2 to 2: half way is upright.
    for (const auto c : { Case { 0.5f, 0.0f }, Case { 0.0f, -2.0f }, Case { 0.75f, 1.0f } })
    {
        SCOPED_TRACE (c.sliderPos);
        juce::ImageKnob knob;
        knob.setDrawMode (juce::ImageKnob::vectorKnob);

        const auto drawn = drawKnob (knob, 40, 40, c.sliderPos).operations;
        ASSERT_EQ (drawn.size(), 3u);

        EXPECT_EQ (drawn[0].colour, juce::Colour (0xffffffff));
        EXPECT_EQ (drawn[0].bounds, juce::Rectangle<float> (0.0f, 0.0f, 40.0f, 40.0f));

        juce::Path disc;
        disc.addEllipse (4.0f, 4.0f, 32.0f, 32.0f);
        EXPECT_EQ (drawn[1].colour, juce::Colour (0xffd7d7d7));
        EXPECT_TRUE (samePath (drawn[1].path, disc));

        juce::Path pointer;
        pointer.addRectangle (17.5f, 4.5f, 5.0f, 12.5f);
        pointer.applyTransform (juce::AffineTransform::rotation (c.angle, 20.0f, 20.0f));
        EXPECT_EQ (drawn[2].colour, juce::Colour (0xff4a4a4a));
        EXPECT_TRUE (samePath (drawn[2].path, pointer));
    }
}

TEST (ImageKnob, VectorKnobInsetComesFromTheWidthAlone)
{
    juce::ImageKnob knob;
    knob.setDrawMode (juce::ImageKnob::vectorKnob);

    const auto drawn = drawKnob (knob, 64, 40, 0.5f).operations; // t = 4
    ASSERT_EQ (drawn.size(), 3u);
    EXPECT_EQ (drawn[1].bounds, juce::Rectangle<float> (8.0f, 8.0f, 48.0f, 24.0f));
    EXPECT_EQ (drawn[2].bounds, juce::Rectangle<float> (28.0f, 6.5f, 8.0f, 12.5f));
}

TEST (ImageKnob, ValueBubbleGoesBelowForAnySlider)
{
    juce::ImageKnob knob;
    juce::Slider plain;
    juce::ImageKnob::LookAndFeelLocal lookAndFeel;

    EXPECT_EQ (knob.getLookAndFeel().getSliderPopupPlacement (knob), juce::BubbleComponent::below);
    EXPECT_EQ (lookAndFeel.getSliderPopupPlacement (plain), 2);
}
