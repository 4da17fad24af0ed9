#pragma once

// Xlib's types stay out of the clipboard's headers: a Display is the opaque struct _XDisplay,
// windows and atoms are XIDs.

struct _XDisplay;
union _XEvent;

namespace platform
{

using XId = unsigned long;

/** The atoms of the X11 selection protocol (ICCCM, section 2), made once per connection. */
struct X11SelectionAtoms
{
    explicit X11SelectionAtoms (_XDisplay* display);

    XId clipboard, primary, targets, utf8String, string, text, incr, atom, transferProperty;
};

} // namespace platform
