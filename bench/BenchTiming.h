#pragma once

// Timing for the benchmark programs that print their own figures.

#include <algorithm>
#include <chrono>
#include <vector>

namespace bench
{

using Clock = std::chrono::steady_clock;

inline double secondsSince (Clock::time_point start)
{
    return std::chrono::duration<double> (Clock::now() - start).count();
}

/** The middle of the values; for an even count, the mean of the two middle ones. */
inline double median (std::vector<double> values)
{
    if (values.empty())
        return 0.0;

    std::sort (values.begin(), values.end());
    const auto middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

} // namespace bench
