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

/** Follows a shell that prints the given text the way the converter would. */
struct DriverRun
{
    explicit DriverRun (const juce::String& shellCommand)
    {
        installTranslationTable (TranslationTable::english);
        editor.setMultiLine (true);
        editor.setSize (600, 400);

        EXPECT_TRUE (child.start ({ "/bin/sh", "-c", shellCommand }));
        WorkerProcessDriver driver (child, stopRequested, editor, [this] (const juce::String& text)
                                    { progressTexts.add (text); });
        exitedCleanly = driver.run ("/music/in.mp3", 1, 1);
    }

    platform::ChildProcess child;
    std::atomic<bool> stopRequested { false };
    RecordingEditor editor;
    juce::StringArray progressTexts;
    bool exitedCleanly = false;
};

} // namespace

TEST (WorkerProcessDriver, ALineLongerThanTheRingDoesNotBlockTheLinesAfterIt)
{
    // The pauses keep the child running while its lines are read: what is left when it ends is
    // shown unread.
    const DriverRun run ("head -c 3000 /dev/zero | tr '\\0' x; printf '\\n  Duration: 00:00:10.00, start: 0\\n'; sleep 0.5;"
                         "printf 'size=1kB time=00:00:05.00 bitrate=1kbits/s speed=1x\\r'; sleep 0.5; printf 'tail'");

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
