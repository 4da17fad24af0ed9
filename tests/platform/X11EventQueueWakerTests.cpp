#include "platform/X11EventQueueWaker.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

// After GoogleTest: Xlib's macros (None, Bool) would break its headers.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_gui_basics/juce_gui_basics.h>

namespace
{

/** A window on the desktop that counts the pointer moves it is told of. */
class MoveCountingWindow : public juce::Component
{
public:
    MoveCountingWindow()
    {
        setSize (200, 200);
        addToDesktop (juce::ComponentPeer::windowHasTitleBar);
        setVisible (true);
    }

    ~MoveCountingWindow() override { removeFromDesktop(); }

    void mouseMove (const juce::MouseEvent&) override { ++moves; }
    void mouseEnter (const juce::MouseEvent&) override { ++moves; }

    int moves = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MoveCountingWindow)
};

/** A pointer move over the window, somewhere new each time: JUCE passes over a move to where
    the pointer already is.
*/
XEvent makePointerMove (::Display* display, ::Window window)
{
    static int moves = 0;

    XEvent event {};
    event.xmotion.type = MotionNotify;
    event.xmotion.display = display;
    event.xmotion.window = window;
    event.xmotion.root = DefaultRootWindow (display);
    event.xmotion.x = 20 + (++moves % 150);
    event.xmotion.y = 60;
    event.xmotion.same_screen = True;
    event.xmotion.time = CurrentTime;
    return event;
}

/** Has a pointer move over the window read into Xlib's queue on the side, as painting does
    while it waits for a reply, so that no byte of it is left on the X connection.
*/
void readPointerMoveIntoXlibsQueue (::Display* display, ::Window window)
{
    // Another client sends it; the server then queues it for the window's own client.
    auto* sender = XOpenDisplay (nullptr);
    ASSERT_NE (sender, nullptr);

    auto event = makePointerMove (sender, window);
    XSendEvent (sender, window, False, NoEventMask, &event);
    XSync (sender, False);
    XCloseDisplay (sender);

    // The reply to this request comes after the event, so waiting for it reads the event.
    XSync (display, False);
}

/** Puts a pointer move straight into Xlib's queue, with nothing on the connection at all. */
void putBackPointerMove (::Display* display, ::Window window)
{
    auto event = makePointerMove (display, window);
    XPutBackEvent (display, &event);
}

} // namespace

TEST (X11EventQueueWaker, DispatchesAnEventInXlibsQueueThatTheConnectionDoesNotAnnounce)
{
    const std::pair<const char*, void (*) (::Display*, ::Window)> ways[] = {
        { "read into the queue on the side", readPointerMoveIntoXlibsQueue },
        { "put back into the queue", putBackPointerMove },
    };

    platform::X11EventQueueWaker waker;
    MoveCountingWindow window;

    // Let the window appear and everything about that be handled first.
    ASSERT_TRUE (testing_support::pumpUntil ([&]
                                             { return window.isShowing(); },
                                             5000));
    juce::MessageManager::getInstance()->runDispatchLoopUntil (300);

    auto* display = juce::XWindowSystem::getInstance()->getDisplay();
    const auto handle = (::Window) window.getPeer()->getNativeHandle();

    for (const auto& [name, putIntoQueue] : ways)
    {
        window.moves = 0;

        XLockDisplay (display);
        putIntoQueue (display, handle);
        const auto queued = XEventsQueued (display, QueuedAlready);
        XUnlockDisplay (display);
        ASSERT_GT (queued, 0) << name;

        EXPECT_TRUE (testing_support::pumpUntil ([&]
                                                 { return window.moves > 0; },
                                                 100))
            << name;
    }
}
