#include "platform/FileAttributes.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace
{

TEST (FileAttributes, TellFilesFoldersAndNothingApart)
{
    const testing_support::TemporaryFolder scratch;

    const auto file = scratch.file (juce::String::fromUTF8 ("设置 config.json"));
    ASSERT_TRUE (file.replaceWithText ("{\"a\":1}"));
    const auto emptyFile = scratch.file ("empty");
    ASSERT_TRUE (emptyFile.create());
    const auto folder = scratch.file ("KIV_Wav");
    ASSERT_TRUE (folder.createDirectory());
    const auto danglingLink = scratch.file ("dangling");
    ASSERT_EQ (::symlink ("/no/such/target", danglingLink.getFullPathName().toRawUTF8()), 0);

    struct Case
    {
        juce::String path;
        bool exists, isFolder, isFile;
        juce::int64 size;
    };

    const Case cases[] = {
        { file.getFullPathName(), true, false, true, 7 },
        { emptyFile.getFullPathName(), true, false, true, 0 },
        { folder.getFullPathName(), true, true, false, -1 },
        { folder.getFullPathName() + "/", true, true, false, -1 },
        { scratch.file ("missing.wav").getFullPathName(), false, false, false, -1 },
        { danglingLink.getFullPathName(), false, false, false, -1 },
        { {}, false, false, false, -1 },
    };

    for (auto& testCase : cases)
    {
        SCOPED_TRACE (testCase.path.toStdString());
        EXPECT_EQ (platform::pathExists (testCase.path), testCase.exists);
        EXPECT_EQ (platform::isFolder (testCase.path), testCase.isFolder);
        EXPECT_EQ (platform::isFile (testCase.path), testCase.isFile);
        EXPECT_EQ (platform::fileSize (testCase.path), testCase.size);
    }
}

TEST (FileAttributes, SizeBeyondFourGigabytes)
{
    const testing_support::TemporaryFolder scratch;
    const auto file = scratch.file ("big.wav");
    const juce::int64 size = 5LL * 1024 * 1024 * 1024 + 3;

    {
        juce::FileOutputStream stream (file);
        ASSERT_TRUE (stream.openedOk());
    }

    // Sparse: takes no disk space.
    ASSERT_EQ (::truncate (file.getFullPathName().toRawUTF8(), (off_t) size), 0);
    EXPECT_EQ (platform::fileSize (file.getFullPathName()), size);
}

// Two names lead to one file exactly when they are one file: through links, dots and doubled
// slashes, and, on a disk that ignores letter case, through another case too.
TEST (FileAttributes, TellWhenTwoPathsAreOneFileOnDisk)
{
    const testing_support::TemporaryFolder scratch;
    const auto intro = scratch.file ("d/Intro.wav");
    ASSERT_TRUE (intro.getParentDirectory().createDirectory());
    ASSERT_TRUE (intro.replaceWithText ("upper"));
    ASSERT_TRUE (scratch.file ("d/intro.wav").replaceWithText ("lower"));
    ASSERT_EQ (::symlink ("d", scratch.file ("link").getFullPathName().toRawUTF8()), 0);
    ASSERT_EQ (::link (intro.getFullPathName().toRawUTF8(), scratch.file ("hard.wav").getFullPathName().toRawUTF8()), 0);

    const auto path = [&scratch] (const char* relative)
    { return scratch.get().getFullPathName() + "/" + relative; };

    const struct
    {
        const char* other;
        bool same;
    } cases[] = {
        { "d/Intro.wav", true },
        { "d//Intro.wav", true },
        { "d/./Intro.wav", true },
        { "link/../d/Intro.wav", true },
        { "link/Intro.wav", true },
        { "hard.wav", true },
        { "d/intro.wav", false }, // another file where letter case counts
        { "d/INTRO.WAV", false },
        { "d", false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.other);
        EXPECT_EQ (platform::isSameFile (intro.getFullPathName(), path (c.other)), c.same);
        EXPECT_EQ (platform::findFileOnDisk (intro.getFullPathName()) == platform::findFileOnDisk (path (c.other)), c.same);
    }

    EXPECT_FALSE (platform::findFileOnDisk (path ("d/missing.wav")).has_value());
}

class FileAttributesOnFuse : public testing::TestWithParam<testing_support::ScopedFuseDisk::Format>
{
};

// FUSE gives each name looked up an inode number of its own, so that Intro.wav and intro.wav,
// one file there, have two; the file's place tells them apart all the same.
TEST_P (FileAttributesOnFuse, TellOneFileUnderNamesThatTheDiskTakesForOne)
{
    const testing_support::ScopedFuseDisk disk (GetParam());
    MELTROW_SKIP_UNLESS_MOUNTED (disk);

    const auto intro = disk.file ("Music/KIV_Wav/Intro.wav");
    ASSERT_TRUE (intro.getParentDirectory().createDirectory());
    ASSERT_TRUE (intro.replaceWithText ("intro"));
    ASSERT_TRUE (disk.file ("Music/Outro.wav").replaceWithText ("outro"));

    const auto path = [&disk] (const char* relative)
    { return disk.getFolder().getFullPathName() + "/" + relative; };

    const struct
    {
        const char* other;
        bool same;
    } cases[] = {
        { "Music/KIV_Wav/Intro.wav", true },
        { "Music/KIV_Wav/intro.wav", true },
        { "MUSIC/kiv_wav/INTRO.WAV", true },
        { "music/./KIV_Wav/../kiv_wav//intro.wav", true },
        { "Music/Outro.wav", false },
        { "Music/KIV_Wav", false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.other);
        EXPECT_EQ (platform::isSameFile (intro.getFullPathName(), path (c.other)), c.same);
    }

    EXPECT_FALSE (platform::findFileOnDisk (path ("Music/missing.wav")).has_value());

    // Many at once, each folder read once: the same answers, in the paths' order.
    const auto files = platform::findFilesOnDisk ({ path ("MUSIC/kiv_wav/INTRO.WAV"), path ("Music/missing.wav"),
                                                    path ("music/outro.wav"), intro.getFullPathName() });
    ASSERT_EQ (files.size(), 4u);
    EXPECT_TRUE (files[0].has_value() && files[0] == platform::findFileOnDisk (intro.getFullPathName()));
    EXPECT_FALSE (files[1].has_value());
    EXPECT_TRUE (files[2].has_value() && files[2] == platform::findFileOnDisk (path ("Music/Outro.wav")));
    EXPECT_FALSE (files[2] == files[3]);
    EXPECT_TRUE (files[3] == files[0]);
}

INSTANTIATE_TEST_SUITE_P (ExfatAndFat, FileAttributesOnFuse,
                          testing::Values (testing_support::ScopedFuseDisk::Format::exfat, testing_support::ScopedFuseDisk::Format::fat),
                          [] (const testing::TestParamInfo<testing_support::ScopedFuseDisk::Format>& formatInfo)
                          { return testing_support::ScopedFuseDisk::getName (formatInfo.param); });

} // namespace
