#pragma once

#include "runner/CommandItem.h"
#include "runner/CommandRunnerListener.h"
#include "runner/FFMpegHelperRunnerListener.h"
#include "runner/ProgressRecord.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace runner_tests
{

/** One event as a listener saw it, with the payload copied out while it was valid. */
struct RecordedEvent
{
    juce::String name;
    bool hadPayload = false;
    int size = 0;
    juce::String threadName;

    juce::String text; // line events
    int count = 0; // runner "start"
    float seconds = 0.f; // helper "duration" and "time"
    CommandItem item; // runner "start item" and "end item"
    ProgressRecord progress; // helper records
};

/** Collects events from any thread; tests wait on it from theirs. */
class EventLog
{
public:
    void add (RecordedEvent event);

    [[nodiscard]] std::vector<RecordedEvent> events() const;
    [[nodiscard]] juce::StringArray names() const;
    [[nodiscard]] std::vector<RecordedEvent> named (const juce::String& name) const;

    /** Waits until the condition holds over the events so far; false on time-out. */
    bool waitFor (const std::function<bool (const std::vector<RecordedEvent>&)>& condition, int timeoutMs) const;
    bool waitForEvent (const juce::String& name, int timeoutMs) const;

    /** Called on the sending thread after each event has been recorded. */
    std::function<void (const RecordedEvent&)> onEvent;

private:
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::vector<RecordedEvent> log;
};

/** Records the command runner's events. */
class RunnerRecorder : public juce::CommandRunnerListener
{
public:
    void onRunnerEvent (juce::String event, const void* data, int size) override;

    EventLog log;
};

/** Records the FFmpeg helper's events. */
class HelperRecorder : public juce::FFMpegHelperRunnerListener
{
public:
    void onRunnerEvent (juce::String event, const void* data, int size) override;

    EventLog log;
};

} // namespace runner_tests
