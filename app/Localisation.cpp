#include "app/Localisation.h"

#include "platform/DefaultTypeface.h"
#include "platform/UserLocale.h"

#include <MeltrowResources.h>

TranslationTable chooseTranslationTable (const juce::String& language, const juce::String& country)
{
    if (language != "zh")
        return TranslationTable::english;

    if (country == "CN" || country == "SG")
        return TranslationTable::simplifiedChinese;

    if (country == "TW" || country == "HK" || country == "MO")
        return TranslationTable::traditionalChinese;

    // Chinese of another country: no table, so the keys show as written.
    return TranslationTable::none;
}

juce::String getTranslationTableText (TranslationTable table)
{
    switch (table)
    {
        case TranslationTable::english:
            return juce::String::fromUTF8 (MeltrowResources::languageEN_txt, MeltrowResources::languageEN_txtSize);
        case TranslationTable::simplifiedChinese:
            return juce::String::fromUTF8 (MeltrowResources::languageCN_txt, MeltrowResources::languageCN_txtSize);
        case TranslationTable::traditionalChinese:
            return juce::String::fromUTF8 (MeltrowResources::languageTW_txt, MeltrowResources::languageTW_txtSize);
        case TranslationTable::none:
            break;
    }

    return {};
}

void installTranslationTable (TranslationTable table)
{
    if (table == TranslationTable::none)
        return;

    juce::LocalisedStrings::setCurrentMappings (new juce::LocalisedStrings (getTranslationTableText (table), false));
}

TranslationTable setUpLocalisation (juce::LookAndFeel& lookAndFeel)
{
    const auto locale = platform::readUserLocale();
    const auto language = locale.language.isNotEmpty() ? locale.language : juce::String ("en");
    const auto country = locale.country.isNotEmpty() ? locale.country : juce::String ("US");

    const auto table = chooseTranslationTable (language, country);
    installTranslationTable (table);

    // Whatever the language: the face draws Latin and both Chinese scripts.
    platform::applyDefaultSansSerifFace (lookAndFeel, "SimSun");

    return table;
}
