#pragma once

#include <juce_core/juce_core.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace testing_support
{

/** Sets or removes environment variables for one test and puts them back afterwards. */
class ScopedEnvironment
{
public:
    ScopedEnvironment() = default;

    ~ScopedEnvironment()
    {
        for (auto it = saved.rbegin(); it != saved.rend(); ++it)
        {
            if (it->wasSet)
                ::setenv (it->name.c_str(), it->value.c_str(), 1);
            else
                ::unsetenv (it->name.c_str());
        }
    }

    /** A null value removes the variable. */
    void set (const char* name, const char* value)
    {
        const auto* old = std::getenv (name);
        saved.push_back ({ name, old != nullptr, old != nullptr ? old : "" });

        if (value != nullptr)
            ::setenv (name, value, 1);
        else
            ::unsetenv (name);
    }

    void set (const char* name, const juce::String& value) { set (name, value.toRawUTF8()); }
    void set (const char* name, const juce::File& value) { set (name, value.getFullPathName()); }

private:
    struct Saved
    {
        std::string name;
        bool wasSet;
        std::string value;
    };

    std::vector<Saved> saved;

    JUCE_DECLARE_NON_COPYABLE (ScopedEnvironment)
};

} // namespace testing_support
