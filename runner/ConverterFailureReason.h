#pragma once

#include "CommandItem.h"
#include "ConverterLine.h"

#include <juce_core/juce_core.h>

/** Follows one converter's output to tell, in one line a user can read, why it failed.

    The converter reports a failure as a burst of error lines: the first names the cause, the
    others its consequences ("Error reinitializing filters!", "Conversion failed!"). So the
    reason is the first error of the last burst, or, within it, the converter's verdict on the
    input ("<input>: Invalid data found when processing input"). Remarks, warnings and lines the
    converter did not log (stream lists, metadata, summaries, stray bytes) never are.
*/
class ConverterFailureReason
{
public:
    ConverterFailureReason() = default;

    /** Forgets the last item's lines; the input's path tells the converter's verdict on it. */
    void startItem (const juce::String& inputPath);

    /** A line that is not a progress report. */
    void addLine (const ConverterLine& line);

    /** A progress report: the converter went on, so the next error begins a new burst. */
    void addProgress() noexcept;

    /** Why the item's converter, which has ended other than with status 0, failed. Paths of
        its files stand in front of what the converter says about them; the partial file it
        writes is named as the output, which is all the user knows of.
    */
    [[nodiscard]] juce::String describe (const CommandItem& item, const juce::String& partialPath) const;

    /** "the converter was ended by signal 9 (Killed)", in the user's language. */
    [[nodiscard]] static juce::String describeSignal (int signal);

    /** One line of at most maxReasonLength characters: control characters become blanks, and
        a longer text is cut, which an ellipsis shows.
    */
    [[nodiscard]] static juce::String makeReadable (const juce::String& text);

    static constexpr int maxReasonLength = 300;

private:
    juce::String inputPath;
    juce::String burstCause;
    bool inBurst = false;
    bool burstHasVerdict = false;
    int caughtSignal = 0; // a signal the converter caught and then ended for

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConverterFailureReason)
};
