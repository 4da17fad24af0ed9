#pragma once

#include "CircularBuffer.h"
#include "CommandItem.h"
#include "CommandRunnerListener.h"
#include "ListenerMgr.h"
#include "platform/ChildProcess.h"

#include <juce_core/juce_core.h>

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

    /** Takes the first queued command out; an empty item when there is none. */
    CommandItem popFrontCommand();

    /** Items still waiting in the queue. */
    [[nodiscard]] int getNumQueuedCommands() const noexcept;

    /** The stop sequence: asks the thread to exit, kills the running child (a child can no longer
        be started once the request is made) and waits up to timeoutMs for the thread to end.
        The thread is never killed by force; returns true when it has ended.
    */
    bool stopRunning (int timeoutMs = 2000);

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

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CommandRunner)
};

} // namespace juce
