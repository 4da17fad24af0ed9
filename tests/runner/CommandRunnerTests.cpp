#include "RunnerEventLog.h"
#include "runner/CommandRunner.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>

using runner_tests::RecordedEvent;

namespace
{
constexpr int runTimeoutMs = 30000;

bool isLineEvent (const RecordedEvent& event)
{
    return event.name == "new line" || event.name == "return line";
}

struct Line
{
    juce::String event, text;
    int size;

    bool operator== (const Line& other) const { return event == other.event && text == other.text && size == other.size; }
};

std::ostream& operator<< (std::ostream& stream, const Line& line)
{
    return stream << line.event << " " << line.text.replace ("\r", "\\r").replace ("\n", "\\n") << " (" << line.size << ")";
}

std::vector<Line> linesOf (const std::vector<RecordedEvent>& events)
{
    std::vector<Line> lines;

    for (auto& event : events)
        if (isLineEvent (event))
            lines.push_back ({ event.name, event.text, event.size });

    return lines;
}

/** The events of each item, from its "start item" to its "end item". */
std::vector<std::vector<RecordedEvent>> eventsPerItem (const std::vector<RecordedEvent>& events)
{
    std::vector<std::vector<RecordedEvent>> items;

    for (auto& event : events)
    {
        if (event.name == "start item")
            items.emplace_back();

        if (! items.empty())
            items.back().push_back (event);
    }

    return items;
}

class CommandRunnerTest : public ::testing::Test
{
protected:
    void SetUp() override { runner.addListener (&recorder); }

    void queue (const juce::StringArray& arguments)
    {
        runner.addCommand ("input", "output", arguments.joinIntoString (" "), arguments, true);
    }

    void queueOutput (const std::string& bytes)
    {
        const auto file = temp.file ("output" + juce::String (++numFiles));
        file.replaceWithData (bytes.data(), bytes.size());
        queue ({ "cat", file.getFullPathName() });
    }

    /** Starts the thread and waits for the end of the run that begins now. */
    std::vector<RecordedEvent> runToEnd()
    {
        const auto before = recorder.log.events().size();
        runner.startThread();

        const auto ended = recorder.log.waitFor ([before] (const std::vector<RecordedEvent>& events)
                                                 { return events.size() > before && events.back().name == "end all"; },
                                                 runTimeoutMs);
        EXPECT_TRUE (ended);
        EXPECT_TRUE (runner.waitForThreadToExit (5000));

        const auto all = recorder.log.events();
        return { all.begin() + (std::ptrdiff_t) before, all.end() };
    }

    bool waitForLine (const juce::String& text)
    {
        return recorder.log.waitFor ([&text] (const std::vector<RecordedEvent>& events)
                                     {
                                         for (auto& event : events)
                                             if (isLineEvent (event) && event.text == text)
                                                 return true;

                                         return false; },
                                     runTimeoutMs);
    }

    testing_support::TemporaryFolder temp;
    runner_tests::RunnerRecorder recorder; // declared first: it must outlive the runner's thread
    juce::CommandRunner runner;
    int numFiles = 0;
};
} // namespace

TEST_F (CommandRunnerTest, ReportsEveryItemInOrderWithHowItsChildEnded)
{
    queue ({ "sh", "-c", "echo one" });
    queue ({ "sh", "-c", "echo two; exit 3" });
    queue ({ "/no/such/program" });
    queue ({ "sh", "-c", "kill -9 $$" });

    const auto events = runToEnd();

    EXPECT_EQ (recorder.log.names(), juce::StringArray ({ "start",
                                                          "start item", "new line", "end item",
                                                          "start item", "new line", "end item",
                                                          "start item", "end item",
                                                          "start item", "end item",
                                                          "end all" }));
    EXPECT_EQ (events.front().count, 4);
    EXPECT_EQ (events.front().size, 4);
    EXPECT_FALSE (events.back().hadPayload);
    EXPECT_EQ (events.back().size, 0);

    for (auto& event : events)
        EXPECT_EQ (event.threadName, "CommandRunnerThread");

    const auto ends = recorder.log.named ("end item");
    const auto starts = recorder.log.named ("start item");
    ASSERT_EQ (ends.size(), 4u);

    for (size_t i = 0; i < ends.size(); ++i)
    {
        EXPECT_EQ (ends[i].item.commandLine, starts[i].item.commandLine);
        EXPECT_EQ (ends[i].size, (int) sizeof (CommandItem));
        EXPECT_FALSE (ends[i].item.stopped);
    }

    EXPECT_TRUE (ends[0].item.started);
    EXPECT_TRUE (ends[0].item.exitedNormally);
    EXPECT_EQ (ends[0].item.exitCode, 0);

    EXPECT_TRUE (ends[1].item.exitedNormally);
    EXPECT_EQ (ends[1].item.exitCode, 3);

    EXPECT_FALSE (ends[2].item.started);

    EXPECT_TRUE (ends[3].item.started);
    EXPECT_FALSE (ends[3].item.exitedNormally);
    EXPECT_EQ (ends[3].item.signal, SIGKILL);

    EXPECT_EQ (runner.getNumQueuedCommands(), 0);
}

TEST_F (CommandRunnerTest, APreparationCanChangeOrRefuseAnItemAndAKilledChildLeavesTheRunGoing)
{
    // The preparation names the word the child prints, or refuses the item.
    runner.setItemPreparation ([] (CommandItem& item) -> juce::String
                               {
                                   if (item.inputPath == "refused")
                                       return "no room for it";

                                   item.arguments.set (item.outputArgument, "chosen late");
                                   return {}; });

    const auto add = [this] (const char* input, const juce::StringArray& arguments)
    {
        CommandItem item;
        item.inputPath = input;
        item.arguments = arguments;
        item.outputArgument = arguments.size() - 1;
        runner.addCommand (item);
    };

    add ("printed", { "echo", "placeholder" });
    add ("refused", { "echo", "placeholder" });
    add ("killed", { "sh", "-c", "echo ready; exec sleep 37", "placeholder" });
    add ("last", { "echo", "placeholder" });

    recorder.log.onEvent = [this] (const RecordedEvent& event)
    {
        if (isLineEvent (event) && event.text == "ready")
            runner.killChild();
    };

    const auto items = eventsPerItem (runToEnd());
    recorder.log.onEvent = nullptr;

    const auto ends = recorder.log.named ("end item");
    ASSERT_EQ (ends.size(), 4u);
    EXPECT_EQ (linesOf (items[0]), std::vector<Line> ({ { "new line", "chosen late", 12 } }));

    EXPECT_FALSE (ends[1].item.started);
    EXPECT_EQ (ends[1].item.notStartedReason, "no room for it");

    EXPECT_TRUE (ends[2].item.started);
    EXPECT_FALSE (ends[2].item.stopped);
    EXPECT_EQ (ends[2].item.signal, SIGKILL);

    EXPECT_TRUE (ends[3].item.exitedNormally);
    EXPECT_EQ (testing_support::countOwnChildren ("sleep"), 0);
}

TEST_F (CommandRunnerTest, AnEmptyQueueGivesStartWithZeroThenEndAll)
{
    const auto events = runToEnd();

    EXPECT_EQ (recorder.log.names(), juce::StringArray ({ "start", "end all" }));
    EXPECT_EQ (events.front().count, 0);
}

TEST_F (CommandRunnerTest, CutsLinesAtTheLaterOfTheFirstLineFeedAndTheFirstReturn)
{
    struct Case
    {
        std::string bytes;
        std::vector<Line> expected;
    };

    const std::vector<Case> cases {
        { "abc\n", { { "new line", "abc", 4 } } },
        { "abc\r\n", { { "new line", "abc\r", 5 } } },
        { "a\rb\r", { { "return line", "a", 2 }, { "return line", "b", 2 } } },
        { "\n", { { "new line", "", 1 } } },
        { "x\ny\r", { { "return line", "x\ny", 4 } } },
        { "a\rb\n", { { "new line", "a\rb", 4 } } },
        { "done\nlast words", { { "new line", "done", 5 }, { "new line", "last words", 11 } } },
    };

    for (auto& c : cases)
        queueOutput (c.bytes);

    const auto items = eventsPerItem (runToEnd());
    ASSERT_EQ (items.size(), cases.size());

    for (size_t i = 0; i < cases.size(); ++i)
    {
        SCOPED_TRACE (::testing::Message() << "case " << i);
        EXPECT_EQ (linesOf (items[i]), cases[i].expected);
    }
}

TEST_F (CommandRunnerTest, JoinsALineWrittenInPiecesAndLosesNothingOfManyLines)
{
    queue ({ "sh", "-c", "printf ab; sleep 0.3; printf 'c\\n'" });
    queue ({ "seq", "1", "3000" });

    const auto items = eventsPerItem (runToEnd());
    ASSERT_EQ (items.size(), 2u);

    EXPECT_EQ (linesOf (items[0]), std::vector<Line> ({ { "new line", "abc", 4 } }));

    const auto numbers = linesOf (items[1]);
    ASSERT_EQ (numbers.size(), 3000u);

    for (int i = 0; i < 3000; ++i)
        ASSERT_EQ (numbers[(size_t) i], (Line { "new line", juce::String (i + 1), juce::String (i + 1).length() + 1 }));
}

TEST_F (CommandRunnerTest, DeliversALineThatFillsTheRingExactlyAndNeverOverrunsTheLineBuffer)
{
    queueOutput (std::string (16383, 'a') + "\n");
    queueOutput (std::string (20000, 'x') + "\nmore\n");

    const auto items = eventsPerItem (runToEnd());
    ASSERT_EQ (items.size(), 2u);

    EXPECT_EQ (linesOf (items[0]), std::vector<Line> ({ { "new line", juce::String::repeatedString ("a", 16383), 16384 } }));

    // The ring fills without a line end: what follows is dropped, and the text held is handed
    // over at the end, cut to what the line buffer holds.
    EXPECT_EQ (linesOf (items[1]), std::vector<Line> ({ { "new line", juce::String::repeatedString ("x", 16383), 16384 } }));
}

TEST_F (CommandRunnerTest, AStopKillsTheRunningChildEndsTheRunAndKeepsTheRestQueued)
{
    queue ({ "sh", "-c", "echo ready; exec sleep 37" });
    queue ({ "echo", "second" });
    queue ({ "echo", "third" });

    runner.startThread();
    ASSERT_TRUE (waitForLine ("ready"));

    EXPECT_TRUE (runner.stopRunning (2000));
    EXPECT_EQ (testing_support::countOwnChildren ("sleep"), 0);
    EXPECT_EQ (recorder.log.names(), juce::StringArray ({ "start", "start item", "new line", "end item", "end all" }));

    const auto killed = recorder.log.named ("end item").front().item;
    EXPECT_TRUE (killed.started);
    EXPECT_TRUE (killed.stopped);
    EXPECT_FALSE (killed.exitedNormally);
    EXPECT_EQ (runner.getNumQueuedCommands(), 2);

    // The next run takes the items left over first, and counts them.
    const auto next = runToEnd();
    EXPECT_EQ (next.front().count, 2);
    EXPECT_EQ (linesOf (next), std::vector<Line> ({ { "new line", "second", 7 }, { "new line", "third", 6 } }));
}

TEST_F (CommandRunnerTest, NoChildStartsOnceAStopHasBeenAskedFor)
{
    queue ({ "echo", "first" });
    queue ({ "echo", "second" });

    // The stop arrives between taking the item and starting its child.
    recorder.log.onEvent = [this] (const RecordedEvent& event)
    {
        if (event.name == "start item")
            runner.stopRunning (0);
    };

    const auto events = runToEnd();
    recorder.log.onEvent = nullptr;

    EXPECT_EQ (recorder.log.names(), juce::StringArray ({ "start", "start item", "end item", "end all" }));
    EXPECT_FALSE (events[2].item.started);
    EXPECT_TRUE (events[2].item.stopped);
    EXPECT_EQ (runner.getNumQueuedCommands(), 2);

    const auto next = runToEnd();
    EXPECT_EQ (linesOf (next), std::vector<Line> ({ { "new line", "first", 6 }, { "new line", "second", 7 } }));
}

TEST_F (CommandRunnerTest, ARunnerThreadOutlivingTheWaitStillEndsTheRunLater)
{
    queue ({ "sh", "-c", "echo ready; exec sleep 37" });
    queue ({ "echo", "never" });

    // A listener still busy with the killed item when the wait runs out (a long rewrite).
    recorder.log.onEvent = [] (const RecordedEvent& event)
    {
        if (event.name == "end item")
            juce::Thread::sleep (1500);
    };

    runner.startThread();
    ASSERT_TRUE (waitForLine ("ready"));

    EXPECT_FALSE (runner.stopRunning (200));
    EXPECT_TRUE (recorder.log.waitForEvent ("end all", runTimeoutMs));
    EXPECT_TRUE (runner.waitForThreadToExit (5000));
    EXPECT_EQ (recorder.log.names(), juce::StringArray ({ "start", "start item", "new line", "end item", "end all" }));
    EXPECT_EQ (runner.getNumQueuedCommands(), 1);
    EXPECT_EQ (testing_support::countOwnChildren ("sleep"), 0);
}

TEST (CommandRunner, DestroyingARunningRunnerLeavesNoChildBehind)
{
    runner_tests::RunnerRecorder recorder;

    {
        juce::CommandRunner runner;
        runner.addListener (&recorder);
        runner.addCommand ({}, {}, {}, { "sh", "-c", "echo ready; exec sleep 38" }, true);
        runner.startThread();
        ASSERT_TRUE (recorder.log.waitForEvent ("new line", runTimeoutMs));
    }

    EXPECT_EQ (testing_support::countOwnChildren ("sleep"), 0);
    EXPECT_EQ (recorder.log.names().joinIntoString (","), "start,start item,new line,end item,end all");

    // Killed, not waited for until it ended by itself.
    const auto ends = recorder.log.named ("end item");
    ASSERT_EQ (ends.size(), 1u);
    EXPECT_TRUE (ends[0].item.stopped);
    EXPECT_FALSE (ends[0].item.exitedNormally);
}
