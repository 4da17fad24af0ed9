#include "ConverterLine.h"

namespace
{
/** The level names FFmpeg writes, in brackets, with the "level" flag of its "-loglevel". */
ConverterLine::Level levelNamed (const juce::String& name) noexcept
{
    if (name == "error" || name == "fatal" || name == "panic")
        return ConverterLine::Level::error;

    if (name == "warning")
        return ConverterLine::Level::warning;

    if (name == "info" || name == "verbose" || name == "debug" || name == "trace")
        return ConverterLine::Level::info;

    return ConverterLine::Level::untagged;
}

/** Takes off "[name @ 0x...] " tags in front; FFmpeg nests them for a part inside another. */
juce::String withoutReporters (juce::String line)
{
    while (line.startsWithChar ('['))
    {
        const auto end = line.indexOf ("] ");
        const auto at = line.indexOf (" @ ");

        if (end < 0 || at < 0 || at > end)
            break;

        line = line.substring (end + 2);
    }

    return line;
}
} // namespace

ConverterLine ConverterLine::parse (const juce::String& line)
{
    const auto rest = withoutReporters (line.trim());

    if (rest.startsWithChar ('['))
    {
        const auto end = rest.indexOf ("] ");
        const auto level = end > 1 ? levelNamed (rest.substring (1, end)) : Level::untagged;

        if (level != Level::untagged)
            return { level, rest.substring (end + 2).trim() };
    }

    return { Level::untagged, rest.trim() };
}

juce::StringArray ConverterLine::getTaggingOptions()
{
    return { "-loglevel", "level+info" };
}
