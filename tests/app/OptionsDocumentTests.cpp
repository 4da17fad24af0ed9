#include "SettingsHome.h"
#include "app/Localisation.h"
#include "app/OptionsDocument.h"

#include <MeltrowResources.h>

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace
{

const std::string builtInText (MeltrowResources::comboList_json, (size_t) MeltrowResources::comboList_jsonSize);

// The built-in document as saved: compact, without the final line feed.
const std::string builtInSaved = builtInText.substr (0, builtInText.size() - 1);

const char* const defaultOptionString = "-ac 1 -acodec pcm_s16le -ar 44100#1@16@44100";

// A small document of the same shape; each group can be swapped for a variant.
const std::string smallSampleRates = R"({"default":1,"value":[{"text":"48000","code":"-ar 48000"},{"text":"44100","code":"-ar 44100"}],"suffix":"Hz"})";
const std::string smallBits = R"({"default":0,"value":[{"text":"16","code":"-acodec pcm_s16le"},{"text":"24","code":"-acodec pcm_s24le"}],"suffix":"bit"})";
const std::string smallChannels = R"({"default":1,"value":[{"text":"mono","code":"-ac 1","value":1},{"text":"stereo","code":"-ac 2","value":2}],"suffix":""})";

std::string makeDocument (const std::string& sampleRates = smallSampleRates, const std::string& bits = smallBits, const std::string& channels = smallChannels)
{
    return R"({"name":"kivWaveFile","samplerate":)" + sampleRates + R"(,"bit":)" + bits + R"(,"channel":)" + channels + "}";
}

// "text=id|text=id" for the items of a list, then "@" and the selected index.
std::string describe (const juce::ComboBox& combo)
{
    juce::StringArray items;

    for (int i = 0; i < combo.getNumItems(); ++i)
        items.add (combo.getItemText (i) + "=" + juce::String (combo.getItemId (i)));

    return (items.joinIntoString ("|") + "@" + juce::String (combo.getSelectedItemIndex())).toStdString();
}

class OptionsDocumentTest : public testing::Test
{
protected:
    void SetUp() override { home.prepare(); }
    void TearDown() override { juce::LocalisedStrings::setCurrentMappings (nullptr); }

    void writeConfig (const std::string& bytes) const
    {
        const auto file = home.getConfigFile();
        ASSERT_TRUE (file.deleteRecursively() && file.create() && file.appendData (bytes.data(), bytes.size()));
        ASSERT_EQ (file.getSize(), (juce::int64) bytes.size());
    }

    [[nodiscard]] std::string readConfig() const
    {
        juce::MemoryBlock bytes;
        return home.getConfigFile().loadFileAsData (bytes) ? bytes.toString().toStdString() : std::string ("(no file)");
    }

    // What the content component does at start-up, at Start and at exit.
    void loadOptions()
    {
        options.load();
        options.fillCombo (sampleRateCombo, "samplerate", true);
        options.fillCombo (channelCombo, "channel", true);
        options.fillCombo (bitDepthCombo, "bit", false);
    }

    [[nodiscard]] juce::String buildOptionString (juce::String* missingGroup = nullptr) const
    {
        return options.buildOptionString (channelCombo.getSelectedItemIndex(), bitDepthCombo.getSelectedItemIndex(), sampleRateCombo.getSelectedItemIndex(), missingGroup);
    }

    void saveOptions()
    {
        options.setDefaultPosition ("channel", channelCombo.getSelectedItemIndex());
        options.setDefaultPosition ("bit", bitDepthCombo.getSelectedItemIndex());
        options.setDefaultPosition ("samplerate", sampleRateCombo.getSelectedItemIndex());
        ASSERT_TRUE (options.save());
    }

    testing_support::SettingsHome home;
    OptionsDocument options;
    juce::ComboBox sampleRateCombo, bitDepthCombo, channelCombo;
};

} // namespace

TEST_F (OptionsDocumentTest, BuiltInDocumentIsCompactWithOneFinalLineFeed)
{
    ASSERT_EQ (builtInText.size(), 840u);
    EXPECT_EQ (builtInText.back(), '\n');

    options.parseBuiltIn();
    EXPECT_EQ (options.toJson(), builtInSaved);
}

TEST_F (OptionsDocumentTest, WithoutASettingsFileTheListsShowTheBuiltInChoices)
{
    installTranslationTable (TranslationTable::english);
    loadOptions();

    EXPECT_EQ (describe (sampleRateCombo), "192000=1|176400=2|96000=3|88200=4|64000=5|48000=6|44100=7|32000=8|22050=9|16000=10|11025=11|8000=12|6000=13@6");
    EXPECT_EQ (describe (bitDepthCombo), "16=1|24=2|32=3@0");
    EXPECT_EQ (describe (channelCombo), "mono=1|stereo=2@0");

    juce::String missingGroup ("unset");
    EXPECT_EQ (buildOptionString (&missingGroup), defaultOptionString);
    EXPECT_TRUE (missingGroup.isEmpty());
}

TEST_F (OptionsDocumentTest, SavingUnchangedDefaultsWritesTheBuiltInBytesWithoutTheLineFeed)
{
    loadOptions();
    saveOptions();

    EXPECT_EQ (readConfig(), builtInSaved);
    EXPECT_EQ (readConfig().size(), 839u);
}

TEST_F (OptionsDocumentTest, ChoicesAreUsedAndComeBackAtTheNextStart)
{
    loadOptions();
    sampleRateCombo.setSelectedItemIndex (5);
    bitDepthCombo.setSelectedItemIndex (1);
    channelCombo.setSelectedItemIndex (1);

    EXPECT_EQ (buildOptionString(), "-ac 2 -acodec pcm_s24le -ar 48000#2@24@48000");
    saveOptions();

    const std::pair<std::string, std::string> edits[] = {
        { R"("samplerate":{"default":6)", R"("samplerate":{"default":5)" },
        { R"("bit":{"default":0)", R"("bit":{"default":1)" },
        { R"("channel":{"default":0)", R"("channel":{"default":1)" },
    };

    auto expected = builtInSaved;
    for (const auto& [before, after] : edits)
        expected.replace (expected.find (before), before.size(), after);
    EXPECT_EQ (readConfig(), expected);

    OptionsDocument nextStart;
    juce::ComboBox sampleRates, bits, channels;
    nextStart.load();
    nextStart.fillCombo (sampleRates, "samplerate", true);
    nextStart.fillCombo (channels, "channel", true);
    nextStart.fillCombo (bits, "bit", false);
    EXPECT_EQ (sampleRates.getSelectedItemIndex(), 5);
    EXPECT_EQ (bits.getSelectedItemIndex(), 1);
    EXPECT_EQ (channels.getSelectedItemIndex(), 1);
}

TEST_F (OptionsDocumentTest, AFourteenthSampleRateIsShownUsedAndKept)
{
    auto config = builtInSaved;
    const std::string last = R"({"text":"6000","code":"-ar 6000"})";
    config.insert (config.find (last) + last.size(), R"(,{"text":"384000","code":"-ar 384000"})");
    writeConfig (config);

    loadOptions();
    ASSERT_EQ (sampleRateCombo.getNumItems(), 14);
    EXPECT_EQ (sampleRateCombo.getItemText (13), "384000");
    EXPECT_EQ (sampleRateCombo.getSelectedItemIndex(), 6);

    sampleRateCombo.setSelectedItemIndex (13);
    EXPECT_EQ (buildOptionString(), "-ac 1 -acodec pcm_s16le -ar 384000#1@16@384000");

    saveOptions();
    auto expected = config;
    expected.replace (expected.find (R"("default":6)"), 11, R"("default":13)");
    EXPECT_EQ (readConfig(), expected);
}

TEST_F (OptionsDocumentTest, HandEditedTextsAreShownAndSavedUnchanged)
{
    const auto config = makeDocument (R"({"default":0,"value":[{"text":"44100 Hz","code":"-ar 44100"}],"suffix":"Hz"})",
                                      smallBits,
                                      u8R"({"default":0,"value":[{"text":"单声道","code":"-ac 1","value":1}],"suffix":""})");
    writeConfig (config);

    loadOptions();
    EXPECT_EQ (sampleRateCombo.getText(), "44100 Hz");
    EXPECT_EQ (channelCombo.getText(), juce::String::fromUTF8 (u8"单声道"));
    EXPECT_EQ (buildOptionString(), "-ac 1 -acodec pcm_s16le -ar 44100#1@16@44100");

    saveOptions();
    EXPECT_EQ (readConfig(), config);
}

TEST_F (OptionsDocumentTest, SampleRateAndChannelTextsAreTranslatedBitDepthsAreNot)
{
    juce::LocalisedStrings::setCurrentMappings (new juce::LocalisedStrings (juce::String::fromUTF8 (u8"\"mono\"=\"单声道\"\n\"stereo\"=\"立体声\"\n\"16\"=\"sixteen\"\n\"44100\"=\"CD\"\n"), false));
    loadOptions();

    EXPECT_EQ (describe (channelCombo), juce::String::fromUTF8 (u8"单声道=1|立体声=2@0").toStdString());
    EXPECT_EQ (bitDepthCombo.getItemText (0), "16");
    EXPECT_EQ (sampleRateCombo.getItemText (6), "CD");

    // The numbers come from the stored texts, not the shown ones.
    EXPECT_EQ (buildOptionString(), defaultOptionString);
}

TEST_F (OptionsDocumentTest, AnUnusableSettingsFileGivesTheBuiltInListsAndIsReplacedAtExit)
{
    const auto valid = makeDocument();
    std::string deeplyNested = R"({"name":)" + std::string (200, '[') + std::string (200, ']') + valid.substr (std::string (R"({"name":"kivWaveFile")").size());

    const struct
    {
        const char* description;
        std::string bytes;
    } cases[] = {
        { "empty", "" },
        { "not JSON", "not json" },
        { "cut short", valid.substr (0, valid.size() / 2) },
        { "garbage after the root", valid + "x" },
        { "a second root", valid + "{}" },
        { "a NUL byte, then garbage", valid + std::string ("\0x", 2) },
        { "a comment", "/* options */" + valid },
        { "a trailing comma", valid.substr (0, valid.size() - 1) + ",}" },
        { "a string that is not UTF-8", makeDocument (smallSampleRates, smallBits, R"({"default":0,"value":[{"text":"mono)" + std::string ("\xff\xfe") + R"(","code":"-ac 1","value":1}]})") },
        { "a lone low surrogate, which would not read back once written", makeDocument (smallSampleRates, smallBits, R"({"default":0,"value":[{"text":"mono\udc00","code":"-ac 1","value":1}]})") },
        { "nested too deeply to write back", deeplyNested },
    };

    for (const auto& c : cases)
    {
        writeConfig (c.bytes);
        loadOptions();

        EXPECT_EQ (options.toJson(), builtInSaved) << c.description;
        EXPECT_EQ (buildOptionString(), defaultOptionString) << c.description;

        saveOptions();
        EXPECT_EQ (readConfig(), builtInSaved) << c.description;
    }

    ASSERT_TRUE (home.getConfigFile().deleteFile());
    ASSERT_TRUE (home.getConfigFile().createDirectory());
    loadOptions();
    EXPECT_EQ (options.toJson(), builtInSaved) << "a folder named config.json";
}

TEST_F (OptionsDocumentTest, WhiteSpaceAroundTheRootIsAccepted)
{
    writeConfig (" \r\n\t" + makeDocument() + "\n \t\r\n");
    loadOptions();

    EXPECT_EQ (options.toJson(), makeDocument());
    EXPECT_EQ (buildOptionString(), "-ac 2 -acodec pcm_s16le -ar 44100#2@16@44100");
}

TEST_F (OptionsDocumentTest, DocumentsOfAnotherShapeGiveTheBuiltInDocument)
{
    const struct
    {
        const char* description;
        std::string json;
    } cases[] = {
        { "an array as root", "[" + makeDocument() + "]" },
        { "a string as root", R"("kivWaveFile")" },
        { "a number as root", "6" },
        { "null as root", "null" },
        { "an empty object", "{}" },
        { "a group missing", R"({"name":"kivWaveFile","samplerate":)" + smallSampleRates + R"(,"bit":)" + smallBits + "}" },
        { "a group that is an array", makeDocument ("[" + smallSampleRates + "]") },
        { "a group that is a string", makeDocument (smallSampleRates, R"("16")") },
        { "a group that is null", makeDocument (smallSampleRates, smallBits, "null") },
        { "\"value\" missing", makeDocument (R"({"default":0})") },
        { "\"value\" an object", makeDocument (R"({"default":0,"value":{"text":"48000","code":"-ar 48000"}})") },
        { "\"value\" empty", makeDocument (R"({"default":0,"value":[]})") },
        { "no entry is an object", makeDocument (R"({"default":0,"value":[1,"48000",null,[]]})") },
        { "no text is a string", makeDocument (smallSampleRates, R"({"default":0,"value":[{"text":16,"code":"-acodec pcm_s16le"}]})") },
        { "only empty texts", makeDocument (smallSampleRates, smallBits, R"({"default":0,"value":[{"text":"","code":"-ac 1","value":1}]})") },
        { "a code holding the separator \"#\"", makeDocument (R"({"default":0,"value":[{"text":"48000","code":"-ar 48000 #x"}]})") },
        { "a code holding \"#\" in an entry not chosen", makeDocument (smallSampleRates, R"({"default":0,"value":[{"text":"16","code":"-acodec pcm_s16le"},{"text":"24","code":"#"}]})") },
    };

    for (const auto& c : cases)
    {
        EXPECT_FALSE (options.parse (c.json.data(), c.json.size())) << c.description;

        writeConfig (c.json);
        loadOptions();
        EXPECT_EQ (options.toJson(), builtInSaved) << c.description;
        EXPECT_EQ (buildOptionString(), defaultOptionString) << c.description;
    }
}

TEST_F (OptionsDocumentTest, MembersOfTheWrongTypeCountAsMissing)
{
    const struct
    {
        const char* description;
        std::string json;
        std::string sampleRates; // as describe() gives it
        std::string optionString;
        std::string missingGroup;
    } cases[] = {
        { "a \"default\" that is a string",
          makeDocument (R"({"default":"1","value":[{"text":"48000","code":"-ar 48000"},{"text":"44100","code":"-ar 44100"}]})"),
          "48000=1|44100=2@0", "-ac 2 -acodec pcm_s16le -ar 48000#2@16@48000", "" },
        { "a \"default\" that is not an integer",
          makeDocument (R"({"default":1.0,"value":[{"text":"48000","code":"-ar 48000"},{"text":"44100","code":"-ar 44100"}]})"),
          "48000=1|44100=2@0", "-ac 2 -acodec pcm_s16le -ar 48000#2@16@48000", "" },
        { "a \"default\" past the end",
          makeDocument (R"({"default":2,"value":[{"text":"48000","code":"-ar 48000"},{"text":"44100","code":"-ar 44100"}]})"),
          "48000=1|44100=2@-1", "", "samplerate" },
        { "a \"default\" of -1",
          makeDocument (smallSampleRates, smallBits, R"({"default":-1,"value":[{"text":"mono","code":"-ac 1","value":1}]})"),
          "48000=1|44100=2@1", "", "channel" },
        { "entries that are not objects, before the one chosen",
          makeDocument (R"({"default":0,"value":["96000",7,{"text":"44100","code":"-ar 44100"}]})"),
          "44100=3@0", "-ac 2 -acodec pcm_s16le -ar 44100#2@16@44100", "" },
        { "a text that is not a string",
          makeDocument (R"({"default":1,"value":[{"text":96000,"code":"-ar 96000"},{"text":"48000","code":"-ar 48000"},{"text":"44100","code":"-ar 44100"}]})"),
          "48000=2|44100=3@1", "-ac 2 -acodec pcm_s16le -ar 44100#2@16@44100", "" },
        { "a code that is not a string",
          makeDocument (R"({"default":0,"value":[{"text":"48000","code":["-ar","48000"]}]})"),
          "48000=1@0", "-ac 2 -acodec pcm_s16le #2@16@48000", "" },
        { "a channel value that is not an integer",
          makeDocument (smallSampleRates, smallBits, R"({"default":0,"value":[{"text":"stereo","code":"-ac 2","value":"2"}]})"),
          "48000=1|44100=2@1", "-ac 2 -acodec pcm_s16le -ar 44100#0@16@44100", "" },
        { "numbers that do not fit",
          makeDocument (R"({"default":0,"value":[{"text":"99999999999","code":"-ar 1"}]})", R"({"default":0,"value":[{"text":" -99999999999bit","code":"-acodec pcm_s16le"}]})"),
          "99999999999=1@0", "-ac 2 -acodec pcm_s16le -ar 1#2@-2147483648@2147483647", "" },
    };

    for (const auto& c : cases)
    {
        writeConfig (c.json);
        loadOptions();
        EXPECT_EQ (options.toJson(), c.json) << c.description << ": the document is used";
        EXPECT_EQ (describe (sampleRateCombo), c.sampleRates) << c.description;

        juce::String missingGroup;
        EXPECT_EQ (buildOptionString (&missingGroup).toStdString(), c.optionString) << c.description;
        EXPECT_EQ (missingGroup.toStdString(), c.missingGroup) << c.description;
    }
}

TEST_F (OptionsDocumentTest, AnOptionStringNeedsAnEntryForEveryList)
{
    juce::String missingGroup;
    EXPECT_EQ (options.buildOptionString (0, 0, 6, &missingGroup), "") << "nothing loaded";
    EXPECT_EQ (missingGroup, "channel");

    options.parseBuiltIn();

    const struct
    {
        int channel, bit, sampleRate;
        const char* missingGroup;
    } cases[] = {
        { -1, 0, 6, "channel" },
        { 2, 0, 6, "channel" },
        { 0, -1, 6, "bit" },
        { 0, 3, 6, "bit" },
        { 0, 0, -1, "samplerate" },
        { 0, 0, 13, "samplerate" },
        { 0, 0, INT_MAX, "samplerate" },
        { INT_MIN, INT_MIN, INT_MIN, "channel" },
    };

    for (const auto& c : cases)
    {
        EXPECT_EQ (options.buildOptionString (c.channel, c.bit, c.sampleRate, &missingGroup), "");
        EXPECT_EQ (missingGroup.toStdString(), c.missingGroup) << c.channel << " " << c.bit << " " << c.sampleRate;
        EXPECT_EQ (options.buildOptionString (c.channel, c.bit, c.sampleRate), "");
    }

    EXPECT_EQ (options.buildOptionString (1, 2, 0, &missingGroup), "-ac 2 -acodec pcm_f32le -ar 192000#2@32@192000");
    EXPECT_TRUE (missingGroup.isEmpty());
}

TEST_F (OptionsDocumentTest, NothingIsSavedBeforeADocumentIsLoaded)
{
    EXPECT_TRUE (options.toJson().empty());
    EXPECT_FALSE (options.save());
    EXPECT_FALSE (home.getConfigFile().exists());
}
