#include "platform/TextClipboard.h"

#include "platform/X11SelectionOwner.h"
#include "platform/X11SelectionReader.h"

// JUCE's X display, and Xlib's declarations through JUCE.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_gui_basics/juce_gui_basics.h>

namespace juce
{
// The window with which JUCE's own clipboard owns selections; JUCE declares it in its sources only.
extern ::Window juce_messageWindowHandle;
} // namespace juce

namespace platform
{

namespace
{

// How long a paste waits for each step of another program's answer: its first answer, and
// each piece of a large text.
constexpr int ownerTimeoutMs = 2000;

} // namespace

//==============================================================================
class TextClipboard::X11Connection
{
public:
    /** Nothing where there is no X display. */
    static std::unique_ptr<X11Connection> open()
    {
        // JUCE's connection first: making it installs the application's X error handler, and it
        // names the display to connect to.
        auto* juceDisplay = juce::XWindowSystem::getInstance()->getDisplay();

        if (juceDisplay == nullptr)
            return {};

        auto* display = XOpenDisplay (XDisplayString (juceDisplay));

        if (display == nullptr)
            return {};

        return std::make_unique<X11Connection> (display);
    }

    explicit X11Connection (Display* displayToUse)
        : display (displayToUse)
        , window (makeWindow (displayToUse))
        , atoms (displayToUse)
        , owner (displayToUse, window, atoms)
    {
        juce::LinuxEventLoop::registerFdCallback (ConnectionNumber (display), [this] (int)
                                                  { dispatchEvents(); });
    }

    ~X11Connection()
    {
        juce::LinuxEventLoop::unregisterFdCallback (ConnectionNumber (display));
        XDestroyWindow (display, window); // gives up the selections it owns
        XCloseDisplay (display);
    }

    void copyText (const juce::String& text)
    {
        owner.own (text);
        dispatchEvents();
    }

    juce::String getText()
    {
        juce::String text;

        for (const auto selection : { atoms.clipboard, atoms.primary })
        {
            text = getText (selection);

            if (text.isNotEmpty())
                break;
        }

        // Round trips above may have queued events that the connection will not announce.
        dispatchEvents();
        return text;
    }

private:
    static Window makeWindow (Display* display)
    {
        const auto window = XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, 1, 1, 0, 0, 0);
        XSelectInput (display, window, PropertyChangeMask); // for pastes that come with INCR
        return window;
    }

    juce::String getText (Atom selection)
    {
        const auto selectionOwner = XGetSelectionOwner (display, selection);

        if (selectionOwner == None)
            return {};

        if (selectionOwner == window)
            return owner.getText();

        // JUCE answers for its own window on this thread only when it is free: ask JUCE itself.
        if (selectionOwner == juce::juce_messageWindowHandle)
            return juce::SystemClipboard::getTextFromClipboard();

        const auto started = juce::Time::getMillisecondCounter();

        for (const auto target : { atoms.utf8String, atoms.string })
        {
            if (const auto data = readX11Selection (display, window, atoms, selection, target, ownerTimeoutMs))
                return decodeX11SelectionText (*data, atoms);

            // An owner that did not answer at all is not asked again.
            if (juce::Time::getMillisecondCounter() - started >= (juce::uint32) ownerTimeoutMs)
                break;
        }

        return {};
    }

    void dispatchEvents()
    {
        while (XPending (display) > 0)
        {
            XEvent event;
            XNextEvent (display, &event);
            owner.handleEvent (event);
        }
    }

    Display* display;
    Window window;
    X11SelectionAtoms atoms;
    X11SelectionOwner owner;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (X11Connection)
};

//==============================================================================
TextClipboard::TextClipboard()
    : x11 (X11Connection::open())
{
}

TextClipboard::~TextClipboard() = default;

void TextClipboard::copyText (const juce::String& text)
{
    if (x11 != nullptr)
        x11->copyText (text);
    else
        juce::SystemClipboard::copyTextToClipboard (text);
}

juce::String TextClipboard::getText()
{
    return x11 != nullptr ? x11->getText() : juce::SystemClipboard::getTextFromClipboard();
}

} // namespace platform
