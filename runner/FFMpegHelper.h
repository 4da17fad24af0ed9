#pragma once

#include "CommandRunner.h"
#include "ConverterFailureReason.h"
#include "FFMpegHelperRunnerListener.h"
#include "ItemFiles.h"
#include "ListenerMgr.h"
#include "OutputSizeEstimate.h"
#include "ProgressRecord.h"
#include "RunOutputs.h"

#include <juce_core/juce_core.h>

namespace juce
{

/** Turns conversion requests into FFmpeg command lines, runs them on its command runner, follows
    FFmpeg's reports and leaves every finished output as a clean WAV.

    Events: "start", "start item" (ProgressRecord), "duration" (float), "time" (float),
    "end item" (ProgressRecord), "end" on the runner thread; "output exists" (ProgressRecord) on
    the thread that calls addItem.
*/
class FFMpegHelper : public juce::CommandRunnerListener,
                     public juce::ListenerMgr<juce::FFMpegHelperRunnerListener>
{
public:
    FFMpegHelper();
    ~FFMpegHelper() override;

    /** Queues one conversion; an input that is not an existing file is passed over. Only while
        the runner is idle. An output that exists stays until the item's complete result
        replaces it; a stopped or failed item leaves it as it was.
    */
    void addItem (const juce::String& inputPath, const juce::String& outputPath,
                  const juce::String& preInputOptions, const juce::String& outputOptions,
                  const juce::String& trailingOptions, bool overwrite);

    /** Sets the total to the number of queued items and starts the runner thread. The run's
        inputs, which no output of it may replace, are the queued items' inputs and those that
        addItem did not queue as their own output.
    */
    void startRunner();

    /** Stops a run: see CommandRunner::stopRunning. */
    bool stopRunner (int timeoutMs = 2000);

    /** True while a conversion run is going on (the runner thread runs). */
    [[nodiscard]] bool isRunning() const;

    [[nodiscard]] ProgressRecord getProgress() const;
    [[nodiscard]] const juce::String& getFfmpegPath() const noexcept { return ffmpegPath; }
    [[nodiscard]] juce::CommandRunner& getRunner() noexcept { return runner; }

    /** The hidden file beside the output that the converter writes when that name is free;
        the output itself appears only when the rewritten result is renamed over it.
    */
    [[nodiscard]] static juce::File getPartialFileFor (const juce::File& output);

    void onRunnerEvent (juce::String event, const void* data, int size) override;

    /** What is done for an item right before its converter starts, on the runner thread:
        refuses an output that is an input of the run, or that the run has already written from
        another input, and makes the partial file that the converter writes. Returns the reason
        not to start the converter, or an empty text.
    */
    [[nodiscard]] juce::String prepareItem (CommandItem& item);

private:
    void handleLine (const char* text, int size);
    void followForFailure (const ConverterLine& line);
    void followForProgress (const ConverterLine& line);
    void startItem (const CommandItem& item);
    void finishItem (const CommandItem& item);
    [[nodiscard]] juce::String rewriteIntoPlace (const CommandItem& item);
    void refuseIfTooLarge (double outputSeconds);

    ProgressRecord progress;
    juce::CommandRunner runner;
    juce::String ffmpegPath;
    mutable juce::CriticalSection progressLock; // getProgress may be called from any thread

    // The current item's, on the runner thread only.
    ConverterFailureReason failureReason;
    ItemFiles itemFiles;
    OutputSizeEstimate outputSize;
    bool durationIsEstimate = false; // the converter guessed the duration from the bit rate
    bool refusedAsTooLarge = false;
    RunOutputs runOutputs; // the run's, on the runner thread only
    juce::StringArray inputsNotQueued; // since the last start, by addItem while idle
    juce::StringArray runInputs; // set before the runner thread starts, read by it at "start"

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FFMpegHelper)
};

} // namespace juce

/** The text between the first startMarker and the next endMarker (searched from the start
    marker's own position); empty when either is missing or the end marker is at position 0.
*/
juce::String textBetween (const juce::String& text, const juce::String& startMarker, const juce::String& endMarker);

/** "hh:mm:ss.ss" in seconds; missing fields count as 0 and a lone number counts as hours. */
float parseTimeToSeconds (const juce::String& text);
