#pragma once

#include <juce_core/juce_core.h>

/** The hidden files one conversion writes beside its output: the converter's partial file and
    the rewrite's temporary file. Both are made here, exclusively, so that neither can ever be
    a file that was there before (an earlier output, an input, anyone's file); and they are the
    only files an item's clean-up removes. Their names fit the file system however long the
    output's own name is.
*/
class ItemFiles
{
public:
    ItemFiles() = default;

    /** Removes what it still holds. */
    ~ItemFiles();

    /** Where the converter's partial file goes when that name is free: "." + the output's name
        + ".partial.wav" (the converter picks the format by the ending), cut short to fit.
    */
    [[nodiscard]] static juce::File getPreferredPartialFile (const juce::File& output);

    /** Makes the (empty) partial file beside the output. 0, or the errno of the failure. */
    [[nodiscard]] int makePartialFile (const juce::File& output);

    /** Makes the (empty) temporary file of the rewrite beside the output: "." + the output's
        name when that is free. 0, or the errno of the failure.
    */
    [[nodiscard]] int makeTemporaryFile (const juce::File& output);

    [[nodiscard]] const juce::File& getPartialFile() const noexcept { return partialFile; }
    [[nodiscard]] const juce::File& getTemporaryFile() const noexcept { return temporaryFile; }

    /** Renames the temporary file over the output in one step, so that the output's name
        shows either the file that was there or the complete new one. From then on the file is
        the output, no longer ours to remove. 0, or the errno of the failure.
    */
    [[nodiscard]] int moveTemporaryOver (const juce::File& output);

    /** Removes the files made here that are still ours, and forgets them. */
    void removeAll();

private:
    juce::File partialFile;
    juce::File temporaryFile;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ItemFiles)
};
