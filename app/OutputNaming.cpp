#include "app/OutputNaming.h"

juce::File getOutputFolderFor (const juce::File& input)
{
    return input.getParentDirectory().getChildFile ("KIV_Wav");
}

juce::File getOutputFileFor (const juce::File& input)
{
    const auto path = input.getFullPathName();
    const auto nameStart = path.lastIndexOfChar (juce::File::getSeparatorChar()) + 1;
    const auto lastDot = path.lastIndexOfChar ('.');
    const auto name = lastDot > nameStart ? path.substring (nameStart, lastDot) : path.substring (nameStart);

    return getOutputFolderFor (input).getChildFile (name + ".wav");
}
