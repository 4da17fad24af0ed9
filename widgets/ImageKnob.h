#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace juce
{

/** A rotary slider drawn from a sequence of frame images, or as a plain vector knob.

    Defaults: a rotary slider dragged horizontally or vertically, without a text box, the range
    of juce::Slider (0 to 10), no frames, drawing mode 0. A soft drop shadow is installed as the
    component effect; it shows where the frames are transparent. A slider takes its effect from
    its look-and-feel, so setting another look-and-feel drops the shadow. When the value popup is enabled
    (Slider::setPopupDisplayEnabled) it appears below the knob.
*/
class ImageKnob : public juce::Slider
{
public:
    /** One encoded image (any format juce::ImageCache::getFromMemory reads) in memory that the
        caller keeps alive, unchanged and at the same address, while the knob draws: the image
        cache knows the image by that address.
    */
    struct FrameData
    {
        const void* imageData = nullptr;
        int dataSize = 0;
    };

    enum DrawMode
    {
        imageFrames = 0, // the frame for the value, scaled into a square of the knob's width
        vectorKnob = 1 // a grey disc on white with a pointer that turns with the value
    };

    /** Draws a rotary slider as the frame for its value or as the vector knob. It reads only the
        slider's value and range, so it serves any rotary slider.
    */
    class LookAndFeelLocal : public juce::LookAndFeel_V2
    {
    public:
        LookAndFeelLocal() = default;
        ~LookAndFeelLocal() override = default;

        /** The frames in value order: the first for the minimum, the last for the maximum, the
            others evenly between. Fewer than two frames draw nothing.
        */
        void setFrames (juce::Array<FrameData> newFrames) { frames = std::move (newFrames); }
        [[nodiscard]] const juce::Array<FrameData>& getFrames() const noexcept { return frames; }

        /** A DrawMode; any other value draws nothing. */
        void setDrawMode (int newDrawMode) noexcept { drawMode = newDrawMode; }
        [[nodiscard]] int getDrawMode() const noexcept { return drawMode; }

        void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos,
                               float rotaryStartAngle, float rotaryEndAngle, juce::Slider&) override;
        int getSliderPopupPlacement (juce::Slider&) override;

    private:
        void drawImageFrame (juce::Graphics&, int width, juce::Slider&);
        void drawVectorKnob (juce::Graphics&, int width, int height, float sliderPos, float rotaryStartAngle,
                             float rotaryEndAngle);

        juce::Array<FrameData> frames;
        int drawMode = imageFrames;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LookAndFeelLocal)
    };

    ImageKnob();
    ~ImageKnob() override;

    void setFrames (juce::Array<FrameData> newFrames);
    void setDrawMode (int newDrawMode);

private:
    LookAndFeelLocal localLookAndFeel;
    juce::DropShadowEffect shadow;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ImageKnob)
};

} // namespace juce
