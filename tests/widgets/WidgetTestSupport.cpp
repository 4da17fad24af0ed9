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

std::vector<juce::MemoryBlock> makeKnobFramePngs (int size)
{
    const auto unit = (float) size / 64.0f;
    std::vector<juce::MemoryBlock> frames;

    for (int i = 0; i < 5; ++i)
    {
        juce::Image frame (juce::Image::ARGB, size, size, true);
        juce::Graphics g (frame);
        g.setColour (juce::Colour (0xff303848));
        g.fillEllipse (4.0f * unit, 4.0f * unit, 56.0f * unit, 56.0f * unit);
        g.setColour (juce::Colour (0xfff0a030));
        const auto angle = -2.4f + 4.8f * (float) i / 4.0f;
        juce::Path notch;
        notch.addRectangle (30.0f * unit, 8.0f * unit, 4.0f * unit, 16.0f * unit);
        g.fillPath (notch, juce::AffineTransform::rotation (angle, 32.0f * unit, 32.0f * unit));

        juce::MemoryOutputStream stream;
        juce::PNGImageFormat().writeImageToStream (frame, stream);
        frames.push_back (stream.getMemoryBlock());
    }

    return frames;
}

} // namespace widget_tests
