#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace juce
{

/** An empty component: it paints nothing and lays out nothing. Other windows derive from it
    for a content area of their own.
*/
class ComponentWithExit : public juce::Component
{
public:
    ComponentWithExit() = default;
    ~ComponentWithExit() override = default;

    void paint (juce::Graphics&) override;
    void resized() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ComponentWithExit)
};

} // namespace juce
