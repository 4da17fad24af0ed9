#include "platform/NativeFileChooser.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <chrono>
#include <clocale>
#include <cstdlib>
#include <future>
#include <langinfo.h>
#include <locale.h>

extern char** environ;

namespace platform
{

namespace
{
// Between the picked paths. No path that zenity gives holds it: each is absolute, its folders
// joined by single slashes, and a file's path does not end with one.
const juce::String pathSeparator ("//");

juce::File findProgram (const juce::String& name)
{
    for (const auto& folder : juce::StringArray::fromTokens (juce::SystemStats::getEnvironmentVariable ("PATH", "/usr/bin:/bin"), ":", {}))
    {
        const auto candidate = juce::File::isAbsolutePath (folder) ? juce::File (folder).getChildFile (name) : juce::File();

        if (candidate.existsAsFile() && candidate.hasReadAccess())
            return candidate;
    }

    return {};
}

/** "*.[wW][aA][vV]" for ".wav": the chooser's patterns match letter case. */
juce::String makeCaseBlindPattern (const juce::String& extension)
{
    juce::String pattern ("*");

    for (auto character : extension)
    {
        const auto lower = juce::CharacterFunctions::toLowerCase (character);
        const auto upper = juce::CharacterFunctions::toUpperCase (character);

        if (lower == upper)
            pattern << juce::String::charToString (character);
        else
            pattern << "[" << juce::String::charToString (lower) << juce::String::charToString (upper) << "]";
    }

    return pattern;
}

/** The settings for env that have zenity write the paths in UTF-8.

    Under a locale that is not UTF-8 zenity turns every character outside ASCII into "?", and
    under one that is not installed the whole locale falls back to that. Where the locale works
    its other parts stay, so that zenity still speaks the user's language.
*/
juce::StringArray makeUtf8Settings()
{
    auto* locale = ::newlocale (LC_ALL_MASK, "", static_cast<locale_t> (nullptr));
    const auto works = locale != static_cast<locale_t> (nullptr);
    const auto utf8 = works && juce::String (::nl_langinfo_l (CODESET, locale)) == "UTF-8";

    if (works)
        ::freelocale (locale);

    if (utf8)
        return {};

    const auto all = juce::SystemStats::getEnvironmentVariable ("LC_ALL", {});
    juce::StringArray settings;

    // LC_ALL would hide the character set, and a part that names no installed locale would
    // spoil the rest: the locale's own name goes to LANG, where the character set can follow it.
    if (! works || all.isNotEmpty())
    {
        for (auto** variable = environ; *variable != nullptr; ++variable)
        {
            const auto name = juce::String (*variable).upToFirstOccurrenceOf ("=", false, false);

            if (name.startsWith ("LC_"))
                settings.addArray ({ "-u", name });
        }

        settings.add ("LANG=" + (works ? all : juce::String ("C.UTF-8")));
    }

    settings.add ("LC_CTYPE=C.UTF-8");
    return settings;
}

/** zenity and its arguments, behind an env that settles the character set it writes in. */
juce::StringArray makeCommand (const juce::File& zenity, const juce::String& title, const juce::StringArray& extensions,
                               const juce::File& initialFolder)
{
    juce::StringArray command { "env" };
    command.addArray (makeUtf8Settings());

    juce::StringArray shownPatterns, patterns;

    for (const auto& extension : extensions)
    {
        shownPatterns.add ("*" + extension);
        patterns.add (makeCaseBlindPattern (extension));
    }

    command.addArray ({ zenity.getFullPathName(), "--file-selection", "--multiple", "--separator=" + pathSeparator,
                        "--title=" + title, "--modal",
                        "--file-filter=" + shownPatterns.joinIntoString (" ") + " | " + patterns.joinIntoString (" ") });

    if (initialFolder.isDirectory())
        command.add ("--filename=" + juce::File::addTrailingSeparator (initialFolder.getFullPathName()));

    // Kept above our window, which it belongs to.
    if (auto* window = juce::TopLevelWindow::getActiveTopLevelWindow())
        command.add ("--attach=" + juce::String ((juce::uint64) (juce::pointer_sized_uint) window->getWindowHandle()));

    return command;
}

juce::StringArray splitAnswer (const juce::String& answer)
{
    // zenity ends its answer with one line break; any other belongs to a name.
    const auto text = answer.endsWithChar ('\n') ? answer.dropLastCharacters (1) : answer;
    juce::StringArray paths;

    for (int start = 0; start < text.length();)
    {
        auto end = text.indexOf (start, pathSeparator);

        if (end < 0)
            end = text.length();

        paths.add (text.substring (start, end));
        start = end + pathSeparator.length();
    }

    return paths;
}
} // namespace

std::optional<juce::StringArray> chooseFilesToOpen (const juce::String& title, const juce::StringArray& extensions,
                                                    const juce::File& initialFolder)
{
    const auto zenity = findProgram ("zenity");

    if (zenity == juce::File())
        return std::nullopt;

    juce::ChildProcess chooser;

    if (! chooser.start (makeCommand (zenity, title, extensions, initialFolder), juce::ChildProcess::wantStdOut))
        return std::nullopt;

    // Read aside while the message loop runs: a long answer would otherwise fill the pipe and
    // zenity would never end.
    auto answer = std::async (std::launch::async, [&chooser]
                              { return chooser.readAllProcessOutput(); });

    while (answer.wait_for (std::chrono::milliseconds (0)) != std::future_status::ready)
    {
        // The program is quitting: the chooser goes with it, and nothing was picked.
        if (! juce::MessageManager::getInstance()->runDispatchLoopUntil (20))
            chooser.kill();
    }

    const auto text = answer.get();
    chooser.waitForProcessToFinish (5000);

    if (chooser.getExitCode() != 0)
        return juce::StringArray();

    return splitAnswer (text);
}

} // namespace platform
