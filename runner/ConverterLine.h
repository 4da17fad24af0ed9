#pragma once

#include <juce_core/juce_core.h>

/** One line of the converter's output. The converter is asked to tag every line with its
    level ("[error] ..."), and the part that reports it in front ("[wav @ 0x55d0c8] "); both
    come off here, so that what a line says can be read, and an error told from a remark.
*/
struct ConverterLine
{
    enum class Level
    {
        untagged, // no level tag: not a line the converter logged
        info, // remarks: banners, stream lists, metadata, progress, summaries
        warning,
        error // errors, fatal ones included
    };

    Level level = Level::untagged;
    juce::String text; // trimmed, without the tags

    /** The line as the converter printed it, white space around it included. */
    [[nodiscard]] static ConverterLine parse (const juce::String& line);

    /** The option words that make the converter tag its lines this way. */
    [[nodiscard]] static juce::StringArray getTaggingOptions();
};
