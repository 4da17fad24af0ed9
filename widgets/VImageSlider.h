#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace juce
{

/** A vertical linear slider whose thumb is a picture: a narrow rounded track runs down the
    middle, and the thumb image, scaled to the slider's full width, is centred on the position.
    The thumb's aspect ratio sets the end insets of the travel (half a thumb at each end).

    Defaults: a vertical linear slider without a text box, the range of juce::Slider (0 to 10), a
    mid-grey track, no thumb image. Without a thumb image, or when the scaled thumb would be taller
    than the slider, nothing is drawn and the layout gives the slider the full bounds.
*/
class VImageSlider : public juce::Slider
{
public:
    /** Hands drawing and layout to the VImageSlider it is given. Handed any other slider it
        draws and lays out as LookAndFeel_V2 does, since the thumb and track exist only there.
    */
    class LookAndFeelLocal : public juce::LookAndFeel_V2
    {
    public:
        LookAndFeelLocal() = default;
        ~LookAndFeelLocal() override = default;

        void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos,
                               float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle,
                               juce::Slider&) override;
        juce::Slider::SliderLayout getSliderLayout (juce::Slider&) override;

    private:
        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LookAndFeelLocal)
    };

    VImageSlider();
    ~VImageSlider() override;

    /** The thumb picture (shared, not copied); a null image leaves the slider undrawn. */
    void setThumbImage (juce::Image newThumbImage);
    [[nodiscard]] const juce::Image& getThumbImage() const noexcept { return thumbImage; }

    void setTrackColour (juce::Colour newTrackColour);
    [[nodiscard]] juce::Colour getTrackColour() const noexcept { return trackColour; }

    /** Draws the track and the thumb; reached through the look-and-feel. Of the arguments only
        y, width, height and sliderPos are read: the track starts at the slider's left edge.
    */
    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos,
                           float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle, juce::Slider&);

    /** The travel inset by half a thumb at the top and the rest of a thumb at the bottom; no
        text box. Reached through the look-and-feel.
    */
    juce::Slider::SliderLayout getSliderLayout (juce::Slider&);

private:
    /** Height of the thumb scaled to the slider's width; 0 without a thumb image. */
    [[nodiscard]] int getScaledThumbHeight() const noexcept;
    /** True when there is a thumb image and, scaled to the width, it is no taller than the slider. */
    [[nodiscard]] bool thumbFits() const noexcept;

    juce::Image thumbImage;
    juce::Colour trackColour { 0xff808080 };
    LookAndFeelLocal localLookAndFeel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VImageSlider)
};

} // namespace juce
