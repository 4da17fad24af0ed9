#pragma once

#include <juce_core/juce_core.h>

namespace juce
{

/** Receives the FFmpeg helper's events. The payload belongs to the sender and is valid only
    during the call; its type follows from the event name.
*/
class FFMpegHelperRunnerListener
{
public:
    virtual ~FFMpegHelperRunnerListener() = default;

    virtual void onRunnerEvent (juce::String event, const void* data, int size)
    {
        juce::ignoreUnused (event, data, size);
    }
};

} // namespace juce
