#include "RecordingContext.h"
#include "WidgetTestSupport.h"
#include "widgets/VImageSlider.h"

#include <gtest/gtest.h>

using namespace widget_tests;

namespace
{
RecordingContext drawSlider (juce::Slider& slider, int y, int width, int height, float sliderPos)
{
    RecordingContext context;
    juce::Graphics g (context);
    slider.getLookAndFeel().drawLinearSlider (g, 3, y, width, height, sliderPos, 0.0f, 0.0f,
                                              juce::Slider::LinearVertical, slider);
    return context;
}

juce::Rectangle<int> sliderBounds (juce::Slider& slider)
{
    return slider.getLookAndFeel().getSliderLayout (slider).sliderBounds;
}
} // namespace

TEST (VImageSlider, AttachesItsLookAndFeelAsAVerticalSliderWithoutTextBox)
{
    juce::VImageSlider slider;
    EXPECT_NE (dynamic_cast<juce::VImageSlider::LookAndFeelLocal*> (&slider.getLookAndFeel()), nullptr);
    EXPECT_EQ (slider.getSliderStyle(), juce::Slider::LinearVertical);
    EXPECT_EQ (slider.getTextBoxPosition(), juce::Slider::NoTextBox);
}

TEST (VImageSlider, TravelIsInsetByHalfAThumbAtEachEnd)
{
    juce::VImageSlider slider;
    slider.setBounds (0, 0, 20, 200);
    slider.setThumbImage (makeCoordinateImage (40, 20)); // 10 high at the slider's width

    const auto layout = slider.getLookAndFeel().getSliderLayout (slider);
    EXPECT_EQ (layout.sliderBounds, juce::Rectangle<int> (0, 5, 20, 190));
    EXPECT_TRUE (layout.textBoxBounds.isEmpty());

    // The slider itself moves its thumb within that travel.
    slider.setRange (0.0, 1.0);
    EXPECT_FLOAT_EQ (slider.getPositionOfValue (1.0), 5.0f);
    EXPECT_FLOAT_EQ (slider.getPositionOfValue (0.0), 195.0f);

    slider.setThumbImage (makeCoordinateImage (20, 9)); // an odd thumb height: 4 above, 5 below
    EXPECT_EQ (sliderBounds (slider), juce::Rectangle<int> (0, 4, 20, 191));
}

TEST (VImageSlider, DrawsTheTrackThenTheThumbCentredOnThePosition)
{
    juce::VImageSlider slider;
    slider.setBounds (0, 0, 20, 200);
    slider.setThumbImage (makeCoordinateImage (40, 20));
    slider.setTrackColour (juce::Colour (0xff123456));

    for (const auto sliderPos : { 100.0f, 100.5f })
    {
        SCOPED_TRACE (sliderPos);
        const auto drawn = drawSlider (slider, 5, 20, 190, sliderPos).operations;
        ASSERT_EQ (drawn.size(), 2u);

        juce::Path track;
        track.addRoundedRectangle (7.0f, 5.0f, 6.0f, 190.0f, 3.0f);
        EXPECT_EQ (drawn[0].colour, juce::Colour (0xff123456));
        EXPECT_TRUE (samePath (drawn[0].path, track));

        EXPECT_EQ (drawn[1].kind, DrawnOperation::Kind::image);
        EXPECT_EQ (drawn[1].image.getBounds(), juce::Rectangle<int> (0, 0, 40, 20)); // the whole picture
        EXPECT_EQ (sourceOrigin (drawn[1].image), juce::Point<int> (0, 0));
        EXPECT_EQ (drawn[1].bounds, juce::Rectangle<float> (0.0f, 95.0f, 20.0f, 10.0f));
    }
}

TEST (VImageSlider, ThumbTallerThanTheSliderDrawsNothing)
{
    struct Case
    {
        int width, height, imageWidth, imageHeight;
        bool drawn;
    };

    const Case cases[] = {
        { 100, 40, 50, 30, false }, // 60 high at the slider's width
        { 20, 10, 40, 20, true }, // exactly as high as the slider
        { 30, 10, 90, 31, false }, // 10.33 high: a third of a pixel too tall
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.width << " x " << c.height);
        juce::VImageSlider slider;
        slider.setBounds (0, 0, c.width, c.height);
        slider.setThumbImage (makeCoordinateImage (c.imageWidth, c.imageHeight));

        EXPECT_EQ (drawSlider (slider, 0, c.width, c.height, 5.0f).operations.size(), c.drawn ? 2u : 0u);

        if (! c.drawn)
        {
            EXPECT_EQ (sliderBounds (slider), slider.getLocalBounds());
        }
    }
}

TEST (VImageSlider, WithoutThumbImageDrawsNothingAndGivesTheFullBounds)
{
    juce::VImageSlider slider;
    slider.setBounds (0, 0, 20, 200);

    EXPECT_TRUE (drawSlider (slider, 0, 20, 200, 100.0f).operations.empty());
    EXPECT_EQ (sliderBounds (slider), juce::Rectangle<int> (0, 0, 20, 200));

    RecordingContext context;
    juce::Graphics g (context);
    slider.paintEntireComponent (g, true);
    EXPECT_TRUE (context.visible().empty());
}

TEST (VImageSlider, AnotherSliderIsDrawnAndLaidOutAsLookAndFeelV2Does)
{
    juce::VImageSlider::LookAndFeelLocal kitLook;
    juce::LookAndFeel_V2 plainLook;
    juce::Slider slider (juce::Slider::LinearVertical, juce::Slider::TextBoxBelow);
    slider.setBounds (0, 0, 40, 200);

    EXPECT_EQ (kitLook.getSliderLayout (slider).sliderBounds, plainLook.getSliderLayout (slider).sliderBounds);
    EXPECT_EQ (kitLook.getSliderLayout (slider).textBoxBounds, plainLook.getSliderLayout (slider).textBoxBounds);

    const auto draw = [&slider] (juce::LookAndFeel& lookAndFeel)
    {
        RecordingContext context;
        juce::Graphics g (context);
        lookAndFeel.drawLinearSlider (g, 0, 10, 40, 160, 50.0f, 10.0f, 170.0f, juce::Slider::LinearVertical, slider);
        return context.operations;
    };

    const auto drawn = draw (kitLook);
    const auto expected = draw (plainLook);
    ASSERT_FALSE (drawn.empty());
    ASSERT_EQ (drawn.size(), expected.size());

    for (size_t i = 0; i < drawn.size(); ++i)
        EXPECT_EQ (drawn[i].bounds, expected[i].bounds);
}
