#include "widgets/ImageKnob.h"

#include <cmath>

namespace juce
{

void ImageKnob::LookAndFeelLocal::drawRotarySlider (juce::Graphics& g, int /*x*/, int /*y*/, int width, int height,
                                                    float sliderPos, float rotaryStartAngle,
                                                    float rotaryEndAngle, juce::Slider& slider)
{
    // Both modes draw from the origin of g, as the slider's own bounds start there.
    if (drawMode == imageFrames)
        drawImageFrame (g, width, slider);
    else if (drawMode == vectorKnob)
        drawVectorKnob (g, width, height, sliderPos, rotaryStartAngle, rotaryEndAngle);
}

int ImageKnob::LookAndFeelLocal::getSliderPopupPlacement (juce::Slider&)
{
    return juce::BubbleComponent::below;
}

void ImageKnob::LookAndFeelLocal::drawImageFrame (juce::Graphics& g, int width, juce::Slider& slider)
{
    const auto numFrames = frames.size();
    const auto lowest = slider.getMinimum();
    const auto range = slider.getMaximum() - lowest;

    if (numFrames < 2 || ! (range > 0.0))
        return;

    // Linear in the value, whatever the skew: the frames stand for evenly spaced values.
    const auto position = std::round ((slider.getValue() - lowest) / range * (numFrames - 1));

    if (! (position >= 0.0 && position < numFrames))
        return;

    const auto& frame = frames.getReference ((int) position);
    const auto image = juce::ImageCache::getFromMemory (frame.imageData, frame.dataSize);

    g.drawImage (image, 0, 0, width, width, 0, 0, image.getWidth(), image.getHeight(), false);
}

void ImageKnob::LookAndFeelLocal::drawVectorKnob (juce::Graphics& g, int width, int height, float sliderPos,
                                                  float rotaryStartAngle, float rotaryEndAngle)
{
    const auto angle = rotaryStartAngle + sliderPos * (rotaryEndAngle - rotaryStartAngle);

    g.fillAll (juce::Colour (0xffffffff));

    // The inset comes from the width alone, for both directions.
    const auto inset = (int) ((double) width * 4.0 * 0.015625);

    juce::Path shape;
    shape.addEllipse ((float) (2 * inset), (float) (2 * inset), (float) (width - 4 * inset),
                      (float) (height - 4 * inset));
    g.setColour (juce::Colour (0xffd7d7d7));
    g.fillPath (shape);

    // The pointer stands above the centre: at angle 0 it points to twelve o'clock.
    shape.clear();
    shape.addRectangle ((float) (width * 0.4375), (float) (height * 0.0625 + inset), (float) (width * 0.125),
                        (float) (height * 0.3125));
    g.setColour (juce::Colour (0xff4a4a4a));
    g.fillPath (shape, juce::AffineTransform::rotation (angle, (float) width * 0.5f, (float) height * 0.5f));
}

//==============================================================================
ImageKnob::ImageKnob()
    : juce::Slider (juce::Slider::RotaryHorizontalVerticalDrag, juce::Slider::NoTextBox)
{
    setLookAndFeel (&localLookAndFeel);

    // After the look-and-feel: a slider takes its effect from each new look-and-feel.
    shadow.setShadowProperties (juce::DropShadow (juce::Colours::black.withAlpha (0.35f), 6, { 0, 2 }));
    setComponentEffect (&shadow);
}

ImageKnob::~ImageKnob()
{
    setLookAndFeel (nullptr);
    setComponentEffect (nullptr);
}

void ImageKnob::setFrames (juce::Array<FrameData> newFrames)
{
    localLookAndFeel.setFrames (std::move (newFrames));
    repaint();
}

void ImageKnob::setDrawMode (int newDrawMode)
{
    localLookAndFeel.setDrawMode (newDrawMode);
    repaint();
}

} // namespace juce
