#pragma once

#include <juce_graphics/juce_graphics.h>
#include <juce_gui_basics/juce_gui_basics.h>

namespace platform
{

/** Makes the face the application asks for the default sans-serif face of the look-and-feel.

    When the face is installed its name is used as it stands. Otherwise, since JUCE draws nothing
    at all for a face it cannot find, the layer loads a stand-in that draws Latin and both Chinese
    scripts (WenQuanYi Micro Hei) and makes that typeface the default. Returns the name of the
    face that will be drawn, or an empty string when neither could be had.
*/
juce::String applyDefaultSansSerifFace (juce::LookAndFeel& lookAndFeel, const juce::String& wantedFaceName);

/** The same, with the stand-in read from the given font file (its first face). A file that is
    missing or holds no usable face leaves the look-and-feel as it was.
*/
juce::String applyDefaultSansSerifFace (juce::LookAndFeel& lookAndFeel, const juce::String& wantedFaceName, const juce::File& standInFontFile);

} // namespace platform
