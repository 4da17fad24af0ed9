#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The built-in translation tables. */
enum class TranslationTable
{
    none,
    english,
    simplifiedChinese,
    traditionalChinese
};

/** The table a language and country choose ("zh" + "CN" -> simplified Chinese, ...). */
[[nodiscard]] TranslationTable chooseTranslationTable (const juce::String& language, const juce::String& country);

/** The table's text exactly as built in (UTF-8); empty for none. */
[[nodiscard]] juce::String getTranslationTableText (TranslationTable table);

/** Installs the table (case-sensitive keys) as the current translations; none installs nothing. */
void installTranslationTable (TranslationTable table);

/** Start-up: reads the user's locale ("en" and "US" when unreadable), installs the table it
    chooses, and makes "SimSun" (or the platform's stand-in for it) the default sans-serif face
    of the given look-and-feel. Returns the table that was installed.
*/
TranslationTable setUpLocalisation (juce::LookAndFeel& lookAndFeel);
