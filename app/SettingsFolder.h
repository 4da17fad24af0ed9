#pragma once

#include <juce_core/juce_core.h>

/** Prepares <Documents>/folder/ and remembers <Documents>/folder/subFolder as the settings folder. */
void initSettingsFolder (const juce::String& folder, const juce::String& subFolder);

/** Reads a file of the settings folder. With size > 0: reads at most size bytes into buffer and
    returns how many were read (0 when the file cannot be opened, or buffer is null). With
    size <= 0: returns the file's size (its low 32 bits). -1 when there is no such file, or a
    folder in its place.
*/
int readSettingsFile (const juce::String& name, void* buffer, int size);

/** Replaces a file of the settings folder with size bytes of data (written aside, then moved
    into place only once every byte is on disk, so neither a reader nor a failed write ever leaves
    half a file). Makes the folder again when it has gone. A symbolic link in the file's place
    stays: the file it leads to (through a chain of links too) is replaced, keeping its mode;
    false when the links go round in a circle or lead into a missing folder. True when it worked.
*/
bool writeSettingsFile (const juce::String& name, const void* data, int size);

/** The settings folder as initSettingsFolder set it (empty before). */
[[nodiscard]] juce::String getSettingsFolderPath();
