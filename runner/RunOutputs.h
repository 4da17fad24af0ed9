#pragma once

#include "platform/FileAttributes.h"

#include <juce_core/juce_core.h>

#include <map>

/** What one run must never write over: its own inputs, and the outputs it has already written
    from another input (song.flac and song.mp3 both give song.wav, and the later one must not
    replace the earlier one's result). Files are told apart as they are on disk, so two spellings
    of one path, links, or names that a file system does not tell apart, count as one.
*/
class RunOutputs
{
public:
    RunOutputs() = default;

    /** A new run begins, with these inputs: the items queued at its start. */
    void startRun (const juce::StringArray& inputPaths);

    /** The output, now complete at its place, was written from that input. */
    void add (const juce::File& output, const juce::String& inputPath);

    /** The input of this run that the output is, on disk; empty when it is none. */
    [[nodiscard]] juce::String findInputAt (const juce::File& output) const;

    /** The input from which this run wrote the output, when that is another file on disk than
        the given input; empty when the output was not written in this run, or was written from
        this very input (converting it again replaces nothing of another).
    */
    [[nodiscard]] juce::String findOtherInputOf (const juce::File& output, const juce::String& inputPath) const;

private:
    struct WrittenFrom
    {
        juce::String inputPath;
        std::optional<platform::FileOnDisk> input;
    };

    std::map<platform::FileOnDisk, juce::String> inputs;
    std::map<platform::FileOnDisk, WrittenFrom> inputsByOutput;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RunOutputs)
};
