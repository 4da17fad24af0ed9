#include "WidgetTestSupport.h"

namespace widget_tests
{

juce::Typeface::Ptr loadTypefaceFile (const juce::File& fontFile)
{
    juce::MemoryBlock data;

    if (! fontFile.loadFileAsData (data))
        return nullptr;

    return juce::Typeface::createSystemTypefaceFor (data.getData(), data.getSize());
}

juce::Typeface::Ptr loadSerifTypeface()
{
    return loadTypefaceFile (juce::File ("/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf"));
}

juce::Typeface::Ptr loadChineseTypeface()
{
    // JUCE does not list .ttc collections on Linux, so this face is not found by its name.
    return loadTypefaceFile (juce::File ("/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"));
}

juce::Image makeCoordinateImage (int width, int height)
{
    juce::Image image (juce::Image::ARGB, width, height, false);

    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelAt (x, y, juce::Colour ((juce::uint8) x, (juce::uint8) y, (juce::uint8) 0));

    return image;
}

juce::Point<int> sourceOrigin (const juce::Image& drawnImage)
{
    const auto first = drawnImage.getPixelAt (0, 0);
    return { first.getRed(), first.getGreen() };
}

} // namespace widget_tests
