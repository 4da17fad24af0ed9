#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace juce
{

/** A pill-shaped progress bar: a label whose text is a percentage, normally 0 to 100.

    The whole label is the track, in Label::backgroundColourId; the left part, in proportion to
    the value, is filled in Label::textColourId. A value of 0 or below switches the filled part
    to TextEditor::highlightColourId, and a negative value fills the whole bar in it, so a driver
    can show a failed or unknown state with -1. Values above 100 show a full bar; a text that is
    no number (or "nan") reads as 0. The text itself is not drawn. Colours come from the label or its
    look-and-feel (LookAndFeel_V2's defaults unless set).
*/
class ProgressLabel : public juce::Label
{
public:
    /** Draws a label's text as a percentage bar. It reads only the label's text, size and
        colours, so it serves any label.
    */
    class CustomLookAndFeel : public juce::LookAndFeel_V2
    {
    public:
        CustomLookAndFeel() = default;
        ~CustomLookAndFeel() override = default;

        void drawLabel (juce::Graphics&, juce::Label&) override;

    private:
        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CustomLookAndFeel)
    };

    ProgressLabel();
    ~ProgressLabel() override;

protected:
    // The text is never edited in place, so the label's editor is not fitted to the bounds.
    void resized() override {}

private:
    CustomLookAndFeel localLookAndFeel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ProgressLabel)
};

} // namespace juce
