#include "RunOutputs.h"

void RunOutputs::add (const juce::File& output, const juce::String& inputPath)
{
    if (const auto identity = platform::getFileIdentity (output.getFullPathName()))
        inputsByOutput[*identity] = inputPath;
}

juce::String RunOutputs::findInputOf (const juce::File& output) const
{
    if (inputsByOutput.empty())
        return {};

    if (const auto identity = platform::getFileIdentity (output.getFullPathName()))
        if (const auto found = inputsByOutput.find (*identity); found != inputsByOutput.end())
            return found->second;

    return {};
}
