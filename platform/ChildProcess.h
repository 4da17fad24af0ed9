#pragma once

#include <juce_core/juce_core.h>

#include <mutex>

namespace platform
{

/** A converter child process, started the way the runner needs it on this platform.

    - started from an argument list, each argument passed on exactly as given;
    - standard output and standard error share one pipe, which the parent reads;
    - standard input is /dev/null, and no other descriptor of ours is inherited;
    - a program that cannot be started is reported as such;
    - the real exit status, or the signal that ended the child, can be read afterwards;
    - the child never outlives us: it is killed (SIGKILL) when the thread that started it ends,
      the whole program included, however that happens. So start it from a thread that lives
      at least as long as the child should.

    kill() may be called from another thread while the owning thread reads or polls.
*/
class ChildProcess
{
public:
    ChildProcess() = default;

    /** Kills and reaps a child that is still running, and closes the pipe. */
    ~ChildProcess();

    /** Starts arguments[0] with the remaining arguments. Any child started before is killed and
        reaped first. Returns false when the program could not be started.
    */
    [[nodiscard]] bool start (const juce::StringArray& arguments);

    /** True while the child has not ended. Never blocks. */
    [[nodiscard]] bool isRunning();

    /** Waits for output without blocking forever: returns as soon as some bytes (at most
        maxBytes) have been read, or 0 once the child has ended and the pipe holds nothing more.
        With a timeout (ms; -1: none), 0 also when that time passed without output while the
        child runs.
    */
    int readProcessOutput (void* destBuffer, int maxBytes, int timeoutMs = -1);

    /** Ends the child at once (SIGKILL). True when there was a running child to end. */
    bool kill();

    /** Waits up to timeoutMs (-1: no limit) for the child to end. True when it has ended. */
    bool waitForProcessToFinish (int timeoutMs);

    struct ExitStatus
    {
        bool hasEnded = false;
        bool exitedNormally = false; // exited through exit(); false for a signal
        int exitCode = -1; // valid when exitedNormally
        int signal = 0; // the signal that ended it, when not exitedNormally
    };

    /** How the child ended; hasEnded is false while it runs or when none was started. */
    [[nodiscard]] ExitStatus getExitStatus();

private:
    void reapIfEnded (bool block);
    void collectExitStatus() noexcept; // with the lock held
    [[nodiscard]] bool hasUnreapedChild();
    void closePipe() noexcept;

    std::mutex lock; // guards pid and status against a kill from another thread
    int pid = 0; // 0: no child that has not been reaped
    int pipeFd = -1;
    ExitStatus status;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ChildProcess)
};

} // namespace platform
