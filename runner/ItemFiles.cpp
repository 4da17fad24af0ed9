#include "ItemFiles.h"

#include "platform/ExclusiveFile.h"

#include <cerrno>
#include <cstdio>

namespace
{
const juce::String partialSuffix (".partial.wav");

int makeFile (juce::File& made, const juce::File& folder, const juce::String& stem, const juce::String& suffix)
{
    const auto result = platform::createExclusiveFile (folder, stem, suffix);

    if (result.wasMade())
        made = result.file;

    return result.error;
}

void removeOwn (juce::File& file)
{
    if (file != juce::File())
        file.deleteFile();

    file = juce::File();
}
} // namespace

ItemFiles::~ItemFiles()
{
    removeAll();
}

juce::File ItemFiles::getPreferredPartialFile (const juce::File& output)
{
    if (output == juce::File())
        return {};

    const auto folder = output.getParentDirectory();
    return folder.getChildFile (platform::fitFileName ("." + output.getFileName(), partialSuffix, platform::getFileNameLimit (folder)));
}

int ItemFiles::makePartialFile (const juce::File& output)
{
    removeOwn (partialFile);
    return makeFile (partialFile, output.getParentDirectory(), "." + output.getFileName(), partialSuffix);
}

int ItemFiles::makeTemporaryFile (const juce::File& output)
{
    removeOwn (temporaryFile);
    return makeFile (temporaryFile, output.getParentDirectory(), "." + output.getFileName(), {});
}

int ItemFiles::moveTemporaryOver (const juce::File& output)
{
    if (temporaryFile == juce::File())
        return ENOENT;

    if (std::rename (temporaryFile.getFullPathName().toRawUTF8(), output.getFullPathName().toRawUTF8()) != 0)
        return errno;

    temporaryFile = juce::File();
    return 0;
}

void ItemFiles::removeAll()
{
    removeOwn (partialFile);
    removeOwn (temporaryFile);
}
