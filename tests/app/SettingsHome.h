#pragma once

#include "app/SettingsFolder.h"
#include "support/TestSupport.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace testing_support
{

/** Sets (or, given nothing, unsets) an environment variable and puts the old value back. */
class ScopedEnvironmentVariable
{
public:
    ScopedEnvironmentVariable (const char* variableName, const std::optional<std::string>& value)
        : name (variableName)
    {
        if (const auto* old = std::getenv (variableName))
            oldValue = old;

        set (value);
    }

    ~ScopedEnvironmentVariable() { set (oldValue); }

private:
    void set (const std::optional<std::string>& value) const
    {
        if (value.has_value())
            setenv (name.c_str(), value->c_str(), 1);
        else
            unsetenv (name.c_str());
    }

    std::string name;
    std::optional<std::string> oldValue;

    JUCE_DECLARE_NON_COPYABLE (ScopedEnvironmentVariable)
};

/** A home folder of its own, so that the user's Documents folder (and the settings folder
    under it) is a fresh temporary folder; JUCE reads HOME at every look-up.
*/
class SettingsHome
{
public:
    SettingsHome()
        : homeVariable ("HOME", home.get().getFullPathName().toStdString())
    {
    }

    [[nodiscard]] juce::File getHome() const { return home.get(); }
    [[nodiscard]] juce::File getSettingsFolder() const { return home.file ("Documents/KIV/Meltrow"); }
    [[nodiscard]] juce::File getConfigFile() const { return getSettingsFolder().getChildFile ("config.json"); }

    /** What the content component does first. */
    void prepare() const { initSettingsFolder ("KIV/Meltrow", ""); }

private:
    TemporaryFolder home;
    ScopedEnvironmentVariable homeVariable;

    JUCE_DECLARE_NON_COPYABLE (SettingsHome)
};

} // namespace testing_support
