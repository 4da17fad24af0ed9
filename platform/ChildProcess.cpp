#include "platform/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace platform
{

namespace
{
// How long one poll of the pipe waits before looking whether the child has ended.
constexpr int pollIntervalMs = 10;

/** Keeps a pipe end off 0, 1 and 2, which the child's own set-up overwrites. */
bool moveAboveStandardDescriptors (int& fd) noexcept
{
    if (fd > STDERR_FILENO)
        return true;

    const auto moved = ::fcntl (fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    ::close (fd);
    fd = moved;
    return fd >= 0;
}

/** The child's descriptors: stdin from /dev/null, stdout and stderr into the pipe, and
    nothing else, whatever the parent holds open (files, sockets, other pipes).
*/
struct SpawnFileActions
{
    explicit SpawnFileActions (int pipeWriteEnd) noexcept
    {
        ::posix_spawn_file_actions_init (&actions);
        ok = ::posix_spawn_file_actions_adddup2 (&actions, pipeWriteEnd, STDOUT_FILENO) == 0
             && ::posix_spawn_file_actions_adddup2 (&actions, pipeWriteEnd, STDERR_FILENO) == 0
             && ::posix_spawn_file_actions_addopen (&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0) == 0
             && ::posix_spawn_file_actions_addclosefrom_np (&actions, STDERR_FILENO + 1) == 0;
    }

    ~SpawnFileActions() { ::posix_spawn_file_actions_destroy (&actions); }

    posix_spawn_file_actions_t actions;
    bool ok = false;

    JUCE_DECLARE_NON_COPYABLE (SpawnFileActions)
};

/** Whatever signals we block or ignore, the child starts with none blocked and every
    handler at its default, so that a converter writing to a closed pipe ends by SIGPIPE.
*/
struct SpawnAttributes
{
    SpawnAttributes() noexcept
    {
        ::posix_spawnattr_init (&attributes);

        sigset_t noSignals, allSignals;
        sigemptyset (&noSignals);
        sigfillset (&allSignals);
        sigdelset (&allSignals, SIGKILL);
        sigdelset (&allSignals, SIGSTOP);

        ok = ::posix_spawnattr_setsigmask (&attributes, &noSignals) == 0
             && ::posix_spawnattr_setsigdefault (&attributes, &allSignals) == 0
             && ::posix_spawnattr_setflags (&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0;
    }

    ~SpawnAttributes() { ::posix_spawnattr_destroy (&attributes); }

    posix_spawnattr_t attributes;
    bool ok = false;

    JUCE_DECLARE_NON_COPYABLE (SpawnAttributes)
};
} // namespace

ChildProcess::~ChildProcess()
{
    kill();
    reapIfEnded (true);
    closePipe();
}

bool ChildProcess::start (const juce::StringArray& arguments)
{
    kill();
    reapIfEnded (true);
    closePipe();

    {
        const std::lock_guard<std::mutex> guard (lock);
        status = {};
    }

    if (arguments.isEmpty())
        return false;

    // Close-on-exec, so that no other child started meanwhile (by any thread) inherits them.
    int ends[2];

    if (::pipe2 (ends, O_CLOEXEC) != 0)
        return false;

    if (! moveAboveStandardDescriptors (ends[0]) || ! moveAboveStandardDescriptors (ends[1]))
    {
        for (auto fd : ends)
            if (fd >= 0)
                ::close (fd);

        return false;
    }

    // Only our end is non-blocking: the flag belongs to the open pipe end, which the child's
    // stdout and stderr would otherwise share.
    ::fcntl (ends[0], F_SETFL, ::fcntl (ends[0], F_GETFL) | O_NONBLOCK);

    std::vector<std::string> argumentText;
    std::vector<char*> argv;

    for (auto& argument : arguments)
        argumentText.push_back (argument.toStdString());

    for (auto& text : argumentText)
        argv.push_back (text.data());

    argv.push_back (nullptr);

    const SpawnFileActions fileActions (ends[1]);
    const SpawnAttributes attributes;
    pid_t newPid = 0;

    // glibc's posix_spawn reports a failed exec as an error here (and reaps that child itself).
    const auto error = (fileActions.ok && attributes.ok)
                           ? ::posix_spawnp (&newPid, argv[0], &fileActions.actions, &attributes.attributes, argv.data(), environ)
                           : EINVAL;
    ::close (ends[1]);

    if (error != 0)
    {
        ::close (ends[0]);
        return false;
    }

    pipeFd = ends[0];

    const std::lock_guard<std::mutex> guard (lock);
    pid = newPid;
    return true;
}

bool ChildProcess::isRunning()
{
    reapIfEnded (false);

    const std::lock_guard<std::mutex> guard (lock);
    return pid != 0;
}

int ChildProcess::readProcessOutput (void* destBuffer, int maxBytes)
{
    if (destBuffer == nullptr || maxBytes <= 0)
        return 0;

    while (pipeFd >= 0)
    {
        reapIfEnded (false);
        const auto ended = ! hasUnreapedChild();

        pollfd request { pipeFd, POLLIN, 0 };
        const auto ready = ::poll (&request, 1, ended ? 0 : pollIntervalMs);

        if (ready < 0 && errno == EINTR)
            continue;

        if (ready > 0)
        {
            const auto numRead = ::read (pipeFd, destBuffer, (size_t) maxBytes);

            if (numRead > 0)
                return (int) numRead;

            if (numRead < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
        }

        if (ready != 0)
        {
            // End of file, or a pipe that cannot be read: the child has closed its output, and
            // 0 may only be returned once it has ended.
            closePipe();
            break;
        }

        // Reaped and nothing waiting. A grandchild may still hold the pipe open; not our business.
        if (ended)
            return 0;
    }

    reapIfEnded (true);
    return 0;
}

bool ChildProcess::kill()
{
    const std::lock_guard<std::mutex> guard (lock);
    collectExitStatus();

    // Under the lock, so the pid cannot be reaped (and reused by the system) before the signal.
    return pid != 0 && ::kill (pid, SIGKILL) == 0;
}

bool ChildProcess::waitForProcessToFinish (int timeoutMs)
{
    if (timeoutMs < 0)
    {
        reapIfEnded (true);
        return ! hasUnreapedChild();
    }

    const auto deadline = juce::Time::getMillisecondCounterHiRes() + timeoutMs;

    for (;;)
    {
        reapIfEnded (false);

        if (! hasUnreapedChild())
            return true;

        const auto remaining = deadline - juce::Time::getMillisecondCounterHiRes();

        if (remaining <= 0)
            return false;

        juce::Thread::sleep (juce::jlimit (1, 5, (int) remaining));
    }
}

ChildProcess::ExitStatus ChildProcess::getExitStatus()
{
    reapIfEnded (false);

    const std::lock_guard<std::mutex> guard (lock);
    return status;
}

void ChildProcess::reapIfEnded (bool block)
{
    if (block)
    {
        int child = 0;

        {
            const std::lock_guard<std::mutex> guard (lock);
            child = pid;
        }

        // Wait without reaping, and without the lock (kill() must stay possible meanwhile). The
        // ended child stays a zombie, so its pid cannot be handed to another process before
        // collectExitStatus() reaps it under the lock.
        if (child != 0)
        {
            siginfo_t info {};

            while (::waitid (P_PID, (id_t) child, &info, WEXITED | WNOWAIT) != 0 && errno == EINTR)
            {
            }
        }
    }

    const std::lock_guard<std::mutex> guard (lock);
    collectExitStatus();
}

void ChildProcess::collectExitStatus() noexcept
{
    if (pid == 0)
        return;

    int waitStatus = 0;
    const auto result = ::waitpid (pid, &waitStatus, WNOHANG);

    if (result == pid)
    {
        status.hasEnded = true;
        status.exitedNormally = WIFEXITED (waitStatus);
        status.exitCode = status.exitedNormally ? WEXITSTATUS (waitStatus) : -1;
        status.signal = WIFSIGNALED (waitStatus) ? WTERMSIG (waitStatus) : 0;
        pid = 0;
    }
    else if (result < 0 && errno == ECHILD)
    {
        // Reaped behind our back (SIGCHLD set to be ignored): ended, in an unknown way.
        status.hasEnded = true;
        pid = 0;
    }
}

bool ChildProcess::hasUnreapedChild()
{
    const std::lock_guard<std::mutex> guard (lock);
    return pid != 0;
}

void ChildProcess::closePipe() noexcept
{
    if (pipeFd >= 0)
        ::close (pipeFd);

    pipeFd = -1;
}

} // namespace platform
