#include "app/LogRefreshPacing.h"

#include <gtest/gtest.h>

#include <optional>

namespace
{
constexpr double day = 24.0 * 60 * 60 * 1000;

// Where a 32-bit millisecond counter turns negative when read as signed, and where it wraps.
constexpr double signedTurn = 2147483648.0;
constexpr double wrap = 4294967296.0;
} // namespace

TEST (LogRefreshPacing, PausesForFortyTimesARefreshsCostAndNeverLongerWhateverTheTime)
{
    struct Case
    {
        const char* what;
        std::optional<std::pair<double, double>> refresh; // started, finished
        double askedAt;
        bool due;
    };

    const Case cases[] {
        { "the first refresh, just after boot", {}, 5, true },
        { "the first refresh, the machine up 25 days", {}, signedTurn + 5, true },
        { "the first refresh, the machine up 50 days", {}, wrap + 5, true },
        { "within the pause", std::pair (1000.0, 1010.0), 1010 + 399, false },
        { "at its end", std::pair (1000.0, 1010.0), 1010 + 400, true },
        { "within the pause where a 32-bit counter wraps", std::pair (wrap - 100, wrap - 90), wrap + 309, false },
        { "at its end behind that wrap", std::pair (wrap - 100, wrap - 90), wrap + 310, true },
        { "a refresh that cost nothing", std::pair (1000.0, 1000.0), 1000, true },
        { "idle 24 days", std::pair (1000.0, 1010.0), 1010 + 24 * day, true },
        { "idle 25 days", std::pair (1000.0, 1010.0), 1010 + 25 * day, true },
        { "idle 40 days", std::pair (1000.0, 1010.0), 1010 + 40 * day, true },
        { "idle 49.7 days, to the millisecond of a 32-bit wrap", std::pair (1000.0, 1010.0), 1010 + wrap + 100, true },
    };

    for (const auto& c : cases)
    {
        LogRefreshPacing pacing (40);

        if (c.refresh.has_value())
            pacing.refreshed (c.refresh->first, c.refresh->second);

        EXPECT_EQ (pacing.isDue (c.askedAt), c.due) << c.what;
    }
}
