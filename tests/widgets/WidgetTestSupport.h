#pragma once

#include <juce_graphics/juce_graphics.h>

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

} // namespace widget_tests
