#pragma once

#include <juce_events/juce_events.h>

namespace platform
{

/** Hands X events that Xlib reads into its own queue on the side to JUCE without delay.

    JUCE's Linux message loop waits in poll on the X connection. While Xlib waits for the
    reply to a request (painting does this all the time), it reads the events that come first
    into its own queue; they then sit there, with nothing left to read on the socket, until
    more data happens to arrive, and a click or another program's clipboard request waits
    for seconds.

    While this object lives, Xlib tells it of every event it puts into its queue (through the
    converters of the core events, which Xlib calls for each event it reads), and it posts
    one message that runs JUCE's handler of the X connection when the queue is not empty
    then. An event that reaches the queue without being read (XPutBackEvent) passes no
    converter: a look at the queue every 50 ms, which reads nothing from the connection,
    catches those.

    Create it on the message thread; it does nothing where there is no X display.
*/
class X11EventQueueWaker : private juce::Timer
{
public:
    X11EventQueueWaker();
    ~X11EventQueueWaker() override;

private:
    void timerCallback() override;

    void* display = nullptr; // JUCE's Display, while the converters are installed

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (X11EventQueueWaker)
};

} // namespace platform
