#include "platform/ChildProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace
{

/** Reads in 64-byte pieces, as the runner does, until the child has ended. */
juce::MemoryBlock readAll (platform::ChildProcess& process)
{
    juce::MemoryOutputStream output;
    char buffer[64];

    while (const auto numRead = process.readProcessOutput (buffer, (int) sizeof (buffer)))
        output.write (buffer, (size_t) numRead);

    return output.getMemoryBlock();
}

juce::String readAllText (platform::ChildProcess& process)
{
    return readAll (process).toString();
}

/** A shell script run with /bin/sh -c, with its own arguments after it. */
juce::StringArray shell (const juce::String& script, const juce::StringArray& arguments = {})
{
    juce::StringArray command { "/bin/sh", "-c", script, "sh" };
    command.addArray (arguments);
    return command;
}

bool processExists (int pid)
{
    return ::kill (pid, 0) == 0;
}

TEST (ChildProcess, ArgumentsArriveExactlyAsGiven)
{
    const juce::StringArray arguments { "with blanks", "\"double quoted\"", "-leading-dash", "--flag=a b",
                                        juce::String::fromUTF8 ("中文 文件名.wav"), "", "single 'quotes'", "back\\slash",
                                        "$HOME * ; | &", "line\nbreak", "  padded  " };
    platform::ChildProcess process;
    ASSERT_TRUE (process.start (shell ("printf '%s\\0' \"$@\"", arguments)));

    const auto output = readAll (process);
    juce::StringArray received;
    const auto* text = static_cast<const char*> (output.getData());

    for (size_t start = 0, i = 0; i < output.getSize(); ++i)
        if (text[i] == 0)
        {
            received.add (juce::String::fromUTF8 (text + start, (int) (i - start)));
            start = i + 1;
        }

    EXPECT_EQ (received, arguments);
}

TEST (ChildProcess, ProgramIsFoundOnThePath)
{
    platform::ChildProcess process;
    ASSERT_TRUE (process.start ({ "echo", "found" }));
    EXPECT_EQ (readAllText (process), "found\n");
}

TEST (ChildProcess, StdoutAndStderrShareOnePipe)
{
    platform::ChildProcess process;
    ASSERT_TRUE (process.start (shell ("echo out; echo err >&2; echo out again")));
    EXPECT_EQ (readAllText (process), "out\nerr\nout again\n");
}

/** Our own stdin made a pipe with text waiting in it, so a child that inherits it would read it. */
class OwnStdinWithText
{
public:
    OwnStdinWithText()
        : savedStdin (::dup (STDIN_FILENO))
    {
        int ends[2];

        if (::pipe (ends) != 0)
            return;

        ::dup2 (ends[0], STDIN_FILENO);
        ::close (ends[0]);
        [[maybe_unused]] const auto written = ::write (ends[1], "leaked\n", 7);
        ::close (ends[1]);
    }

    ~OwnStdinWithText()
    {
        ::dup2 (savedStdin, STDIN_FILENO);
        ::close (savedStdin);
    }

private:
    int savedStdin;

    JUCE_DECLARE_NON_COPYABLE (OwnStdinWithText)
};

TEST (ChildProcess, StdinIsDevNull)
{
    const OwnStdinWithText ownStdin;
    platform::ChildProcess process;
    ASSERT_TRUE (process.start (shell ("readlink /proc/$$/fd/0; cat; echo end")));
    EXPECT_EQ (readAllText (process), "/dev/null\nend\n");
}

TEST (ChildProcess, NoOtherDescriptorIsInherited)
{
    const testing_support::TemporaryFolder scratch;
    const auto openedFile = scratch.file ("held-open.wav");
    ASSERT_TRUE (openedFile.replaceWithText ("x"));

    // Opened without close-on-exec, the way JUCE's streams and many libraries open files.
    const auto fd = ::open (openedFile.getFullPathName().toRawUTF8(), O_RDONLY);
    ASSERT_GE (fd, 0);

    platform::ChildProcess process;
    ASSERT_TRUE (process.start (shell ("ls /proc/$$/fd; readlink /proc/$$/fd/1 /proc/$$/fd/2")));
    const auto lines = juce::StringArray::fromLines (readAllText (process).trimEnd());
    ::close (fd);

    ASSERT_EQ (lines.size(), 5) << lines.joinIntoString ("|");
    EXPECT_EQ (lines.joinIntoString (" ", 0, 3), "0 1 2");
    EXPECT_TRUE (lines[3].startsWith ("pipe:"));
    EXPECT_EQ (lines[3], lines[4]) << "stdout and stderr are the same pipe";
}

TEST (ChildProcess, ReportsHowTheChildEnded)
{
    struct Case
    {
        const char* script;
        bool exitedNormally;
        int exitCode;
        int signal;
    };

    const Case cases[] = {
        { "exit 0", true, 0, 0 },
        { "exit 3", true, 3, 0 },
        { "exit 255", true, 255, 0 },
        { "kill -SEGV $$", false, -1, SIGSEGV },
        { "kill -TERM $$", false, -1, SIGTERM },
        { "kill -KILL $$", false, -1, SIGKILL },
    };

    for (auto& testCase : cases)
    {
        SCOPED_TRACE (testCase.script);
        platform::ChildProcess process;
        ASSERT_TRUE (process.start (shell (testCase.script)));
        EXPECT_EQ (readAll (process).getSize(), 0u);

        const auto status = process.getExitStatus();
        EXPECT_TRUE (status.hasEnded);
        EXPECT_FALSE (process.isRunning());
        EXPECT_EQ (status.exitedNormally, testCase.exitedNormally);
        EXPECT_EQ (status.exitCode, testCase.exitCode);
        EXPECT_EQ (status.signal, testCase.signal);
    }
}

TEST (ChildProcess, ProgramThatCannotRunFailsToStart)
{
    const testing_support::TemporaryFolder scratch;
    const auto notExecutable = scratch.file ("ffmpeg");
    ASSERT_TRUE (notExecutable.replaceWithText ("#!/bin/sh\necho ran\n"));
    ASSERT_EQ (::chmod (notExecutable.getFullPathName().toRawUTF8(), 0644), 0);

    const juce::StringArray programs { "/no/such/program", "no-such-program-on-the-path", notExecutable.getFullPathName(),
                                       scratch.get().getFullPathName(), "" };

    for (auto& program : programs)
    {
        SCOPED_TRACE (program.toStdString());
        platform::ChildProcess process;
        EXPECT_FALSE (process.start ({ program, "-version" }));
        EXPECT_FALSE (process.isRunning());
        EXPECT_FALSE (process.getExitStatus().hasEnded);
        char buffer[16];
        EXPECT_EQ (process.readProcessOutput (buffer, (int) sizeof (buffer)), 0);
        EXPECT_FALSE (process.kill());
    }

    platform::ChildProcess process;
    EXPECT_FALSE (process.start ({}));
}

TEST (ChildProcess, KillFromAnotherThreadEndsABlockedRead)
{
    platform::ChildProcess process;
    ASSERT_TRUE (process.start ({ "sleep", "300" }));
    EXPECT_TRUE (process.isRunning());

    std::atomic<bool> killed { false };
    std::thread killer ([&]
                        {
                            std::this_thread::sleep_for (std::chrono::milliseconds (200));
                            killed = process.kill(); });

    char buffer[64];
    const auto numRead = process.readProcessOutput (buffer, (int) sizeof (buffer));
    killer.join();

    EXPECT_EQ (numRead, 0);
    EXPECT_TRUE (killed);
    const auto status = process.getExitStatus();
    EXPECT_TRUE (status.hasEnded);
    EXPECT_FALSE (status.exitedNormally);
    EXPECT_EQ (status.signal, SIGKILL);
    EXPECT_FALSE (process.kill()) << "nothing left to kill";
}

TEST (ChildProcess, ChildDiesWithTheThreadThatStartedIt)
{
    // The stand-in for a program that is killed: nothing of ours gets the chance to kill the child.
    platform::ChildProcess process;
    bool started = false;
    std::thread starter ([&]
                         { started = process.start ({ "sleep", "300" }); });
    starter.join();

    ASSERT_TRUE (started);
    EXPECT_TRUE (process.waitForProcessToFinish (5000));
    const auto status = process.getExitStatus();
    EXPECT_TRUE (status.hasEnded);
    EXPECT_FALSE (status.exitedNormally);
    EXPECT_EQ (status.signal, SIGKILL);
}

TEST (ChildProcess, ConcurrentKillsWhileTheOwnerStartsAndReads)
{
    platform::ChildProcess process;
    std::atomic<bool> done { false };
    std::thread killer ([&]
                        {
                            while (! done)
                            {
                                process.kill();
                                std::this_thread::yield();
                            } });

    auto numStarted = 0;

    for (int i = 0; i < 50; ++i)
    {
        if (process.start ({ "sleep", "300" }))
        {
            ++numStarted;
            readAll (process);
            EXPECT_TRUE (process.waitForProcessToFinish (-1));
            EXPECT_TRUE (process.getExitStatus().hasEnded);
        }
    }

    done = true;
    killer.join();

    // A kill only ever reaches a child that has been started, so every start succeeds.
    EXPECT_EQ (numStarted, 50);
}

TEST (ChildProcess, ChildThatEndsWhileAGrandchildHoldsThePipeDoesNotHang)
{
    platform::ChildProcess process;
    ASSERT_TRUE (process.start (shell ("sleep 300 & echo $!; exit 4")));

    const auto started = std::chrono::steady_clock::now();
    const auto grandchild = readAllText (process).trim().getIntValue();
    const auto waited = std::chrono::steady_clock::now() - started;

    EXPECT_LT (waited, std::chrono::seconds (60)) << "the read waited for the grandchild";
    EXPECT_EQ (process.getExitStatus().exitCode, 4);

    ASSERT_GT (grandchild, 0);
    ::kill (grandchild, SIGKILL);
}

TEST (ChildProcess, LargeOutputArrivesWhole)
{
    platform::ChildProcess process;
    ASSERT_TRUE (process.start ({ "head", "-c", "3000000", "/dev/urandom" }));
    EXPECT_EQ (readAll (process).getSize(), 3000000u);
    EXPECT_EQ (process.getExitStatus().exitCode, 0);
}

TEST (ChildProcess, WaitsWithATimeout)
{
    platform::ChildProcess process;
    ASSERT_TRUE (process.start ({ "sleep", "300" }));
    EXPECT_FALSE (process.waitForProcessToFinish (50));
    EXPECT_TRUE (process.isRunning());
    EXPECT_FALSE (process.getExitStatus().hasEnded);

    EXPECT_TRUE (process.kill());
    EXPECT_TRUE (process.waitForProcessToFinish (-1));
    EXPECT_FALSE (process.isRunning());

    ASSERT_TRUE (process.start ({ "true" }));
    EXPECT_TRUE (process.waitForProcessToFinish (10000));
    EXPECT_EQ (process.getExitStatus().exitCode, 0);
}

TEST (ChildProcess, ReadsWithATimeout)
{
    platform::ChildProcess process;
    char buffer[64];

    ASSERT_TRUE (process.start ({ "sleep", "5" }));
    EXPECT_EQ (process.readProcessOutput (buffer, (int) sizeof (buffer), 50), 0);
    EXPECT_TRUE (process.isRunning()) << "a quiet child is not taken for an ended one";

    // No time to wait still takes what has come.
    ASSERT_TRUE (process.start (shell ("printf ready; exec sleep 300")));
    auto numRead = 0;

    for (int attempt = 0; attempt < 1000 && numRead == 0; ++attempt)
        if ((numRead = process.readProcessOutput (buffer, (int) sizeof (buffer), 0)) == 0)
            std::this_thread::sleep_for (std::chrono::milliseconds (10));

    EXPECT_EQ (juce::String (buffer, (size_t) juce::jmax (0, numRead)), "ready");
    EXPECT_TRUE (process.isRunning());
}

TEST (ChildProcess, StartAgainAndDestructionKillAndReapTheChild)
{
    auto startReportingPid = [] (platform::ChildProcess& process)
    {
        EXPECT_TRUE (process.start (shell ("echo $$; exec sleep 300")));
        char buffer[32] = {};
        process.readProcessOutput (buffer, (int) sizeof (buffer) - 1);
        return juce::String (buffer).trim().getIntValue();
    };

    int firstPid = 0;
    int secondPid = 0;

    {
        platform::ChildProcess process;
        firstPid = startReportingPid (process);
        ASSERT_GT (firstPid, 0);

        secondPid = startReportingPid (process);
        ASSERT_GT (secondPid, 0);

        // Gone entirely: a zombie left unreaped would still answer.
        EXPECT_FALSE (processExists (firstPid));
        EXPECT_TRUE (processExists (secondPid));
    }

    EXPECT_FALSE (processExists (secondPid));
}

TEST (ChildProcess, ChildStartsWithDefaultSignalHandling)
{
    // What a GUI program typically does to itself; a converter must not inherit it, or it would
    // not end on a broken pipe.
    struct sigaction ignore
    {
    }, previousPipe {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction (SIGPIPE, &ignore, &previousPipe);

    sigset_t blocked, previousMask;
    sigemptyset (&blocked);
    sigaddset (&blocked, SIGUSR1);
    ::pthread_sigmask (SIG_BLOCK, &blocked, &previousMask);

    platform::ChildProcess process;
    const auto started = process.start ({ "grep", "-E", "^Sig(Ign|Blk)", "/proc/self/status" });
    const auto output = readAllText (process);

    ::pthread_sigmask (SIG_SETMASK, &previousMask, nullptr);
    ::sigaction (SIGPIPE, &previousPipe, nullptr);

    ASSERT_TRUE (started);
    const auto lines = juce::StringArray::fromLines (output.trimEnd());
    ASSERT_EQ (lines.size(), 2) << output;

    // Signals 1 to 31; glibc's spawn leaves its own internal real-time signals ignored.
    for (auto& line : lines)
        EXPECT_EQ (line.fromFirstOccurrenceOf ("\t", false, false).getHexValue64() & 0x7fffffff, 0) << line;
}

} // namespace
