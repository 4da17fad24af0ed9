#include "ScopedEnvironment.h"
#include "platform/NativeFileChooser.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

// After GoogleTest: Xlib's macros (None, Bool) would break its headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace
{

const juce::String title ("Choose a preset file to load.");

/** A user at the chooser, on a connection of its own: once a window with the title shows, it
    gives it the keyboard and types the keys, again while the window stays (its list may not
    have been filled yet).
*/
class ChooserUser
{
public:
    explicit ChooserUser (std::vector<std::vector<const char*>> keys)
        : thread ([this, keys]
                  { run (keys); })
    {
    }

    ~ChooserUser()
    {
        done = true;
        thread.join();
    }

    std::atomic<bool> sawChooser { false };

private:
    void run (const std::vector<std::vector<const char*>>& keys)
    {
        auto* display = XOpenDisplay (nullptr);

        if (display == nullptr)
            return;

        for (auto deadline = now() + std::chrono::seconds (60); ! done && now() < deadline; pause (100))
        {
            const auto window = findChooser (display);

            if (window == 0)
                continue;

            sawChooser = true;
            pause (1500);
            XSetInputFocus (display, window, RevertToParent, CurrentTime);

            for (const auto& chord : keys)
                press (display, chord);

            XSync (display, False);

            for (int waited = 0; waited < 1500 && ! done; waited += 100)
                pause (100);
        }

        XCloseDisplay (display);
    }

    static ::Window findChooser (::Display* display)
    {
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        ::Window found = 0;

        if (XQueryTree (display, DefaultRootWindow (display), &root, &parent, &children, &count) == 0)
            return 0;

        for (unsigned int i = 0; i < count && found == 0; ++i)
        {
            XWindowAttributes attributes;

            if (XGetWindowAttributes (display, children[i], &attributes) != 0 && attributes.map_state == IsViewable
                && nameOf (display, children[i]) == title)
                found = children[i];
        }

        XFree (children);
        return found;
    }

    static juce::String nameOf (::Display* display, ::Window window)
    {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, left = 0;
        unsigned char* data = nullptr;
        juce::String name;

        if (XGetWindowProperty (display, window, XInternAtom (display, "_NET_WM_NAME", False), 0, 1024, False,
                                AnyPropertyType, &type, &format, &count, &left, &data)
                == Success
            && data != nullptr)
            name = juce::String::fromUTF8 (reinterpret_cast<const char*> (data), (int) count);

        if (data != nullptr)
            XFree (data);

        return name;
    }

    /** A chord: every key pressed in order, then released in reverse. */
    static void press (::Display* display, const std::vector<const char*>& chord)
    {
        for (auto* key : chord)
            XTestFakeKeyEvent (display, XKeysymToKeycode (display, XStringToKeysym (key)), True, CurrentTime);

        for (auto it = chord.rbegin(); it != chord.rend(); ++it)
            XTestFakeKeyEvent (display, XKeysymToKeycode (display, XStringToKeysym (*it)), False, CurrentTime);

        XSync (display, False);
        pause (200);
    }

    static std::chrono::steady_clock::time_point now() { return std::chrono::steady_clock::now(); }
    static void pause (int ms) { std::this_thread::sleep_for (std::chrono::milliseconds (ms)); }

    std::atomic<bool> done { false };
    std::thread thread;
};

const juce::StringArray extensions { ".wav", ".ogg", ".au", ".aac", ".ec3", ".caf", ".aif", ".ape", ".mp3", ".wma", ".flac" };

} // namespace

TEST (NativeFileChooser, GivesExactlyTheFilesPickedAndOffersEveryLetterCase)
{
    const testing_support::TemporaryFolder folder;
    const juce::StringArray offered { "colon:name.wav", "LOUD.WAV", "ZOOM0001.WAV", "quiet.wav", "line\nbreak.wav",
                                      " lead.mp3", juce::String::fromUTF8 (u8"çé中.Flac"), "two  blanks.aif" };

    for (const auto& name : offered)
        ASSERT_TRUE (folder.file (name).create()) << name;

    for (auto* name : { "pluck.aiff", "notes.txt", "wav" })
        ASSERT_TRUE (folder.file (name).create()) << name;

    juce::StringArray expected;

    for (const auto& name : offered)
        expected.add (folder.file (name).getFullPathName());

    expected.sort (false);

    // A locale that is not UTF-8, and one that is not installed: the names come back all the same.
    for (auto* locale : { "C", "xx_XX.UTF-8" })
    {
        testing_support::ScopedEnvironment environment;
        environment.set ("LC_ALL", locale);
        environment.set ("LC_MESSAGES", locale);
        std::optional<juce::StringArray> chosen;

        {
            const ChooserUser user ({ { "Control_L", "a" }, { "Return" } });
            chosen = platform::chooseFilesToOpen (title, extensions, folder.get());
            EXPECT_TRUE (user.sawChooser) << locale;
        }

        ASSERT_TRUE (chosen.has_value()) << locale;
        chosen->sort (false);
        EXPECT_EQ (chosen->joinIntoString ("|"), expected.joinIntoString ("|")) << locale;
    }

    // Cancelled: nothing picked.
    std::optional<juce::StringArray> chosen;

    {
        const ChooserUser user ({ { "Escape" } });
        chosen = platform::chooseFilesToOpen (title, extensions, folder.get());
    }

    ASSERT_TRUE (chosen.has_value());
    EXPECT_TRUE (chosen->isEmpty()) << chosen->joinIntoString ("|");
}

TEST (NativeFileChooser, WithoutZenityTheCallerFallsBackOnItsOwn)
{
    testing_support::ScopedEnvironment environment;
    environment.set ("PATH", "/nonexistent");

    EXPECT_FALSE (platform::chooseFilesToOpen (title, extensions, {}).has_value());
}
