#include "platform/ChildProcess.h"

#include "platform/FileDescriptor.h"

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
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

/** Keeps a descriptor off 0, 1 and 2, which the child's own set-up overwrites. */
bool moveAboveStandardDescriptors (FileDescriptor& descriptor) noexcept
{
    if (descriptor.get() > STDERR_FILENO)
        return true;

    descriptor.reset (::fcntl (descriptor.get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1));
    return descriptor.isValid();
}

/** A close-on-exec pipe whose ends stay off the standard descriptors. */
bool makePipe (FileDescriptor& readEnd, FileDescriptor& writeEnd) noexcept
{
    int ends[2];

    if (::pipe2 (ends, O_CLOEXEC) != 0)
        return false;

    readEnd.reset (ends[0]);
    writeEnd.reset (ends[1]);
    return moveAboveStandardDescriptors (readEnd) && moveAboveStandardDescriptors (writeEnd);
}

/** The places to try for a program, in the order of the PATH, as execvp would try them. */
std::vector<std::string> programCandidates (const std::string& program)
{
    if (program.find ('/') != std::string::npos)
        return { program };

    const auto* path = std::getenv ("PATH");
    const std::string folders (path != nullptr ? path : "/bin:/usr/bin");
    std::vector<std::string> candidates;
    size_t start = 0;

    for (;;)
    {
        const auto end = folders.find (':', start);
        auto folder = folders.substr (start, end == std::string::npos ? std::string::npos : end - start);
        candidates.push_back ((folder.empty() ? std::string (".") : folder) + "/" + program);

        if (end == std::string::npos)
            return candidates;

        start = end + 1;
    }
}

/** Everything the child needs, made before the fork: between fork and exec only
    async-signal-safe calls are allowed, so nothing may be allocated there.
*/
struct ChildLaunch
{
    std::vector<char*> argv;
    std::vector<std::string> candidates;
    int parentPid = 0;
    int nullInput = -1;
    int outputPipe = -1;
    int errorPipe = -1; // close-on-exec: the child writes its errno here when no exec worked
};

// Where the child keeps its end of the error pipe, right above the standard descriptors.
constexpr int errorPipeInChild = STDERR_FILENO + 1;

/** execve, tried again for a while when the program is busy: another child that was forked
    at the same moment may still hold the file open for writing, until its own exec.
*/
void execute (const char* path, char* const* argv) noexcept
{
    for (int attempt = 0; attempt < 50; ++attempt)
    {
        ::execve (path, argv, environ);

        if (errno != ETXTBSY)
            return;

        const timespec pause { 0, 2000000 };
        ::nanosleep (&pause, nullptr);
    }
}

/** Runs in the child. Its parent's signal handlers must not run here, so signals stay blocked
    (as the parent blocked them for the fork) until every handler is back at its default.
*/
[[noreturn]] void becomeChild (const ChildLaunch& launch) noexcept
{
    struct sigaction defaultAction
    {
    };
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset (&defaultAction.sa_mask);

    for (int signalNumber = 1; signalNumber < NSIG; ++signalNumber)
        if (signalNumber != SIGKILL && signalNumber != SIGSTOP)
            ::sigaction (signalNumber, &defaultAction, nullptr);

    sigset_t noSignals;
    sigemptyset (&noSignals);
    ::sigprocmask (SIG_SETMASK, &noSignals, nullptr);

    auto error = 0;

    // A process group of its own: what a terminal sends to our whole job (Ctrl+C, Ctrl+\, the
    // hang-up when it is closed) is ours to answer with the quit guard, and must not end the
    // conversion behind its back.
    ::setpgid (0, 0);

    // A converter must never outlive us: killed when the thread that started it ends, and never
    // started at all when we are already gone.
    if (::prctl (PR_SET_PDEATHSIG, SIGKILL) != 0)
        error = errno;
    else if (::getppid() != launch.parentPid)
        error = ESRCH;
    else if (::dup2 (launch.nullInput, STDIN_FILENO) < 0 || ::dup2 (launch.outputPipe, STDOUT_FILENO) < 0
             || ::dup2 (launch.outputPipe, STDERR_FILENO) < 0
             || (launch.errorPipe != errorPipeInChild && ::dup3 (launch.errorPipe, errorPipeInChild, O_CLOEXEC) < 0))
        error = errno;

    // Closed now rather than at the exec: a file that another thread of ours has open for
    // writing (a converter being unpacked) cannot be run while a process holds it so.
    else if (::close_range (errorPipeInChild + 1, ~0U, 0) != 0)
        error = errno;

    if (error == 0)
    {
        // As execvp does: a folder without the program, or without the right to run it, is
        // passed over; the first other error ends the search.
        error = ENOENT;

        for (auto& candidate : launch.candidates)
        {
            execute (candidate.c_str(), launch.argv.data());

            if (errno == EACCES)
                error = EACCES;
            else if (errno != ENOENT && errno != ENOTDIR)
            {
                error = errno;
                break;
            }
        }
    }

    while (::write (errorPipeInChild, &error, sizeof (error)) < 0 && errno == EINTR)
    {
    }

    ::_exit (127);
}

/** Forks with every signal blocked, so no handler of ours runs in the child before it has put
    them all back to their defaults.
*/
pid_t forkChild (const ChildLaunch& launch) noexcept
{
    sigset_t allSignals, previousMask;
    sigfillset (&allSignals);
    ::pthread_sigmask (SIG_SETMASK, &allSignals, &previousMask);

    const auto child = ::fork();

    if (child == 0)
        becomeChild (launch);

    ::pthread_sigmask (SIG_SETMASK, &previousMask, nullptr);
    return child;
}

/** The errno the child sent before it gave up, or 0 once its exec closed the pipe. */
int readStartError (int errorPipe) noexcept
{
    int error = 0;

    for (;;)
    {
        const auto numRead = ::read (errorPipe, &error, sizeof (error));

        if (numRead < 0 && errno == EINTR)
            continue;

        return numRead == (ssize_t) sizeof (error) ? (error != 0 ? error : EINVAL) : 0;
    }
}
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

    if (arguments.isEmpty() || arguments[0].isEmpty())
        return false;

    // Close-on-exec, so that no other child started meanwhile (by any thread) inherits them.
    FileDescriptor readEnd, writeEnd, errorReadEnd, errorWriteEnd;
    FileDescriptor nullInput (::open ("/dev/null", O_RDONLY | O_CLOEXEC));

    if (! makePipe (readEnd, writeEnd) || ! makePipe (errorReadEnd, errorWriteEnd)
        || ! moveAboveStandardDescriptors (nullInput))
        return false;

    // Only our end is non-blocking: the flag belongs to the open pipe end, which the child's
    // stdout and stderr would otherwise share.
    ::fcntl (readEnd.get(), F_SETFL, ::fcntl (readEnd.get(), F_GETFL) | O_NONBLOCK);

    std::vector<std::string> argumentText;

    for (auto& argument : arguments)
        argumentText.push_back (argument.toStdString());

    ChildLaunch launch;
    launch.candidates = programCandidates (argumentText.front());
    launch.parentPid = (int) ::getpid();
    launch.nullInput = nullInput.get();
    launch.outputPipe = writeEnd.get();
    launch.errorPipe = errorWriteEnd.get();

    for (auto& text : argumentText)
        launch.argv.push_back (text.data());

    launch.argv.push_back (nullptr);

    const auto newPid = forkChild (launch);

    writeEnd.reset();
    errorWriteEnd.reset();

    if (newPid < 0)
        return false;

    if (readStartError (errorReadEnd.get()) != 0)
    {
        while (::waitpid (newPid, nullptr, 0) < 0 && errno == EINTR)
        {
        }

        return false;
    }

    pipeFd = readEnd.release();

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

int ChildProcess::readProcessOutput (void* destBuffer, int maxBytes, int timeoutMs)
{
    if (destBuffer == nullptr || maxBytes <= 0)
        return 0;

    const auto deadline = juce::Time::getMillisecondCounterHiRes() + timeoutMs;

    while (pipeFd >= 0)
    {
        reapIfEnded (false);
        const auto ended = ! hasUnreapedChild();
        const auto remainingMs = timeoutMs < 0 ? pollIntervalMs : (int) std::ceil (deadline - juce::Time::getMillisecondCounterHiRes());
        const auto timedOut = remainingMs <= 0;
        const auto waitMs = ended || timedOut ? 0 : juce::jmin (pollIntervalMs, remainingMs);

        pollfd request { pipeFd, POLLIN, 0 };
        const auto ready = ::poll (&request, 1, waitMs);

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

        // Reaped, or out of time, and nothing waiting. A grandchild may still hold the pipe open
        // after the child has ended; not our business.
        if (ended || timedOut)
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
