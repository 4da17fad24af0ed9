#include "platform/X11SelectionReader.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>

#include <vector>

namespace platform
{

namespace
{

// 256 KiB a request: a large property costs a few round trips, never one reply of many MB.
constexpr long propertyPieceLongs = 65536;

struct EventWanted
{
    int type;
    Window window;
    Atom atom; // the selection of a SelectionNotify, the property of a PropertyNotify
};

Bool isEventWanted (Display*, XEvent* event, XPointer argument)
{
    const auto& wanted = *reinterpret_cast<const EventWanted*> (argument);

    if (event->type != wanted.type)
        return False;

    if (event->type == SelectionNotify)
        return event->xselection.requestor == wanted.window && event->xselection.selection == wanted.atom;

    return event->xproperty.window == wanted.window && event->xproperty.atom == wanted.atom
           && event->xproperty.state == PropertyNewValue;
}

/** Takes the first queued event that matches, waiting on the connection up to the deadline. */
bool waitForEvent (Display* display, EventWanted wanted, XEvent& event, juce::uint32 deadlineMs)
{
    for (;;)
    {
        if (XCheckIfEvent (display, &event, isEventWanted, reinterpret_cast<XPointer> (&wanted)))
            return true;

        const auto now = juce::Time::getMillisecondCounter();

        if (now >= deadlineMs)
            return false;

        pollfd connection { ConnectionNumber (display), POLLIN, 0 };
        poll (&connection, 1, (int) (deadlineMs - now));
    }
}

/** Drops the property-change events of our transfer property still queued from before. */
void discardQueuedPropertyEvents (Display* display, Window window, Atom property)
{
    XEvent event;
    EventWanted wanted { PropertyNotify, window, property };

    while (XCheckIfEvent (display, &event, isEventWanted, reinterpret_cast<XPointer> (&wanted)))
    {
    }
}

/** Reads a property whole, in pieces, and deletes it. Nothing when there is no such property. */
std::optional<X11SelectionData> takeProperty (Display* display, Window window, Atom property)
{
    X11SelectionData data;
    long offset = 0;

    for (;;)
    {
        Atom type = None;
        int format = 0;
        unsigned long items = 0, bytesAfter = 0;
        unsigned char* values = nullptr;

        if (XGetWindowProperty (display, window, property, offset, propertyPieceLongs, False, AnyPropertyType,
                                &type, &format, &items, &bytesAfter, &values)
            != Success)
            return std::nullopt;

        if (type == None)
        {
            if (values != nullptr)
                XFree (values);

            return std::nullopt;
        }

        // Xlib hands 32-bit items over as longs.
        const auto itemBytes = format == 32 ? sizeof (long) : format == 16 ? sizeof (short)
                                                                           : 1;

        if (values != nullptr)
        {
            data.bytes.append (reinterpret_cast<const char*> (values), items * itemBytes);
            XFree (values);
        }

        data.type = type;

        if (bytesAfter == 0)
            break;

        offset += (long) (items * (unsigned long) format / 32);
    }

    XDeleteProperty (display, window, property);
    return data;
}

} // namespace

std::optional<X11SelectionData> readX11Selection (_XDisplay* display, XId requestor, const X11SelectionAtoms& atoms,
                                                  XId selection, XId target, int timeoutMs)
{
    const auto property = atoms.transferProperty;
    XDeleteProperty (display, requestor, property);
    XConvertSelection (display, selection, target, property, requestor, CurrentTime);
    XFlush (display);

    XEvent event;

    if (! waitForEvent (display, { SelectionNotify, requestor, selection }, event,
                        juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs))
        return std::nullopt;

    if (event.xselection.property == None)
        return std::nullopt; // refused in this target

    // The owner's writes of the property came before its answer: their events are old news.
    discardQueuedPropertyEvents (display, requestor, property);
    auto answer = takeProperty (display, requestor, property);

    if (! answer.has_value() || answer->type != atoms.incr)
        return answer;

    // INCR: deleting the property (done by takeProperty) asks for the next piece; an empty
    // piece ends the transfer.
    X11SelectionData whole;

    for (;;)
    {
        if (! waitForEvent (display, { PropertyNotify, requestor, property }, event,
                            juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs))
            return std::nullopt;

        auto piece = takeProperty (display, requestor, property);

        if (! piece.has_value())
            continue; // a write that we had taken already

        if (piece->bytes.empty())
            return whole;

        whole.bytes += piece->bytes;
        whole.type = piece->type;
    }
}

juce::String decodeX11SelectionText (const X11SelectionData& data, const X11SelectionAtoms& atoms)
{
    if (data.type == atoms.string)
    {
        std::vector<juce::juce_wchar> characters (data.bytes.begin(), data.bytes.end());

        for (auto& c : characters)
            c &= 0xff; // Latin-1: each byte is its own code point

        characters.push_back (0);
        return juce::String (juce::CharPointer_UTF32 (characters.data()));
    }

    return juce::String::fromUTF8 (data.bytes.data(), (int) data.bytes.size());
}

} // namespace platform
