#include "app/WorkerProcessDriver.h"

#include "app/ProgressText.h"

WorkerProcessDriver::WorkerProcessDriver (platform::ChildProcess& childToFollow, std::atomic<bool>& stopFlag,
                                          juce::TextEditor& editor, ProgressPoster poster)
    : child (childToFollow), stopRequested (stopFlag), logEditor (editor), postProgressText (std::move (poster))
{
}

bool WorkerProcessDriver::run (const juce::String& input, int inputIndex, int inputTotal)
{
    inputPath = input;
    index = inputIndex;
    total = inputTotal;

    postProgressText (juce::translate ("converting:") + inputPath + " " + juce::String (index) + "/" + juce::String (total));

    do
    {
        // A stop counts for the read in progress only.
        stopRequested = false;

        const auto numRead = child.readProcessOutput (readBuffer.data(), maxReadSize);
        const auto written = ring.write (readBuffer.data(), numRead);

        while (! stopRequested && deliverLine())
        {
        }

        // Refused whole because the ring was full: the lines just taken out may have made room.
        // If not, the ring holds the start of a line longer than itself (FFmpeg's own
        // "configuration:" line is), which would keep it blocked, and every later piece lost,
        // until the child ends: that start is shown as it stands and the rest follows it.
        if (written < 0 && ring.write (readBuffer.data(), numRead) < 0 && ! stopRequested)
        {
            showStartOfLongLine();
            ring.write (readBuffer.data(), numRead);
        }
    } while (! stopRequested && child.isRunning());

    // No converter outlives a stop.
    if (child.isRunning())
        child.kill();

    child.waitForProcessToFinish (-1);
    showUnreadOutput();

    const auto status = child.getExitStatus();
    return status.hasEnded && status.exitedNormally && status.exitCode == 0;
}

bool WorkerProcessDriver::deliverLine()
{
    auto length = 0;

    {
        const juce::ScopedLock sl (ring.lock);
        length = ring.getFirstLineLength();

        if (length == 0)
            return false;

        length = ring.read (lineBuffer.data(), length);
    }

    showLine (juce::String::fromUTF8 (lineBuffer.data(), length));
    return true;
}

void WorkerProcessDriver::showLine (const juce::String& text)
{
    // The converter rewrites a line ended by "\r" in place; only its progress reports are shown.
    const auto rewritesLastLine = text.endsWithChar ('\r');
    const auto isReport = progress.parseFfmpegOutputLine (text + "\n");

    if (rewritesLastLine && ! isReport)
        return;

    {
        const juce::MessageManagerLock messageManagerLock (juce::Thread::getCurrentThread());

        if (! messageManagerLock.lockWasGained())
            return;

        logEditor.moveCaretToEnd (false);

        if (rewritesLastLine)
            logEditor.moveCaretUp (true);

        logEditor.insertTextAtCaret (text);
    }

    if (rewritesLastLine)
        postProgressText (makeProgressText());
}

void WorkerProcessDriver::showStartOfLongLine()
{
    auto length = 0;

    {
        const juce::ScopedLock sl (ring.lock);
        length = ring.read (lineBuffer.data(), ring.getNumBytesHeld());
    }

    // A character cut in two waits for its other bytes.
    auto complete = length;

    while (complete > 0 && ((unsigned char) lineBuffer[(size_t) complete - 1] & 0xc0) == 0x80)
        --complete;

    if (complete > 0 && ((unsigned char) lineBuffer[(size_t) complete - 1] & 0xc0) == 0xc0)
        --complete;
    else
        complete = length;

    const auto text = juce::String::fromUTF8 (lineBuffer.data(), complete);
    ring.write (lineBuffer.data() + complete, length - complete);

    const juce::MessageManagerLock messageManagerLock (juce::Thread::getCurrentThread());

    if (! messageManagerLock.lockWasGained())
        return;

    logEditor.moveCaretToEnd (false);
    logEditor.insertTextAtCaret (text);
}

void WorkerProcessDriver::showUnreadOutput()
{
    juce::MemoryBlock buffered ((size_t) ring.getNumBytesHeld());
    ring.read (buffered.getData(), (int) buffered.getSize());

    juce::MemoryOutputStream unread;

    for (int numRead; (numRead = child.readProcessOutput (readBuffer.data(), maxReadSize)) > 0;)
        unread.write (readBuffer.data(), (size_t) numRead);

    const juce::MessageManagerLock messageManagerLock (juce::Thread::getCurrentThread());

    if (! messageManagerLock.lockWasGained())
        return;

    logEditor.clear();
    logEditor.moveCaretToEnd (false);
    logEditor.insertTextAtCaret (buffered.toString());
    logEditor.moveCaretToEnd (false);
    logEditor.insertTextAtCaret (unread.toUTF8());
}

juce::String WorkerProcessDriver::makeProgressText() const
{
    const auto percent = getPercentDone (progress.timeSeconds, progress.durationSeconds);
    const auto percentText = percent.has_value() ? juce::String::formatted ("%.1f%%", (double) *percent) : juce::String ("-1");

    return juce::translate ("converting:") + inputPath + "@" + percentText + " " + juce::String (index) + "/" + juce::String (total);
}
