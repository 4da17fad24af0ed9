#pragma once

#include <juce_core/juce_core.h>

#include <memory>

/** What the standalone worker knows of one conversion from the converter's console output: the
    input's length from the "Duration:" report and the fields of the latest progress report.
*/
class ProgressFields
{
public:
    ProgressFields() = default;

    /** Reads one output line (with its terminator). Returns true for a progress report, a line
        that begins with "frame" or, as the converter reports audio-only output, with "size=".
        A report whose keys are not all found still counts, but changes no field. A "Duration:"
        report sets durationSeconds; it must not stand at the very start of the line.
        Every line goes to logStream, when set, behind a timestamp.
    */
    bool parseFfmpegOutputLine (juce::String line);

    float durationSeconds = 0.0f;
    float frame = 0.0f;
    float fps = 0.0f;
    float q = 0.0f;
    float size = 0.0f;
    float timeSeconds = 0.0f;
    float bitrate = 0.0f;
    float speed = 0.0f;
    std::unique_ptr<juce::OutputStream> logStream;

private:
    void parseReport (const juce::String& line, int firstKey);
    void parseDuration (const juce::String& line);
    void writeToLog (const juce::String& line);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ProgressFields)
};
