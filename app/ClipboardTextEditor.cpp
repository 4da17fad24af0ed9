#include "app/ClipboardTextEditor.h"

ClipboardTextEditor::ClipboardTextEditor (const juce::String& name, platform::TextClipboard& clipboardToUse)
    : juce::TextEditor (name)
    , clipboard (clipboardToUse)
{
}

void ClipboardTextEditor::copySelection()
{
    if (getPasswordCharacter() != 0)
        return;

    const auto selected = getHighlightedText();

    if (selected.isNotEmpty())
        clipboard.copyText (selected);
}

void ClipboardTextEditor::cutSelection()
{
    if (isReadOnly())
        return;

    copySelection();
    cut();
}

void ClipboardTextEditor::pasteClipboard()
{
    if (isReadOnly())
        return;

    const auto text = clipboard.getText();

    if (text.isNotEmpty())
        insertTextAtCaret (text);
}

bool ClipboardTextEditor::keyPressed (const juce::KeyPress& key)
{
    using juce::KeyPress;
    using juce::ModifierKeys;

    // The same keys as JUCE's editor; a read-only one answers only to Ctrl+C of them.
    const auto writable = ! isReadOnly();
    const auto isCopy = key == KeyPress ('c', ModifierKeys::commandModifier, 0)
                        || (writable && key == KeyPress (KeyPress::insertKey, ModifierKeys::ctrlModifier, 0));
    const auto isCut = writable
                       && (key == KeyPress ('x', ModifierKeys::commandModifier, 0)
                           || key == KeyPress (KeyPress::deleteKey, ModifierKeys::shiftModifier, 0));
    const auto isPaste = writable
                         && (key == KeyPress ('v', ModifierKeys::commandModifier, 0)
                             || key == KeyPress (KeyPress::insertKey, ModifierKeys::shiftModifier, 0));

    if (! (isCopy || isCut || isPaste))
        return juce::TextEditor::keyPressed (key);

    newTransaction();

    if (isCopy)
        copySelection();
    else if (isCut)
        cutSelection();
    else
        pasteClipboard();

    return true;
}

void ClipboardTextEditor::performPopupMenuAction (int menuItemID)
{
    switch (menuItemID)
    {
        case juce::StandardApplicationCommandIDs::copy:
            newTransaction();
            copySelection();
            break;

        case juce::StandardApplicationCommandIDs::cut:
            newTransaction();
            cutSelection();
            break;

        case juce::StandardApplicationCommandIDs::paste:
            newTransaction();
            pasteClipboard();
            break;

        default:
            juce::TextEditor::performPopupMenuAction (menuItemID);
            break;
    }
}
