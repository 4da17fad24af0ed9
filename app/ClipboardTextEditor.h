#pragma once

#include "platform/TextClipboard.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** A text editor whose copy, cut and paste, by key and by its menu, go through the platform's
    clipboard, so that a paste of any size arrives whole.

    JUCE's editor reaches the system clipboard through copy and paste functions that are not
    virtual, so the keys and menu items that call them are taken here instead.
*/
class ClipboardTextEditor : public juce::TextEditor
{
public:
    ClipboardTextEditor (const juce::String& name, platform::TextClipboard& clipboardToUse);

    /** Puts the selected text on the clipboard; an empty selection leaves the clipboard as it was. */
    void copySelection();

    /** Copies the selection, then removes it. Nothing in a read-only editor. */
    void cutSelection();

    /** Puts the clipboard's text in place of the selection. Nothing in a read-only editor. */
    void pasteClipboard();

    bool keyPressed (const juce::KeyPress& key) override;
    void performPopupMenuAction (int menuItemID) override;

private:
    platform::TextClipboard& clipboard;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ClipboardTextEditor)
};
