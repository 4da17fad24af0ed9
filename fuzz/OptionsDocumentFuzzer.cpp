// Treats each input as the bytes of config.json. Fails loudly when reading it crashes or trips
// one of RapidJSON's type assertions (they trap in this build), when an accepted document does
// not write back to a document that reads the same, when a filled list has no choice, or when
// the option string disagrees with the lists: empty for positions the lists offer, or not empty
// for positions they do not.

#include "app/OptionsDocument.h"

#include <MeltrowResources.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace
{

struct Lists
{
    juce::ComboBox sampleRates, bits, channels;
};

std::optional<juce::ScopedJuceInitialiser_GUI> runtime;
std::optional<Lists> lists;

// libFuzzer ends with exit(); the framework's own statics, made after these, would go first.
void shutDown()
{
    lists.reset();
    runtime.reset();
}

Lists& getLists()
{
    return *lists;
}

// Equal apart from the last bits of numbers that are not integers: RapidJSON's default number
// reading need not give back exactly the double it wrote.
bool haveSameContent (const rapidjson::Value& a, const rapidjson::Value& b)
{
    if (a.IsDouble() && b.IsDouble())
        return std::abs (a.GetDouble() - b.GetDouble()) <= 1.0e-12 * std::max (std::abs (a.GetDouble()), std::abs (b.GetDouble()));

    if (a.GetType() != b.GetType() || a.IsDouble() != b.IsDouble())
        return false;

    if (a.IsArray())
    {
        if (a.Size() != b.Size())
            return false;

        for (rapidjson::SizeType i = 0; i < a.Size(); ++i)
            if (! haveSameContent (a[i], b[i]))
                return false;

        return true;
    }

    if (a.IsObject())
    {
        if (a.MemberCount() != b.MemberCount())
            return false;

        for (auto m = a.MemberBegin(), n = b.MemberBegin(); m != a.MemberEnd(); ++m, ++n)
            if (m->name != n->name || ! haveSameContent (m->value, n->value))
                return false;

        return true;
    }

    return a == b;
}

[[noreturn]] void fail (const char* what)
{
    std::fprintf (stderr, "options fuzzer: %s\n", what);
    std::abort();
}

void fill (const OptionsDocument& options)
{
    options.fillCombo (getLists().sampleRates, "samplerate", true);
    options.fillCombo (getLists().channels, "channel", true);
    options.fillCombo (getLists().bits, "bit", false);
}

void checkOptionString (const OptionsDocument& options, int channel, int bit, int sampleRate)
{
    juce::String missingGroup;
    const auto optionString = options.buildOptionString (channel, bit, sampleRate, &missingGroup);

    const auto offered = [] (const juce::ComboBox& combo, int position)
    { return position >= 0 && position < combo.getNumItems(); };

    const auto expectEntry = offered (getLists().channels, channel) && offered (getLists().bits, bit) && offered (getLists().sampleRates, sampleRate);

    if (expectEntry != optionString.isNotEmpty())
        fail ("the option string disagrees with the lists");

    if (optionString.isEmpty() == missingGroup.isEmpty())
        fail ("an empty option string must name its group, and only then");

    if (optionString.isNotEmpty() && ! optionString.containsChar ('#'))
        fail ("an option string without its numbers");
}

// Every position a list offers, one past either end, and the extremes, for one list at a time.
void checkPositions (const OptionsDocument& options)
{
    const auto channel = getLists().channels.getSelectedItemIndex();
    const auto bit = getLists().bits.getSelectedItemIndex();
    const auto sampleRate = getLists().sampleRates.getSelectedItemIndex();

    checkOptionString (options, channel, bit, sampleRate);

    for (const auto position : { INT_MIN, INT_MAX })
    {
        checkOptionString (options, position, bit, sampleRate);
        checkOptionString (options, channel, position, sampleRate);
        checkOptionString (options, channel, bit, position);
    }

    for (int p = -2; p <= getLists().channels.getNumItems(); ++p)
        checkOptionString (options, p, bit, sampleRate);

    for (int p = -2; p <= getLists().bits.getNumItems(); ++p)
        checkOptionString (options, channel, p, sampleRate);

    for (int p = -2; p <= getLists().sampleRates.getNumItems(); ++p)
        checkOptionString (options, channel, bit, p);
}

} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***);
extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    runtime.emplace();
    lists.emplace();
    std::atexit (shutDown);

    // Translated texts go through a real table, as at a Chinese start-up.
    juce::LocalisedStrings::setCurrentMappings (new juce::LocalisedStrings (
        juce::String::fromUTF8 (MeltrowResources::languageCN_txt, MeltrowResources::languageCN_txtSize), false));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    OptionsDocument options;

    if (options.parse (reinterpret_cast<const char*> (data), size))
    {
        const auto written = options.toJson();

        if (written.empty())
            fail ("an accepted document did not write back");

        OptionsDocument reread;

        if (! reread.parse (written.data(), written.size()) || ! haveSameContent (reread.getDocument(), options.getDocument()))
            fail ("a written document does not read back the same");
    }
    else
    {
        options.parseBuiltIn();
    }

    fill (options);

    if (getLists().channels.getNumItems() == 0 || getLists().bits.getNumItems() == 0 || getLists().sampleRates.getNumItems() == 0)
        fail ("a list without a choice");

    checkPositions (options);

    // Saving stores list positions, in range or not; the result must still read back.
    options.setDefaultPosition ("channel", getLists().channels.getSelectedItemIndex());
    options.setDefaultPosition ("bit", INT_MIN);
    options.setDefaultPosition ("samplerate", getLists().sampleRates.getNumItems());

    const auto saved = options.toJson();
    OptionsDocument next;

    if (! next.parse (saved.data(), saved.size()))
        fail ("a saved document does not read back");

    fill (next);

    if (getLists().bits.getSelectedItemIndex() != -1 || getLists().sampleRates.getSelectedItemIndex() != -1)
        fail ("a saved position outside the list selected an item");

    return 0;
}
