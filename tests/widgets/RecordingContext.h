#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

namespace widget_tests
{

/** One drawing operation as it reached the graphics context, in device coordinates. */
struct DrawnOperation
{
    enum class Kind
    {
        fill, // fillRect, fillRectList, fillPath and fillAll: path holds the filled shape
        image,
        glyph,
        line
    };

    Kind kind = Kind::fill;
    juce::Colour colour; // the fill colour when the fill is a plain colour
    float opacity = 1.0f;
    juce::Rectangle<float> bounds;
    juce::Path path;
    juce::Image image; // for images: the (sub-)image that was handed over
    juce::Font font; // for glyphs: the font of the glyph
    int glyph = 0;
    juce::AffineTransform transform; // for images and glyphs: from their own to device coordinates

    /** True when it covers some area (a filled rectangle 0 wide, for instance, does not). */
    [[nodiscard]] bool isVisible() const { return ! bounds.isEmpty(); }
};

/** A graphics context that draws nothing and records every operation, for checking the exact
    shapes, colours, images and glyphs that a look-and-feel draws.
*/
class RecordingContext : public juce::LowLevelGraphicsContext
{
public:
    explicit RecordingContext (juce::Rectangle<int> deviceClip = { 0, 0, 4000, 4000 });

    std::vector<DrawnOperation> operations;

    /** The operations that cover some area, in drawing order. */
    [[nodiscard]] std::vector<DrawnOperation> visible() const;
    [[nodiscard]] std::vector<DrawnOperation> glyphs() const;

    bool isVectorDevice() const override { return false; }
    void setOrigin (juce::Point<int>) override;
    void addTransform (const juce::AffineTransform&) override;
    float getPhysicalPixelScaleFactor() override { return 1.0f; }
    bool clipToRectangle (const juce::Rectangle<int>&) override;
    bool clipToRectangleList (const juce::RectangleList<int>&) override;
    void excludeClipRectangle (const juce::Rectangle<int>&) override {}
    void clipToPath (const juce::Path&, const juce::AffineTransform&) override;
    void clipToImageAlpha (const juce::Image&, const juce::AffineTransform&) override;
    bool clipRegionIntersects (const juce::Rectangle<int>&) override;
    juce::Rectangle<int> getClipBounds() const override;
    bool isClipEmpty() const override;
    void saveState() override;
    void restoreState() override;
    void beginTransparencyLayer (float) override { saveState(); }
    void endTransparencyLayer() override { restoreState(); }
    void setFill (const juce::FillType&) override;
    void setOpacity (float) override;
    void setInterpolationQuality (juce::Graphics::ResamplingQuality) override {}
    void fillRect (const juce::Rectangle<int>&, bool replaceExistingContents) override;
    void fillRect (const juce::Rectangle<float>&) override;
    void fillRectList (const juce::RectangleList<float>&) override;
    void fillPath (const juce::Path&, const juce::AffineTransform&) override;
    void drawImage (const juce::Image&, const juce::AffineTransform&) override;
    void drawLine (const juce::Line<float>&) override;
    void setFont (const juce::Font&) override;
    const juce::Font& getFont() override;
    void drawGlyph (int glyphNumber, const juce::AffineTransform&) override;

private:
    struct State
    {
        juce::AffineTransform transform;
        juce::Rectangle<int> clip; // in device coordinates (the bounding box of the clip region)
        juce::FillType fill;
        float opacity = 1.0f;
        juce::Font font;
    };

    void clipToDeviceArea (juce::Rectangle<float> deviceArea);
    void record (DrawnOperation::Kind, juce::Path shapeInDevice);
    DrawnOperation startOperation (DrawnOperation::Kind) const;

    State state;
    std::vector<State> savedStates;
};

/** True when both drew the same glyphs at the same places, in fonts of the same typeface and
    height.
*/
bool sameGlyphs (const std::vector<DrawnOperation>& drawn, const std::vector<DrawnOperation>& expected);

/** The glyphs of one drawFittedText call, for comparing with what a look-and-feel drew. */
std::vector<DrawnOperation> fittedTextGlyphs (const juce::Font&, const juce::String& text, juce::Rectangle<int> area,
                                              juce::Justification, int maximumLines, float minimumHorizontalScale);

/** True when the two paths hold the same elements within a small tolerance. */
bool samePath (const juce::Path& drawn, const juce::Path& expected);

} // namespace widget_tests
