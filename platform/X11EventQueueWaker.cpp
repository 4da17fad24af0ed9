#include "platform/X11EventQueueWaker.h"

// JUCE's own declarations of its X window system and of the Xlib functions it loads.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_gui_basics/juce_gui_basics.h>

// Runs the handler that JUCE's message loop runs when a file descriptor is readable.
#include <juce_events/native/juce_linux_EventLoopInternal.h>

namespace platform
{

X11EventQueueWaker::X11EventQueueWaker()
{
    startTimer (checkIntervalMs);
}

X11EventQueueWaker::~X11EventQueueWaker()
{
    stopTimer();
}

void X11EventQueueWaker::timerCallback()
{
    auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();

    if (windowSystem == nullptr)
        return;

    auto* display = windowSystem->getDisplay();

    if (display == nullptr)
        return;

    auto* x11 = juce::X11Symbols::getInstance();
    int queued = 0;

    {
        // QueuedAlready only reads Xlib's counter: no request, no read from the socket.
        const juce::XWindowSystemUtilities::ScopedXLock xLock;
        queued = x11->xEventsQueued (display, QueuedAlready);
    }

    if (queued > 0)
        juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd (x11->xConnectionNumber (display));
}

} // namespace platform
