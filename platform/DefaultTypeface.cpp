#include "platform/DefaultTypeface.h"

#include <ft2build.h>
#include FT_FREETYPE_H

namespace platform
{

namespace
{
// JUCE lists no .ttc collections on Linux, and no single .ttf here covers Latin and both
// Chinese scripts; this collection's first face does.
constexpr const char* standInFontPath = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";

/** JUCE's FreeType code dereferences the face and its first character map without checking
    them, so bytes that FreeType cannot read would crash it: look at them first.
*/
bool hasUsableFirstFace (const juce::MemoryBlock& fontData)
{
    FT_Library library = nullptr;

    if (FT_Init_FreeType (&library) != 0)
        return false;

    FT_Face face = nullptr;
    const auto usable = FT_New_Memory_Face (library, static_cast<const FT_Byte*> (fontData.getData()), (FT_Long) fontData.getSize(), 0, &face) == 0
                        && face->num_charmaps > 0
                        && FT_IS_SCALABLE (face)
                        && face->family_name != nullptr;

    if (face != nullptr)
        FT_Done_Face (face);

    FT_Done_FreeType (library);
    return usable;
}
} // namespace

juce::String applyDefaultSansSerifFace (juce::LookAndFeel& lookAndFeel, const juce::String& wantedFaceName)
{
    return applyDefaultSansSerifFace (lookAndFeel, wantedFaceName, juce::File (standInFontPath));
}

juce::String applyDefaultSansSerifFace (juce::LookAndFeel& lookAndFeel, const juce::String& wantedFaceName, const juce::File& standInFontFile)
{
    if (wantedFaceName.isNotEmpty() && juce::Font::findAllTypefaceNames().contains (wantedFaceName))
    {
        // Drop a stand-in taken before: it would win over the name.
        lookAndFeel.setDefaultSansSerifTypeface (nullptr);
        lookAndFeel.setDefaultSansSerifTypefaceName (wantedFaceName);
        return wantedFaceName;
    }

    juce::MemoryBlock fontData;

    if (! standInFontFile.loadFileAsData (fontData) || ! hasUsableFirstFace (fontData))
        return {};

    // The FreeType typeface keeps its own copy of the bytes, so fontData may go.
    auto typeface = juce::Typeface::createSystemTypefaceFor (fontData.getData(), fontData.getSize());

    if (typeface == nullptr || typeface->getName().isEmpty())
        return {};

    lookAndFeel.setDefaultSansSerifTypeface (typeface);
    return typeface->getName();
}

} // namespace platform
