#pragma once

#include "platform/FileAttributes.h"

#include <juce_core/juce_core.h>

#include <map>

/** The outputs one run has written, so that a later input of the run whose output has the
    same name (song.flac and song.mp3 both give song.wav) never replaces an earlier one. Outputs
    are told apart by the file on disk, so two spellings of one path, or names that a file
    system does not tell apart, count as one.
*/
class RunOutputs
{
public:
    RunOutputs() = default;

    /** A new run begins. */
    void clear() noexcept { inputsByOutput.clear(); }

    /** The output, now complete at its place, was written from that input. */
    void add (const juce::File& output, const juce::String& inputPath);

    /** The input whose output this run wrote at the output's place; empty when none. */
    [[nodiscard]] juce::String findInputOf (const juce::File& output) const;

private:
    std::map<platform::FileIdentity, juce::String> inputsByOutput;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RunOutputs)
};
