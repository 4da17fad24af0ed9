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

/** Puts a pointer move over the window into Xlib's queue, as a read while waiting for a reply
    does, without a byte more arriving on the X connection.
*/
void putBackPointerMove (const MoveCountingWindow& window)
{
    auto* display = juce::XWindowSystem::getInstance()->getDisplay();
    const auto handle = (::Window) window.getPeer()->getNativeHandle();

    XEvent event {};
    event.xmotion.type = MotionNotify;
    event.xmotion.display = display;
    event.xmotion.window = handle;
    event.xmotion.root = DefaultRootWindow (display);
    event.xmotion.x = 50;
    event.xmotion.y = 60;
    event.xmotion.same_screen = True;
    event.xmotion.time = CurrentTime;

    XLockDisplay (display);
    XPutBackEvent (display, &event);
    XUnlockDisplay (display);
}

} // namespace

TEST (X11EventQueueWaker, DispatchesAnEventAlreadyInXlibsQueue)
{
    platform::X11EventQueueWaker waker;
    MoveCountingWindow window;

    // Let the window appear and everything about that be handled first.
    ASSERT_TRUE (testing_support::pumpUntil ([&]
                                             { return window.isShowing(); },
                                             5000));
    juce::MessageManager::getInstance()->runDispatchLoopUntil (300);
    window.moves = 0;

    putBackPointerMove (window);

    EXPECT_TRUE (testing_support::pumpUntil ([&]
                                             { return window.moves > 0; },
                                             100));
}
