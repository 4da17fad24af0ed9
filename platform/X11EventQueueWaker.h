#pragma once

#include <juce_events/juce_events.h>

namespace platform
{

/** Hands X events that Xlib has already read into its own queue to JUCE without delay.

    JUCE's Linux message loop waits in poll on the X connection. Xlib reads events off the
    socket while it waits for the reply to any request (painting does this all the time), and
    such events then sit in Xlib's queue, with nothing left to read on the socket, until more
    data happens to arrive. A click or a clipboard request from another program can so wait
    for seconds. Every few milliseconds this object looks at the length of Xlib's queue, a
    counter in memory, and when it is not empty runs JUCE's handler of the X connection,
    which dispatches the whole queue.

    Create it on the message thread; it works as long as it lives, and does nothing where
    there is no X display.
*/
class X11EventQueueWaker : private juce::Timer
{
public:
    X11EventQueueWaker();
    ~X11EventQueueWaker() override;

    /** How often the queue is looked at: the longest an event waits in it. */
    static constexpr int checkIntervalMs = 5;

private:
    void timerCallback() override;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (X11EventQueueWaker)
};

} // namespace platform
