#include "platform/UserLocale.h"

#include <cstdlib>

namespace platform
{

namespace
{
bool isAsciiLetters (const juce::String& text)
{
    return text.isNotEmpty() && text.containsOnly ("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
}

bool isDigits (const juce::String& text)
{
    return text.isNotEmpty() && text.containsOnly ("0123456789");
}
} // namespace

UserLocale parseLocaleName (const juce::String& localeName)
{
    // language[_territory][.codeset][@modifier]
    const auto name = localeName.trim()
                          .upToFirstOccurrenceOf ("@", false, false)
                          .upToFirstOccurrenceOf (".", false, false);

    if (name == "C" || name == "POSIX")
        return {};

    const auto language = name.upToFirstOccurrenceOf ("_", false, false);
    const auto country = name.fromFirstOccurrenceOf ("_", false, false);

    // ISO 639 codes have two or three letters; anything else is not a locale name we can read.
    if (! isAsciiLetters (language) || language.length() > 3)
        return {};

    UserLocale locale;
    locale.language = language.toLowerCase();

    // Two letters (ISO 3166), or a UN M.49 region number such as "419".
    if ((isAsciiLetters (country) && country.length() == 2) || (isDigits (country) && country.length() == 3))
        locale.country = country.toUpperCase();

    return locale;
}

UserLocale readUserLocale()
{
    // The POSIX order of precedence for message texts: the first variable that is set and not
    // empty decides, even when it names the C locale.
    for (auto* variable : { "LC_ALL", "LC_MESSAGES", "LANG" })
    {
        const auto* value = std::getenv (variable);

        if (value != nullptr && *value != 0)
            return parseLocaleName (juce::String::fromUTF8 (value));
    }

    return {};
}

} // namespace platform
