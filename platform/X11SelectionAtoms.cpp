#include "platform/X11SelectionAtoms.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace platform
{

X11SelectionAtoms::X11SelectionAtoms (_XDisplay* display)
    : clipboard (XInternAtom (display, "CLIPBOARD", False))
    , primary (XA_PRIMARY)
    , targets (XInternAtom (display, "TARGETS", False))
    , utf8String (XInternAtom (display, "UTF8_STRING", False))
    , string (XA_STRING)
    , text (XInternAtom (display, "TEXT", False))
    , incr (XInternAtom (display, "INCR", False))
    , atom (XA_ATOM)
    , transferProperty (XInternAtom (display, "MELTROW_SELECTION", False))
{
}

} // namespace platform
