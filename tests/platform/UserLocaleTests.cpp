#include "ScopedEnvironment.h"
#include "platform/UserLocale.h"

#include <gtest/gtest.h>

namespace
{

const char* shown (const char* value)
{
    return value != nullptr ? value : "(unset)";
}

TEST (UserLocale, ParsesPosixLocaleNames)
{
    struct Case
    {
        const char* name;
        const char* language;
        const char* country;
    };

    const Case cases[] = {
        { "zh_CN.UTF-8", "zh", "CN" },
        { "zh_TW.Big5", "zh", "TW" },
        { "zh_HK", "zh", "HK" },
        { "zh_SG.GB2312", "zh", "SG" },
        { "de_DE@euro", "de", "DE" },
        { "sr_RS.UTF-8@latin", "sr", "RS" },
        { "en", "en", "" },
        { "en.UTF-8", "en", "" },
        { "es_419.UTF-8", "es", "419" },
        { "ast_ES", "ast", "ES" },
        { "zh_cn.utf8", "zh", "CN" },
        { "C", "", "" },
        { "C.UTF-8", "", "" },
        { "POSIX", "", "" },
        { "", "", "" },
        { "/usr/lib/locale/x", "", "" },
        { "english_United-States", "", "" },
        { "en_United-States", "en", "" },
    };

    for (auto& testCase : cases)
    {
        SCOPED_TRACE (testCase.name);
        const auto locale = platform::parseLocaleName (testCase.name);
        EXPECT_EQ (locale.language, testCase.language);
        EXPECT_EQ (locale.country, testCase.country);
    }
}

TEST (UserLocale, FirstSetVariableDecides)
{
    struct Case
    {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        const char* language;
        const char* country;
    };

    const Case cases[] = {
        { nullptr, nullptr, "zh_CN.UTF-8", "zh", "CN" },
        { nullptr, "zh_TW.UTF-8", "en_US.UTF-8", "zh", "TW" },
        { "de_DE.UTF-8", "zh_TW.UTF-8", "en_US.UTF-8", "de", "DE" },
        { "", "", "zh_MO.UTF-8", "zh", "MO" },
        { "C", "zh_TW.UTF-8", "zh_CN.UTF-8", "", "" },
        { nullptr, "POSIX", "zh_CN.UTF-8", "", "" },
        { nullptr, nullptr, nullptr, "", "" },
        { "", "", "", "", "" },
    };

    for (auto& testCase : cases)
    {
        SCOPED_TRACE (juce::String (shown (testCase.lcAll)) + " / " + shown (testCase.lcMessages) + " / " + shown (testCase.lang));
        testing_support::ScopedEnvironment environment;
        environment.set ("LC_ALL", testCase.lcAll);
        environment.set ("LC_MESSAGES", testCase.lcMessages);
        environment.set ("LANG", testCase.lang);

        const auto locale = platform::readUserLocale();
        EXPECT_EQ (locale.language, testCase.language);
        EXPECT_EQ (locale.country, testCase.country);
    }
}

} // namespace
