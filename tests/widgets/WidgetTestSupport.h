#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

namespace widget_tests
{

/** The first face of a font file; null when it cannot be read. */
juce::Typeface::Ptr loadTypefaceFile (const juce::File& fontFile);

/** A typeface that is not the default one (DejaVu Serif). */
juce::Typeface::Ptr loadSerifTypeface();

/** A typeface with Latin and Chinese glyphs (WenQuanYi Micro Hei). */
juce::Typeface::Ptr loadChineseTypeface();

/** A picture whose pixel (x, y) has red x and green y, so that any part of it tells where it was
    cut from.
*/
juce::Image makeCoordinateImage (int width, int height);

/** Where in the source picture of makeCoordinateImage a drawn (sub-)image begins. */
juce::Point<int> sourceOrigin (const juce::Image& drawnImage);

/** Five knob frames of size x size, as PNG files, as a knob maker draws them: a dark disc, transparent
    around it, whose notch turns from seven to five o'clock.
*/
std::vector<juce::MemoryBlock> makeKnobFramePngs (int size);

} // namespace widget_tests
