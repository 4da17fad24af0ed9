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

/** Has a pointer move over the window read into Xlib's queue on the side, as painting does
    while it waits for a reply, so that no byte of it is left on the X connection.
*/
void readPointerMoveIntoXlibsQueue (const MoveCountingWindow& window)
{
    const auto handle = (::Window) window.getPeer()->getNativeHandle();

    // Another client sends it; the server then queues it for the window's own client.
    auto* sender = XOpenDisplay (nullptr);
    ASSERT_NE (sender, nullptr);

    XEvent event {};
    event.xmotion.type = MotionNotify;
    event.xmotion.window = handle;
    event.xmotion.root = DefaultRootWindow (sender);
    // Somewhere new each time: JUCE passes over a move to where the pointer already is.
    static int moves = 0;
    event.xmotion.x = 20 + (++moves % 150);
    event.xmotion.y = 60;
    event.xmotion.same_screen = True;
    event.xmotion.time = CurrentTime;
    XSendEvent (sender, handle, False, NoEventMask, &event);
    XSync (sender, False);
    XCloseDisplay (sender);

    // The reply to this request comes after the event, so waiting for it reads the event.
    auto* display = juce::XWindowSystem::getInstance()->getDisplay();
    XLockDisplay (display);
    XSync (display, False);
    const auto queued = XEventsQueued (display, QueuedAlready);
    XUnlockDisplay (display);

    ASSERT_GT (queued, 0);
}

} // namespace

TEST (X11EventQueueWaker, DispatchesAnEventReadIntoXlibsQueueOnTheSide)
{
    platform::X11EventQueueWaker waker;
    MoveCountingWindow window;

    // Let the window appear and everything about that be handled first.
    ASSERT_TRUE (testing_support::pumpUntil ([&]
                                             { return window.isShowing(); },
                                             5000));
    juce::MessageManager::getInstance()->runDispatchLoopUntil (300);
    window.moves = 0;

    readPointerMoveIntoXlibsQueue (window);

    EXPECT_TRUE (testing_support::pumpUntil ([&]
                                             { return window.moves > 0; },
                                             100));
}
