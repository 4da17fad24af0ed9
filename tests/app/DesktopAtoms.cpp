// A bare X server (Xvfb without a window manager) lacks atoms that every desktop session has
// (WM_PROTOCOLS, WM_DELETE_WINDOW, CLIPBOARD, the _NET_ ones), and JUCE then asks with atom 0. The server
// answers with an error, which ends a program unless it has an X error handler; JUCE installs
// one only in an application, not in a test program. Make the window-manager atoms before JUCE
// connects, keep the connection so that the server does not reset and forget them, and ignore
// X errors as the application does.

#include <X11/Xlib.h>

#include <initializer_list>

namespace
{

int ignoreXError (Display*, XErrorEvent*)
{
    return 0;
}

struct DesktopAtoms
{
    DesktopAtoms()
    {
        XSetErrorHandler (ignoreXError);
        display = XOpenDisplay (nullptr);

        if (display == nullptr)
            return;

        for (const auto* name : { "WM_PROTOCOLS", "WM_DELETE_WINDOW", "WM_TAKE_FOCUS", "WM_STATE", "WM_CHANGE_STATE",
                                  "CLIPBOARD", "TARGETS", "UTF8_STRING", "_NET_WM_PING", "_NET_WM_STATE",
                                  "_NET_WM_STATE_HIDDEN", "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_NORMAL" })
            XInternAtom (display, name, False);

        XSync (display, False);
    }

    ~DesktopAtoms()
    {
        if (display != nullptr)
            XCloseDisplay (display);
    }

    Display* display = nullptr;
};

const DesktopAtoms desktopAtoms;

} // namespace
