#include "CommandRunner.h"

#include <algorithm>

namespace juce
{

namespace
{
constexpr int lineBufferSize = 16384;
constexpr int ringSize = 16384;
constexpr int readSize = 64;
} // namespace

CommandRunner::CommandRunner()
    : juce::Thread ("CommandRunnerThread")
    , lineBuffer ((size_t) lineBufferSize, true)
    , outputRing (ringSize)
{
}

CommandRunner::~CommandRunner()
{
    // The listeners may still be rewriting an output: wait for them, however long it takes.
    stopRunning (-1);
}

void CommandRunner::addCommand (const juce::String& inputPath, const juce::String& outputPath,
                                const juce::String& commandLine, const juce::StringArray& arguments, bool overwrite,
                                const juce::String& notStartedReason)
{
    CommandItem item;
    item.inputPath = inputPath;
    item.outputPath = outputPath;
    item.commandLine = commandLine;
    item.arguments = arguments;
    item.overwrite = overwrite;
    item.notStartedReason = notStartedReason;
    addCommand (std::move (item));
}

void CommandRunner::addCommand (CommandItem item)
{
    const juce::ScopedLock sl (queueLock);
    commandQueue.add (std::move (item));
}

void CommandRunner::setItemPreparation (std::function<juce::String (CommandItem&)> prepare)
{
    itemPreparation = std::move (prepare);
}

CommandItem CommandRunner::popFrontCommand()
{
    const juce::ScopedLock sl (queueLock);

    if (commandQueue.isEmpty())
        return {};

    return commandQueue.removeAndReturn (0);
}

int CommandRunner::getNumQueuedCommands() const noexcept
{
    const juce::ScopedLock sl (queueLock);
    return commandQueue.size();
}

juce::StringArray CommandRunner::getQueuedInputPaths() const
{
    const juce::ScopedLock sl (queueLock);
    juce::StringArray paths;
    paths.ensureStorageAllocated (commandQueue.size());

    for (const auto& item : commandQueue)
        paths.add (item.inputPath);

    return paths;
}

bool CommandRunner::stopRunning (int timeoutMs)
{
    // Asking first, under the same lock that guards the start of a child, means no child can
    // be started after the one killed here.
    signalThreadShouldExit();

    {
        const juce::ScopedLock sl (childLock);

        if (childProcess.kill())
            childKilledByStop = true;
    }

    if (juce::Thread::getCurrentThreadId() == getThreadId())
        return false; // asked from a callback of our own: the loop ends once it returns

    return waitForThreadToExit (timeoutMs);
}

void CommandRunner::killChild()
{
    const juce::ScopedLock sl (childLock);
    childProcess.kill();
}

void CommandRunner::run()
{
    auto numQueued = getNumQueuedCommands();
    callListeners ("start", &numQueued, (int) sizeof (numQueued));

    while (getNumQueuedCommands() > 0 && ! threadShouldExit())
    {
        auto item = popFrontCommand();
        callListeners ("start item", &item, (int) sizeof (item));
        runItem (item);
        callListeners ("end item", &item, (int) sizeof (item));
    }

    callListeners ("end all", nullptr, 0);
}

void CommandRunner::runItem (CommandItem& item)
{
    // Outside our locks, so that a stop never waits for it. An item refused here is over, even
    // when a stop comes meanwhile.
    auto refusedByPreparation = false;

    if (item.notStartedReason.isEmpty() && itemPreparation != nullptr && ! threadShouldExit())
    {
        item.notStartedReason = itemPreparation (item);
        refusedByPreparation = item.notStartedReason.isNotEmpty();
    }

    {
        const juce::ScopedLock sl (childLock);

        if (refusedByPreparation)
            return;

        if (threadShouldExit())
        {
            // Stopped before its converter ran: it stays first in the queue for the next run.
            {
                const juce::ScopedLock queueSl (queueLock);
                commandQueue.insert (0, item);
            }

            item.stopped = true;
            return;
        }

        if (item.notStartedReason.isNotEmpty())
            return;

        childKilledByStop = false;
        item.started = childProcess.start (item.arguments);
    }

    if (! item.started)
        return;

    readOutput();
    childProcess.waitForProcessToFinish (-1);

    const auto status = childProcess.getExitStatus();
    item.exitedNormally = status.exitedNormally;
    item.exitCode = status.exitCode;
    item.signal = status.signal;

    const juce::ScopedLock sl (childLock);
    item.stopped = childKilledByStop;
}

void CommandRunner::readOutput()
{
    outputRing.reset();

    // Reading goes on until the child has ended and its pipe is empty, so nothing it wrote
    // just before it ended is lost.
    for (;;)
    {
        const auto numRead = childProcess.readProcessOutput (lineBuffer.get(), readSize);

        if (numRead <= 0)
            break;

        outputRing.append (lineBuffer.get(), numRead);
        deliverCompleteLines();
    }

    deliverUnterminatedRest();
}

void CommandRunner::deliverCompleteLines()
{
    for (;;)
    {
        const auto newLineEnd = outputRing.findFirst ('\n');
        const auto returnEnd = outputRing.findFirst ('\r');
        const auto lineEnd = std::max (newLineEnd, returnEnd);

        if (lineEnd == 0)
            return;

        deliverLine (lineEnd, lineEnd == returnEnd);
    }
}

void CommandRunner::deliverLine (int length, bool endedWithReturn)
{
    outputRing.take (lineBuffer.get(), length);
    lineBuffer[length - 1] = 0;
    callListeners (endedWithReturn ? "return line" : "new line", lineBuffer.get(), length);
}

void CommandRunner::deliverUnterminatedRest()
{
    // A converter's last words often lack a line end; they are what says why it failed.
    const auto length = std::min (outputRing.getNumBuffered(), lineBufferSize - 1);

    if (length > 0)
    {
        outputRing.take (lineBuffer.get(), length);
        lineBuffer[length] = 0;
        callListeners ("new line", lineBuffer.get(), length + 1);
    }

    outputRing.reset();
}

} // namespace juce
