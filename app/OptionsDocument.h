#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <rapidjson/document.h>

/** The options document: the sample-rate, bit-depth and channel lists with their chosen
    positions, loaded from config.json or the built-in comboList.json.
*/
class OptionsDocument
{
public:
    OptionsDocument() = default;

    /** Reads config.json from the settings folder; when it is missing, empty, not JSON or not of
        the document's shape, the built-in document is used instead.
    */
    void load();

    /** Parses the bytes as the options document. False, leaving the document unchanged, when they
        are not strict JSON or not of the document's shape.
    */
    bool parse (const char* json, size_t size);

    /** Parses the built-in comboList.json. */
    void parseBuiltIn();

    /** Fills a list from a group ("samplerate", "bit", "channel"): item ids are entry position + 1,
        texts translated when asked, the group's "default" selected.
    */
    void fillCombo (juce::ComboBox& combo, const char* groupKey, bool translateTexts) const;

    /** Stores a list's chosen position (-1: none) as the group's "default". */
    void setDefaultPosition (const char* groupKey, int position);

    /** The whole document as compact JSON, no final line feed. */
    [[nodiscard]] std::string toJson() const;

    /** Writes the document to config.json in the settings folder. */
    bool save() const;

    /** The option string for the chosen positions: codes joined by blanks, "#", then
        channels@bits@rate. Empty when a position has no entry; missingGroup then names the group.
    */
    [[nodiscard]] juce::String buildOptionString (int channelPosition, int bitPosition, int sampleRatePosition,
                                                  juce::String* missingGroup = nullptr) const;

    [[nodiscard]] const rapidjson::Document& getDocument() const noexcept { return document; }

private:
    rapidjson::Document document;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OptionsDocument)
};
