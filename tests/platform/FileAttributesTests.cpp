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

} // namespace
