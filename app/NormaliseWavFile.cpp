#include "app/NormaliseWavFile.h"

#include "runner/WavHeaderFix.h"

bool normaliseWavFile (const juce::File& source, const juce::File& target)
{
    if (target == juce::File())
        return false;

    // Hidden, as the converter's own temporary output is; removed by its destructor whatever happens.
    const juce::TemporaryFile rewrite (target, juce::TemporaryFile::useHiddenFile);

    return fixWavHeader (source, rewrite.getFile()) && rewrite.overwriteTargetFileWithTemporary();
}
