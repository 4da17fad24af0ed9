#pragma once

#include <juce_core/juce_core.h>

#include <limits>

/** When the output log may be refreshed next. Each refresh costs time in proportion to the
    whole log, which JUCE's editor lays out again for every insertion: a refresh that took t ms
    is followed by none for costFactor * t ms, so that the window keeps answering however long
    the log grows.

    Times are milliseconds of a clock that never wraps (juce::Time::getMillisecondCounterHiRes,
    the system's monotonic clock), passed in by the caller: a window idle for weeks refreshes at
    once, and tests need not wait.
*/
class LogRefreshPacing
{
public:
    explicit LogRefreshPacing (double refreshCostFactor) noexcept
        : costFactor (refreshCostFactor) {}

    /** True when a refresh may be made now; always before the first one. */
    [[nodiscard]] bool isDue (double nowMs) const noexcept { return nowMs >= nextRefreshMs; }

    /** A refresh was made from startedMs to finishedMs. */
    void refreshed (double startedMs, double finishedMs) noexcept;

    /** The clock the window uses. */
    [[nodiscard]] static double now() noexcept { return juce::Time::getMillisecondCounterHiRes(); }

private:
    double costFactor;
    double nextRefreshMs = std::numeric_limits<double>::lowest();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LogRefreshPacing)
};
