#include "platform/TextClipboard.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace
{

juce::MemoryBlock utf8Of (const juce::String& text)
{
    return { text.toRawUTF8(), text.getNumBytesAsUTF8() };
}

/** Lines of paths as a music library has them, with letters of more than one UTF-8 byte, so
    that a piece boundary falls inside a letter somewhere.
*/
juce::String makePathList (size_t bytesAtLeast)
{
    juce::MemoryOutputStream text;

    for (int i = 0; text.getDataSize() < bytesAtLeast; ++i)
        text << "/home/someone/Music/Künstler 音楽/Album " << (i % 97) << "/track-" << i << ".flac\n";

    return text.toUTF8();
}

void expectSameText (const juce::String& got, const juce::String& expected, const char* what)
{
    EXPECT_EQ (got.getNumBytesAsUTF8(), expected.getNumBytesAsUTF8()) << what;
    EXPECT_TRUE (got == expected) << what;
}

} // namespace

TEST (TextClipboard, PastesWhatAnotherProgramHoldsWhole)
{
    const struct
    {
        const char* what;
        juce::String text;
        juce::MemoryBlock bytes; // as the other program offers them; its UTF-8 when empty
        const char* selection;
        const char* target;
    } cases[] = {
        // JUCE reads 400,000 bytes of it; xclip sends up to about 1 MB in one property.
        { "780,000 bytes in one property", makePathList (780000), {}, "clipboard", "UTF8_STRING" },
        // xclip sends this with INCR, which JUCE does not follow.
        { "2 MB with INCR", makePathList (2000000), {}, "clipboard", "UTF8_STRING" },
        { "Latin-1, offered only as STRING", juce::String::fromUTF8 ("café über"), { "caf\xe9 \xfc"
                                                                                     "ber",
                                                                                     9 },
          "clipboard",
          "STRING" },
        { "only PRIMARY holds a text", "/music/a.flac", {}, "primary", "UTF8_STRING" },
    };

    platform::TextClipboard clipboard;

    for (const auto& c : cases)
    {
        const testing_support::XclipSelectionOwner owner (c.bytes.isEmpty() ? utf8Of (c.text) : c.bytes, c.selection, c.target);
        ASSERT_TRUE (owner.isServing()) << c.what;
        expectSameText (clipboard.getText(), c.text, c.what);
    }
}

TEST (TextClipboard, ServesACopyOfAnySizeToAnotherProgram)
{
    const auto large = makePathList (3000000); // beyond what one X request carries, and JUCE's 1,000,000 bytes

    const struct
    {
        const char* what;
        juce::String text;
        const char* selection;
        const char* target;
        juce::MemoryBlock expected;
    } cases[] = {
        { "3 MB with INCR", large, "clipboard", "UTF8_STRING", utf8Of (large) },
        { "PRIMARY too", "/music/a.flac", "primary", "UTF8_STRING", utf8Of ("/music/a.flac") },
        { "STRING in Latin-1", juce::String::fromUTF8 ("café 音"), "clipboard", "STRING", { "caf\xe9 ?", 6 } },
    };

    platform::TextClipboard clipboard;

    for (const auto& c : cases)
    {
        clipboard.copyText (c.text);
        const auto got = testing_support::readSelectionWithXclip (c.selection, c.target);
        EXPECT_EQ (got.getSize(), c.expected.getSize()) << c.what;
        EXPECT_TRUE (got == c.expected) << c.what;
        EXPECT_TRUE (clipboard.getText() == c.text) << c.what << ": our own copy, read back";
    }
}
