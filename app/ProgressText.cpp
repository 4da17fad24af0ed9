#include "app/ProgressText.h"

#include <juce_core/juce_core.h>

#include <cmath>

std::optional<float> getPercentDone (float timeSeconds, float durationSeconds)
{
    if (! (durationSeconds > 0.0f) || ! std::isfinite (durationSeconds) || ! std::isfinite (timeSeconds))
        return std::nullopt;

    return (timeSeconds * 100.0f) / durationSeconds;
}

juce::String makeItemStartProgressText (const ProgressRecord& progress)
{
    return juce::translate ("converting:")
           + juce::String::formatted (" %d/%d ", progress.currentIndex, progress.total)
           + progress.inputPath;
}

juce::String makeConvertingProgressText (const ProgressRecord& progress)
{
    const auto percent = getPercentDone (progress.timeSeconds, progress.durationSeconds);

    if (! percent.has_value())
        return makeItemStartProgressText (progress);

    return juce::translate ("converting:")
           + juce::String::formatted (" %d/%d %.0f%% ", progress.currentIndex, progress.total, (double) *percent)
           + progress.inputPath;
}
