// Every program of these tests runs with a home, Documents and temporary folder of its own, set
// before main so that nothing (the converter's folder, the settings folder) has resolved them.

#include <cstdlib>
#include <filesystem>
#include <string>

#include <sys/stat.h>

namespace
{

struct IsolatedUserFolders
{
    IsolatedUserFolders()
    {
        std::string pattern = "/tmp/meltrow-app-tests-XXXXXX";

        if (mkdtemp (pattern.data()) == nullptr)
            std::abort();

        root = pattern;
        const auto home = root + "/home";
        const auto temporary = root + "/tmp";

        for (const auto& folder : { home, home + "/Documents", temporary })
            mkdir (folder.c_str(), 0700);

        setenv ("HOME", home.c_str(), 1);
        setenv ("XDG_DOCUMENTS_DIR", (home + "/Documents").c_str(), 1);
        setenv ("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
        setenv ("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
        setenv ("TMPDIR", temporary.c_str(), 1);
    }

    ~IsolatedUserFolders()
    {
        std::error_code ignored;
        std::filesystem::remove_all (root, ignored);
    }

    std::string root;
};

const IsolatedUserFolders isolatedUserFolders;

} // namespace
