#pragma once

#include <juce_core/juce_core.h>

/** The FFmpeg helper's progress state: payload of its "start item", "end item" and
    "output exists" events, and what getProgress hands out.
*/
struct ProgressRecord
{
    float durationSeconds = 1.0f; // from the last "Duration:" line; not reset between items
    float timeSeconds = 0.0f; // from the last progress line; 0 after every "Duration:"
    juce::String inputPath;
    juce::String outputPath;
    int currentIndex = 0; // 1-based number of the current item within the run
    int total = 0; // items queued when the run was started

    // Outcome of the current item, set just before "end item".
    bool converted = false; // the converter succeeded and the output is a clean WAV
    juce::String failureReason; // why not, in a few words, when converted is false
};
