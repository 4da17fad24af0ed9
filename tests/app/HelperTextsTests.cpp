#include "app/DroppedFiles.h"
#include "app/InputListLines.h"
#include "app/Localisation.h"
#include "app/OutputLogText.h"
#include "app/OutputNaming.h"
#include "app/ProgressText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <iterator>
#include <limits>
#include <vector>

#include <unistd.h>

TEST (OutputNaming, OutputGoesIntoKivWavBesideTheInput)
{
    const struct
    {
        const char* input;
        const char* output;
    } cases[] = {
        { "/music/song.mp3", "/music/KIV_Wav/song.wav" },
        { "/music/live.2020.flac", "/music/KIV_Wav/live.2020.wav" },
        { "/my.music/track", "/my.music/KIV_Wav/track.wav" },
        { "/music/.intro", "/music/KIV_Wav/.intro.wav" },
        { "/music/song.wav", "/music/KIV_Wav/song.wav" },
        { "/music/KIV_Wav/song.wav", "/music/KIV_Wav/KIV_Wav/song.wav" },
    };

    for (const auto& c : cases)
        EXPECT_EQ (getOutputFileFor (juce::File (c.input)).getFullPathName(), juce::String (c.output)) << c.input;
}

TEST (ProgressText, PercentOnlyWhenTheDurationIsKnown)
{
    installTranslationTable (TranslationTable::english);
    ProgressRecord progress;
    progress.inputPath = "/music/song.mp3";
    progress.currentIndex = 2;
    progress.total = 5;
    progress.durationSeconds = 100.0f;
    progress.timeSeconds = 37.2f;

    EXPECT_EQ (makeConvertingProgressText (progress), "Converting: 2/5 37% /music/song.mp3");
    EXPECT_EQ (makeItemStartProgressText (progress), "Converting: 2/5 /music/song.mp3");

    // Past the reported duration the percentage goes on; it is not clamped.
    progress.timeSeconds = 150.0f;
    EXPECT_EQ (makeConvertingProgressText (progress), "Converting: 2/5 150% /music/song.mp3");

    for (auto unknown : { 0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity() })
    {
        progress.durationSeconds = unknown;
        EXPECT_EQ (makeConvertingProgressText (progress), "Converting: 2/5 /music/song.mp3") << unknown;
    }
}

TEST (OutputLogText, EachOutcomeIsToldAsItIs)
{
    installTranslationTable (TranslationTable::english);
    ProgressRecord progress;
    progress.inputPath = "/music/a.mp3";
    progress.outputPath = "/music/KIV_Wav/a.wav";

    EXPECT_EQ (makeItemStartLogText (progress), "Converting: /music/a.mp3 => /music/KIV_Wav/a.wav\n");
    EXPECT_EQ (makeItemEndLogText (ItemOutcome::converted, {}), "Conversion successful\n\n");
    EXPECT_EQ (makeItemEndLogText (ItemOutcome::stopped, "stopped"), "Stopped\n\n");
    EXPECT_EQ (makeItemEndLogText (ItemOutcome::failed, "Invalid data found when processing input"),
               "Conversion failed: Invalid data found when processing input\n\n");
    EXPECT_EQ (makeItemEndLogText (ItemOutcome::failed, {}), "Conversion failed\n\n");
    EXPECT_EQ (makeOutputExistsLogText (progress), "Converting: /music/a.mp3 => /music/KIV_Wav/a.wav\nexists not convert\n\n");
}

//==============================================================================
namespace juce
{
// Failures show the lists, not their bytes.
inline void PrintTo (const StringArray& list, std::ostream* out) { *out << "[" << list.joinIntoString (" | ") << "]"; }
} // namespace juce

namespace
{
juce::StringArray lines (std::initializer_list<juce::String> items)
{
    juce::StringArray result;

    for (auto& item : items)
        result.add (item);

    return result;
}

} // namespace

class DroppedFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (auto* name : { "music/a.mp3", "music/B.FLAC", "music/notes.txt", "music/sub/deep/c.wav",
                            "music/sub/.hidden.ogg", "music/take.wav/inside.aif", "single/SONG.MP3", "single/readme.md" })
            ASSERT_TRUE (folder.file (name).create()) << name;
    }

    [[nodiscard]] juce::String path (const char* relative) const { return folder.file (relative).getFullPathName(); }

    [[nodiscard]] juce::StringArray collect (const juce::StringArray& dropped, const juce::String& current = {}) const
    {
        return juce::StringArray::fromTokens (collectDroppedAudioFiles (dropped, getAudioFileExtensions(), current, true), "\n", "");
    }

    testing_support::TemporaryFolder folder;
};

TEST_F (DroppedFilesTest, AFolderGivesItsAudioFilesAtAnyDepthInAnyCase)
{
    const auto found = collect ({ path ("music") });

    EXPECT_EQ (found, lines ({ path ("music/a.mp3"), path ("music/B.FLAC"), path ("music/sub/.hidden.ogg"),
                               path ("music/sub/deep/c.wav"), path ("music/take.wav/inside.aif") }));

    // A folder named like an audio file gives its files, then its own path.
    EXPECT_EQ (collect ({ path ("music/take.wav") }), lines ({ path ("music/take.wav/inside.aif"), path ("music/take.wav") }));
}

TEST_F (DroppedFilesTest, FilesAreTakenByTheirNameAsDropped)
{
    EXPECT_EQ (collect ({ path ("single/SONG.MP3"), path ("single/readme.md"), "/nowhere/ghost.wav" }),
               lines ({ path ("single/SONG.MP3"), "/nowhere/ghost.wav" }));
    EXPECT_TRUE (collect ({ path ("single/readme.md") }).isEmpty());
}

TEST_F (DroppedFilesTest, LinesAlreadyListedAreNotAddedAgain)
{
    const auto current = path ("music/a.mp3") + "\n" + path ("single/song.mp3");

    // Whole lines only, letter case included.
    EXPECT_EQ (collect ({ path ("music/a.mp3"), path ("single/SONG.MP3") }, current), lines ({ path ("single/SONG.MP3") }));

    // Within one drop the list does not grow: a folder and a file in it give that file twice.
    EXPECT_EQ (collect ({ path ("single"), path ("single/SONG.MP3") }),
               lines ({ path ("single/SONG.MP3"), path ("single/SONG.MP3") }));

    EXPECT_EQ (collectDroppedAudioFiles ({ path ("music/a.mp3") }, getAudioFileExtensions(), path ("music/a.mp3"), false),
               path ("music/a.mp3"));
}

TEST_F (DroppedFilesTest, LinksLeadIntoEveryRealFolderOnceAndEveryNameInItIsListed)
{
    struct Link
    {
        const char* name;
        const char* target;
        bool hard = false;
    };

    // Each case is a fresh tree: tree/A.WAV, tree/sub/b.wav and, outside it, other/c.mp3.
    const struct
    {
        const char* what;
        std::vector<Link> links;
        const char* dropped;
        std::vector<const char*> expected;
    } cases[] = {
        { "two links to itself", { { "l1", "." }, { "l2", "." } }, "tree", { "tree/A.WAV", "tree/sub/b.wav" } },
        { "one link to itself", { { "self", "." } }, "tree", { "tree/A.WAV", "tree/sub/b.wav" } },
        { "a link to its parent", { { "sub/up", ".." } }, "tree", { "tree/A.WAV", "tree/sub/b.wav" } },
        { "a chain of links back to itself", { { "l1", "l2" }, { "l2", "." } }, "tree", { "tree/A.WAV", "tree/sub/b.wav" } },
        { "links to a folder and to files in the tree", { { "alias", "sub" }, { "B.wav", "A.WAV" }, { "C.wav", "A.WAV", true } }, "tree", { "tree/A.WAV", "tree/B.wav", "tree/C.wav", "tree/sub/b.wav" } },
        { "a hard link, and a link from a subfolder", { { "B.wav", "A.WAV", true }, { "sub/c.wav", "../A.WAV" } }, "tree", { "tree/A.WAV", "tree/B.wav", "tree/sub/b.wav", "tree/sub/c.wav" } },
        { "a link that leads nowhere", { { "lost.wav", "gone.wav" } }, "tree", { "tree/A.WAV", "tree/lost.wav", "tree/sub/b.wav" } },
        { "a link out of the tree", { { "outside", "../other" } }, "tree", { "tree/A.WAV", "tree/outside/c.mp3", "tree/sub/b.wav" } },
        { "two links to one folder out of the tree", { { "o1", "../other" }, { "sub/o2", "../../other" } }, "tree", { "tree/A.WAV", "tree/o1/c.mp3", "tree/sub/b.wav" } },
        { "a folder whose link leads to its parent", { { "sub/up", ".." } }, "tree/sub", { "tree/sub/b.wav", "tree/sub/up/A.WAV" } },
    };

    for (size_t i = 0; i < std::size (cases); ++i)
    {
        const auto& c = cases[i];
        SCOPED_TRACE (c.what);
        const auto root = folder.file ("links" + juce::String ((int) i));

        for (auto* name : { "tree/A.WAV", "tree/sub/b.wav", "other/c.mp3" })
            ASSERT_TRUE (root.getChildFile (name).create());

        for (const auto& link : c.links)
        {
            const auto linkPath = root.getChildFile ("tree").getChildFile (link.name).getFullPathName();
            const auto made = link.hard ? ::link (root.getChildFile ("tree").getChildFile (link.target).getFullPathName().toRawUTF8(), linkPath.toRawUTF8())
                                        : ::symlink (link.target, linkPath.toRawUTF8());
            ASSERT_EQ (made, 0) << link.name;
        }

        juce::StringArray expected;

        for (auto* name : c.expected)
            expected.add (root.getChildFile (name).getFullPathName());

        EXPECT_EQ (collect ({ root.getChildFile (c.dropped).getFullPathName() }), expected);
    }
}

TEST (InputListLines, BlankLinesAndFoldersArePassedOverAndEveryOtherLineNamesAFileOrNothing)
{
    const testing_support::TemporaryFolder folder;
    const juce::File homeFolder ("~/list test.flac");

    for (auto* name : { "a.wav", "b.wav", "sub/c.mp3", "my music/d.flac", "take.wav/inside.wav" })
        ASSERT_TRUE (folder.file (name).create()) << name;

    ASSERT_TRUE (homeFolder.getChildFile ("e.wav").create());
    ASSERT_EQ (::symlink (folder.file ("take.wav").getFullPathName().toRawUTF8(), folder.file ("linked.wav").getFullPathName().toRawUTF8()), 0);
    ASSERT_EQ (::symlink ("gone.wav", folder.file ("dangling.wav").getFullPathName().toRawUTF8()), 0);

    const auto path = [&folder] (const char* name)
    { return folder.file (name).getFullPathName(); };

    const auto read = readInputListLines ("  " + path ("a.wav") + "\n\t" + path ("b.wav") + "  \r\n\n   \n\r\n"
                                              + "sub/c.mp3\n" + path ("my music/d.flac") + "\n"
                                              + path ("typo.wav") + "\n" + path ("sub") + "\n file://" + path ("a.wav") + " \n"
                                              + path ("take.wav/inside.wav") + "\n  " + path ("take.wav") + " \r\n"
                                              + "sub\n" + path ("linked.wav") + "\n~/list test.flac\n~/list test.flac/e.wav\n"
                                              + path ("dangling.wav") + "\n~/nothing.wav",
                                          folder.get());

    EXPECT_EQ (read.files, juce::Array<juce::File> ({ folder.file ("a.wav"), folder.file ("b.wav"), folder.file ("sub/c.mp3"), folder.file ("my music/d.flac"),
                                                      folder.file ("take.wav/inside.wav"), homeFolder.getChildFile ("e.wav") }));
    EXPECT_EQ (read.notFound, lines ({ path ("typo.wav"), "file://" + path ("a.wav"), path ("dangling.wav"), "~/nothing.wav" }));

    EXPECT_TRUE (readInputListLines ({}, folder.get()).notFound.isEmpty());
    EXPECT_TRUE (homeFolder.deleteRecursively());
}
