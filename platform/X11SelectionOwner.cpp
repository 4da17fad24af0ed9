#include "platform/X11SelectionOwner.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <utility>

namespace platform
{

namespace
{

// A requestor that stops taking pieces (it crashed, or never meant to read them all) is
// forgotten after this long.
constexpr juce::uint32 staleTransferMs = 30000;

} // namespace

X11SelectionOwner::X11SelectionOwner (_XDisplay* displayToUse, XId windowToUse, const X11SelectionAtoms& atomsToUse)
    : display (displayToUse)
    , window (windowToUse)
    , atoms (atomsToUse)
    // What fits into one plain request with its header: more goes out with INCR.
    , pieceBytes ((size_t) XMaxRequestSize (displayToUse) * 4 - 100)
{
}

bool X11SelectionOwner::own (const juce::String& newText)
{
    text = newText;
    utf8 = std::make_shared<const std::string> (newText.toStdString());
    latin1.reset();

    XSetSelectionOwner (display, atoms.clipboard, window, CurrentTime);
    XSetSelectionOwner (display, atoms.primary, window, CurrentTime);
    updateOwnership();
    return ownsClipboard;
}

void X11SelectionOwner::updateOwnership()
{
    ownsClipboard = XGetSelectionOwner (display, atoms.clipboard) == window;
    ownsPrimary = XGetSelectionOwner (display, atoms.primary) == window;

    // Transfers under way keep the bytes they serve.
    if (! ownsClipboard && ! ownsPrimary)
    {
        text.clear();
        utf8.reset();
        latin1.reset();
    }
}

bool X11SelectionOwner::owns (XId selection) const noexcept
{
    return (selection == atoms.clipboard && ownsClipboard) || (selection == atoms.primary && ownsPrimary);
}

void X11SelectionOwner::handleEvent (_XEvent& event)
{
    switch (event.type)
    {
        case SelectionRequest:
            if (event.xselectionrequest.owner == window)
                answerRequest (event);
            break;

        case SelectionClear:
            if (event.xselectionclear.window == window)
            {
                // The event may be older than our latest copy: ask who owns it now.
                updateOwnership();
            }
            break;

        case PropertyNotify:
            if (event.xproperty.state == PropertyDelete)
                continueTransfer (event.xproperty.window, event.xproperty.atom);
            break;

        case DestroyNotify:
            dropTransfers (event.xdestroywindow.window, None);
            break;

        default:
            break;
    }

    dropStaleTransfers();
}

void X11SelectionOwner::answerRequest (const _XEvent& event)
{
    const auto& request = event.xselectionrequest;

    XEvent reply {};
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = display;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = None; // refused

    // A client of the old protocol names no property: the target is its name then.
    const auto property = request.property != None ? request.property : request.target;

    if (owns (request.selection))
    {
        if (request.target == atoms.targets)
        {
            const long offered[] = { (long) atoms.targets, (long) atoms.utf8String, (long) atoms.text, (long) atoms.string };
            XChangeProperty (display, request.requestor, property, atoms.atom, 32, PropModeReplace,
                             reinterpret_cast<const unsigned char*> (offered), (int) std::size (offered));
            reply.xselection.property = property;
        }
        else if (const auto bytes = getBytesFor (request.target))
        {
            const auto type = request.target == atoms.string ? atoms.string : atoms.utf8String;

            if (putText (request.requestor, property, type, bytes))
                reply.xselection.property = property;
        }
    }

    XSendEvent (display, request.requestor, False, NoEventMask, &reply);
    XFlush (display);
}

bool X11SelectionOwner::putText (XId requestor, XId property, XId type, const Bytes& bytes)
{
    // A new request for the same property replaces a transfer that did not finish.
    dropTransfers (requestor, property);

    if (bytes->size() <= pieceBytes)
    {
        XChangeProperty (display, requestor, property, type, 8, PropModeReplace,
                         reinterpret_cast<const unsigned char*> (bytes->data()), (int) bytes->size());
        return true;
    }

    // INCR: the requestor deletes the property each time it has read it; every deletion is
    // answered with the next piece.
    XSelectInput (display, requestor, PropertyChangeMask | StructureNotifyMask);
    const long totalBytes = (long) bytes->size();
    XChangeProperty (display, requestor, property, atoms.incr, 32, PropModeReplace,
                     reinterpret_cast<const unsigned char*> (&totalBytes), 1);
    transfers.push_back ({ requestor, property, type, bytes, 0, juce::Time::getMillisecondCounter() });
    return true;
}

void X11SelectionOwner::continueTransfer (XId requestor, XId property)
{
    const auto found = std::find_if (transfers.begin(), transfers.end(), [&] (const Transfer& t)
                                     { return t.requestor == requestor && t.property == property; });

    if (found == transfers.end())
        return;

    // After the last piece comes an empty one, which ends the transfer.
    const auto piece = std::min (pieceBytes, found->bytes->size() - found->sent);
    XChangeProperty (display, requestor, property, found->type, 8, PropModeReplace,
                     reinterpret_cast<const unsigned char*> (found->bytes->data() + found->sent), (int) piece);
    XFlush (display);

    if (piece == 0)
    {
        dropTransfers (requestor, property);
        return;
    }

    found->sent += piece;
    found->lastActivityMs = juce::Time::getMillisecondCounter();
}

void X11SelectionOwner::dropTransfers (XId requestor, XId property)
{
    const auto matches = [&] (const Transfer& t)
    { return t.requestor == requestor && (property == None || t.property == property); };

    const auto before = transfers.size();
    transfers.erase (std::remove_if (transfers.begin(), transfers.end(), matches), transfers.end());

    const auto stillServed = std::any_of (transfers.begin(), transfers.end(), [&] (const Transfer& t)
                                          { return t.requestor == requestor; });

    if (transfers.size() != before && ! stillServed)
        XSelectInput (display, requestor, NoEventMask);
}

void X11SelectionOwner::dropStaleTransfers()
{
    const auto now = juce::Time::getMillisecondCounter();
    std::vector<std::pair<XId, XId>> stale;

    for (const auto& t : transfers)
        if (now - t.lastActivityMs > staleTransferMs)
            stale.emplace_back (t.requestor, t.property);

    for (const auto& [requestor, property] : stale)
        dropTransfers (requestor, property);
}

X11SelectionOwner::Bytes X11SelectionOwner::getBytesFor (XId target)
{
    if (target == atoms.utf8String || target == atoms.text)
        return utf8;

    if (target != atoms.string || utf8 == nullptr)
        return nullptr;

    if (latin1 == nullptr)
    {
        // STRING is ISO Latin-1: what it cannot hold becomes "?".
        std::string bytes;
        bytes.reserve ((size_t) text.length());

        for (auto c : text)
            bytes.push_back (c < 0x100 ? (char) c : '?');

        latin1 = std::make_shared<const std::string> (std::move (bytes));
    }

    return latin1;
}

} // namespace platform
