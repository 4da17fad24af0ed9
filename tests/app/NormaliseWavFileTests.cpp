#include "app/NormaliseWavFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using testing_support::makeSine;
using testing_support::TemporaryFolder;

namespace
{

juce::StringArray namesIn (const juce::File& folder)
{
    juce::StringArray names;

    for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFilesAndDirectories))
        names.add (entry.getFile().getFileName());

    names.sort (false);
    return names;
}

} // namespace

TEST (NormaliseWavFile, PutsTheCleanWavAtTheTargetAndNothingElse)
{
    TemporaryFolder folder;
    const auto source = folder.file (".song.wav");
    const auto target = folder.file ("song.wav");
    ASSERT_TRUE (makeSine (source, 0.5));

    EXPECT_TRUE (normaliseWavFile (source, target));

    const auto facts = testing_support::probeAudio (target);
    EXPECT_TRUE (facts.ok);
    EXPECT_EQ (facts.codecName, "pcm_s16le");
    EXPECT_EQ (namesIn (folder.get()), juce::StringArray ({ ".song.wav", "song.wav" }));
}

TEST (NormaliseWavFile, LeavesTheTargetAsItWasWhenTheRewriteFails)
{
    TemporaryFolder folder;
    const auto good = folder.file (".long.wav");
    const auto corrupt = folder.file (".corrupt.wav");
    const auto target = folder.file ("out.wav");
    ASSERT_TRUE (makeSine (good, 5.0));
    ASSERT_TRUE (corrupt.replaceWithText ("RIFF, but no WAVE in it"));

    const auto tryWith = [&] (const juce::File& source, rlim_t fileSizeLimit)
    {
        testing_support::FileSizeLimit limit (fileSizeLimit);
        EXPECT_TRUE (limit.ok);
        return normaliseWavFile (source, target);
    };

    for (auto withTarget : { false, true })
    {
        SCOPED_TRACE (withTarget);
        target.deleteFile();

        if (withTarget)
        {
            ASSERT_TRUE (target.replaceWithText ("an earlier output"));
        }

        EXPECT_FALSE (tryWith (corrupt, RLIM_INFINITY));
        EXPECT_FALSE (tryWith (good, 100000)) << "a full disk halfway through";
        EXPECT_FALSE (normaliseWavFile (folder.file ("missing.wav"), target));

        EXPECT_EQ (target.existsAsFile(), withTarget);
        EXPECT_EQ (target.loadFileAsString(), withTarget ? "an earlier output" : "");

        const auto expected = withTarget ? juce::StringArray ({ ".corrupt.wav", ".long.wav", "out.wav" })
                                         : juce::StringArray ({ ".corrupt.wav", ".long.wav" });
        EXPECT_EQ (namesIn (folder.get()), expected) << "no temporary file left behind";
    }
}
