#pragma once

#include "CircularBuffer.h"
#include "CommandItem.h"
#include "CommandRunnerListener.h"
#include "ListenerMgr.h"
#include "platform/ChildProcess.h"

#include <juce_core/juce_core.h>

#include <functional>

namespace juce
{

/** A worker thread that runs queued command lines one after another as child processes and
    reports their output, line by line, to its listeners.

    Events, all on this thread: "start" (int count), "start item" (CommandItem), "new line" and
    "return line" (NUL-terminated text), "end item" (CommandItem), "end all" (none).
*/
class CommandRunner : public juce::Thread,
                      public juce::ListenerMgr<juce::CommandRunnerListener>
{
public:
    CommandRunner();
    ~CommandRunner() override;

    // Both bases have an addListener: ours takes a CommandRunnerListener, the thread's a Thread::Listener.
    using juce::ListenerMgr<juce::CommandRunnerListener>::addListener;
    using juce::Thread::addListener;

    /** Queues one command. Only while the thread is not running. With a notStartedReason the item
        is reported like any other, but its child is never started.
    */
    void addCommand (const juce::String& inputPath, const juce::String& outputPath,
                     const juce::String& commandLine, const juce::StringArray& arguments, bool overwrite,
                     const juce::String& notStartedReason = {});

    /** Queues one command as it is given. Only while the thread is not running. */
    void addCommand (CommandItem item);

    /** What has to be done for an item on this thread right before its child starts (after
        "start item"), such as making the file the child writes: it may change the item's
        arguments, and returns a reason not to start the child at all, or an empty text. It is
        not called for an item the run is stopped before. Set only while the thread is not
        running.
    */
    void setItemPreparation (std::function<juce::String (CommandItem&)> prepare);

    /** Takes the first queued command out; an empty item when there is none. */
    CommandItem popFrontCommand();

    /** Items still waiting in the queue. */
    [[nodiscard]] int getNumQueuedCommands() const noexcept;

    /** The input paths of the items waiting in the queue, in queue order. */
    [[nodiscard]] juce::StringArray getQueuedInputPaths() const;

    /** The stop sequence: asks the thread to exit, kills the running child (a child can no longer
        be started once the request is made) and waits up to timeoutMs for the thread to end.
        The thread is never killed by force; returns true when it has ended.
    */
    bool stopRunning (int timeoutMs = 2000);

    /** Ends the running child at once without stopping the run: its item ends as a killed
        child's does, and the next item follows. Any thread.
    */
    void killChild();

    void run() override;

private:
    void runItem (CommandItem& item);
    void readOutput();
    void deliverCompleteLines();
    void deliverLine (int length, bool endedWithReturn);
    void deliverUnterminatedRest();

    juce::Array<CommandItem> commandQueue;
    juce::HeapBlock<char> lineBuffer;
    platform::ChildProcess childProcess;
    CircularBuffer outputRing;
    juce::CriticalSection childLock; // a stop and the start of the next child never overlap
    bool childKilledByStop = false; // guarded by childLock
    juce::CriticalSection queueLock;
    std::function<juce::String (CommandItem&)> itemPreparation;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CommandRunner)
};

} // namespace juce
