#pragma once

#include "runner/ProgressRecord.h"

#include <juce_core/juce_core.h>

/** How one item of a run ended, as the output log tells it. */
enum class ItemOutcome
{
    converted,
    failed,
    stopped
};

/** The log line when an item starts: "Converting: <input> => <output>" and a line break. */
[[nodiscard]] juce::String makeItemStartLogText (const ProgressRecord& progress);

/** The log lines when an item ends: its outcome (a failure with its reason) and an empty line. */
[[nodiscard]] juce::String makeItemEndLogText (ItemOutcome outcome, const juce::String& failureReason);

/** The log lines of an input passed over because its output exists and may not be replaced. */
[[nodiscard]] juce::String makeOutputExistsLogText (const ProgressRecord& paths);

/** The log lines of a line of the input list that names no file to convert. */
[[nodiscard]] juce::String makeNotFoundLogText (const juce::String& line);
