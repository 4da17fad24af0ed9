#include "platform/X11EventQueueWaker.h"

// JUCE's own declarations of its X window system and of the Xlib functions it loads.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_gui_basics/juce_gui_basics.h>

// Runs the handler that JUCE's message loop runs when a file descriptor is readable.
#include <juce_events/native/juce_linux_EventLoopInternal.h>

// XESetWireToEvent and the wire format of an event.
#include <X11/Xlibint.h>

#include <array>
#include <atomic>

namespace platform
{

namespace
{

using WireToEvent = Bool (*) (Display*, XEvent*, xEvent*);

// Xlib calls a converter without any data of the caller's, so what the installed converters
// need lives here. There is one X display and one waker at a time.
constexpr int firstCoreEvent = 2; // KeyPress, a name JUCE takes for its own class
std::array<WireToEvent, GenericEvent> originalConverters {};
std::atomic<bool> noting { false };
std::atomic<bool> dispatchPosted { false };

::Display* getJuceDisplay()
{
    auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();
    return windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
}

constexpr int queueLookIntervalMs = 50;

/** Message thread: hands whatever waits in Xlib's queue to JUCE's handler of the connection,
    which dispatches events until the queue is empty.
*/
void dispatchIfQueued()
{
    auto* display = getJuceDisplay();

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

void dispatchQueuedEvents()
{
    dispatchPosted = false;
    dispatchIfQueued();
}

/** Xlib, with the display locked, on the thread that read the event: converts as before, and
    makes sure one dispatch is on its way. Events read by JUCE's own handler make the posted
    dispatch find an empty queue, which costs one message per batch of events.
*/
Bool convertAndNoteEvent (Display* display, XEvent* event, xEvent* wire)
{
    const auto converted = originalConverters[(size_t) (wire->u.u.type & 0x7f)](display, event, wire);

    if (noting && ! dispatchPosted.exchange (true))
        juce::MessageManager::callAsync (dispatchQueuedEvents);

    return converted;
}

} // namespace

X11EventQueueWaker::X11EventQueueWaker()
{
    auto* juceDisplay = juce::XWindowSystem::getInstance()->getDisplay();

    // A second waker would take the first one's converter for the original.
    jassert (! noting);

    if (juceDisplay == nullptr || noting)
        return;

    {
        const juce::XWindowSystemUtilities::ScopedXLock xLock;

        for (int type = firstCoreEvent; type < GenericEvent; ++type)
            originalConverters[(size_t) type] = XESetWireToEvent (juceDisplay, type, convertAndNoteEvent);
    }

    display = juceDisplay;
    noting = true;
    startTimer (queueLookIntervalMs);
}

X11EventQueueWaker::~X11EventQueueWaker()
{
    stopTimer();
    noting = false;
    auto* juceDisplay = getJuceDisplay();

    if (display == nullptr || juceDisplay != display)
        return;

    const juce::XWindowSystemUtilities::ScopedXLock xLock;

    for (int type = firstCoreEvent; type < GenericEvent; ++type)
    {
        const auto current = XESetWireToEvent (juceDisplay, type, originalConverters[(size_t) type]);

        // A converter installed over ours still calls ours, which calls the original: keep it.
        if (current != convertAndNoteEvent)
            XESetWireToEvent (juceDisplay, type, current);
    }
}

void X11EventQueueWaker::timerCallback()
{
    dispatchIfQueued();
}

} // namespace platform
