#pragma once

#include "app/OutputRingBuffer.h"
#include "app/ProgressFields.h"
#include "platform/ChildProcess.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <atomic>
#include <functional>

/** Follows one converter child of the standalone worker: reads its output through a small ring,
    shows its lines in the log editor (a progress report, ended by "\r", replaces the last line)
    and the progress on the progress line, and at the end shows what was left unread.

    It runs on the worker's thread. Lines reach the log editor in batches, at most
    showIntervalMs after they came: every change of the editor costs time in proportion to the
    text it holds, so a change per line would make a converter that prints thousands of lines
    wait for the editor. The editor is changed only under the message manager's lock, which is
    given up when that thread is asked to exit, so a message thread waiting for the worker never
    waits for it in turn; such a request also ends the following, as a stop does.
*/
class WorkerProcessDriver
{
public:
    using ProgressPoster = std::function<void (const juce::String&)>;

    WorkerProcessDriver (platform::ChildProcess& child, std::atomic<bool>& stopRequested,
                         juce::TextEditor& logEditor, ProgressPoster postProgressText);

    /** Returns once the child has ended, or a stop was requested (the child is then killed).
        True when the child ended by itself with exit status 0.
    */
    bool run (const juce::String& inputPath, int index, int total);

    static constexpr int showIntervalMs = 50;

private:
    static constexpr int maxReadSize = 63;

    [[nodiscard]] bool shouldStop() const;
    [[nodiscard]] bool deliverLine();
    void takeLine (const juce::String& text);
    void takeStartOfLongLine();
    void showWaitingLines();
    void showUnreadOutput();
    [[nodiscard]] juce::String makeProgressText() const;

    platform::ChildProcess& child;
    std::atomic<bool>& stopRequested;
    juce::TextEditor& logEditor;
    ProgressPoster postProgressText;

    OutputRingBuffer ring;
    ProgressFields progress;
    std::array<char, maxReadSize + 1> readBuffer {};
    std::array<char, 1024> lineBuffer {};

    // Lines taken from the ring but not yet shown. When the first of them is a progress report
    // that came while none were waiting, it replaces the last line the editor shows.
    juce::String waitingLines;
    bool replacesLastShownLine = false;
    double waitingSinceMs = 0.0;

    juce::String inputPath;
    int index = 0, total = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WorkerProcessDriver)
};
