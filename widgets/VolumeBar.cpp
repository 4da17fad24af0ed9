#include "widgets/VolumeBar.h"

#include <cmath>

namespace juce
{

void VolumeBar::LookAndFeelLocal::drawLabel (juce::Graphics& g, juce::Label& label)
{
    // Kept within 0 to 1: a larger level would only scale the picture beyond the label, and
    // a non-finite one ("nan", "inf") cannot be turned into pixels at all.
    auto level = (float) label.getText().getDoubleValue();
    level = std::isfinite (level) ? juce::jlimit (0.0f, 1.0f, level) : 0.0f;

    const auto shownHeight = (int) ((float) label.getHeight() * level);
    const auto sourceHeight = (int) ((float) barImage.getHeight() * level);

    // An empty rectangle on either side draws nothing, which covers level 0 and a null image.
    g.drawImage (barImage, 0, label.getHeight() - shownHeight, label.getWidth(), shownHeight, 0,
                 barImage.getHeight() - sourceHeight, barImage.getWidth(), sourceHeight, false);
}

VolumeBar::VolumeBar()
{
    setLookAndFeel (&localLookAndFeel);
}

VolumeBar::~VolumeBar()
{
    setLookAndFeel (nullptr);
}

void VolumeBar::setBarImage (juce::Image newBarImage)
{
    localLookAndFeel.setBarImage (std::move (newBarImage));
    repaint();
}

} // namespace juce
