#pragma once

#include "app/WorkerJob.h"

#include <juce_core/juce_core.h>

#include <atomic>
#include <functional>

class MainContentComponent;

/** The standalone conversion worker: converts a list of its own, one input after another, into
    WAV files in a "KIV_Wav" folder beside each input, and never replaces an output that exists.

    The application creates one, conversionWorker, and never starts it. An owner fills owner,
    inputFiles and converterPath and then calls startThread; the owner's content component runs
    each converter child and shows its output (startWorkerProcess, runWorkerProcess). A run ends
    when the list is done, when stopRequested is found set, or when the thread is asked to exit
    (stopThread, the destructor), which also kills the converter child at once, so that the
    thread ends long before the framework would kill it; the summary, the end of the run and the
    not-converted alert follow in every case.
*/
class HID_Write_Thread : public juce::Thread,
                         private juce::Thread::Listener
{
public:
    HID_Write_Thread();
    ~HID_Write_Thread() override;

    /** Starts a run, as juce::Thread::startThread does. A stop request left from before is
        forgotten here rather than when the run begins, so that a stop that comes as the thread
        starts is honoured.
    */
    bool startThread();
    bool startThread (Priority threadPriority);

    void run() override;

    /** The converter call as one quoted line: "<converter>" -i  "<input>" <extra> <output
        options> "<temporary output>" <trailing>.
    */
    [[nodiscard]] juce::String buildFfmpegCommandLine (WorkerJob job) const;

    /** The same call as the argument list the child is started from. */
    [[nodiscard]] juce::StringArray buildFfmpegArguments (const WorkerJob& job) const;

    /** Where an input's results go: "KIV_Wav" beside the input, the input's name without its
        last extension and ".wav", and the converter's own temporary file, the same name with a
        "." in front.
    */
    struct OutputPaths
    {
        juce::File folder, output, temporary;
    };

    [[nodiscard]] static OutputPaths getOutputPathsFor (const juce::String& inputPath);

    MainContentComponent* owner = nullptr; // not owned; must outlive the run
    juce::StringArray inputFiles; // what is still to convert, taken from the front
    juce::String converterPath;
    juce::String workerLog; // one summary line per input of the last run
    std::atomic<bool> stopRequested { false };
    int waitMilliseconds = 10; // the pause after each input

private:
    enum class Outcome
    {
        converted,
        failed,
        stopped
    };

    void exitSignalSent() override;

    /** A stop was requested or the thread was asked to exit. */
    [[nodiscard]] bool shouldEnd() const;

    /** Calls on the owner under the message manager's lock; not at all when this thread was
        asked to exit before it got the lock.
    */
    void callOnOwnerLocked (const std::function<void (MainContentComponent&)>& call);
    void clearLogEditor();
    [[nodiscard]] juce::String readOutputOptions();
    [[nodiscard]] Outcome convert (const juce::String& input, const OutputPaths& paths,
                                   const juce::String& outputOptions, int index, int total);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (HID_Write_Thread)
};

/** The application's one worker, made before the program's entry and gone at its exit. */
extern HID_Write_Thread conversionWorker;
