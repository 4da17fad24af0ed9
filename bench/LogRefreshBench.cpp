// The output log's refresh (the content component's 100 ms tick) when the log already holds
// 10,000 items and one more item's lines came since the last tick, as during a run over a
// large music library. Needs an X display; HOME is a temporary folder of its own.

#include "app/Localisation.h"
#include "app/MainContentComponent.h"
#include "app/OutputLogText.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

namespace
{

constexpr int logTimerId = 0;
constexpr int itemsInLog = 10000;

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

void logRefreshWithALongLog (benchmark::State& state)
{
    MainContentComponent component;
    component.addToDesktop (juce::ComponentPeer::windowHasTitleBar);
    component.setVisible (true);

    component.setLogText ({}, false);

    for (int i = 0; i < itemsInLog; ++i)
        addItem (component, i);

    component.timerCallback (logTimerId);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (200);

    auto index = itemsInLog;

    for (auto _ : state)
    {
        addItem (component, index++);

        const auto started = std::chrono::steady_clock::now();
        component.timerCallback (logTimerId);
        const auto elapsed = std::chrono::steady_clock::now() - started;
        state.SetIterationTime (std::chrono::duration<double> (elapsed).count());

        // Paints and change messages happen between ticks, as in the program.
        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
    }

    state.counters["items"] = (double) index;
    state.counters["characters"] = (double) dynamic_cast<juce::TextEditor&> (*component.getChildComponent (1)).getTotalNumChars();
}

BENCHMARK (logRefreshWithALongLog)->UseManualTime()->Unit (benchmark::kMillisecond)->Iterations (200);

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
