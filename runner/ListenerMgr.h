#pragma once

#include <juce_core/juce_core.h>

namespace juce
{

/** The listener list of an event source.

    Listeners are kept in the order they registered, are never removed and are not owned. The
    lock is held only while the count or one entry is read, never during a callback, so a
    callback may register further listeners or send events of its own. The count is read again
    after every callback, so a listener added during a delivery still receives that event.
*/
template <typename ListenerType>
class ListenerMgr
{
public:
    ListenerMgr() = default;

    void addListener (ListenerType* listener)
    {
        const juce::ScopedLock sl (lock);
        listeners.add (listener);
    }

    void callListeners (juce::String event, const void* data, int size)
    {
        auto count = getNumListeners();

        for (int i = 0; i < count; ++i)
        {
            ListenerType* listener = nullptr;

            {
                const juce::ScopedLock sl (lock);
                listener = listeners.getUnchecked (i);
            }

            if (listener != nullptr)
                listener->onRunnerEvent (event, data, size);

            count = getNumListeners();
        }
    }

private:
    int getNumListeners() const
    {
        const juce::ScopedLock sl (lock);
        return listeners.size();
    }

    juce::Array<ListenerType*> listeners;
    juce::CriticalSection lock;

    JUCE_DECLARE_NON_COPYABLE (ListenerMgr)
};

} // namespace juce
