#pragma once

#include <juce_core/juce_core.h>

#include <optional>

namespace platform
{

/** Lets the user pick files to open with the desktop's own chooser (zenity), modally: the
    message loop goes on meanwhile, and the call returns when the chooser has closed.

    The framework's chooser falls short here. It runs zenity with ":" between the picked paths,
    so a ":" in a name splits it in two; its filter matches letter case, so LOUD.WAV is not
    offered for *.wav; and it moves the whole program into the home folder while it runs.

    Offers the files whose names end with one of the extensions (".wav", ...) in any letter
    case, and opens in initialFolder. Returns the full paths picked, exactly as they are on
    disk, none when the user cancelled; and nothing at all when there is no zenity here, for
    the caller to fall back on the framework's own chooser.
*/
[[nodiscard]] std::optional<juce::StringArray> chooseFilesToOpen (const juce::String& title,
                                                                  const juce::StringArray& extensions,
                                                                  const juce::File& initialFolder);

} // namespace platform
