#include "OutputSizeEstimate.h"

namespace
{
// The converter gives times to the hundredth of a second.
constexpr double timeRounding = 0.1;

juce::String lastValueOf (const juce::StringArray& arguments, std::initializer_list<const char*> options)
{
    juce::String value;

    for (int i = 0; i + 1 < arguments.size(); ++i)
        for (auto* option : options)
            if (arguments[i] == option)
                value = arguments[i + 1];

    return value;
}

/** "pcm_s16le": 2, "pcm_f32le": 4, "pcm_u8" and the 8-bit companded codecs: 1; 0 for a codec
    whose samples have no fixed size.
*/
int bytesPerSampleOf (const juce::String& codec)
{
    if (! codec.startsWith ("pcm_"))
        return 0;

    if (codec == "pcm_alaw" || codec == "pcm_mulaw")
        return 1;

    const auto bits = codec.substring (4).trimCharactersAtStart ("abcdefghijklmnopqrstuvwxyz").getIntValue();
    return bits > 0 && bits % 8 == 0 ? bits / 8 : 0;
}
} // namespace

OutputSizeEstimate::OutputSizeEstimate (const juce::StringArray& arguments)
{
    const auto rate = lastValueOf (arguments, { "-ar" }).getLargeIntValue();
    const auto channels = lastValueOf (arguments, { "-ac" }).getLargeIntValue();
    const auto sampleBytes = bytesPerSampleOf (lastValueOf (arguments, { "-acodec", "-c:a", "-codec:a" }));

    if (rate > 0 && channels > 0 && sampleBytes > 0)
        bytesPerSecond = rate * channels * sampleBytes;
}

bool OutputSizeEstimate::exceedsWavLimit (double seconds) const noexcept
{
    return bytesPerSecond > 0 && (seconds - timeRounding) * (double) bytesPerSecond > (double) largestWavData;
}
