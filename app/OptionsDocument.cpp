#include "app/OptionsDocument.h"

#include "app/SettingsFolder.h"

#include <MeltrowResources.h>

#include <rapidjson/memorystream.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <climits>
#include <cstdlib>
#include <initializer_list>
#include <vector>

namespace
{

constexpr const char* settingsFileName = "config.json";

// Far deeper than the document ever is; bounds the recursion of the checks and of the writer.
constexpr int maximumNesting = 64;

// No hand-edited options file comes near this; larger ones are not read into memory.
constexpr int maximumFileSize = 1 << 20;

constexpr unsigned parseFlags = rapidjson::kParseStopWhenDoneFlag // the tail is checked below
                                | rapidjson::kParseValidateEncodingFlag
                                | rapidjson::kParseIterativeFlag; // no recursion on deep input

struct GroupUse
{
    const char* key;
    bool translateTexts;
};

constexpr GroupUse channelGroup { "channel", true };
constexpr GroupUse bitGroup { "bit", false };
constexpr GroupUse sampleRateGroup { "samplerate", true };

// Every accessor checks the type: a member of the wrong type counts as missing.
const rapidjson::Value* findMember (const rapidjson::Value& object, const char* key)
{
    if (! object.IsObject())
        return nullptr;

    const auto member = object.FindMember (key);
    return member != object.MemberEnd() ? &member->value : nullptr;
}

const rapidjson::Value* findGroup (const rapidjson::Value& root, const char* key)
{
    const auto* group = findMember (root, key);
    return group != nullptr && group->IsObject() ? group : nullptr;
}

const rapidjson::Value* findEntries (const rapidjson::Value& root, const char* groupKey)
{
    const auto* group = findGroup (root, groupKey);

    if (group == nullptr)
        return nullptr;

    const auto* entries = findMember (*group, "value");
    return entries != nullptr && entries->IsArray() ? entries : nullptr;
}

juce::String getString (const rapidjson::Value& object, const char* key)
{
    const auto* member = findMember (object, key);

    if (member == nullptr || ! member->IsString())
        return {};

    return juce::String::fromUTF8 (member->GetString(), (int) member->GetStringLength());
}

int getInt (const rapidjson::Value& object, const char* key)
{
    const auto* member = findMember (object, key);
    return member != nullptr && member->IsInt() ? member->GetInt() : 0;
}

juce::String getShownText (const rapidjson::Value& entry, bool translateTexts)
{
    const auto text = getString (entry, "text");
    return translateTexts ? juce::translate (text) : text;
}

// Entries whose shown text is empty get no list item, so a list position counts only the
// entries that do; this keeps the option string on the choice the user sees.
const rapidjson::Value* findEntryAtListPosition (const rapidjson::Value& root, GroupUse group, int position)
{
    const auto* entries = findEntries (root, group.key);

    if (entries == nullptr || position < 0)
        return nullptr;

    int listPosition = 0;

    for (const auto& entry : entries->GetArray())
    {
        if (getShownText (entry, group.translateTexts).isEmpty())
            continue;

        if (listPosition == position)
            return &entry;

        ++listPosition;
    }

    return nullptr;
}

// The number a text starts with, read like atoi but without its undefined overflow.
int getLeadingNumber (const juce::String& text)
{
    const auto value = std::strtol (text.toRawUTF8(), nullptr, 10);
    return (int) juce::jlimit ((long) INT_MIN, (long) INT_MAX, value);
}

struct DiscardingStream
{
    using Ch = char;
    void Put (char) noexcept {}
};

// The parser checks the raw bytes, but a \u escape of a lone low surrogate still makes text
// that is not UTF-8; written back, it would give a file that no longer reads.
bool isUtf8 (const char* text, rapidjson::SizeType length)
{
    rapidjson::MemoryStream input (text, length);
    DiscardingStream output;

    while (input.Tell() < length)
        if (! rapidjson::UTF8<>::Validate (input, output))
            return false;

    return true;
}

bool isWellFormed (const rapidjson::Value& value, int levelsLeft)
{
    if (value.IsString())
        return isUtf8 (value.GetString(), value.GetStringLength());

    if (! value.IsArray() && ! value.IsObject())
        return true;

    if (levelsLeft <= 0)
        return false;

    if (value.IsArray())
    {
        for (const auto& element : value.GetArray())
            if (! isWellFormed (element, levelsLeft - 1))
                return false;
    }
    else
    {
        for (const auto& member : value.GetObject())
            if (! isWellFormed (member.name, levelsLeft - 1) || ! isWellFormed (member.value, levelsLeft - 1))
                return false;
    }

    return true;
}

// A group can offer a choice: it is an object whose "value" array holds an entry with a text.
bool isUsableGroup (const rapidjson::Value& root, const char* groupKey)
{
    const auto* entries = findEntries (root, groupKey);

    if (entries == nullptr)
        return false;

    for (const auto& entry : entries->GetArray())
        if (getString (entry, "text").isNotEmpty())
            return true;

    return false;
}

// "#" ends the output options within the option string; a code holding one would cut them short.
bool hasCodeWithSeparator (const rapidjson::Value& root, const char* groupKey)
{
    const auto* entries = findEntries (root, groupKey);

    if (entries == nullptr)
        return false;

    for (const auto& entry : entries->GetArray())
        if (getString (entry, "code").containsChar ('#'))
            return true;

    return false;
}

bool hasOptionsShape (const rapidjson::Value& root)
{
    if (! root.IsObject() || ! isWellFormed (root, maximumNesting))
        return false;

    for (const auto* groupKey : { sampleRateGroup.key, bitGroup.key, channelGroup.key })
        if (! isUsableGroup (root, groupKey) || hasCodeWithSeparator (root, groupKey))
            return false;

    return true;
}

bool isJsonWhiteSpace (char c) noexcept
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

} // namespace

void OptionsDocument::load()
{
    const auto size = readSettingsFile (settingsFileName, nullptr, -1);

    if (size > 0 && size <= maximumFileSize)
    {
        std::vector<char> bytes ((size_t) size);
        const auto bytesRead = readSettingsFile (settingsFileName, bytes.data(), size);

        if (bytesRead > 0 && parse (bytes.data(), (size_t) bytesRead))
            return;
    }

    parseBuiltIn();
}

bool OptionsDocument::parse (const char* json, size_t size)
{
    if (json == nullptr)
        return false;

    rapidjson::MemoryStream stream (json, size);
    rapidjson::Document candidate;
    candidate.ParseStream<parseFlags, rapidjson::UTF8<>> (stream);

    if (candidate.HasParseError())
        return false;

    // One root value with only white space after it; a NUL byte counts as garbage too.
    for (auto offset = stream.Tell(); offset < size; ++offset)
        if (! isJsonWhiteSpace (json[offset]))
            return false;

    if (! hasOptionsShape (candidate))
        return false;

    document.Swap (candidate);
    return true;
}

void OptionsDocument::parseBuiltIn()
{
    [[maybe_unused]] const auto parsed = parse (MeltrowResources::comboList_json, (size_t) MeltrowResources::comboList_jsonSize);
    jassert (parsed);
}

void OptionsDocument::fillCombo (juce::ComboBox& combo, const char* groupKey, bool translateTexts) const
{
    combo.clear();

    const auto* entries = findEntries (document, groupKey);

    if (entries == nullptr)
        return;

    int position = 0;

    for (const auto& entry : entries->GetArray())
    {
        const auto shownText = getShownText (entry, translateTexts);

        if (shownText.isNotEmpty())
            combo.addItem (shownText, position + 1);

        ++position;
    }

    const auto* group = findGroup (document, groupKey);
    const auto defaultPosition = group != nullptr ? getInt (*group, "default") : 0;

    // No item at that position gives id 0: nothing selected.
    combo.setSelectedId (combo.getItemId (defaultPosition), juce::sendNotificationAsync);
}

void OptionsDocument::setDefaultPosition (const char* groupKey, int position)
{
    if (! document.IsObject())
        return;

    const auto group = document.FindMember (groupKey);

    if (group == document.MemberEnd() || ! group->value.IsObject())
        return;

    auto& members = group->value;
    const auto defaultMember = members.FindMember ("default");

    if (defaultMember != members.MemberEnd())
        defaultMember->value.SetInt (position);
    else
        members.AddMember ("default", rapidjson::Value (position), document.GetAllocator());
}

std::string OptionsDocument::toJson() const
{
    if (! document.IsObject())
        return {};

    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer (buffer);

    if (! document.Accept (writer))
        return {};

    return { buffer.GetString(), buffer.GetSize() };
}

bool OptionsDocument::save() const
{
    const auto json = toJson();

    // Nothing loaded, or a document the writer refused: keep whatever file is there.
    if (json.empty() || json.size() > (size_t) INT_MAX)
        return false;

    return writeSettingsFile (settingsFileName, json.data(), (int) json.size());
}

juce::String OptionsDocument::buildOptionString (int channelPosition, int bitPosition, int sampleRatePosition,
                                                 juce::String* missingGroup) const
{
    const auto* channel = findEntryAtListPosition (document, channelGroup, channelPosition);
    const auto* bit = findEntryAtListPosition (document, bitGroup, bitPosition);
    const auto* sampleRate = findEntryAtListPosition (document, sampleRateGroup, sampleRatePosition);

    const auto* missing = channel == nullptr      ? channelGroup.key
                          : bit == nullptr        ? bitGroup.key
                          : sampleRate == nullptr ? sampleRateGroup.key
                                                  : nullptr;

    if (missingGroup != nullptr)
        *missingGroup = missing != nullptr ? juce::String (missing) : juce::String();

    if (missing != nullptr)
        return {};

    return getString (*channel, "code") + " " + getString (*bit, "code") + " " + getString (*sampleRate, "code") + "#"
           + juce::String::formatted ("%d@%d@%d",
                                      getInt (*channel, "value"),
                                      getLeadingNumber (getString (*bit, "text")),
                                      getLeadingNumber (getString (*sampleRate, "text")));
}
