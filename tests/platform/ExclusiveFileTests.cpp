#include "platform/ExclusiveFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
const juce::String han = juce::CharPointer_UTF8 ("\xe6\xad\x8c"); // three bytes in UTF-8

juce::String repeated (const juce::String& text, int times)
{
    return juce::String::repeatedString (text, times);
}
} // namespace

TEST (ExclusiveFile, NamesAreCutToTheLimitBetweenLetters)
{
    const struct
    {
        juce::String stem, suffix;
        int limit;
        juce::String expected;
    } cases[] = {
        { ".song.wav", ".partial.wav", 255, ".song.wav.partial.wav" },
        { "." + repeated ("a", 254), ".partial.wav", 255, "." + repeated ("a", 242) + ".partial.wav" },
        { "." + repeated (han, 84), ".partial.wav", 255, "." + repeated (han, 80) + ".partial.wav" }, // 241 + 12 bytes
        { "." + repeated (han, 84), "", 255, "." + repeated (han, 84) },
        { "." + repeated (han, 85), "", 255, "." + repeated (han, 84) }, // the 85th letter would take bytes 254 to 256
    };

    for (const auto& c : cases)
    {
        const auto name = platform::fitFileName (c.stem, c.suffix, c.limit);
        EXPECT_EQ (name, c.expected) << c.stem.length() << " letters";
        EXPECT_LE ((int) name.getNumBytesAsUTF8(), c.limit);
    }
}

TEST (ExclusiveFile, IsMadeNewAndNeverTakesWhatIsThere)
{
    const testing_support::TemporaryFolder folder;
    const auto previousMask = ::umask (022);

    // Free: the plain name, with the permissions of any new file.
    const auto plain = platform::createExclusiveFile (folder.get(), ".song.wav", ".partial.wav");
    ASSERT_TRUE (plain.wasMade()) << plain.error;
    EXPECT_EQ (plain.file, folder.file (".song.wav.partial.wav"));
    EXPECT_EQ (plain.file.getSize(), 0);
    struct stat info
    {
    };
    ASSERT_EQ (::stat (plain.file.getFullPathName().toRawUTF8(), &info), 0);
    EXPECT_EQ (info.st_mode & 0777, 0644u);
    ::umask (previousMask);

    // Taken by a file, a folder or a link that leads nowhere: each is left as it was.
    ASSERT_TRUE (folder.file (".a.wav").replaceWithText ("an earlier output"));
    ASSERT_TRUE (folder.file (".b.wav").createDirectory());
    ASSERT_EQ (::symlink ("/nowhere/at/all", folder.file (".c.wav").getFullPathName().toRawUTF8()), 0);

    for (auto* stem : { ".a.wav", ".b.wav", ".c.wav" })
    {
        const auto made = platform::createExclusiveFile (folder.get(), stem, {});
        ASSERT_TRUE (made.wasMade()) << stem;
        EXPECT_TRUE (made.file.getFileName().startsWith (juce::String (stem) + ".")) << made.file.getFileName();
        EXPECT_EQ (made.file.getParentDirectory(), folder.get());
        EXPECT_EQ (made.file.getSize(), 0);
    }

    EXPECT_EQ (folder.file (".a.wav").loadFileAsString(), "an earlier output");
    EXPECT_TRUE (folder.file (".b.wav").isDirectory());
    EXPECT_TRUE (folder.file (".c.wav").isSymbolicLink());
    EXPECT_FALSE (juce::File ("/nowhere/at/all").exists()) << "made through the link";

    // Every name fits, however long the stem, also when the plain one is taken.
    const auto longStem = "." + repeated (han, 84);
    const auto first = platform::createExclusiveFile (folder.get(), longStem, ".partial.wav");
    const auto second = platform::createExclusiveFile (folder.get(), longStem, ".partial.wav");
    ASSERT_TRUE (first.wasMade() && second.wasMade()) << first.error << " " << second.error;
    EXPECT_NE (first.file, second.file);

    for (auto& made : { first, second })
    {
        EXPECT_LE ((int) made.file.getFileName().getNumBytesAsUTF8(), 255);
        EXPECT_TRUE (made.file.getFileName().endsWith (".partial.wav"));
    }

    // A folder that is not there gives the system's reason.
    EXPECT_EQ (platform::createExclusiveFile (folder.file ("missing"), "x", {}).error, ENOENT);
}
