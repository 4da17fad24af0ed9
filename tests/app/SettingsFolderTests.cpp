#include "SettingsHome.h"
#include "app/SettingsFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <utility>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST (SettingsFolder, AWriteThroughLinksGoesToTheFileAtTheirEndAndTheLinksStay)
{
    struct Case
    {
        const char* name;
        const char* documentsLink; // Documents as a link to this folder of the home, when given
        std::vector<std::pair<const char*, const char*>> links; // (link, its target), the first one config.json's
        const char* target; // where the text must land, from the home; nullptr: nowhere
    };

    const Case cases[] {
        { "absolute", nullptr, { { "Documents/KIV/Meltrow/config.json", "@/dotfiles/config.json" } }, "dotfiles/config.json" },
        { "relative", nullptr, { { "Documents/KIV/Meltrow/config.json", "../../../dotfiles/config.json" } }, "dotfiles/config.json" },
        // ".." counts from the real folder the link is in, as the system reads it.
        { "relative in a linked folder", "data/docs", { { "Documents/KIV/Meltrow/config.json", "../../../dotfiles/config.json" } }, "data/dotfiles/config.json" },
        { "chain", nullptr, { { "Documents/KIV/Meltrow/config.json", "@/links/middle.json" }, { "links/middle.json", "../dotfiles/config.json" } }, "dotfiles/config.json" },
        { "dangling", nullptr, { { "Documents/KIV/Meltrow/config.json", "../../../dotfiles/new.json" } }, "dotfiles/new.json" },
        { "into a missing folder", nullptr, { { "Documents/KIV/Meltrow/config.json", "../../../unmounted/config.json" } }, nullptr },
        { "loop", nullptr, { { "Documents/KIV/Meltrow/config.json", "other.json" }, { "Documents/KIV/Meltrow/other.json", "config.json" } }, nullptr },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        SettingsHome home;
        const auto homePath = home.getHome().getFullPathName();
        ASSERT_TRUE (home.getHome().getChildFile ("dotfiles").createDirectory());
        ASSERT_TRUE (home.getHome().getChildFile ("links").createDirectory());

        if (c.documentsLink != nullptr)
        {
            ASSERT_TRUE (home.getHome().getChildFile (c.documentsLink).createDirectory());
            ASSERT_TRUE (home.getHome().getChildFile (c.documentsLink).getSiblingFile ("dotfiles").createDirectory());
            ASSERT_TRUE (home.getHome().getChildFile (c.documentsLink).createSymbolicLink (home.getHome().getChildFile ("Documents"), false));
        }

        home.prepare();

        for (const auto& [link, target] : c.links)
        {
            const auto targetText = juce::String (target).replace ("@", homePath);
            ASSERT_EQ (::symlink (targetText.toRawUTF8(), home.getHome().getChildFile (link).getFullPathName().toRawUTF8()), 0);
        }

        const auto targetFile = c.target != nullptr ? home.getHome().getChildFile (c.target) : juce::File();

        if (targetFile.getParentDirectory().isDirectory() && juce::String (c.name) != "dangling")
        {
            ASSERT_TRUE (targetFile.replaceWithText ("old choices"));
            ASSERT_EQ (::chmod (targetFile.getFullPathName().toRawUTF8(), 0600), 0);
        }

        const std::string text = R"({"new":"choices"})";
        EXPECT_EQ (writeSettingsFile ("config.json", text.data(), (int) text.size()), c.target != nullptr);

        EXPECT_TRUE (home.getConfigFile().isSymbolicLink()) << "the link stays a link";

        if (c.target != nullptr)
        {
            EXPECT_EQ (targetFile.loadFileAsString().toStdString(), text);
            EXPECT_EQ (home.getConfigFile().loadFileAsString().toStdString(), text) << "read through the link, too";
            EXPECT_EQ (readSettingsFile ("config.json", nullptr, -1), (int) text.size());

            struct stat info
            {
            };
            ASSERT_EQ (::stat (targetFile.getFullPathName().toRawUTF8(), &info), 0);

            if (juce::String (c.name) != "dangling")
            {
                EXPECT_EQ (info.st_mode & 0777, 0600u) << "the file keeps who may read it";
            }

            // Nothing left beside the target but what was there.
            EXPECT_EQ (targetFile.getParentDirectory().getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 1);
        }
        else
        {
            EXPECT_EQ (home.getSettingsFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), (int) c.links.size());
            EXPECT_FALSE (home.getHome().getChildFile ("unmounted").exists()) << "no folder is made at the end of a link";
        }
    }
}
