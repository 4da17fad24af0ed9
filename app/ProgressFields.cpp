#include "app/ProgressFields.h"

#include "runner/FFMpegHelper.h"

namespace
{
const juce::StringArray progressKeys = juce::StringArray::fromTokens ("frame,fps,q,size,time,bitrate,speed", ",", "");
constexpr int frameKey = 0;
constexpr int sizeKey = 3;
} // namespace

bool ProgressFields::parseFfmpegOutputLine (juce::String line)
{
    auto isReport = true;

    if (line.startsWith (progressKeys[frameKey]))
        parseReport (line, frameKey);
    else if (line.startsWith (progressKeys[sizeKey] + "="))
        parseReport (line, sizeKey);
    else
    {
        isReport = false;

        if (line.indexOf ("Duration:") > 0)
            parseDuration (line);
    }

    writeToLog (line);
    return isReport;
}

void ProgressFields::parseReport (const juce::String& line, int firstKey)
{
    // Each key is looked for only after the previous one's "=", so that a key's name inside an
    // earlier value is not taken for the key.
    juce::StringArray values;
    auto pos = progressKeys[firstKey].length() + 1;

    for (int key = firstKey + 1; key < progressKeys.size(); ++key)
    {
        const auto& name = progressKeys[key];
        const auto found = line.indexOf (pos, name + "=");

        if (found < 0)
            continue;

        values.add (line.substring (pos, found).trim());
        pos = found + name.length() + 1;
    }

    values.add (line.substring (pos).trim());

    if (values.size() != progressKeys.size() - firstKey)
        return;

    float* const fields[] = { &frame, &fps, &q, &size, &timeSeconds, &bitrate, &speed };

    for (int i = 0; i < values.size(); ++i)
    {
        const auto key = firstKey + i;
        *fields[key] = progressKeys[key] == "time" ? parseTimeToSeconds (values[i]) : (float) values[i].getDoubleValue();
    }
}

void ProgressFields::parseDuration (const juce::String& line)
{
    const auto start = line.indexOfChar (':') + 1;
    const auto end = line.indexOfChar (',');
    const auto text = end > start ? line.substring (start, end).trim() : juce::String();

    durationSeconds = parseTimeToSeconds (text);
}

void ProgressFields::writeToLog (const juce::String& line)
{
    if (logStream == nullptr)
        return;

    const auto now = juce::Time::getCurrentTime();
    const auto stamped = "[" + now.formatted ("%Y-%m-%d %H:%M:%S.") + juce::String::formatted ("%03d", now.getMilliseconds())
                         + "]" + line;

    logStream->write (stamped.toRawUTF8(), stamped.getNumBytesAsUTF8());
}
