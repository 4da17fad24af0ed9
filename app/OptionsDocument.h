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
        are not strict JSON (one root value, only white space around it, UTF-8 text), nest deeper
        than the document ever does, or are not of the document's shape: the root must be an
        object, and each of the three groups an object whose "value" array holds at least one
        entry with a text. Members of the wrong type below that count as missing.
    */
    bool parse (const char* json, size_t size);

    /** Parses the built-in comboList.json. */
    void parseBuiltIn();

    /** Fills a list from a group ("samplerate", "bit", "channel"): item ids are entry position + 1,
        texts translated when asked, the group's "default" selected. An entry whose shown text is
        empty gets no item; list positions count only the entries that do.
    */
    void fillCombo (juce::ComboBox& combo, const char* groupKey, bool translateTexts) const;

    /** Stores a list's chosen position (-1: none) as the group's "default". */
    void setDefaultPosition (const char* groupKey, int position);

    /** The whole document as compact JSON, no final line feed; empty before anything is loaded. */
    [[nodiscard]] std::string toJson() const;

    /** Writes the document to config.json in the settings folder. False, leaving the file as it
        was, when nothing is loaded or the write failed.
    */
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
