#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace juce
{

/** A level meter: a label whose text is a level from 0 to 1, shown as the bottom part of a
    picture of a full bar, stretched to the label's width and standing on its bottom edge.

    Whoever drives the meter sets the label's text (setText) to the new level; a text that is no
    number, or not finite, reads as 0, and a level outside 0 to 1 is drawn as the nearer end.
    Until a bar picture is given nothing is drawn.
*/
class VolumeBar : public juce::Label
{
public:
    /** Draws a label's text as a level on the bar picture, in place of the text. It reads only
        the label's text and size, so it serves any label.
    */
    class LookAndFeelLocal : public juce::LookAndFeel_V2
    {
    public:
        LookAndFeelLocal() = default;
        ~LookAndFeelLocal() override = default;

        void setBarImage (juce::Image newBarImage) { barImage = std::move (newBarImage); }
        [[nodiscard]] const juce::Image& getBarImage() const noexcept { return barImage; }

        void drawLabel (juce::Graphics&, juce::Label&) override;

    private:
        juce::Image barImage;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LookAndFeelLocal)
    };

    VolumeBar();
    ~VolumeBar() override;

    /** The picture of a full bar (shared, not copied); a null image draws nothing. */
    void setBarImage (juce::Image newBarImage);

private:
    LookAndFeelLocal localLookAndFeel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VolumeBar)
};

} // namespace juce
