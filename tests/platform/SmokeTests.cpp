#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

TEST (Smoke, JuceRuns)
{
    EXPECT_EQ (juce::String ("a") + "b", "ab");
}
