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

    if (frame.dataSize < 0) // no size at all: reading it would run past the caller's bytes
        return;

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
    shadow.setShadowProperties (getShadowStyle());
}

ImageKnob::~ImageKnob()
{
    setLookAndFeel (nullptr);
}

juce::DropShadow ImageKnob::getShadowStyle()
{
    return { juce::Colours::black.withAlpha (0.35f), 6, { 0, 2 } };
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

void ImageKnob::setShadowVisible (bool shouldShowShadow)
{
    shadowVisible = shouldShowShadow;
    repaint();
}

void ImageKnob::paint (juce::Graphics& g)
{
    if (! (shadowVisible && paintWithShadow (g)))
        juce::Slider::paint (g);
}

void ImageKnob::lookAndFeelChanged()
{
    juce::Slider::lookAndFeelChanged();

    // The slider has just taken the look-and-feel's effect; the knob draws its shadow itself.
    setComponentEffect (nullptr);
}

bool ImageKnob::paintWithShadow (juce::Graphics& g)
{
    // What a component effect does, but for the clip only: the look-and-feel draws the clip and
    // the blur's reach around it into an image, and the shadow effect draws that image with
    // its shadow. Each of the blur's passes spreads it by one pixel, twice the radius each way;
    // one pixel more covers the offset's rounding at other scales.
    const auto scale = g.getInternalContext().getPhysicalPixelScaleFactor();
    const auto style = getShadowStyle();
    const auto passes = 2 * juce::roundToInt ((float) style.radius * scale) + 1;
    const auto reach = (int) std::ceil ((float) passes / scale);

    const auto clip = g.getClipBounds();
    const auto area = clip.getUnion (clip - style.offset).expanded (reach).getIntersection (getLocalBounds());
    const auto width = (int) std::ceil ((float) area.getWidth() * scale);
    const auto height = (int) std::ceil ((float) area.getHeight() * scale);

    // The framework's blur runs outside an image less than 3 pixels wide or high.
    if (width < 3 || height < 3)
        return false;

    juce::Image content (juce::Image::ARGB, width, height, true);

    {
        juce::Graphics contentGraphics (content);
        contentGraphics.addTransform (juce::AffineTransform::translation (-area.getPosition().toFloat()).scaled (scale));
        juce::Slider::paint (contentGraphics);
    }

    const juce::Graphics::ScopedSaveState state (g);
    g.setOrigin (area.getPosition());
    g.addTransform (juce::AffineTransform::scale (1.0f / scale));
    shadow.applyEffect (content, g, scale, 1.0f);
    return true;
}

} // namespace juce
