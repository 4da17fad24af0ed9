#include "runner/CommandRunnerListener.h"
#include "runner/FFMpegHelperRunnerListener.h"
#include "runner/ListenerMgr.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <utility>
#include <vector>

namespace
{
struct Delivery
{
    juce::String listener, event;
    const void* data;
    int size;
};

/** A listener that notes each call in a shared journal and can act during it. */
struct Probe : public juce::CommandRunnerListener
{
    Probe (juce::String nameToUse, std::vector<Delivery>& journalToUse)
        : name (std::move (nameToUse)), journal (journalToUse) {}

    void onRunnerEvent (juce::String event, const void* data, int size) override
    {
        journal.push_back ({ name, event, data, size });

        if (duringCall)
            duringCall();
    }

    juce::String name;
    std::vector<Delivery>& journal;
    std::function<void()> duringCall;
};

using RunnerListeners = juce::ListenerMgr<juce::CommandRunnerListener>;

juce::StringArray listenersIn (const std::vector<Delivery>& journal)
{
    juce::StringArray names;

    for (auto& delivery : journal)
        names.add (delivery.listener);

    return names;
}
} // namespace

TEST (ListenerMgr, DeliversInRegistrationOrderAndTwiceToATwiceRegisteredListener)
{
    std::vector<Delivery> journal;
    Probe a ("a", journal), b ("b", journal);
    RunnerListeners listeners;

    listeners.callListeners ("before anyone listens", nullptr, 0);
    EXPECT_TRUE (journal.empty());

    listeners.addListener (&a);
    listeners.addListener (&b);
    listeners.addListener (&a);

    const int payload = 7;
    listeners.callListeners ("start", &payload, (int) sizeof (payload));

    EXPECT_EQ (listenersIn (journal), juce::StringArray ({ "a", "b", "a" }));

    for (auto& delivery : journal)
    {
        EXPECT_EQ (delivery.event, "start");
        EXPECT_EQ (delivery.data, &payload);
        EXPECT_EQ (delivery.size, 4);
    }
}

TEST (ListenerMgr, AListenerAddedDuringADeliveryReceivesThatEventLast)
{
    std::vector<Delivery> journal;
    Probe a ("a", journal), b ("b", journal), late ("late", journal);
    RunnerListeners listeners;
    listeners.addListener (&a);
    listeners.addListener (&b);

    // Registered from another thread while a's callback runs: the list's lock must not be held.
    auto added = false;
    a.duringCall = [&]
    {
        if (std::exchange (added, true))
            return;

        std::thread other ([&]
                           { listeners.addListener (&late); });
        other.join();
    };

    listeners.callListeners ("end all", nullptr, 0);

    EXPECT_EQ (listenersIn (journal), juce::StringArray ({ "a", "b", "late" }));
    EXPECT_EQ (journal.back().event, "end all");
    EXPECT_EQ (journal.back().data, nullptr);
    EXPECT_EQ (journal.back().size, 0);
}

TEST (ListenerMgr, SkipsANullEntryAndGoesOn)
{
    std::vector<Delivery> journal;
    Probe a ("a", journal);
    RunnerListeners listeners;
    listeners.addListener (nullptr);
    listeners.addListener (&a);

    listeners.callListeners ("new line", "x", 2);

    EXPECT_EQ (listenersIn (journal), juce::StringArray ({ "a" }));
}

TEST (ListenerMgr, DefaultCallbacksAcceptAnyEvent)
{
    juce::CommandRunnerListener runnerListener;
    juce::FFMpegHelperRunnerListener helperListener;
    juce::ListenerMgr<juce::CommandRunnerListener> runnerListeners;
    juce::ListenerMgr<juce::FFMpegHelperRunnerListener> helperListeners;
    runnerListeners.addListener (&runnerListener);
    helperListeners.addListener (&helperListener);

    const float seconds = 1.5f;
    runnerListeners.callListeners ("no such event", nullptr, 0);
    helperListeners.callListeners ("time", &seconds, (int) sizeof (seconds));
    SUCCEED();
}
