#pragma once

#include <juce_events/juce_events.h>

#include <functional>

/** Turns SIGTERM, SIGINT, SIGHUP and SIGQUIT into a quit request on the message thread, for as
    long as it lives.

    Without it a terminal's Ctrl+C quits at once (the framework's own handler), and SIGTERM, a
    closed terminal's SIGHUP and Ctrl+\'s SIGQUIT kill the program outright: all of them past the
    quit guard, in the middle of a conversion, and without saving the settings.
*/
class QuitSignals
{
public:
    explicit QuitSignals (std::function<void()> onQuitRequest);
    ~QuitSignals();

private:
    void drain();

    std::function<void()> onQuitRequest;
    int readEnd = -1;
    int writeEnd = -1;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (QuitSignals)
};
