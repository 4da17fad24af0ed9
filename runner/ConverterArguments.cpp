#include "ConverterArguments.h"

juce::File fileFromPath (const juce::String& path)
{
    if (path.isEmpty())
        return {};

    if (path.startsWithChar ('/'))
        return juce::File (path);

    return juce::File (juce::File::getCurrentWorkingDirectory().getFullPathName() + "/" + path);
}

juce::String pathArgument (const juce::String& path)
{
    return path.isEmpty() || path.startsWithChar ('/') ? path : fileFromPath (path).getFullPathName();
}

void addWords (juce::StringArray& arguments, const juce::String& options)
{
    juce::StringArray words;
    words.addTokens (options, " \t\r\n", "");
    words.removeEmptyStrings();
    arguments.addArray (words);
}
