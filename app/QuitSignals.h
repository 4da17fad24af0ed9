#pragma once

#include <juce_events/juce_events.h>

#include <functional>

/** Turns SIGTERM and SIGINT into a quit request on the message thread, for as long as it lives.

    Without it a terminal's Ctrl+C quits at once (the framework's own handler) and SIGTERM kills
    the program outright, both past the quit guard and without saving the settings.
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
