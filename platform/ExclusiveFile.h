#pragma once

#include <juce_core/juce_core.h>

namespace platform
{

/** The longest file name, in bytes, that the folder's file system takes (255 on most). */
[[nodiscard]] int getFileNameLimit (const juce::File& folder);

/** stem followed by suffix, the stem cut short (never inside a letter) so that the whole name
    takes at most limitBytes bytes of UTF-8.
*/
[[nodiscard]] juce::String fitFileName (const juce::String& stem, const juce::String& suffix, int limitBytes);

/** A file that this program has just made, or why it could not. */
struct NewFile
{
    juce::File file;
    int error = 0; // the errno of the failure

    [[nodiscard]] bool wasMade() const noexcept { return error == 0; }
};

/** Makes a new, empty file in the folder, exclusively: never a file, folder or link that is
    already there, whoever made it. Its name is stem + suffix when that is free, otherwise stem,
    a dot and a few random letters, then suffix; the stem is cut short wherever the name would
    be too long for the file system. The file gets the permissions a program's new file has
    (0666 less the umask), like every output the converter writes.
*/
[[nodiscard]] NewFile createExclusiveFile (const juce::File& folder, const juce::String& stem, const juce::String& suffix);

} // namespace platform
