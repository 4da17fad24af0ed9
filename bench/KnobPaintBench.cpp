// Painting a 100 x 100 part of an image knob, as a window repaints part of itself (a value
// popup closing over it, a neighbour redrawn), for knobs of 64, 500 and 2000 px: the knob with
// its drop shadow, and a plain slider drawn by the same look-and-feel, without a shadow.

#include "tests/widgets/WidgetTestSupport.h"
#include "widgets/ImageKnob.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{

constexpr int clipSize = 100;

const std::vector<juce::MemoryBlock>& encodedFrames()
{
    static const auto frames = widget_tests::makeKnobFramePngs (256);
    return frames;
}

juce::Array<juce::ImageKnob::FrameData> frameList()
{
    juce::Array<juce::ImageKnob::FrameData> frames;

    for (const auto& block : encodedFrames())
        frames.add ({ block.getData(), (int) block.getSize() });

    return frames;
}

// The middle of the knob, or all of it when it is smaller than the clip.
void paintClip (benchmark::State& state, juce::Slider& slider)
{
    const auto size = (int) state.range (0);
    slider.setBounds (0, 0, size, size);
    slider.setValue (3.0, juce::dontSendNotification);

    const auto clip = juce::Rectangle<int> (clipSize, clipSize).withCentre ({ size / 2, size / 2 }).getIntersection (slider.getLocalBounds());
    juce::Image window (juce::Image::RGB, clipSize, clipSize, true);

    for (auto _ : state)
    {
        juce::Graphics g (window);
        g.setOrigin (-clip.getPosition());
        g.reduceClipRegion (clip);
        slider.paintEntireComponent (g, false);
        benchmark::DoNotOptimize (window.getPixelAt (clipSize / 2, clipSize / 2));
    }

    state.counters["clip pixels"] = (double) clip.getWidth() * clip.getHeight();
}

void knobWithShadow (benchmark::State& state)
{
    juce::ImageKnob knob;
    knob.setFrames (frameList());
    paintClip (state, knob);
}

void sliderWithoutShadow (benchmark::State& state)
{
    juce::ImageKnob::LookAndFeelLocal lookAndFeel;
    lookAndFeel.setFrames (frameList());
    juce::Slider slider (juce::Slider::RotaryHorizontalVerticalDrag, juce::Slider::NoTextBox);
    slider.setLookAndFeel (&lookAndFeel);
    paintClip (state, slider);
    slider.setLookAndFeel (nullptr);
}

BENCHMARK (knobWithShadow)->Arg (64)->Arg (500)->Arg (2000)->Unit (benchmark::kMillisecond);
BENCHMARK (sliderWithoutShadow)->Arg (64)->Arg (500)->Arg (2000)->Unit (benchmark::kMillisecond);

} // namespace

int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;

    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
