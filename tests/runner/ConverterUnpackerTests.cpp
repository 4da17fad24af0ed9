#include "platform/ChildProcess.h"
#include "platform/Resources.h"
#include "platform/TempFolder.h"
#include "runner/ConverterUnpacker.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
// The program the build packed into the archive.
const juce::File packedProgram (MELTROW_FFMPEG_PROGRAM);

struct FileFacts
{
    bool exists = false;
    mode_t mode = 0;
    ino_t inode = 0;
};

FileFacts factsOf (const juce::File& file)
{
    struct stat info;

    if (::lstat (file.getFullPathName().toRawUTF8(), &info) != 0)
        return {};

    return { true, info.st_mode, info.st_ino };
}

bool holdsPackedProgram (const juce::File& file)
{
    return file.getSize() == packedProgram.getSize() && file.hasIdenticalContentTo (packedProgram);
}

juce::Result unpackInto (const juce::File& target)
{
    const auto archive = platform::findResource ("zip", 101);
    return unpackConverterArchive (archive.data, (size_t) archive.size, target);
}

/** Makes a file one that nobody can rename over or delete until the guard goes. */
class ImmutableFile
{
public:
    explicit ImmutableFile (const juce::File& fileToUse)
        : file (fileToUse)
    {
        applied = setImmutable (true);
    }

    ~ImmutableFile()
    {
        if (applied)
            setImmutable (false);
    }

    bool applied = false;

private:
    bool setImmutable (bool immutable) const
    {
        const auto fd = ::open (file.getFullPathName().toRawUTF8(), O_RDONLY | O_CLOEXEC);

        if (fd < 0)
            return false;

        int flags = 0;
        auto ok = ::ioctl (fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ok && ::ioctl (fd, FS_IOC_SETFLAGS, &flags) == 0;
        ::close (fd);
        return ok;
    }

    juce::File file;
};
} // namespace

TEST (ConverterUnpacker, UnpacksTheCarriedConverterAsARunnableProgramOfOurOwn)
{
    ASSERT_TRUE (packedProgram.existsAsFile());
    ASSERT_TRUE (unpackConverter());

    const auto target = platform::getConverterFile();
    EXPECT_EQ (target.getFileName(), platform::programFileName ("ffmpeg"));
    EXPECT_EQ (target.getParentDirectory(), platform::getConverterFolder().folder);

    const auto facts = factsOf (target);
    ASSERT_TRUE (facts.exists);
    EXPECT_TRUE (S_ISREG (facts.mode));
    EXPECT_EQ (facts.mode & 07777, 0755u); // runnable, and no one else may change it
    EXPECT_TRUE (holdsPackedProgram (target));

    juce::String version;
    EXPECT_EQ (testing_support::runProgram ({ target.getFullPathName(), "-version" }, &version), 0);
    EXPECT_TRUE (version.startsWith ("ffmpeg version"));
}

TEST (ConverterUnpacker, ReplacesAStaleCopyWithANewFileRenamedIntoPlace)
{
    const testing_support::TemporaryFolder temp;
    const auto target = temp.file ("ffmpeg");
    ASSERT_TRUE (target.replaceWithText ("a damaged converter"));
    const auto stale = factsOf (target);

    ASSERT_TRUE (unpackInto (target).wasOk());

    const auto fresh = factsOf (target);
    EXPECT_NE (fresh.inode, stale.inode); // a new file, not the old one written over
    EXPECT_EQ (fresh.mode & 07777, 0755u);
    EXPECT_TRUE (holdsPackedProgram (target));
    EXPECT_EQ (temp.get().getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 1); // no part-written file left
}

TEST (ConverterUnpacker, RemovesOnlyItsOwnStalePartialFiles)
{
    const testing_support::TemporaryFolder temp;
    const auto target = temp.file ("ffmpeg");
    const auto now = juce::Time::getCurrentTime();

    const struct
    {
        const char* name;
        juce::RelativeTime age;
        bool stays;
    } files[] = {
        { ".ffmpeg-1f0e0c3a-dead.part", juce::RelativeTime::hours (5), false }, // of a program that died
        { ".ffmpeg-2b.part", juce::RelativeTime::minutes (11), false },
        { ".ffmpeg-3c.part", juce::RelativeTime::seconds (20), true }, // another instance unpacks now
        { ".ffmpeg.part", juce::RelativeTime::hours (5), true }, // not a name unpacking gives
        { ".ffprobe-4d.part", juce::RelativeTime::hours (5), true }, // another program's
        { "notes.txt", juce::RelativeTime::hours (5), true },
    };

    for (const auto& f : files)
    {
        ASSERT_TRUE (temp.file (f.name).replaceWithText ("part-written"));
        ASSERT_TRUE (temp.file (f.name).setLastModificationTime (now - f.age));
    }

    ASSERT_TRUE (unpackInto (target).wasOk());
    EXPECT_TRUE (holdsPackedProgram (target));

    for (const auto& f : files)
        EXPECT_EQ (temp.file (f.name).exists(), f.stays) << f.name;
}

TEST (ConverterUnpacker, ReplacesACopyThatIsRunningWhileOthersKeepStartingIt)
{
    const testing_support::TemporaryFolder temp;
    const auto target = temp.file ("ffmpeg");
    ASSERT_TRUE (unpackInto (target).wasOk());

    // One instance converts with the old copy all the time: its input is a pipe that ends only
    // once every unpack is done. Raw samples, so that it needs no header to begin.
    const testing_support::TemporaryFolder inputs;
    const auto input = inputs.file ("samples");
    ASSERT_EQ (::mkfifo (input.getFullPathName().toRawUTF8(), 0600), 0);
    const auto writer = ::open (input.getFullPathName().toRawUTF8(), O_RDWR | O_CLOEXEC); // never waits for a reader
    ASSERT_GE (writer, 0);
    const std::vector<char> silence (8000, 0);
    ASSERT_EQ (::write (writer, silence.data(), silence.size()), (ssize_t) silence.size());

    platform::ChildProcess converting;
    ASSERT_TRUE (converting.start ({ target.getFullPathName(), "-v", "error", "-f", "s16le", "-ar", "8000", "-ac", "1",
                                     "-i", input.getFullPathName(), "-f", "wav", "-y", "/dev/null" }));

    // Others start the program again and again while it is being replaced.
    std::atomic<bool> keepStarting { true };
    std::atomic<int> starts { 0 }, failures { 0 };
    std::thread starter ([&]
                         {
                             while (keepStarting)
                             {
                                 platform::ChildProcess process;
                                 char scratch[256];

                                 if (process.start ({ target.getFullPathName(), "-version" }))
                                     while (process.readProcessOutput (scratch, (int) sizeof (scratch)) > 0)
                                     {
                                     }

                                 const auto status = process.getExitStatus();

                                 if (! (status.hasEnded && status.exitedNormally && status.exitCode == 0))
                                     ++failures;

                                 ++starts;
                             } });

    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE (unpackInto (target).wasOk());

    keepStarting = false;
    starter.join();

    EXPECT_TRUE (converting.isRunning()); // the running copy was never disturbed
    ::close (writer); // the input ends
    ASSERT_TRUE (converting.waitForProcessToFinish (20000));
    EXPECT_TRUE (converting.getExitStatus().exitedNormally);
    EXPECT_EQ (converting.getExitStatus().exitCode, 0);
    EXPECT_GT (starts.load(), 0);
    EXPECT_EQ (failures.load(), 0);
    EXPECT_TRUE (holdsPackedProgram (target));
    EXPECT_EQ (temp.get().getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 1);
}

TEST (ConverterUnpacker, AForeignFileThatCannotBeReplacedIsReported)
{
    const testing_support::TemporaryFolder temp;

    // A folder in the program's place.
    const auto folderInTheWay = temp.file ("ffmpeg");
    ASSERT_TRUE (folderInTheWay.createDirectory());
    ASSERT_TRUE (folderInTheWay.getChildFile ("keep.txt").replaceWithText ("someone else's"));
    EXPECT_TRUE (unpackInto (folderInTheWay).failed());
    EXPECT_EQ (folderInTheWay.getChildFile ("keep.txt").loadFileAsString(), "someone else's");
    EXPECT_EQ (temp.get().getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 1);
}

TEST (ConverterUnpacker, ACopyThatCannotBeReplacedServesOnlyWhenItIsOurs)
{
    const testing_support::TemporaryFolder temp;
    const auto ours = temp.file ("ours").getChildFile ("ffmpeg");
    const auto foreign = temp.file ("foreign").getChildFile ("ffmpeg");
    ASSERT_TRUE (ours.getParentDirectory().createDirectory());
    ASSERT_TRUE (foreign.getParentDirectory().createDirectory());
    ASSERT_TRUE (unpackInto (ours).wasOk());
    ASSERT_TRUE (foreign.replaceWithText ("not the converter"));

    const ImmutableFile lockedOurs (ours), lockedForeign (foreign);

    if (! lockedOurs.applied || ! lockedForeign.applied)
        GTEST_SKIP() << "this file system cannot make a file immutable";

    EXPECT_TRUE (unpackInto (ours).wasOk());
    EXPECT_TRUE (unpackInto (foreign).failed());
    EXPECT_EQ (foreign.loadFileAsString(), "not the converter");
    EXPECT_EQ (ours.getParentDirectory().getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 1);
    EXPECT_EQ (foreign.getParentDirectory().getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 1);
}

TEST (ConverterUnpacker, AnArchiveWithoutTheProgramWritesNothing)
{
    const testing_support::TemporaryFolder temp;
    const auto target = temp.file ("ffmpeg");

    juce::MemoryOutputStream zipBytes;
    juce::ZipFile::Builder builder;
    builder.addEntry (new juce::MemoryInputStream ("one", 3, true), 9, "readme.txt", juce::Time::getCurrentTime());
    builder.addEntry (new juce::MemoryInputStream ("two", 3, true), 9, "other.txt", juce::Time::getCurrentTime());
    ASSERT_TRUE (builder.writeToStream (zipBytes, nullptr));

    const char notAnArchive[] = "PK but nothing more";

    EXPECT_TRUE (unpackConverterArchive (zipBytes.getData(), zipBytes.getDataSize(), target).failed());
    EXPECT_TRUE (unpackConverterArchive (notAnArchive, sizeof (notAnArchive), target).failed());
    EXPECT_TRUE (unpackConverterArchive (nullptr, 0, target).failed());
    EXPECT_EQ (temp.get().getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 0);
}
