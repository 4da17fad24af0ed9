#include "RunnerEventLog.h"

namespace runner_tests
{

namespace
{
RecordedEvent makeEvent (const juce::String& name, const void* data, int size)
{
    RecordedEvent event;
    event.name = name;
    event.hadPayload = data != nullptr;
    event.size = size;

    if (auto* thread = juce::Thread::getCurrentThread())
        event.threadName = thread->getThreadName();

    return event;
}
} // namespace

void EventLog::add (RecordedEvent event)
{
    {
        const std::lock_guard<std::mutex> guard (mutex);
        log.push_back (event);
    }

    changed.notify_all();

    if (onEvent)
        onEvent (event);
}

std::vector<RecordedEvent> EventLog::events() const
{
    const std::lock_guard<std::mutex> guard (mutex);
    return log;
}

juce::StringArray EventLog::names() const
{
    juce::StringArray result;

    for (auto& event : events())
        result.add (event.name);

    return result;
}

std::vector<RecordedEvent> EventLog::named (const juce::String& name) const
{
    std::vector<RecordedEvent> result;

    for (auto& event : events())
        if (event.name == name)
            result.push_back (event);

    return result;
}

bool EventLog::waitFor (const std::function<bool (const std::vector<RecordedEvent>&)>& condition, int timeoutMs) const
{
    std::unique_lock<std::mutex> guard (mutex);
    return changed.wait_for (guard, std::chrono::milliseconds (timeoutMs), [&]
                             { return condition (log); });
}

bool EventLog::waitForEvent (const juce::String& name, int timeoutMs) const
{
    return waitFor ([&name] (const std::vector<RecordedEvent>& events)
                    {
                        for (auto& event : events)
                            if (event.name == name)
                                return true;

                        return false; },
                    timeoutMs);
}

void RunnerRecorder::onRunnerEvent (juce::String event, const void* data, int size)
{
    auto recorded = makeEvent (event, data, size);

    if (data != nullptr)
    {
        if (event == "start" && size == (int) sizeof (int))
            recorded.count = *static_cast<const int*> (data);
        else if ((event == "start item" || event == "end item") && size == (int) sizeof (CommandItem))
            recorded.item = *static_cast<const CommandItem*> (data);
        else if (event == "new line" || event == "return line")
            recorded.text = juce::String::fromUTF8 (static_cast<const char*> (data), size - 1);
    }

    log.add (std::move (recorded));
}

void HelperRecorder::onRunnerEvent (juce::String event, const void* data, int size)
{
    auto recorded = makeEvent (event, data, size);

    if (data != nullptr)
    {
        if ((event == "duration" || event == "time") && size == (int) sizeof (float))
            recorded.seconds = *static_cast<const float*> (data);
        else if (size == (int) sizeof (ProgressRecord))
            recorded.progress = *static_cast<const ProgressRecord*> (data);
    }

    log.add (std::move (recorded));
}

} // namespace runner_tests
