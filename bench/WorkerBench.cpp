// The standalone worker on an input that makes the converter print thousands of lines (a damaged
// MP3, whose decoder warns of every broken frame), against the converter alone on the same
// command line with its output read to the end. Prints the median and the range of each and
// their ratio. Needs an X display; HOME is a temporary folder of its own.
// Arguments: input [runs].

#include "BenchTiming.h"
#include "app/HID_Write_Thread.h"
#include "app/Localisation.h"
#include "app/MainContentComponent.h"
#include "app/OutputNaming.h"
#include "platform/ChildProcess.h"
#include "platform/TempFolder.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{
using bench::Clock;
using bench::secondsSince;

struct Times
{
    std::vector<double> seconds;

    [[nodiscard]] double median() const { return bench::median (seconds); }

    void print (const char* name) const
    {
        const auto [lowest, highest] = std::minmax_element (seconds.begin(), seconds.end());
        std::printf ("%-16s median %.3f s, range %.3f to %.3f s\n", name, median(), *lowest, *highest);
    }
};

/** The converter with the worker's own arguments for the input; returns its lines. */
int runConverterAlone (const juce::StringArray& arguments)
{
    platform::ChildProcess converter;

    if (! converter.start (arguments))
    {
        std::fprintf (stderr, "the converter did not start\n");
        std::exit (1);
    }

    auto lines = 0;
    std::array<char, 4096> buffer {};

    while (const auto numRead = converter.readProcessOutput (buffer.data(), (int) buffer.size()))
        lines += (int) std::count_if (buffer.begin(), buffer.begin() + numRead, [] (char c)
                                      { return c == '\n' || c == '\r'; });

    converter.waitForProcessToFinish (-1);
    return lines;
}

void runWorker (MainContentComponent& owner, const juce::File& input)
{
    conversionWorker.owner = &owner;
    conversionWorker.inputFiles = { input.getFullPathName() };
    conversionWorker.converterPath = platform::getConverterFile().getFullPathName();
    conversionWorker.startThread();

    // The message loop runs meanwhile, as in the program: the log editor is drawn.
    while (conversionWorker.isThreadRunning())
        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
}

int runBenchmark (const juce::File& input, int runs)
{
    MainContentComponent component;
    component.addToDesktop (juce::ComponentPeer::windowHasTitleBar);
    component.setVisible (true);

    const auto output = getOutputFileFor (input);
    const auto paths = HID_Write_Thread::getOutputPathsFor (input.getFullPathName());
    conversionWorker.converterPath = platform::getConverterFile().getFullPathName();
    const auto outputOptions = component.buildOptionString().upToFirstOccurrenceOf ("#", false, false);
    const auto arguments = conversionWorker.buildFfmpegArguments ({ input.getFullPathName(), paths.temporary.getFullPathName(), outputOptions, {}, "-y -v info" });
    paths.folder.createDirectory();

    Times alone, throughWorker;
    auto lines = 0;

    for (int run = 0; run < runs; ++run)
    {
        auto started = Clock::now();
        lines = runConverterAlone (arguments);
        alone.seconds.push_back (secondsSince (started));
        paths.temporary.deleteFile();

        // The worker never replaces an output.
        output.deleteFile();
        started = Clock::now();
        runWorker (component, input);
        throughWorker.seconds.push_back (secondsSince (started));

        if (! output.existsAsFile())
        {
            std::fprintf (stderr, "the worker wrote no output:\n%s", conversionWorker.workerLog.toRawUTF8());
            return 1;
        }
    }

    conversionWorker.owner = nullptr;
    paths.folder.deleteRecursively();

    std::printf ("%s: the converter prints %d lines; %d runs each\n", input.getFileName().toRawUTF8(), lines, runs);
    alone.print ("converter alone");
    throughWorker.print ("through worker");
    std::printf ("ratio of the medians: %.2f (target <= 1.25)\n", throughWorker.median() / alone.median());
    return 0;
}
} // namespace

int main (int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf (stderr, "usage: %s input [runs]\n", argv[0]);
        return 2;
    }

    const auto home = juce::File::createTempFile ("meltrow-bench-home");
    home.createDirectory();
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);

    auto result = 0;

    {
        const juce::ScopedJuceInitialiser_GUI juce;
        installTranslationTable (TranslationTable::english);
        result = runBenchmark (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]),
                               argc > 2 ? juce::jmax (1, std::atoi (argv[2])) : 5);
    }

    home.deleteRecursively();
    return result;
}
