#include "support/TestSupport.h"

#include <juce_events/juce_events.h>

#include <X11/Xlib.h>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <unistd.h>

namespace testing_support
{

TemporaryFolder::TemporaryFolder()
    : folder (juce::File::createTempFile ("meltrow-test"))
{
    folder.createDirectory();
}

TemporaryFolder::~TemporaryFolder()
{
    folder.deleteRecursively();
}

ScopedTmpfs::ScopedTmpfs (int sizeKiB, unsigned long mountFlags)
    : options ("size=" + juce::String (sizeKiB) + "k,mode=0700"), flags (mountFlags)
{
    if (::mount ("tmpfs", mountPoint.get().getFullPathName().toRawUTF8(), "tmpfs", flags, options.toRawUTF8()) != 0)
        problem = "mounting a tmpfs is not allowed here (" + juce::String (std::strerror (errno)) + ")";
}

ScopedTmpfs::~ScopedTmpfs()
{
    // Lazily, so that a file a failed test left open cannot keep it mounted.
    if (problem.isEmpty())
        ::umount2 (mountPoint.get().getFullPathName().toRawUTF8(), MNT_DETACH);
}

bool ScopedTmpfs::makeReadOnly()
{
    return problem.isEmpty()
           && ::mount ("tmpfs", mountPoint.get().getFullPathName().toRawUTF8(), "tmpfs", MS_REMOUNT | MS_RDONLY | flags, options.toRawUTF8()) == 0;
}

ScopedFuseDisk::ScopedFuseDisk (Format format)
    : image (scratch.file ("disk.img")), mountPoint (scratch.file ("disk"))
{
    problem = mount (format);
}

juce::String ScopedFuseDisk::mount (Format format)
{
    const auto run = [] (const juce::StringArray& arguments, juce::String* output = nullptr)
    {
        juce::String printed;
        const auto code = runProgram (arguments, &printed);

        if (code == 0)
        {
            if (output != nullptr)
                *output = printed.trim();

            return juce::String();
        }

        return arguments[0] + " is missing or failed (exit code " + juce::String (code) + ")" + (printed.isEmpty() ? "" : ": " + printed.trim());
    };

    if (! mountPoint.createDirectory() || ! image.create() || ::truncate (image.getFullPathName().toRawUTF8(), 64 << 20) != 0)
        return "the image could not be made: " + juce::String (std::strerror (errno));

    const auto exfat = format == Format::exfat;

    if (const auto failed = run ({ exfat ? "mkfs.exfat" : "mkfs.vfat", image.getFullPathName() }); failed.isNotEmpty())
        return failed + (exfat ? " (package exfatprogs)" : " (package dosfstools)");

    if (exfat)
    {
        if (const auto failed = run ({ "losetup", "--find", "--show", image.getFullPathName() }, &loopDevice); failed.isNotEmpty())
            return failed;

        if (const auto failed = run ({ "mount.exfat-fuse", loopDevice, mountPoint.getFullPathName() }); failed.isNotEmpty())
            return failed + " (package exfat-fuse)";
    }
    else if (const auto failed = run ({ "fusefat", "-o", "rw+", image.getFullPathName(), mountPoint.getFullPathName() }); failed.isNotEmpty())
    {
        return failed + " (package fusefat)";
    }

    mounted = true;
    return {};
}

ScopedFuseDisk::~ScopedFuseDisk()
{
    // Lazily, so that a file a failed test left open cannot keep it mounted; the FUSE program
    // then ends by itself.
    if (mounted)
        ::umount2 (mountPoint.getFullPathName().toRawUTF8(), MNT_DETACH);

    // Detached once its file system lets go of it, should that take longer.
    if (loopDevice.isNotEmpty())
        runProgram ({ "losetup", "--detach", loopDevice });
}

bool isContinuousIntegration()
{
    return juce::SystemStats::getEnvironmentVariable ("CI", {}) == "true";
}

int runProgram (const juce::StringArray& arguments, juce::String* output, int timeoutMs)
{
    juce::ChildProcess process;

    if (! process.start (arguments))
        return -1;

    auto text = process.readAllProcessOutput();

    if (! process.waitForProcessToFinish (timeoutMs))
    {
        process.kill();
        return -1;
    }

    if (output != nullptr)
        *output = text;

    return (int) process.getExitCode();
}

bool makeSine (const juce::File& output, double seconds, const juce::StringArray& outputOptions, int sampleRate, int channels)
{
    juce::StringArray arguments { "ffmpeg", "-nostdin", "-v", "error", "-y",
                                  "-f", "lavfi", "-i",
                                  "sine=frequency=440:sample_rate=" + juce::String (sampleRate) + ":duration=" + juce::String (seconds),
                                  "-ac", juce::String (channels) };
    arguments.addArray (outputOptions);
    arguments.add (output.getFullPathName());

    return runProgram (arguments) == 0 && output.existsAsFile();
}

AudioFacts probeAudio (const juce::File& file)
{
    juce::String text;
    const auto code = runProgram ({ "ffprobe", "-v", "error", "-select_streams", "a:0",
                                    "-show_entries", "stream=codec_name,sample_rate,channels:format=format_name,duration",
                                    "-of", "default=noprint_wrappers=1", file.getFullPathName() },
                                  &text);
    AudioFacts facts;

    if (code != 0)
        return facts;

    for (auto& line : juce::StringArray::fromLines (text))
    {
        const auto key = line.upToFirstOccurrenceOf ("=", false, false);
        const auto value = line.fromFirstOccurrenceOf ("=", false, false);

        if (key == "codec_name")
            facts.codecName = value;
        else if (key == "sample_rate")
            facts.sampleRate = value.getIntValue();
        else if (key == "channels")
            facts.channels = value.getIntValue();
        else if (key == "format_name")
            facts.formatName = value;
        else if (key == "duration")
            facts.durationSeconds = value.getDoubleValue();
    }

    facts.ok = facts.codecName.isNotEmpty();
    return facts;
}

bool pumpUntil (const std::function<bool()>& condition, int timeoutMs)
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() > deadline)
            return false;

        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
    }

    return true;
}

XclipSelectionOwner::XclipSelectionOwner (const juce::MemoryBlock& bytes, const juce::String& selection, const juce::String& target)
{
    if (! file.getFile().replaceWithData (bytes.getData(), bytes.getSize()))
        return;

    auto* display = XOpenDisplay (nullptr);

    if (display == nullptr)
        return;

    // Taken by a window of our own first: a window id of an owner that has just gone (the last
    // xclip) may come back as the new xclip's, which would make its claim look like no change.
    const auto selectionAtom = XInternAtom (display, selection.toUpperCase().toRawUTF8(), False);
    const auto ownerBefore = XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner (display, selectionAtom, ownerBefore, CurrentTime);
    XSync (display, False);

    // -quiet keeps xclip in the foreground.
    if (xclip.start (juce::StringArray { "xclip", "-quiet", "-selection", selection, "-t", target, "-i",
                                         file.getFile().getFullPathName() }))
    {
        // It says that it waits for requests before its request for the selection has left it:
        // ask the server instead.
        const auto owns = [&]
        {
            const auto owner = XGetSelectionOwner (display, selectionAtom);
            return owner != None && owner != ownerBefore;
        };

        pumpUntil ([&]
                   { return owns() || ! xclip.isRunning(); },
                   10000);
        serving = owns() && xclip.isRunning();
    }

    XCloseDisplay (display);
}

XclipSelectionOwner::~XclipSelectionOwner()
{
    xclip.kill();
}

juce::MemoryBlock readSelectionWithXclip (const juce::String& selection, const juce::String& target)
{
    // Into a file: xclip writes only once it has the whole selection, and a pipe that nobody
    // reads meanwhile would stop it.
    const juce::TemporaryFile output;
    juce::ChildProcess xclip;
    const auto command = "exec xclip -o -selection " + selection + " -t " + target + " > "
                         + output.getFile().getFullPathName().quoted ('\'');

    if (! xclip.start (juce::StringArray { "sh", "-c", command }))
        return {};

    // Whatever it holds after the wait is what the test compares; an xclip still waiting on
    // its owner is not left behind.
    if (! pumpUntil ([&xclip]
                     { return ! xclip.isRunning(); },
                     30000))
        xclip.kill();

    juce::MemoryBlock bytes;
    output.getFile().loadFileAsData (bytes);
    return bytes;
}

juce::Array<int> findOwnChildren (const juce::String& programName)
{
    const auto ownId = juce::String ((int) ::getpid());
    juce::Array<int> children;

    for (const auto& entry : juce::RangedDirectoryIterator (juce::File ("/proc"), false, "*", juce::File::findDirectories))
    {
        // /proc/<pid>/stat: "pid (name) state ppid ..."; the name may hold blanks and brackets.
        const auto stat = entry.getFile().getChildFile ("stat").loadFileAsString();
        const auto name = stat.fromFirstOccurrenceOf ("(", false, false).upToLastOccurrenceOf (")", false, false);
        // Trimmed first: the blank after ")" would otherwise make an empty first field.
        const auto fields = juce::StringArray::fromTokens (stat.fromLastOccurrenceOf (")", false, false).trim(), false);

        if (name == programName.substring (0, 15) && fields.size() > 1 && fields[1] == ownId)
            children.add (entry.getFile().getFileName().getIntValue());
    }

    return children;
}

int countOwnChildren (const juce::String& programName)
{
    return findOwnChildren (programName).size();
}

} // namespace testing_support
