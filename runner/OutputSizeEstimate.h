#pragma once

#include <juce_core/juce_core.h>

/** How fast the converter's WAV output grows, from the options it is given, so that an output
    larger than a WAV file can hold is refused as soon as the converter tells the input's
    duration, before it has filled a disk with samples that cannot be kept.
*/
class OutputSizeEstimate
{
public:
    OutputSizeEstimate() = default;

    /** From the converter's arguments: the rate of "-ar", the channels of "-ac" and the sample
        size of the PCM codec of "-acodec" ("-c:a", "-codec:a"); the last of each counts, as it
        does for the converter. Without all three the size is not known.
    */
    explicit OutputSizeEstimate (const juce::StringArray& arguments);

    /** Bytes of samples per second of output; 0 when the options do not tell. */
    [[nodiscard]] juce::int64 getBytesPerSecond() const noexcept { return bytesPerSecond; }

    /** True when the samples of that many seconds of output are more than a WAV file holds
        (its sizes are 32-bit), with room for the rounding of the converter's times. Never true
        when the size is not known.
    */
    [[nodiscard]] bool exceedsWavLimit (double seconds) const noexcept;

    /** The most bytes of samples a WAV file of one format and one data chunk can hold. */
    static constexpr juce::int64 largestWavData = 0xffffffffLL - 36 - 1;

private:
    juce::int64 bytesPerSecond = 0;

    JUCE_LEAK_DETECTOR (OutputSizeEstimate)
};
