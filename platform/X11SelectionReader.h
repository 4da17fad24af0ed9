#pragma once

#include "platform/X11SelectionAtoms.h"

#include <juce_core/juce_core.h>

#include <optional>
#include <string>

namespace platform
{

/** What a selection owner handed over: the bytes and the type it gave them. */
struct X11SelectionData
{
    std::string bytes;
    XId type = 0;
};

/** Asks the owner of a selection for it in the given target and reads the answer whole: a
    property of any length is read in pieces by offset, and an owner that answers with INCR is
    followed piece by piece up to its empty piece.

    The requestor window must be ours, with PropertyChangeMask selected. Waits at most timeoutMs
    for each step of the owner's; returns nothing when the owner refused, vanished or stalled.
    Events of other kinds stay in Xlib's queue for the caller.
*/
[[nodiscard]] std::optional<X11SelectionData> readX11Selection (_XDisplay* display, XId requestor,
                                                                const X11SelectionAtoms& atoms,
                                                                XId selection, XId target, int timeoutMs);

/** The text of an answer: UTF-8 for UTF8_STRING and TEXT, ISO Latin-1 for STRING. */
[[nodiscard]] juce::String decodeX11SelectionText (const X11SelectionData& data, const X11SelectionAtoms& atoms);

} // namespace platform
