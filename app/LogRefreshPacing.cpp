#include "app/LogRefreshPacing.h"

void LogRefreshPacing::refreshed (double startedMs, double finishedMs) noexcept
{
    nextRefreshMs = finishedMs + juce::jmax (0.0, finishedMs - startedMs) * costFactor;
}
