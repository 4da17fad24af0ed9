#include "RecordingContext.h"
#include "support/TestSupport.h"
#include "widgets/ImageKnob.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

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

// The knob painted through a parent, as a window paints it, into a transparent picture.
juce::Image paintThroughParent (juce::Component& parent)
{
    juce::Image window (juce::Image::ARGB, parent.getWidth(), parent.getHeight(), true);
    juce::Graphics g (window);
    parent.paintEntireComponent (g, false);
    return window;
}

/** What may reset a slider's component effect: each is applied to a knob in its parent. */
struct KnobChange
{
    const char* name;
    std::function<void (juce::Component& parent, juce::ImageKnob&)> apply;
};

std::vector<KnobChange> makeKnobChanges (juce::Slider::TextEntryBoxPosition textBox, juce::LookAndFeel& parentLook,
                                         juce::LookAndFeel& knobLook)
{
    return {
        { "none", [] (juce::Component&, juce::ImageKnob&) {} },
        { "text box", [textBox] (juce::Component&, juce::ImageKnob& knob)
          { knob.setTextBoxStyle (textBox, false, 30, 12); } },
        { "slider style", [] (juce::Component&, juce::ImageKnob& knob)
          { knob.setSliderStyle (juce::Slider::Rotary); } },
        { "parent's look-and-feel", [&parentLook] (juce::Component& parent, juce::ImageKnob&)
          { parent.setLookAndFeel (&parentLook); } },
        { "knob's look-and-feel", [&knobLook] (juce::Component&, juce::ImageKnob& knob)
          { knob.setLookAndFeel (&knobLook); } },
    };
}

} // namespace

TEST (ImageKnob, AttachesItsLookAndFeelAsARotaryKnobWithoutTextBox)
{
    juce::ImageKnob knob;
    EXPECT_NE (dynamic_cast<juce::ImageKnob::LookAndFeelLocal*> (&knob.getLookAndFeel()), nullptr);
    EXPECT_TRUE (knob.isRotary());
    EXPECT_EQ (knob.getTextBoxPosition(), juce::Slider::NoTextBox);
    EXPECT_TRUE (knob.isShadowVisible());
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

TEST (ImageKnob, FrameOfNegativeSizeIsNotRead)
{
    // Shorter than any image header: reading on would leave the caller's bytes.
    const std::vector<char> bytes { '\x89', 'P', 'N' };
    juce::ImageKnob knob;
    juce::Array<juce::ImageKnob::FrameData> frames;
    frames.add ({ bytes.data(), -1 });
    frames.add ({ bytes.data(), -1 });
    knob.setFrames (frames);

    EXPECT_TRUE (drawKnob (knob, 40, 40).operations.empty());
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

// A stray read or write is found by the sanitizer build (scripts/test.sh runs these tests in
// it); painting goes through the parent, as a window paints its children.
TEST (ImageKnob, PaintingAtAnySizeStaysInsideItsImages)
{
    juce::LookAndFeel_V1 lookAndFeelV1; // whose slider effect is a drop shadow of its own
    juce::LookAndFeel_V4 lookAndFeelV4;
    const auto changes = makeKnobChanges (juce::Slider::TextBoxBelow, lookAndFeelV4, lookAndFeelV1);

    const juce::Point<int> sizes[] = { { 1, 1 }, { 2, 2 }, { 3, 3 }, { 40, 1 }, { 40, 2 }, { 40, 3 }, { 100, 2 }, { 2, 40 } };

    for (const auto& change : changes)
    {
        for (const auto size : sizes)
        {
            for (const auto mode : { 0, 1 })
            {
                SCOPED_TRACE (testing::Message() << change.name << ", " << size.x << " x " << size.y << ", mode " << mode);
                juce::Component parent;
                parent.setBounds (0, 0, 120, 60);
                juce::ImageKnob knob;
                knob.setFrames (frameList (3));
                knob.setDrawMode (mode);
                parent.addAndMakeVisible (knob);
                knob.setBounds (5, 5, size.x, size.y);
                change.apply (parent, knob);

                paintThroughParent (parent);
            }
        }
    }
}

TEST (ImageKnob, PaintsInARealWindowAtAnySize)
{
    struct Window : public juce::Component
    {
        void paint (juce::Graphics& g) override
        {
            g.fillAll (juce::Colours::lightgrey);
            ++paints;
        }

        int paints = 0;
    };

    Window window;
    window.setBounds (100, 100, 200, 100);
    std::vector<std::unique_ptr<juce::ImageKnob>> knobs;
    int x = 5;

    for (const auto size : { juce::Point<int> (1, 1), { 40, 2 }, { 2, 40 }, { 3, 3 }, { 40, 1 } })
    {
        auto knob = std::make_unique<juce::ImageKnob>();
        knob->setFrames (frameList (3));
        window.addAndMakeVisible (*knob);
        knob->setBounds (x, 5, size.x, size.y);
        x += size.x + 5;
        knobs.push_back (std::move (knob));
    }

    window.addToDesktop (0);
    window.setVisible (true);
    EXPECT_TRUE (testing_support::pumpUntil ([&window]
                                             { return window.paints > 0; },
                                             5000));

    window.removeFromDesktop();
}

TEST (ImageKnob, ShadowStaysThroughStyleAndLookAndFeelChanges)
{
    juce::LookAndFeel_V4 parentLook;
    juce::ImageKnob::LookAndFeelLocal otherLook;
    otherLook.setFrames (frameList (3));

    const auto changes = makeKnobChanges (juce::Slider::NoTextBox, parentLook, otherLook);

    for (const auto& change : changes)
    {
        SCOPED_TRACE (change.name);
        juce::Component parent;
        parent.setBounds (0, 0, 40, 60);
        juce::ImageKnob knob;
        knob.setFrames (frameList (3));
        parent.addAndMakeVisible (knob);
        knob.setBounds (parent.getLocalBounds());
        change.apply (parent, knob);

        // The frame fills the top 40 x 40; the shadow falls below it.
        const auto below = paintThroughParent (parent).getPixelAt (20, 43);
        EXPECT_GT (below.getAlpha(), 0);
        EXPECT_EQ (below.getRed(), 0);

        knob.setShadowVisible (false);
        EXPECT_EQ (paintThroughParent (parent).getPixelAt (20, 43).getAlpha(), 0);
    }
}

TEST (ImageKnob, ShadowInAnyPartIsTheShadowOfTheWholeKnob)
{
    // The whole knob with the framework's shadow effect, as a component effect draws it.
    juce::ImageKnob::LookAndFeelLocal lookAndFeel;
    lookAndFeel.setFrames (frameList (3));
    juce::Slider reference (juce::Slider::RotaryHorizontalVerticalDrag, juce::Slider::NoTextBox);
    reference.setLookAndFeel (&lookAndFeel);
    juce::DropShadowEffect effect;
    effect.setShadowProperties (juce::ImageKnob::getShadowStyle());
    reference.setComponentEffect (&effect);
    reference.setBounds (0, 0, 120, 150);

    juce::Image expected (juce::Image::ARGB, 120, 150, true);
    {
        juce::Graphics g (expected);
        reference.paintEntireComponent (g, false);
    }

    juce::ImageKnob knob;
    knob.setFrames (frameList (3));
    knob.setBounds (reference.getBounds());

    // The shadow lies below the 120 x 120 frame; parts across it, at its ends and away from it.
    const juce::Rectangle<int> parts[] = { { 0, 0, 120, 150 }, { 0, 110, 120, 30 }, { 57, 118, 5, 5 }, { 0, 0, 10, 10 }, { 115, 140, 5, 10 }, { 0, 121, 3, 3 } };

    for (const auto part : parts)
    {
        SCOPED_TRACE (part.toString());
        juce::Image drawn (juce::Image::ARGB, 120, 150, true);
        {
            juce::Graphics g (drawn);
            g.reduceClipRegion (part);
            knob.paintEntireComponent (g, false);
        }

        int differences = 0;

        for (int y = part.getY(); y < part.getBottom(); ++y)
            for (int x = part.getX(); x < part.getRight(); ++x)
                differences += drawn.getPixelAt (x, y) != expected.getPixelAt (x, y) ? 1 : 0;

        EXPECT_EQ (differences, 0);
    }

    EXPECT_GT (expected.getPixelAt (60, 124).getAlpha(), 0); // there is a shadow to compare
    reference.setComponentEffect (nullptr);
    reference.setLookAndFeel (nullptr);
}
