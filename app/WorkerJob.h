#pragma once

#include <juce_core/juce_core.h>

/** The converter call of the standalone worker for one input. */
struct WorkerJob
{
    juce::String inputPath;
    juce::String tempOutputPath; // what the converter writes: ".<name>.wav" in the output folder
    juce::String outputOptions; // the codes of the chosen format
    juce::String extraOptions;
    juce::String trailingOptions;
};
