#pragma once

#include <juce_core/juce_core.h>

namespace platform
{

/** A folder the layer picked for us, or the reason it refused one. */
struct FolderLookup
{
    juce::File folder;
    juce::String problem; // in the user's language; empty when the folder is usable

    [[nodiscard]] bool isUsable() const noexcept { return problem.isEmpty() && folder != juce::File(); }
};

/** The user's own temporary folder.

    $TMPDIR when it is set, otherwise a folder under /tmp named after the user id, created with
    mode 0700. /tmp is shared by every user and we run a program from here, so the folder is only
    handed out when it belongs to the user and nobody else can write to it.
*/
[[nodiscard]] FolderLookup getTempFolder();

/** The folder the converter program is unpacked into and started from.

    The temporary folder, unless its file system refuses to run programs (mounted noexec); then
    a private folder under $XDG_CACHE_HOME (default ~/.cache), with the same ownership checks.
*/
[[nodiscard]] FolderLookup getConverterFolder();

/** parent/name, created with mode 0700 when it is missing, handed out only when it is a real
    folder (not a symbolic link) that belongs to the user and that nobody else can write to.
    The two lookups above make their private folders with it.
*/
[[nodiscard]] FolderLookup getPrivateFolder (const juce::File& parent, const juce::String& name);

/** A program's file name as this platform spells it: "ffmpeg" here, "ffmpeg.exe" on Windows. */
[[nodiscard]] juce::String programFileName (const juce::String& baseName);

/** The full path of the unpacked converter, or an empty path when there is no usable folder. */
[[nodiscard]] juce::File getConverterFile();

} // namespace platform
