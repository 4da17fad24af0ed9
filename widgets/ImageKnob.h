#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace juce
{

/** A rotary slider drawn from a sequence of frame images, or as a plain vector knob.

    Defaults: a rotary slider dragged horizontally or vertically, without a text box, the range
    of juce::Slider (0 to 10), no frames, drawing mode 0, and a soft drop shadow under what the
    look-and-feel draws (not under a text box), which shows where the frames are transparent.

    The knob draws the shadow itself, for the part being repainted only, so that repainting a
    small part of a large knob costs what that part costs. It stays whatever the style, the
    text box or the look-and-feel (the knob's own or a parent's); only setShadowVisible turns it
    off. A knob less than 3 pixels wide or high has no shadow. The knob takes no component effect
    from a look-and-feel (LookAndFeel_V1 offers a shadow of its own), which would shadow it twice.

    When the value popup is enabled (Slider::setPopupDisplayEnabled) it appears below the knob.
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

    void setShadowVisible (bool shouldShowShadow);
    [[nodiscard]] bool isShadowVisible() const noexcept { return shadowVisible; }

    /** The colour, radius and offset of the knob's shadow. */
    [[nodiscard]] static juce::DropShadow getShadowStyle();

    void paint (juce::Graphics&) override;
    void lookAndFeelChanged() override;

private:
    /** Draws the shadow and the knob into the clip; false when the part to blur is too small. */
    bool paintWithShadow (juce::Graphics&);

    LookAndFeelLocal localLookAndFeel;
    juce::DropShadowEffect shadow;
    bool shadowVisible = true;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ImageKnob)
};

} // namespace juce
