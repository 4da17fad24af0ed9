#include "app/QuitSignals.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace
{

// A signal handler can reach nothing but globals; it only writes a byte into the pipe.
std::atomic<int> signalPipeWriteEnd { -1 };

// A terminal's Ctrl+C (SIGINT) and Ctrl+\ (SIGQUIT), a closed terminal or a session's hang-up
// (SIGHUP) and a service manager's SIGTERM: each would otherwise end the program at once.
constexpr std::array<int, 4> quitSignalNumbers { SIGTERM, SIGINT, SIGHUP, SIGQUIT };

std::array<struct sigaction, quitSignalNumbers.size()> previousActions {};

extern "C" void onQuitSignal (int)
{
    const auto savedErrno = errno;
    const char byte = 1;

    if (const auto fd = signalPipeWriteEnd.load(); fd >= 0)
    {
        [[maybe_unused]] const auto written = ::write (fd, &byte, 1);
    }

    errno = savedErrno;
}

} // namespace

QuitSignals::QuitSignals (std::function<void()> callback)
    : onQuitRequest (std::move (callback))
{
    int ends[2];

    if (::pipe2 (ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;

    readEnd = ends[0];
    writeEnd = ends[1];
    signalPipeWriteEnd = writeEnd;

    juce::LinuxEventLoop::registerFdCallback (readEnd, [this] (int)
                                              { drain(); });

    struct sigaction action
    {
    };
    action.sa_handler = onQuitSignal;
    sigemptyset (&action.sa_mask);
    action.sa_flags = SA_RESTART;

    for (size_t i = 0; i < quitSignalNumbers.size(); ++i)
        sigaction (quitSignalNumbers[i], &action, &previousActions[i]);
}

QuitSignals::~QuitSignals()
{
    if (readEnd < 0)
        return;

    for (size_t i = 0; i < quitSignalNumbers.size(); ++i)
        sigaction (quitSignalNumbers[i], &previousActions[i], nullptr);

    signalPipeWriteEnd = -1;

    juce::LinuxEventLoop::unregisterFdCallback (readEnd);
    ::close (readEnd);
    ::close (writeEnd);
}

void QuitSignals::drain()
{
    char bytes[64];
    auto requests = 0;

    for (auto count = ::read (readEnd, bytes, sizeof (bytes)); count > 0; count = ::read (readEnd, bytes, sizeof (bytes)))
        requests += (int) count;

    // Signals that came together make one request: one message, not a stack of them.
    if (requests > 0 && onQuitRequest != nullptr)
        onQuitRequest();
}
