// The output log when it already holds many items, as during a run over a large music library:
// - logRefresh: one refresh of the log editor when one more item's lines came since the last
//   (its manual time), and the runner's cost of adding that item to the log text (append_us);
// - logPaint: one paint of the log editor, scrolled to its end as during a run;
// - logPaintSelected: the same with the whole log selected, as after Shift+Ctrl+End from its top.
// Each reports the time it took to build the log (setup_s). The argument is the number of
// items: --benchmark_filter=/50000 picks one size. Needs an X display; HOME is a temporary
// folder of its own.

#include "app/Localisation.h"
#include "app/MainContentComponent.h"
#include "app/OutputLogText.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

namespace
{

using Clock = std::chrono::steady_clock;

double secondsSince (Clock::time_point started)
{
    return std::chrono::duration<double> (Clock::now() - started).count();
}

/** An item's paths as a music library has them: 171 characters of log per item. */
ProgressRecord makeItem (int index)
{
    const juce::String folder = "/home/someone/Music/Some Artist/Some Album/";
    const auto name = juce::String (index % 100).paddedLeft ('0', 2) + " Track Title";

    ProgressRecord item;
    item.inputPath = folder + name + ".flac";
    item.outputPath = folder + "KIV_Wav/" + name + ".wav";
    return item;
}

void addItem (MainContentComponent& component, int index)
{
    component.setLogText (makeItemStartLogText (makeItem (index)), true);
    component.setLogText (makeItemEndLogText (ItemOutcome::converted, {}), true);
}

/** The content component on the desktop with a log of so many items, shown in its editor. */
struct LongLog
{
    explicit LongLog (int items)
        : itemsAdded (items)
    {
        component.addToDesktop (juce::ComponentPeer::windowHasTitleBar);
        component.setVisible (true);

        const auto started = Clock::now();
        component.setLogText ({}, false);

        for (int i = 0; i < items; ++i)
            addItem (component, i);

        component.refreshLogEditor();
        setupSeconds = secondsSince (started);
        juce::MessageManager::getInstance()->runDispatchLoopUntil (200);
    }

    juce::TextEditor& editor() const { return dynamic_cast<juce::TextEditor&> (*component.getChildComponent (1)); }

    void report (benchmark::State& state) const
    {
        state.counters["items"] = (double) itemsAdded;
        state.counters["characters"] = (double) editor().getTotalNumChars();
        state.counters["setup_s"] = setupSeconds;
    }

    MainContentComponent component;
    int itemsAdded;
    double setupSeconds = 0.0;
};

void logRefresh (benchmark::State& state)
{
    LongLog log ((int) state.range (0));
    double appendSeconds = 0.0;

    for (auto _ : state)
    {
        const auto appendStarted = Clock::now();
        addItem (log.component, log.itemsAdded++);
        appendSeconds += secondsSince (appendStarted);

        const auto started = Clock::now();
        log.component.refreshLogEditor();
        state.SetIterationTime (secondsSince (started));

        // Paints and change messages happen between refreshes, as in the program.
        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
    }

    log.report (state);
    state.counters["append_us"] = appendSeconds * 1.0e6 / (double) state.iterations();
}

void logPaint (benchmark::State& state)
{
    LongLog log ((int) state.range (0));
    auto& editor = log.editor();

    for (auto _ : state)
    {
        const auto started = Clock::now();
        benchmark::DoNotOptimize (editor.createComponentSnapshot (editor.getLocalBounds()));
        state.SetIterationTime (secondsSince (started));
    }

    log.report (state);
}

void logPaintSelected (benchmark::State& state)
{
    LongLog log ((int) state.range (0));
    auto& editor = log.editor();
    editor.moveCaretToTop (false);
    editor.moveCaretToEnd (true);

    for (auto _ : state)
    {
        const auto started = Clock::now();
        benchmark::DoNotOptimize (editor.createComponentSnapshot (editor.getLocalBounds()));
        state.SetIterationTime (secondsSince (started));
    }

    log.report (state);
}

BENCHMARK (logRefresh)->Arg (10000)->Arg (50000)->UseManualTime()->Unit (benchmark::kMillisecond)->Iterations (50);
BENCHMARK (logPaint)->Arg (10000)->Arg (50000)->UseManualTime()->Unit (benchmark::kMillisecond)->Iterations (20);
BENCHMARK (logPaintSelected)->Arg (1000)->Arg (10000)->Arg (50000)->UseManualTime()->Unit (benchmark::kMillisecond)->Iterations (20);

} // namespace

int main (int argc, char** argv)
{
    const auto home = juce::File::createTempFile ("meltrow-bench-home");
    home.createDirectory();
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);

    {
        const juce::ScopedJuceInitialiser_GUI juce;
        installTranslationTable (TranslationTable::english);

        benchmark::Initialize (&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }

    home.deleteRecursively();
    return 0;
}
