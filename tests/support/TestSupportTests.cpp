#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace
{

/** Starts a program as a child of this process; 0 when it could not be started. */
pid_t spawn (const juce::StringArray& arguments)
{
    std::vector<std::string> texts;

    for (auto& argument : arguments)
        texts.push_back (argument.toStdString());

    std::vector<char*> argv;

    for (auto& text : texts)
        argv.push_back (text.data());

    argv.push_back (nullptr);

    pid_t pid = 0;
    return ::posix_spawnp (&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : 0;
}

/** Waits until the process runs the named program: until then it may still be a copy of its parent. */
bool waitForProgram (pid_t pid, const juce::String& name)
{
    const auto comm = juce::File ("/proc/" + juce::String (pid) + "/comm");

    for (int i = 0; i < 500; ++i)
    {
        if (comm.loadFileAsString().trim() == name)
            return true;

        juce::Thread::sleep (10);
    }

    return false;
}

void killAndReap (pid_t pid)
{
    ::kill (pid, SIGKILL);
    ::waitpid (pid, nullptr, 0);
}

} // namespace

TEST (CountOwnChildren, CountsChildrenOfTheNameUntilTheyAreReaped)
{
    EXPECT_EQ (testing_support::countOwnChildren ("sleep"), 0);

    const auto child = spawn ({ "sleep", "30" });
    ASSERT_NE (child, 0);
    ASSERT_TRUE (waitForProgram (child, "sleep"));

    EXPECT_EQ (testing_support::countOwnChildren ("sleep"), 1);
    EXPECT_EQ (testing_support::countOwnChildren ("sh"), 0);

    // Ended but not yet reaped, it is still there to be found.
    ::kill (child, SIGKILL);
    siginfo_t info {};
    ASSERT_EQ (::waitid (P_PID, (id_t) child, &info, WEXITED | WNOWAIT), 0);
    EXPECT_EQ (testing_support::countOwnChildren ("sleep"), 1);

    ::waitpid (child, nullptr, 0);
    EXPECT_EQ (testing_support::countOwnChildren ("sleep"), 0);
}

TEST (CountOwnChildren, ADescendantFurtherDownIsNotAChild)
{
    testing_support::TemporaryFolder folder;
    const auto pidFile = folder.file ("grandchild");

    const auto child = spawn ({ "sh", "-c", "sleep 31 & echo $! > '" + pidFile.getFullPathName() + "'; wait" });
    ASSERT_NE (child, 0);

    pid_t grandchild = 0;

    for (int i = 0; i < 500 && grandchild == 0; ++i, juce::Thread::sleep (10))
        grandchild = pidFile.loadFileAsString().trim().getIntValue();

    ASSERT_NE (grandchild, 0);
    ASSERT_TRUE (waitForProgram (grandchild, "sleep"));

    EXPECT_EQ (testing_support::countOwnChildren ("sh"), 1);
    EXPECT_EQ (testing_support::countOwnChildren ("sleep"), 0);

    ::kill (grandchild, SIGKILL);
    killAndReap (child);
}
