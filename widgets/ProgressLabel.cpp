#include "widgets/ProgressLabel.h"

#include <cmath>

namespace juce
{

void ProgressLabel::CustomLookAndFeel::drawLabel (juce::Graphics& g, juce::Label& label)
{
    auto value = (float) label.getText().getDoubleValue();

    if (std::isnan (value)) // "nan" is read as a number but has no width
        value = 0.0f;

    auto percent = juce::jmin (value, 100.0f);

    if (percent < 0.0f)
        percent = 100.0f;

    const auto width = label.getWidth();
    const auto height = label.getHeight();
    const auto filledWidth = (int) ((float) width * percent / 100.0f);
    const auto cornerSize = (float) (height / 2);

    g.setColour (label.findColour (juce::Label::backgroundColourId, false));
    g.fillRoundedRectangle (0.0f, 0.0f, (float) width, (float) height, cornerSize);

    g.setColour (label.findColour (value > 0.0f ? (int) juce::Label::textColourId
                                                : (int) juce::TextEditor::highlightColourId,
                                   false));
    g.fillRoundedRectangle (0.0f, 0.0f, (float) filledWidth, (float) height, cornerSize);
}

ProgressLabel::ProgressLabel()
{
    setLookAndFeel (&localLookAndFeel);
}

ProgressLabel::~ProgressLabel()
{
    setLookAndFeel (nullptr);
}

} // namespace juce
