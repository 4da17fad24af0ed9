#include "app/Localisation.h"
#include "app/WorkerProcessDriver.h"

#include <gtest/gtest.h>

namespace
{

/** A log editor that keeps every text it showed. */
struct RecordingEditor : public juce::TextEditor
{
    void insertTextAtCaret (const juce::String& text) override
    {
        juce::TextEditor::insertTextAtCaret (text);
        shown.add (getText());
    }

    juce::StringArray shown;
};

/** Follows a shell that prints the given text the way the converter would. The shell gets the
    path of a file as $1 that holds every progress text the driver has posted so far, so that it
    can wait for the driver (waitForProgress) instead of for a time.
*/
struct DriverRun
{
    explicit DriverRun (const juce::String& shellCommand)
    {
        installTranslationTable (TranslationTable::english);
        editor.setMultiLine (true);
        editor.setSize (600, 400);

        EXPECT_TRUE (child.start ({ "/bin/sh", "-c", shellCommand, "sh", progressFile.getFile().getFullPathName() }));
        WorkerProcessDriver driver (child, stopRequested, editor, [this] (const juce::String& text)
                                    {
                                        progressTexts.add (text);
                                        progressFile.getFile().appendText (text + "\n"); });
        exitedCleanly = driver.run ("/music/in.mp3", 1, 1);
    }

    /** Shell text that waits, at most 30 s, until the driver has posted a progress text holding
        the given one.
    */
    static juce::String waitForProgress (const juce::String& text)
    {
        return "i=0; until grep -qsF '" + text + "' \"$1\" || [ $i -ge 3000 ]; do sleep 0.01; i=$((i+1)); done;";
    }

    juce::TemporaryFile progressFile;
    platform::ChildProcess child;
    std::atomic<bool> stopRequested { false };
    RecordingEditor editor;
    juce::StringArray progressTexts;
    bool exitedCleanly = false;
};

} // namespace

TEST (WorkerProcessDriver, ALineLongerThanTheRingDoesNotBlockTheLinesAfterIt)
{
    // The child runs until its report was taken as a line: what is left when it ends is shown
    // unread. A ring blocked by the long line would never deliver the report.
    const DriverRun run ("head -c 3000 /dev/zero | tr '\\0' x; printf '\\n  Duration: 00:00:10.00, start: 0\\n';"
                         "printf 'size=1kB time=00:00:05.00 bitrate=1kbits/s speed=1x\\r';"
                         + DriverRun::waitForProgress ("@50.0%") + "printf 'tail'");

    EXPECT_TRUE (run.exitedCleanly);
    EXPECT_EQ (run.progressTexts, juce::StringArray ({ "Converting:/music/in.mp3 1/1", "Converting:/music/in.mp3@50.0% 1/1" }));
    EXPECT_EQ (run.editor.getText(), "tail") << "at the end only what was left unread is shown";
}

TEST (WorkerProcessDriver, TellsAFailedConverterFromAGoodOne)
{
    EXPECT_FALSE (DriverRun ("echo 'No such file or directory'; exit 1").exitedCleanly);
    EXPECT_FALSE (DriverRun ("kill -9 $$").exitedCleanly);
    EXPECT_TRUE (DriverRun ("exit 0").exitedCleanly);
}

TEST (WorkerProcessDriver, ShowsLinesAsTheyComeAndAReportInPlaceOfTheLastLine)
{
    // The pauses let the lines before them be shown, so that a report replaces a line that is
    // already shown as well as one that is still waiting; the last line, "end", is left unread.
    const DriverRun run ("printf 'a\\nb\\n'; sleep 0.3;"
                         "printf 'size=1kB time=00:00:01.00 bitrate=1kbits/s speed=1x\\r';"
                         "printf 'size=2kB time=00:00:02.00 bitrate=1kbits/s speed=1x\\r';"
                         "printf 'Duration: not a report\\rc\\n'; sleep 0.3;"
                         "printf 'size=3kB time=00:00:03.00 bitrate=1kbits/s speed=1x\\r\\nd\\n';"
                         "printf 'size=4kB time=00:00:04.00 bitrate=1kbits/s speed=1x\\r'; sleep 0.3; printf end");

    const juce::String expected ("a\n"
                                 "size=2kB time=00:00:02.00 bitrate=1kbits/s speed=1x\r"
                                 "size=3kB time=00:00:03.00 bitrate=1kbits/s speed=1x\r\n"
                                 "size=4kB time=00:00:04.00 bitrate=1kbits/s speed=1x\r");

    EXPECT_TRUE (run.editor.shown.contains (expected)) << run.editor.shown.joinIntoString ("\n----\n").replace ("\r", "<CR>");
    EXPECT_EQ (run.editor.getText(), "end");
}

TEST (WorkerProcessDriver, ABurstOfLinesChangesTheEditorAFewTimesOnly)
{
    // Each change of the editor costs in proportion to its text: one per line would cost in
    // proportion to the square of the lines.
    const juce::String line ("[mp3float @ 0x5581c0a3e940] overread, skip -5 enddists: -1 -1");
    const DriverRun run ("yes '" + line + "' | head -n 2000; sleep 1");

    EXPECT_TRUE (run.editor.shown.contains (juce::String::repeatedString (line + "\n", 2000))) << "every line was shown";
    EXPECT_LT (run.editor.shown.size(), 100);
}
