#pragma once

#include <juce_core/juce_core.h>

#include <csignal>
#include <functional>
#include <ostream>
#include <sys/resource.h>

namespace testing_support
{

/** A fresh folder for one test, deleted with everything in it when the test ends. */
class TemporaryFolder
{
public:
    TemporaryFolder();
    ~TemporaryFolder();

    [[nodiscard]] const juce::File& get() const noexcept { return folder; }
    [[nodiscard]] juce::File file (const juce::String& relativePath) const { return folder.getChildFile (relativePath); }

private:
    juce::File folder;

    JUCE_DECLARE_NON_COPYABLE (TemporaryFolder)
};

/** Runs a program to its end and returns its exit code (-1 when it could not be started);
    what it printed goes to output when given.
*/
int runProgram (const juce::StringArray& arguments, juce::String* output = nullptr, int timeoutMs = 120000);

/** Makes an audio file with ffmpeg's lavfi sine source; extra arguments go before the output
    (codec, sample rate, channel layout). Returns true when the file exists afterwards.
*/
bool makeSine (const juce::File& output, double seconds, const juce::StringArray& outputOptions = {}, int sampleRate = 44100, int channels = 2);

/** What ffprobe says about the first audio stream of a file. */
struct AudioFacts
{
    juce::String formatName; // "wav", ...
    juce::String codecName; // "pcm_s16le", ...
    int sampleRate = 0;
    int channels = 0;
    double durationSeconds = 0.0;
    bool ok = false;
};

AudioFacts probeAudio (const juce::File& file);

/** Pumps the message loop until the condition holds or the time runs out. */
bool pumpUntil (const std::function<bool()>& condition, int timeoutMs);

/** Another program holding a selection (xclip), serving the given bytes in one target until
    this goes.
*/
class XclipSelectionOwner
{
public:
    XclipSelectionOwner (const juce::MemoryBlock& bytes, const juce::String& selection = "clipboard",
                         const juce::String& target = "UTF8_STRING");
    ~XclipSelectionOwner();

    /** True once xclip said that it owns the selection. */
    [[nodiscard]] bool isServing() const noexcept { return serving; }

private:
    juce::TemporaryFile file;
    juce::ChildProcess xclip;
    bool serving = false;

    JUCE_DECLARE_NON_COPYABLE (XclipSelectionOwner)
};

/** What another program (xclip) gets from a selection in a target, read while the message loop
    runs, since the owner may be this process.
*/
juce::MemoryBlock readSelectionWithXclip (const juce::String& selection = "clipboard", const juce::String& target = "UTF8_STRING");

/** While it lives, every write past the given file length fails (EFBIG), as on a full disk. */
class FileSizeLimit
{
public:
    explicit FileSizeLimit (rlim_t bytes)
    {
        getrlimit (RLIMIT_FSIZE, &previous);
        previousHandler = std::signal (SIGXFSZ, SIG_IGN);
        rlimit limit = previous;
        limit.rlim_cur = bytes;
        ok = setrlimit (RLIMIT_FSIZE, &limit) == 0;
    }

    ~FileSizeLimit()
    {
        setrlimit (RLIMIT_FSIZE, &previous);
        std::signal (SIGXFSZ, previousHandler);
    }

    bool ok = false;

private:
    rlimit previous {};
    void (*previousHandler) (int) = nullptr;

    JUCE_DECLARE_NON_COPYABLE (FileSizeLimit)
};

/** A small tmpfs of its own mounted on a fresh folder while it lives (root only), for tests of
    a full disk or a read-only medium. Unmounted however the test ends.
*/
class ScopedTmpfs
{
public:
    /** mountFlags: MS_NOEXEC and the like, for a medium mounted as hardened machines mount it. */
    explicit ScopedTmpfs (int sizeKiB, unsigned long mountFlags = 0);
    ~ScopedTmpfs();

    /** Empty when mounted; otherwise why not (for GTEST_SKIP). */
    [[nodiscard]] const juce::String& getProblem() const noexcept { return problem; }
    [[nodiscard]] const juce::File& getFolder() const noexcept { return mountPoint.get(); }
    [[nodiscard]] juce::File file (const juce::String& relativePath) const { return mountPoint.get().getChildFile (relativePath); }

    /** Mounts it again read-only, keeping what was written. */
    [[nodiscard]] bool makeReadOnly();

private:
    TemporaryFolder mountPoint;
    juce::String problem;
    juce::String options;
    unsigned long flags;

    JUCE_DECLARE_NON_COPYABLE (ScopedTmpfs)
};

/** A small disk image holding an exFAT or a FAT file system, mounted through FUSE on a fresh
    folder while it lives, as a USB stick is on many desktops: exFAT with mount.exfat-fuse on a
    loop device, FAT with fusefat (root only, with /dev/fuse). Unmounted, and its loop device
    detached, however the test ends.
*/
class ScopedFuseDisk
{
public:
    enum class Format
    {
        exfat,
        fat
    };

    explicit ScopedFuseDisk (Format format);
    ~ScopedFuseDisk();

    /** "exfat" or "fat": for the names of tests that run on both. */
    [[nodiscard]] static const char* getName (Format format) noexcept { return format == Format::exfat ? "exfat" : "fat"; }

    /** Empty when mounted; otherwise why not. */
    [[nodiscard]] const juce::String& getProblem() const noexcept { return problem; }
    [[nodiscard]] const juce::File& getFolder() const noexcept { return mountPoint; }
    [[nodiscard]] juce::File file (const juce::String& relativePath) const { return mountPoint.getChildFile (relativePath); }

private:
    [[nodiscard]] juce::String mount (Format format);

    TemporaryFolder scratch; // the image and the mount point; goes last
    juce::File image, mountPoint;
    juce::String loopDevice;
    bool mounted = false;
    juce::String problem;

    JUCE_DECLARE_NON_COPYABLE (ScopedFuseDisk)
};

/** How a test that runs on both formats shows which one it has. */
inline void PrintTo (ScopedFuseDisk::Format format, std::ostream* stream)
{
    *stream << ScopedFuseDisk::getName (format);
}

/** True where every test must run rather than skip: in continuous integration (CI=true). */
[[nodiscard]] bool isContinuousIntegration();

/** Ends a test whose disk could not be mounted: skipped, saying why, or failed in continuous
    integration, which has what mounting needs.
*/
#define MELTROW_SKIP_UNLESS_MOUNTED(disk)                                                 \
    if (const auto& mountProblem = (disk).getProblem(); mountProblem.isNotEmpty())        \
    {                                                                                     \
        if (testing_support::isContinuousIntegration())                                   \
            FAIL() << "the disk must be mounted in CI: " << mountProblem;                 \
        else                                                                              \
            GTEST_SKIP() << "not tried, the disk could not be mounted: " << mountProblem; \
    }

/** The process ids of this process's children whose program name is the given one (zombies
    included).
*/
[[nodiscard]] juce::Array<int> findOwnChildren (const juce::String& programName);

[[nodiscard]] int countOwnChildren (const juce::String& programName);

} // namespace testing_support
