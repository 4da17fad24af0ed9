#pragma once

#include "runner/ProgressRecord.h"

#include <juce_core/juce_core.h>

#include <optional>

/** How far the current item has come, in percent, from the helper's times; nothing when the
    duration is unknown (0, or not a number), so that no "inf%" or "nan%" reaches the window.
    Not clamped: a converter running past the reported duration shows more than 100.
*/
[[nodiscard]] std::optional<float> getPercentDone (float timeSeconds, float durationSeconds);

/** The progress line when an item starts: "Converting: 2/5 /music/song.mp3". */
[[nodiscard]] juce::String makeItemStartProgressText (const ProgressRecord& progress);

/** The progress line while an item converts: "Converting: 2/5 37% /music/song.mp3", without the
    percentage when the duration is unknown.
*/
[[nodiscard]] juce::String makeConvertingProgressText (const ProgressRecord& progress);
