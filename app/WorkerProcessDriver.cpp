#include "app/WorkerProcessDriver.h"

#include "app/ProgressText.h"

#include <utility>

namespace
{
bool isLineEnd (juce::juce_wchar character) noexcept
{
    return character == '\n' || character == '\r';
}

/** Where the last line of a text begins: after the last line end that is not its final character. */
int findStartOfLastLine (const juce::String& text)
{
    for (auto i = text.length() - 1; --i >= 0;)
        if (isLineEnd (text[i]))
            return i + 1;

    return 0;
}

double now() noexcept
{
    return juce::Time::getMillisecondCounterHiRes();
}
} // namespace

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

        // Waits no longer than a waiting line may wait, so that a quiet converter's last lines
        // are shown all the same.
        const auto numRead = child.readProcessOutput (readBuffer.data(), maxReadSize, showIntervalMs);
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
            takeStartOfLongLine();
            ring.write (readBuffer.data(), numRead);
        }

        if (waitingLines.isNotEmpty() && (numRead == 0 || now() - waitingSinceMs >= showIntervalMs))
            showWaitingLines();
    } while (! shouldStop() && child.isRunning());

    // No converter outlives a stop.
    if (child.isRunning())
        child.kill();

    child.waitForProcessToFinish (-1);

    // The end of the item empties the editor: lines still waiting would only be wiped out.
    waitingLines.clear();
    showUnreadOutput();

    const auto status = child.getExitStatus();
    return status.hasEnded && status.exitedNormally && status.exitCode == 0;
}

bool WorkerProcessDriver::shouldStop() const
{
    // The thread's exit request (stopThread, a destroyed worker) ends the following as a stop
    // does, long before the framework would give up waiting for the thread.
    return stopRequested || juce::Thread::currentThreadShouldExit();
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

    takeLine (juce::String::fromUTF8 (lineBuffer.data(), length));
    return true;
}

void WorkerProcessDriver::takeLine (const juce::String& text)
{
    // The converter rewrites a line ended by "\r" in place; only its progress reports are shown.
    const auto rewritesLastLine = text.endsWithChar ('\r');
    const auto isReport = progress.parseFfmpegOutputLine (text + "\n");

    if (rewritesLastLine && ! isReport)
        return;

    if (waitingLines.isEmpty())
    {
        waitingSinceMs = now();
        replacesLastShownLine = rewritesLastLine;
    }
    else if (rewritesLastLine)
    {
        waitingLines = waitingLines.substring (0, findStartOfLastLine (waitingLines));
    }

    waitingLines += text;

    if (rewritesLastLine)
        postProgressText (makeProgressText());
}

void WorkerProcessDriver::takeStartOfLongLine()
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

    ring.write (lineBuffer.data() + complete, length - complete);

    if (waitingLines.isEmpty())
    {
        waitingSinceMs = now();
        replacesLastShownLine = false;
    }

    waitingLines += juce::String::fromUTF8 (lineBuffer.data(), complete);
}

void WorkerProcessDriver::showWaitingLines()
{
    const auto text = std::exchange (waitingLines, {});

    const juce::MessageManagerLock messageManagerLock (juce::Thread::getCurrentThread());

    if (! messageManagerLock.lockWasGained())
        return;

    const auto end = logEditor.getTotalNumChars();

    if (replacesLastShownLine)
    {
        // Only the end of the text is looked at: enough for every line that the ring delivers.
        const auto tail = logEditor.getTextInRange ({ juce::jmax (0, end - 2 * ring.capacity), end });
        logEditor.setHighlightedRegion ({ end - tail.length() + findStartOfLastLine (tail), end });
    }
    else
    {
        logEditor.moveCaretToEnd (false);
    }

    // One insertion makes a single line break of "\r\n", which the converter's lines make two of.
    auto rest = text;

    for (int split; (split = rest.indexOf ("\r\n")) >= 0;)
    {
        logEditor.insertTextAtCaret (rest.substring (0, split + 1));
        rest = rest.substring (split + 1);
    }

    logEditor.insertTextAtCaret (rest);
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
