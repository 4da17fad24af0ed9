#include "RecordingContext.h"

#include <cmath>

namespace widget_tests
{

RecordingContext::RecordingContext (juce::Rectangle<int> deviceClip)
{
    state.clip = deviceClip;
    state.fill = juce::FillType (juce::Colours::black);
}

std::vector<DrawnOperation> RecordingContext::visible() const
{
    std::vector<DrawnOperation> result;

    for (const auto& operation : operations)
        if (operation.isVisible())
            result.push_back (operation);

    return result;
}

std::vector<DrawnOperation> RecordingContext::glyphs() const
{
    std::vector<DrawnOperation> result;

    for (const auto& operation : operations)
        if (operation.kind == DrawnOperation::Kind::glyph)
            result.push_back (operation);

    return result;
}

void RecordingContext::setOrigin (juce::Point<int> origin)
{
    state.transform = juce::AffineTransform::translation (origin).followedBy (state.transform);
}

void RecordingContext::addTransform (const juce::AffineTransform& transform)
{
    state.transform = transform.followedBy (state.transform);
}

void RecordingContext::clipToDeviceArea (juce::Rectangle<float> deviceArea)
{
    state.clip = state.clip.getIntersection (deviceArea.getSmallestIntegerContainer());
}

bool RecordingContext::clipToRectangle (const juce::Rectangle<int>& area)
{
    clipToDeviceArea (area.toFloat().transformedBy (state.transform));
    return ! state.clip.isEmpty();
}

bool RecordingContext::clipToRectangleList (const juce::RectangleList<int>& areas)
{
    return clipToRectangle (areas.getBounds());
}

void RecordingContext::clipToPath (const juce::Path& path, const juce::AffineTransform& transform)
{
    clipToDeviceArea (path.getBoundsTransformed (transform.followedBy (state.transform)));
}

void RecordingContext::clipToImageAlpha (const juce::Image& image, const juce::AffineTransform& transform)
{
    clipToDeviceArea (image.getBounds().toFloat().transformedBy (transform.followedBy (state.transform)));
}

bool RecordingContext::clipRegionIntersects (const juce::Rectangle<int>& area)
{
    const auto deviceArea = area.toFloat().transformedBy (state.transform);
    return ! deviceArea.isEmpty() && state.clip.toFloat().intersects (deviceArea);
}

juce::Rectangle<int> RecordingContext::getClipBounds() const
{
    return state.clip.toFloat().transformedBy (state.transform.inverted()).getSmallestIntegerContainer();
}

bool RecordingContext::isClipEmpty() const
{
    return state.clip.isEmpty();
}

void RecordingContext::saveState()
{
    savedStates.push_back (state);
}

void RecordingContext::restoreState()
{
    if (savedStates.empty())
        return;

    state = savedStates.back();
    savedStates.pop_back();
}

void RecordingContext::setFill (const juce::FillType& fill)
{
    state.fill = fill;
}

void RecordingContext::setOpacity (float opacity)
{
    state.opacity = opacity;
}

DrawnOperation RecordingContext::startOperation (DrawnOperation::Kind kind) const
{
    DrawnOperation operation;
    operation.kind = kind;
    operation.colour = state.fill.isColour() ? state.fill.colour : juce::Colour();
    operation.opacity = state.opacity;
    return operation;
}

void RecordingContext::record (DrawnOperation::Kind kind, juce::Path shapeInDevice)
{
    auto operation = startOperation (kind);
    operation.bounds = shapeInDevice.getBounds();
    operation.path = std::move (shapeInDevice);
    operations.push_back (std::move (operation));
}

void RecordingContext::fillRect (const juce::Rectangle<int>& area, bool)
{
    fillRect (area.toFloat());
}

void RecordingContext::fillRect (const juce::Rectangle<float>& area)
{
    juce::Path shape;
    shape.addRectangle (area);
    shape.applyTransform (state.transform);
    record (DrawnOperation::Kind::fill, std::move (shape));
}

void RecordingContext::fillRectList (const juce::RectangleList<float>& areas)
{
    for (const auto& area : areas)
        fillRect (area);
}

void RecordingContext::fillPath (const juce::Path& path, const juce::AffineTransform& transform)
{
    auto shape = path;
    shape.applyTransform (transform.followedBy (state.transform));
    record (DrawnOperation::Kind::fill, std::move (shape));
}

void RecordingContext::drawImage (const juce::Image& image, const juce::AffineTransform& transform)
{
    auto operation = startOperation (DrawnOperation::Kind::image);
    operation.image = image;
    operation.transform = transform.followedBy (state.transform);
    operation.bounds = image.getBounds().toFloat().transformedBy (operation.transform);
    operations.push_back (std::move (operation));
}

void RecordingContext::drawLine (const juce::Line<float>& line)
{
    juce::Path shape;
    shape.startNewSubPath (line.getStart());
    shape.lineTo (line.getEnd());
    shape.applyTransform (state.transform);
    record (DrawnOperation::Kind::line, std::move (shape));
}

void RecordingContext::setFont (const juce::Font& font)
{
    state.font = font;
}

const juce::Font& RecordingContext::getFont()
{
    return state.font;
}

void RecordingContext::drawGlyph (int glyphNumber, const juce::AffineTransform& transform)
{
    auto operation = startOperation (DrawnOperation::Kind::glyph);
    operation.font = state.font;
    operation.glyph = glyphNumber;
    operation.transform = transform.followedBy (state.transform);
    operation.bounds = { operation.transform.getTranslationX(), operation.transform.getTranslationY(), 1.0f, 1.0f };
    operations.push_back (std::move (operation));
}

//==============================================================================
bool sameGlyphs (const std::vector<DrawnOperation>& drawn, const std::vector<DrawnOperation>& expected)
{
    if (drawn.size() != expected.size())
        return false;

    for (size_t i = 0; i < drawn.size(); ++i)
    {
        const auto& a = drawn[i];
        const auto& b = expected[i];

        if (a.glyph != b.glyph || a.font.getTypefaceName() != b.font.getTypefaceName()
            || std::abs (a.font.getHeight() - b.font.getHeight()) > 1.0e-4f
            || std::abs (a.transform.getTranslationX() - b.transform.getTranslationX()) > 1.0e-3f
            || std::abs (a.transform.getTranslationY() - b.transform.getTranslationY()) > 1.0e-3f)
            return false;
    }

    return true;
}

std::vector<DrawnOperation> fittedTextGlyphs (const juce::Font& font, const juce::String& text, juce::Rectangle<int> area,
                                              juce::Justification justification, int maximumLines,
                                              float minimumHorizontalScale)
{
    RecordingContext context;
    juce::Graphics g (context);
    g.setFont (font);
    g.drawFittedText (text, area, justification, maximumLines, minimumHorizontalScale);
    return context.glyphs();
}

bool samePath (const juce::Path& drawn, const juce::Path& expected)
{
    juce::Path::Iterator a (drawn), b (expected);
    constexpr auto tolerance = 1.0e-4f;

    const auto near = [] (float x, float y)
    { return std::abs (x - y) <= tolerance; };

    for (;;)
    {
        const auto moreA = a.next();
        const auto moreB = b.next();

        if (moreA != moreB)
            return false;

        if (! moreA)
            return true;

        if (a.elementType != b.elementType || ! near (a.x1, b.x1) || ! near (a.y1, b.y1) || ! near (a.x2, b.x2)
            || ! near (a.y2, b.y2) || ! near (a.x3, b.x3) || ! near (a.y3, b.y3))
            return false;
    }
}

} // namespace widget_tests
