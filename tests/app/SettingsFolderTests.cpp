#include "SettingsHome.h"
#include "app/SettingsFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>

#include <sys/resource.h>

using testing_support::SettingsHome;

TEST (SettingsFolder, FirstStartCreatesTheFolderUnderDocuments)
{
    SettingsHome home;
    ASSERT_FALSE (home.getHome().getChildFile ("Documents").exists());

    home.prepare();

    EXPECT_TRUE (home.getSettingsFolder().isDirectory());
    EXPECT_EQ (getSettingsFolderPath(), home.getSettingsFolder().getFullPathName() + "/");
    EXPECT_EQ (readSettingsFile ("config.json", nullptr, -1), -1);
}

TEST (SettingsFolder, FollowsTheDocumentsFolderOfTheUserDirsFile)
{
    SettingsHome home;
    const auto documents = home.getHome().getChildFile ("Dokumente");
    ASSERT_TRUE (documents.createDirectory());
    ASSERT_TRUE (home.getHome().getChildFile (".config/user-dirs.dirs").create());
    ASSERT_TRUE (home.getHome().getChildFile (".config/user-dirs.dirs").replaceWithText ("XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"));

    home.prepare();

    EXPECT_TRUE (documents.getChildFile ("KIV/Meltrow").isDirectory());
    EXPECT_FALSE (home.getHome().getChildFile ("Documents").exists());
}

TEST (SettingsFolder, BackslashesInTheFolderNameSeparateFolders)
{
    SettingsHome home;
    initSettingsFolder ("KIV\\Meltrow", "");

    EXPECT_TRUE (home.getSettingsFolder().isDirectory());
    EXPECT_EQ (getSettingsFolderPath(), home.getSettingsFolder().getFullPathName() + "/");
}

TEST (SettingsFolder, ReadsSizesAndBytes)
{
    SettingsHome home;
    home.prepare();

    const auto file = home.getConfigFile();
    std::array<char, 32> buffer {};

    // Nothing there, then a folder in the file's place: both read as no file.
    EXPECT_EQ (readSettingsFile ("config.json", buffer.data(), (int) buffer.size()), -1);
    ASSERT_TRUE (file.createDirectory());
    EXPECT_EQ (readSettingsFile ("config.json", nullptr, -1), -1);
    EXPECT_EQ (readSettingsFile ("config.json", buffer.data(), (int) buffer.size()), -1);
    ASSERT_TRUE (file.deleteRecursively());

    ASSERT_TRUE (file.create());
    EXPECT_EQ (readSettingsFile ("config.json", nullptr, -1), 0);
    EXPECT_EQ (readSettingsFile ("config.json", nullptr, 0), 0);

    ASSERT_TRUE (file.replaceWithText ("0123456789"));
    buffer.fill ('x');
    EXPECT_EQ (readSettingsFile ("config.json", buffer.data(), -1), 10);
    EXPECT_EQ (buffer[0], 'x') << "a size query leaves the buffer alone";

    EXPECT_EQ (readSettingsFile ("config.json", buffer.data(), (int) buffer.size()), 10);
    EXPECT_EQ (std::string (buffer.data(), 10), "0123456789");

    buffer.fill ('x');
    EXPECT_EQ (readSettingsFile ("config.json", buffer.data(), 4), 4);
    EXPECT_EQ (std::string (buffer.data(), 5), "0123x");
}

TEST (SettingsFolder, WritesReplaceTheWholeFile)
{
    SettingsHome home;
    home.prepare();

    const std::string longText = "a longer first content";
    const std::string shortText = "short";

    ASSERT_TRUE (writeSettingsFile ("config.json", longText.data(), (int) longText.size()));
    EXPECT_EQ (home.getConfigFile().loadFileAsString().toStdString(), longText);

    ASSERT_TRUE (writeSettingsFile ("config.json", shortText.data(), (int) shortText.size()));
    EXPECT_EQ (home.getConfigFile().loadFileAsString().toStdString(), shortText);

    // The bytes go to a file beside it that is renamed into place; none may be left behind.
    EXPECT_EQ (home.getSettingsFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles, "*"), 1);
    EXPECT_EQ (home.getSettingsFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 1);

    ASSERT_TRUE (writeSettingsFile ("config.json", "", 0));
    EXPECT_TRUE (home.getConfigFile().existsAsFile());
    EXPECT_EQ (home.getConfigFile().getSize(), 0);
}

TEST (SettingsFolder, WritingMakesTheFolderAgainWhenItWasDeleted)
{
    SettingsHome home;
    home.prepare();
    ASSERT_TRUE (home.getHome().getChildFile ("Documents/KIV").deleteRecursively());

    const std::string text = "{}";
    EXPECT_TRUE (writeSettingsFile ("config.json", text.data(), (int) text.size()));

    EXPECT_EQ (home.getConfigFile().loadFileAsString(), "{}");
}

TEST (SettingsFolder, AWriteThatFailsPartWayLeavesTheOldFile)
{
    SettingsHome home;
    home.prepare();

    const std::string oldText = R"({"old":true})";
    ASSERT_TRUE (writeSettingsFile ("config.json", oldText.data(), (int) oldText.size()));

    // A full disk, as far as this process can tell: files may not grow past 100 bytes.
    const std::string newText (839, 'n');
    bool written = true;

    {
        const testing_support::FileSizeLimit limit (100);
        ASSERT_TRUE (limit.ok);
        written = writeSettingsFile ("config.json", newText.data(), (int) newText.size());
    }

    EXPECT_FALSE (written);
    EXPECT_EQ (home.getConfigFile().loadFileAsString().toStdString(), oldText);
    EXPECT_EQ (home.getSettingsFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 1);
}

TEST (SettingsFolder, AFolderInTheFilesPlaceStaysAndTheWriteFails)
{
    SettingsHome home;
    home.prepare();
    ASSERT_TRUE (home.getConfigFile().createDirectory());

    const std::string text = "{}";

    for (const auto size : { (int) text.size(), 0 })
    {
        EXPECT_FALSE (writeSettingsFile ("config.json", text.data(), size)) << size;
        EXPECT_TRUE (home.getConfigFile().isDirectory()) << size;
    }

    EXPECT_EQ (home.getSettingsFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 1);
}
