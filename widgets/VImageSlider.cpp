#include "widgets/VImageSlider.h"

#include <cmath>

namespace juce
{

void VImageSlider::LookAndFeelLocal::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height,
                                                       float sliderPos, float minSliderPos, float maxSliderPos,
                                                       juce::Slider::SliderStyle style, juce::Slider& slider)
{
    if (auto* own = dynamic_cast<VImageSlider*> (&slider))
        own->drawLinearSlider (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style, slider);
    else
        LookAndFeel_V2::drawLinearSlider (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style,
                                          slider);
}

juce::Slider::SliderLayout VImageSlider::LookAndFeelLocal::getSliderLayout (juce::Slider& slider)
{
    if (auto* own = dynamic_cast<VImageSlider*> (&slider))
        return own->getSliderLayout (slider);

    return LookAndFeel_V2::getSliderLayout (slider);
}

//==============================================================================
VImageSlider::VImageSlider()
    : juce::Slider (juce::Slider::LinearVertical, juce::Slider::NoTextBox)
{
    setLookAndFeel (&localLookAndFeel);
}

VImageSlider::~VImageSlider()
{
    setLookAndFeel (nullptr);
}

void VImageSlider::setThumbImage (juce::Image newThumbImage)
{
    thumbImage = std::move (newThumbImage);

    // The thumb's height sets the travel, so the layout changes with it.
    resized();
    repaint();
}

void VImageSlider::setTrackColour (juce::Colour newTrackColour)
{
    trackColour = newTrackColour;
    repaint();
}

int VImageSlider::getScaledThumbHeight() const noexcept
{
    if (! thumbImage.isValid())
        return 0;

    return (int) ((juce::int64) getWidth() * thumbImage.getHeight() / thumbImage.getWidth());
}

bool VImageSlider::thumbFits() const noexcept
{
    // Compared in whole numbers, so that a thumb exactly as tall as the slider counts as fitting.
    return thumbImage.isValid()
           && (juce::int64) getWidth() * thumbImage.getHeight() <= (juce::int64) getHeight() * thumbImage.getWidth();
}

void VImageSlider::drawLinearSlider (juce::Graphics& g, int /*x*/, int y, int width, int height, float sliderPos,
                                     float /*minSliderPos*/, float /*maxSliderPos*/, juce::Slider::SliderStyle,
                                     juce::Slider&)
{
    const auto thumbHeight = getScaledThumbHeight();

    if (! thumbFits())
        return;

    g.setColour (trackColour);
    g.fillRoundedRectangle ((float) ((float) width * 0.7f * 0.5), (float) y, (float) width * 0.3f, (float) height,
                            (float) width * 0.3f * 0.5f);

    const auto thumbTop = (int) std::floor ((double) sliderPos - thumbHeight * 0.5);
    g.drawImage (thumbImage, 0, thumbTop, getWidth(), thumbHeight, 0, 0, thumbImage.getWidth(),
                 thumbImage.getHeight(), false);
}

juce::Slider::SliderLayout VImageSlider::getSliderLayout (juce::Slider&)
{
    juce::Slider::SliderLayout layout;
    const auto thumbHeight = getScaledThumbHeight();

    if (! thumbFits())
        layout.sliderBounds = getLocalBounds();
    else
        layout.sliderBounds = { 0, thumbHeight / 2, getWidth(), getHeight() - thumbHeight };

    return layout;
}

} // namespace juce
