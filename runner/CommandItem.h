#pragma once

#include <juce_core/juce_core.h>

/** One queued command of the runner: payload of its "start item" and "end item" events. */
struct CommandItem
{
    juce::String inputPath;
    juce::String outputPath;
    juce::String commandLine; // the whole command line, as it is shown and logged
    bool overwrite = false; // carried along, never read by the runner

    juce::StringArray arguments; // what the child is started from: program first, one entry per argument
    int outputArgument = -1; // which argument names the file the child writes, when a listener chooses it late
    juce::String notStartedReason; // set when queued: the child is not started at all, for this reason

    // How the item's child ended, filled in by the runner before "end item".
    bool started = false; // the program could be started
    bool stopped = false; // the run was stopped while this item's child ran
    bool exitedNormally = false; // the child exited by itself (not by a signal)
    int exitCode = -1; // valid when exitedNormally
    int signal = 0; // the signal that ended the child, when it did not exit by itself (0: not known)
};
