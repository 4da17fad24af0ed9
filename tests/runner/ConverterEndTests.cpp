#include "HelperTest.h"
#include "platform/TempFolder.h"

#include <csignal>

using runner_tests::FFMpegHelperTest;
using runner_tests::RecordedEvent;

// How the real converter ended, told in words: a signal from outside (a crash, the
// out-of-memory killer, a task manager, Ctrl+C in a terminal) by its name, an error status by
// the converter's own error line, never by a remark it printed on the way.
TEST_F (FFMpegHelperTest, TellsHowTheRealConverterEnded)
{
    testing_support::ScopedTmpfs fullDisk (64);
    const auto input = temp.file ("song.flac");
    ASSERT_TRUE (testing_support::runProgram ({ "ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                                                "sine=frequency=440:duration=30", "-metadata", "title=Song",
                                                input.getFullPathName() })
                 == 0);

    struct Case
    {
        const char* name;
        int signal; // sent to the converter once it converts; 0 for none
        const char* options;
        const char* reason; // <output> stands for the output's path
    };

    std::vector<Case> cases {
        { "killed", SIGKILL, "", "the converter was ended by signal 9 (Killed)" },
        { "crashed", SIGSEGV, "", "the converter was ended by signal 11 (Segmentation fault)" },
        { "terminated", SIGTERM, "", "the converter was ended by signal 15 (Terminated)" },
        { "interrupted", SIGINT, "", "the converter was ended by signal 2 (Interrupt)" },
        { "unknown encoder", 0, "-acodec pcm_nosuch", "Unknown encoder 'pcm_nosuch'" },
        { "unknown filter", 0, "-af nosuchfilter", "No such filter: 'nosuchfilter'" },
    };

    if (fullDisk.getProblem().isEmpty())
        cases.push_back ({ "full disk", 0, "", "Error closing file <output>: No space left on device" });

    std::vector<juce::File> outputs;

    for (auto& c : cases)
    {
        const auto folder = juce::String (c.name) == "full disk" ? fullDisk.getFolder() : temp.file ("out");
        outputs.push_back (folder.getChildFile (juce::String (c.name) + ".wav"));
        // At the input's own pace, so that a signal finds the converter at work.
        queue (input, outputs.back(), c.signal != 0 ? "-re" : "", runner_tests::outputOptions + " " + c.options);
    }

    std::atomic<int> signalled { 0 };
    const auto converter = platform::getConverterFile().getFileName();

    recorder.log.onEvent = [&] (const RecordedEvent& event)
    {
        const auto index = helper.getProgress().currentIndex - 1;

        if (event.name == "time" && event.seconds >= 0.3f && signalled == index && cases[(size_t) index].signal != 0)
        {
            for (auto child : testing_support::findOwnChildren (converter))
                ::kill (child, cases[(size_t) index].signal);

            ++signalled;
        }
    };

    runToEnd();
    recorder.log.onEvent = nullptr;

    const auto ends = recorder.log.named ("end item");
    ASSERT_EQ (ends.size(), cases.size());

    for (size_t i = 0; i < cases.size(); ++i)
    {
        SCOPED_TRACE (cases[i].name);
        EXPECT_FALSE (ends[i].progress.converted);
        EXPECT_EQ (ends[i].progress.failureReason, juce::String (cases[i].reason).replace ("<output>", outputs[i].getFullPathName()));
        EXPECT_TRUE (runner_tests::namesIn (outputs[i].getParentDirectory()).isEmpty());
    }

    if (fullDisk.getProblem().isNotEmpty())
        GTEST_SKIP() << "the full disk was not tried: " << fullDisk.getProblem();
}
