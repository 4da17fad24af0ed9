#include "RunOutputs.h"

void RunOutputs::startRun (const juce::StringArray& inputPaths)
{
    inputs.clear();
    inputsByOutput.clear();

    const auto files = platform::findFilesOnDisk (inputPaths);

    for (size_t i = 0; i < files.size(); ++i)
        if (files[i])
            inputs.emplace (*files[i], inputPaths[(int) i]); // of two paths to one file, the first is named
}

void RunOutputs::add (const juce::File& output, const juce::String& inputPath)
{
    if (const auto written = platform::findFileOnDisk (output.getFullPathName()))
        inputsByOutput[*written] = { inputPath, platform::findFileOnDisk (inputPath) };
}

juce::String RunOutputs::findInputAt (const juce::File& output) const
{
    if (inputs.empty())
        return {};

    if (const auto file = platform::findFileOnDisk (output.getFullPathName()))
        if (const auto found = inputs.find (*file); found != inputs.end())
            return found->second;

    return {};
}

juce::String RunOutputs::findOtherInputOf (const juce::File& output, const juce::String& inputPath) const
{
    if (inputsByOutput.empty())
        return {};

    const auto file = platform::findFileOnDisk (output.getFullPathName());

    if (! file)
        return {};

    const auto found = inputsByOutput.find (*file);

    if (found == inputsByOutput.end())
        return {};

    const auto& earlier = found->second;

    if (inputPath == earlier.inputPath || (earlier.input && earlier.input == platform::findFileOnDisk (inputPath)))
        return {};

    return earlier.inputPath;
}
