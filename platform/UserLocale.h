#pragma once

#include <juce_core/juce_core.h>

namespace platform
{

/** The user's ISO 639 language and ISO 3166 country; an empty field could not be read. */
struct UserLocale
{
    juce::String language; // "zh", "en", ...
    juce::String country; // "CN", "US", ...
};

/** Reads the locale from LC_ALL, then LC_MESSAGES, then LANG (the first one that is set and
    not empty). "C", "POSIX" and empty names read as nothing.
*/
[[nodiscard]] UserLocale readUserLocale();

/** Splits a POSIX locale name such as "zh_CN.UTF-8" or "de_DE@euro" into its two codes. */
[[nodiscard]] UserLocale parseLocaleName (const juce::String& localeName);

} // namespace platform
