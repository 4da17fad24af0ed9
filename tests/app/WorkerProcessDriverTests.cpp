#include "app/Localisation.h"
#include "app/WorkerProcessDriver.h"

#include <gtest/gtest.h>

namespace
{

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
    juce::TextEditor editor;
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
