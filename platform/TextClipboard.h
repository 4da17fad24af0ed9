#pragma once

#include <juce_core/juce_core.h>

#include <memory>

namespace platform
{

/** The system clipboard's text for copy and paste, whole at any size.

    JUCE 7's Linux clipboard reads at most 400,000 bytes of another program's selection and
    does not follow INCR, so a larger paste arrives cut or empty, and it serves no text of
    1,000,000 bytes or more. On X11 this class keeps a connection of its own that reads and
    serves the selections whole; elsewhere it is juce::SystemClipboard.

    Message thread only. A copied text is served on the message thread for as long as this
    object lives and no other program takes the clipboard. A program that asks for a large text
    and closes its window before the last piece makes our next write to it fail: such X errors
    are left to the application's error handler, which JUCE installs, and which ignores them.
*/
class TextClipboard
{
public:
    TextClipboard();
    ~TextClipboard();

    /** Puts the text on the clipboard: CLIPBOARD and PRIMARY, as JUCE's own copy does. */
    void copyText (const juce::String& text);

    /** The clipboard's text (CLIPBOARD, or PRIMARY when that holds none), whole. */
    [[nodiscard]] juce::String getText();

private:
    class X11Connection;
    std::unique_ptr<X11Connection> x11;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TextClipboard)
};

} // namespace platform
