#include "ScopedEnvironment.h"
#include "platform/TempFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr uid_t otherUser = 54321;

const char* const tmpdirName = "TMPDIR";

juce::File makeFolder (const juce::File& folder, mode_t mode)
{
    EXPECT_TRUE (folder.createDirectory());
    EXPECT_EQ (::chmod (folder.getFullPathName().toRawUTF8(), mode), 0);
    return folder;
}

void giveToOtherUser (const juce::File& path)
{
    ASSERT_EQ (::lchown (path.getFullPathName().toRawUTF8(), otherUser, otherUser), 0);
}

mode_t permissionsOf (const juce::File& path)
{
    struct stat info
    {
    };
    ::lstat (path.getFullPathName().toRawUTF8(), &info);
    return info.st_mode & 07777;
}

uid_t ownerOf (const juce::File& path)
{
    struct stat info
    {
    };
    ::lstat (path.getFullPathName().toRawUTF8(), &info);
    return info.st_uid;
}

void expectNoConverter()
{
    const auto converterFolder = platform::getConverterFolder();
    EXPECT_FALSE (converterFolder.isUsable());
    EXPECT_FALSE (converterFolder.problem.isEmpty());
    EXPECT_EQ (converterFolder.folder, juce::File());
    EXPECT_EQ (platform::getConverterFile(), juce::File());
}

class TempFolderTest : public ::testing::Test
{
protected:
    testing_support::TemporaryFolder scratch;
    testing_support::ScopedEnvironment environment;
};

TEST_F (TempFolderTest, PrivateTmpdirIsTheTempAndConverterFolder)
{
    const auto tmp = makeFolder (scratch.file ("tmp"), 0700);
    environment.set (tmpdirName, tmp);

    const auto lookup = platform::getTempFolder();
    EXPECT_TRUE (lookup.isUsable()) << lookup.problem;
    EXPECT_EQ (lookup.folder, tmp);

    const auto converterFolder = platform::getConverterFolder();
    EXPECT_TRUE (converterFolder.isUsable()) << converterFolder.problem;
    EXPECT_EQ (converterFolder.folder, tmp);
    EXPECT_EQ (platform::getConverterFile(), tmp.getChildFile ("ffmpeg"));
}

TEST_F (TempFolderTest, TmpdirThatIsNotOursAloneIsRefused)
{
    struct Case
    {
        const char* name;
        std::function<juce::String (const juce::File&)> makeTmpdir;
        bool usable;
        bool needsRoot = false; // giving a file to another user takes root
    };

    const Case cases[] = {
        { "writable by everyone", [] (auto& base)
          { return makeFolder (base.getChildFile ("t"), 0777).getFullPathName(); },
          false },
        { "writable by the group", [] (auto& base)
          { return makeFolder (base.getChildFile ("t"), 0770).getFullPathName(); },
          false },
        { "sticky and writable by everyone, like /tmp", [] (auto& base)
          { return makeFolder (base.getChildFile ("t"), 01777).getFullPathName(); },
          false },
        { "owned by another user", [] (auto& base)
          {
              auto folder = makeFolder (base.getChildFile ("t"), 0700);
              giveToOtherUser (folder);
              return folder.getFullPathName();
          },
          false, true },
        { "missing", [] (auto& base)
          { return base.getChildFile ("missing").getFullPathName(); },
          false },
        { "a file", [] (auto& base)
          {
              auto file = base.getChildFile ("file");
              file.replaceWithText ("x");
              return file.getFullPathName();
          },
          false },
        { "a relative path", [] (auto&)
          { return juce::String ("relative/tmp"); },
          false },
        { "readable by others but written only by us", [] (auto& base)
          { return makeFolder (base.getChildFile ("t"), 0755).getFullPathName(); },
          true },
        { "our own link to our private folder", [] (auto& base)
          {
              auto target = makeFolder (base.getChildFile ("target"), 0700);
              auto link = base.getChildFile ("link");
              EXPECT_EQ (::symlink (target.getFullPathName().toRawUTF8(), link.getFullPathName().toRawUTF8()), 0);
              return link.getFullPathName();
          },
          true },
        { "another user's link to our private folder", [] (auto& base)
          {
              auto target = makeFolder (base.getChildFile ("target"), 0700);
              auto link = base.getChildFile ("link");
              EXPECT_EQ (::symlink (target.getFullPathName().toRawUTF8(), link.getFullPathName().toRawUTF8()), 0);
              giveToOtherUser (link);
              return link.getFullPathName();
          },
          false, true },
        { "our own link to a folder everyone can write to", [] (auto& base)
          {
              auto target = makeFolder (base.getChildFile ("target"), 0777);
              auto link = base.getChildFile ("link");
              EXPECT_EQ (::symlink (target.getFullPathName().toRawUTF8(), link.getFullPathName().toRawUTF8()), 0);
              return link.getFullPathName();
          },
          false },
    };

    for (auto& testCase : cases)
    {
        if (testCase.needsRoot && ::geteuid() != 0)
            continue;

        SCOPED_TRACE (testCase.name);
        const testing_support::TemporaryFolder base;
        testing_support::ScopedEnvironment caseEnvironment;
        caseEnvironment.set (tmpdirName, testCase.makeTmpdir (base.get()));

        const auto lookup = platform::getTempFolder();
        EXPECT_EQ (lookup.isUsable(), testCase.usable) << lookup.problem;

        if (testCase.usable)
        {
            EXPECT_TRUE (platform::getConverterFolder().isUsable());
            EXPECT_NE (platform::getConverterFile(), juce::File());
        }
        else
        {
            EXPECT_FALSE (lookup.problem.isEmpty());
            EXPECT_EQ (lookup.folder, juce::File());
            expectNoConverter();
        }
    }
}

TEST_F (TempFolderTest, WithoutTmpdirAPrivateFolderUnderTmpIsMade)
{
    environment.set (tmpdirName, nullptr);

    const auto lookup = platform::getTempFolder();
    ASSERT_TRUE (lookup.isUsable()) << lookup.problem;
    EXPECT_EQ (lookup.folder, juce::File ("/tmp/meltrow-" + juce::String ((int) ::geteuid())));
    EXPECT_TRUE (lookup.folder.isDirectory());
    EXPECT_EQ (ownerOf (lookup.folder), ::geteuid());
    EXPECT_EQ (permissionsOf (lookup.folder) & 0077, 0u);

    // An empty TMPDIR counts as unset.
    environment.set (tmpdirName, "");
    EXPECT_EQ (platform::getTempFolder().folder, lookup.folder);
}

TEST_F (TempFolderTest, PrivateFolderIsMadeOrRefused)
{
    struct Case
    {
        const char* name;
        std::function<void (const juce::File& folder)> prepare; // folder: parent/name
        bool usable;
        bool needsRoot = false;
    };

    const Case cases[] = {
        { "missing: made with mode 0700", [] (auto&) {}, true },
        { "already there and private", [] (auto& folder)
          { makeFolder (folder, 0700); },
          true },
        { "owned by another user", [] (auto& folder)
          {
              makeFolder (folder, 0700);
              giveToOtherUser (folder);
          },
          false, true },
        { "writable by everyone", [] (auto& folder)
          { makeFolder (folder, 0777); },
          false },
        { "writable by the group", [] (auto& folder)
          { makeFolder (folder, 0720); },
          false },
        { "a link to our private folder", [] (auto& folder)
          {
              auto target = makeFolder (folder.getSiblingFile ("target"), 0700);
              EXPECT_EQ (::symlink (target.getFullPathName().toRawUTF8(), folder.getFullPathName().toRawUTF8()), 0);
          },
          false },
        { "a file", [] (auto& folder)
          { folder.replaceWithText ("x"); },
          false },
        { "in a parent everyone can write to", [] (auto& folder)
          { ::chmod (folder.getParentDirectory().getFullPathName().toRawUTF8(), 0777); },
          false },
        { "in a sticky parent everyone can write to, like /tmp", [] (auto& folder)
          { ::chmod (folder.getParentDirectory().getFullPathName().toRawUTF8(), 01777); },
          true },
    };

    for (auto& testCase : cases)
    {
        if (testCase.needsRoot && ::geteuid() != 0)
            continue;

        SCOPED_TRACE (testCase.name);
        const testing_support::TemporaryFolder base;
        const auto parent = makeFolder (base.file ("parent"), 0755);
        const auto folder = parent.getChildFile ("meltrow-test");
        testCase.prepare (folder);
        const auto ownerBefore = ownerOf (folder);

        const auto lookup = platform::getPrivateFolder (parent, "meltrow-test");
        EXPECT_EQ (lookup.isUsable(), testCase.usable) << lookup.problem;

        if (testCase.usable)
        {
            EXPECT_EQ (lookup.folder, folder);
            EXPECT_TRUE (folder.isDirectory());
            EXPECT_EQ (permissionsOf (folder), 0700u);
            EXPECT_EQ (ownerOf (folder), ::geteuid());
        }
        else
        {
            EXPECT_EQ (lookup.folder, juce::File());
            EXPECT_FALSE (lookup.problem.isEmpty());
            EXPECT_EQ (ownerOf (folder), ownerBefore) << "a refused folder is left as it was";
        }
    }
}

TEST_F (TempFolderTest, NoexecTempFolderSendsTheConverterToThePrivateCache)
{
    // A tmpfs mounted noexec, as hardened machines mount /tmp.
    const testing_support::ScopedTmpfs noexec (1024, MS_NOEXEC | MS_NOSUID | MS_NODEV);

    if (noexec.getProblem().isNotEmpty())
        GTEST_SKIP() << noexec.getProblem();

    environment.set (tmpdirName, noexec.getFolder());

    // The temporary folder itself stays usable for other files.
    EXPECT_TRUE (platform::getTempFolder().isUsable());

    struct Case
    {
        const char* name;
        juce::String xdgCacheHome;
        juce::File expected;
    };

    const auto home = scratch.file ("home");
    home.createDirectory();
    const Case cases[] = {
        { "XDG_CACHE_HOME, made when missing", scratch.file ("cache/deeper").getFullPathName(), scratch.file ("cache/deeper/meltrow") },
        { "no XDG_CACHE_HOME: ~/.cache", {}, home.getChildFile (".cache/meltrow") },
        { "a relative XDG_CACHE_HOME is ignored", "relative/cache", home.getChildFile (".cache/meltrow") },
    };

    for (auto& testCase : cases)
    {
        SCOPED_TRACE (testCase.name);
        testing_support::ScopedEnvironment caseEnvironment;
        caseEnvironment.set ("HOME", home);
        caseEnvironment.set ("XDG_CACHE_HOME", testCase.xdgCacheHome.isEmpty() ? nullptr : testCase.xdgCacheHome.toRawUTF8());

        const auto lookup = platform::getConverterFolder();
        ASSERT_TRUE (lookup.isUsable()) << lookup.problem;
        EXPECT_EQ (lookup.folder, testCase.expected);
        EXPECT_EQ (permissionsOf (lookup.folder), 0700u);
        EXPECT_EQ (platform::getConverterFile(), testCase.expected.getChildFile ("ffmpeg"));
    }

    // The cache's folder gets the same checks as the temporary folder.
    {
        testing_support::ScopedEnvironment caseEnvironment;
        const auto cache = makeFolder (scratch.file ("sharedcache"), 0755);
        makeFolder (cache.getChildFile ("meltrow"), 0777);
        caseEnvironment.set ("XDG_CACHE_HOME", cache);
        expectNoConverter();
    }

    // A cache on the same noexec file system is no way out.
    {
        testing_support::ScopedEnvironment caseEnvironment;
        caseEnvironment.set ("XDG_CACHE_HOME", noexec.file ("cache"));
        expectNoConverter();
    }
}

TEST (ProgramFileName, IsTheBareNameHere)
{
    EXPECT_EQ (platform::programFileName ("ffmpeg"), "ffmpeg");
}

} // namespace
