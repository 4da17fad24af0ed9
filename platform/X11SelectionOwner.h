#pragma once

#include "platform/X11SelectionAtoms.h"

#include <juce_core/juce_core.h>

#include <memory>
#include <string>
#include <vector>

namespace platform
{

/** Serves one text as CLIPBOARD and PRIMARY from a window of ours, in the targets UTF8_STRING,
    TEXT and STRING (and TARGETS, which names them).

    A text longer than one plain X request goes out with INCR, piece by piece as the requestor
    takes them. Several requestors may be served at once, and each gets the text it asked for
    even when a newer copy replaces it meanwhile.

    Requests to a requestor's window fail when that window has gone away meanwhile: the
    connection needs an X error handler that ignores such errors.
*/
class X11SelectionOwner
{
public:
    X11SelectionOwner (_XDisplay* display, XId window, const X11SelectionAtoms& atoms);

    /** Takes both selections for the text. False when the server did not make us CLIPBOARD's owner. */
    bool own (const juce::String& newText);

    /** The text while we own CLIPBOARD or PRIMARY; empty once both went to others. */
    [[nodiscard]] const juce::String& getText() const noexcept { return text; }

    [[nodiscard]] bool owns (XId selection) const noexcept;

    /** Acts on an event of the connection: a request, a selection taken by another program, a
        requestor's property deleted or its window destroyed. Other events are ignored.
    */
    void handleEvent (_XEvent& event);

private:
    using Bytes = std::shared_ptr<const std::string>;

    struct Transfer
    {
        XId requestor = 0, property = 0, type = 0;
        Bytes bytes;
        size_t sent = 0;
        juce::uint32 lastActivityMs = 0;
    };

    /** Asks the server which selections are ours; the text goes once neither is. */
    void updateOwnership();
    void answerRequest (const _XEvent& request);
    [[nodiscard]] bool putText (XId requestor, XId property, XId type, const Bytes& bytes);
    void continueTransfer (XId requestor, XId property);
    void dropTransfers (XId requestor, XId property);
    void dropStaleTransfers();
    [[nodiscard]] Bytes getBytesFor (XId target);

    _XDisplay* display;
    XId window;
    const X11SelectionAtoms& atoms;
    size_t pieceBytes;

    juce::String text;
    Bytes utf8, latin1;
    bool ownsClipboard = false, ownsPrimary = false;
    std::vector<Transfer> transfers;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (X11SelectionOwner)
};

} // namespace platform
