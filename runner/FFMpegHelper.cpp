#include "FFMpegHelper.h"

#include "ConverterArguments.h"
#include "WavHeaderFix.h"
#include "platform/FileAttributes.h"
#include "platform/TempFolder.h"

#include <cstring>

namespace
{
const juce::String quote ("\"");

/** The converter's output as text; bytes that are not UTF-8 (a name in another encoding)
    become question marks rather than spoiling the whole line.
*/
juce::String decodeLine (const char* text, int size)
{
    const auto length = (int) strnlen (text, (size_t) juce::jmax (0, size));

    if (juce::CharPointer_UTF8::isValidString (text, length))
        return juce::String::fromUTF8 (text, length);

    juce::MemoryBlock cleaned (text, (size_t) length);

    for (auto& byte : cleaned)
        if ((unsigned char) byte >= 0x80)
            byte = '?';

    return juce::String::fromUTF8 (static_cast<const char*> (cleaned.getData()), length);
}

bool isProgressReport (const juce::String& line)
{
    // Video progress starts with "frame"; FFmpeg reports audio-only output as "size= ... time=".
    return line.startsWith ("frame") || (line.startsWith ("size=") && line.contains ("time="));
}

/** Lines FFmpeg adds after the real error, which tell a user nothing about the cause. */
bool isClosingRemark (const juce::String& line)
{
    return line == "Conversion failed!" || line.startsWith ("Exiting normally");
}

/** FFmpeg writes "<path>: <problem>" and "[muxer @ 0x...] <problem>": the problem is what counts. */
juce::String reasonFromLine (juce::String line, const CommandItem& item)
{
    if (line.startsWithChar ('[') && line.contains (" @ 0x"))
        line = line.fromFirstOccurrenceOf ("] ", false, false);

    const auto partialPath = juce::FFMpegHelper::getPartialFileFor (fileFromPath (item.outputPath)).getFullPathName();

    for (auto& path : { item.inputPath, item.outputPath, partialPath })
        if (path.isNotEmpty() && line.startsWith (path + ": "))
            line = line.substring (path.length() + 2);

    return line.trim();
}
} // namespace

namespace juce
{

FFMpegHelper::FFMpegHelper()
    : ffmpegPath (platform::getConverterFile().getFullPathName())
{
    runner.addListener (this);
}

FFMpegHelper::~FFMpegHelper()
{
    // The runner thread calls back into this object: it must be gone before our members are.
    runner.stopRunning (-1);
}

void FFMpegHelper::addItem (const juce::String& inputPath, const juce::String& outputPath,
                            const juce::String& preInputOptions, const juce::String& outputOptions,
                            const juce::String& trailingOptions, bool overwrite)
{
    if (! platform::isFile (inputPath))
        return;

    const auto output = fileFromPath (outputPath);
    const auto partial = getPartialFileFor (output);

    // Writing over the input itself would destroy it before it is read.
    const auto input = fileFromPath (inputPath);
    const auto outputIsInput = platform::isSameFile (output.getFullPathName(), input.getFullPathName())
                               || platform::isSameFile (partial.getFullPathName(), input.getFullPathName());

    if (outputIsInput || (platform::isFile (outputPath) && ! overwrite))
    {
        ProgressRecord existing;
        existing.inputPath = inputPath;
        existing.outputPath = outputPath;
        callListeners ("output exists", &existing, (int) sizeof (existing));
        return;
    }

    if (platform::isFile (outputPath))
        output.deleteFile();

    // Without its folder the converter could only fail, and would name the wrong cause.
    juce::String notStartedReason;

    if (const auto folder = output.getParentDirectory(); output != juce::File() && ! folder.isDirectory())
        if (const auto made = folder.createDirectory(); made.failed())
            notStartedReason = juce::translate ("the output folder could not be created:") + " " + made.getErrorMessage();

    const auto commandLine = quote + ffmpegPath + quote + " " + preInputOptions + " -i " + quote + inputPath + quote
                             + " " + outputOptions + " " + quote + outputPath + quote + " " + trailingOptions;

    juce::StringArray arguments { ffmpegPath };
    addWords (arguments, preInputOptions);
    arguments.add ("-i");
    arguments.add (pathArgument (inputPath));
    addWords (arguments, outputOptions);
    // The converter writes a hidden partial file: the output's name appears only once the
    // rewritten result is complete, so a crash never leaves a half-written file under it.
    arguments.add (partial == juce::File() ? pathArgument (outputPath) : partial.getFullPathName());
    addWords (arguments, trailingOptions);

    runner.addCommand (inputPath, outputPath, commandLine, arguments, overwrite, notStartedReason);
}

void FFMpegHelper::startRunner()
{
    // A run that has just sent "end" may still be leaving its thread; one that goes on is left alone.
    if (runner.isThreadRunning() && ! runner.waitForThreadToExit (200))
        return;

    {
        const juce::ScopedLock sl (progressLock);
        progress.total = runner.getNumQueuedCommands();
    }

    runner.startThread();
}

bool FFMpegHelper::stopRunner (int timeoutMs)
{
    return runner.stopRunning (timeoutMs);
}

bool FFMpegHelper::isRunning() const
{
    return runner.isThreadRunning();
}

ProgressRecord FFMpegHelper::getProgress() const
{
    const juce::ScopedLock sl (progressLock);
    return progress;
}

void FFMpegHelper::onRunnerEvent (juce::String event, const void* data, int size)
{
    if (event == "new line" || event == "return line")
    {
        if (data != nullptr && size > 0)
            handleLine (static_cast<const char*> (data), size);
    }
    else if (event == "end item")
    {
        if (data != nullptr && size == (int) sizeof (CommandItem))
            finishItem (*static_cast<const CommandItem*> (data));

        callListeners ("end item", &progress, (int) sizeof (progress));
    }
    else if (event == "start item")
    {
        if (data != nullptr && size == (int) sizeof (CommandItem))
            startItem (*static_cast<const CommandItem*> (data));

        callListeners ("start item", &progress, (int) sizeof (progress));
    }
    else if (event == "start")
    {
        callListeners ("start", nullptr, 0);
    }
    else if (event == "end all")
    {
        callListeners ("end", nullptr, 0);
    }
}

juce::File FFMpegHelper::getPartialFileFor (const juce::File& output)
{
    // Still ending in ".wav", which is how the converter picks the format.
    return output == juce::File() ? juce::File() : output.getSiblingFile ("." + output.getFileName() + ".partial.wav");
}

void FFMpegHelper::startItem (const CommandItem& item)
{
    lastOutputLine.clear();

    // Left by a run that crashed: this conversion replaces it.
    if (const auto partial = getPartialFileFor (fileFromPath (item.outputPath)); partial.existsAsFile())
        partial.deleteFile();

    const juce::ScopedLock sl (progressLock);
    progress.inputPath = item.inputPath;
    progress.outputPath = item.outputPath;
    progress.currentIndex = progress.total - runner.getNumQueuedCommands();
    progress.converted = false;
    progress.failureReason.clear();
}

void FFMpegHelper::handleLine (const char* text, int size)
{
    const auto line = decodeLine (text, size).trim();

    if (isProgressReport (line))
    {
        const auto value = textBetween (line, "time=", " ");

        if (value.isNotEmpty())
        {
            auto seconds = parseTimeToSeconds (value);

            {
                const juce::ScopedLock sl (progressLock);
                progress.timeSeconds = seconds;
            }

            callListeners ("time", &seconds, (int) sizeof (seconds));
        }

        return;
    }

    if (line.contains ("Duration:"))
    {
        const auto value = textBetween (line, "Duration: ", ",");

        if (value.isNotEmpty())
        {
            auto seconds = parseTimeToSeconds (value);

            {
                const juce::ScopedLock sl (progressLock);
                progress.durationSeconds = seconds;
                progress.timeSeconds = 0.0f;
            }

            callListeners ("duration", &seconds, (int) sizeof (seconds));
        }

        return;
    }

    if (line.isNotEmpty() && ! isClosingRemark (line))
        lastOutputLine = line;
}

juce::String FFMpegHelper::describeConverterFailure (const CommandItem& item) const
{
    if (const auto reason = reasonFromLine (lastOutputLine, item); reason.isNotEmpty())
        return reason;

    if (! item.exitedNormally)
        return juce::translate ("the converter was ended by a signal");

    return juce::translate ("the converter ended with exit code") + " " + juce::String (item.exitCode);
}

void FFMpegHelper::finishItem (const CommandItem& item)
{
    const auto output = fileFromPath (item.outputPath);
    const auto partial = getPartialFileFor (output);
    const auto temporary = output == juce::File() ? juce::File()
                                                  : output.getSiblingFile ("." + output.getFileName());
    auto converted = false;
    juce::String reason;

    if (item.stopped)
    {
        reason = juce::translate ("stopped");
    }
    else if (! item.started)
    {
        reason = item.notStartedReason.isNotEmpty() ? item.notStartedReason
                                                    : juce::translate ("the converter could not be started");
    }
    else if (! item.exitedNormally || item.exitCode != 0)
    {
        reason = describeConverterFailure (item);
    }
    else if (const auto fixed = fixWavHeaderWithReason (partial, temporary); ! fixed.wasOk())
    {
        reason = fixed.outcome == WavHeaderFixResult::Outcome::notWav
                     ? juce::translate ("the result is not a WAV file")
                     : juce::translate ("the result could not be rewritten:") + " " + fixed.systemReason;
    }
    else if (! temporary.replaceFileIn (output))
    {
        reason = juce::translate ("the result could not be put in place");
    }
    else
    {
        converted = true;
    }

    // What the converter wrote is never a result itself, and a failure leaves nothing behind.
    if (partial.existsAsFile())
        partial.deleteFile();

    if (! converted && temporary.existsAsFile())
        temporary.deleteFile();

    const juce::ScopedLock sl (progressLock);
    progress.converted = converted;
    progress.failureReason = reason;
}

} // namespace juce

juce::String textBetween (const juce::String& text, const juce::String& startMarker, const juce::String& endMarker)
{
    auto start = 0;

    if (startMarker.isNotEmpty())
    {
        start = text.indexOf (startMarker);

        if (start < 0)
            return {};
    }

    const auto end = text.indexOf (start, endMarker);

    if (end <= 0)
        return {};

    const auto valueStart = start + startMarker.length();

    if (end <= valueStart)
        return {};

    return text.substring (valueStart, end);
}

float parseTimeToSeconds (const juce::String& text)
{
    juce::StringArray tokens;
    tokens.addTokens (text, ":", "");

    const auto field = [&tokens] (int index)
    { return index < tokens.size() ? (float) tokens[index].getDoubleValue() : 0.0f; };

    const auto hours = field (0);
    const auto minutes = field (1);
    const auto seconds = field (2);

    return seconds + (minutes * 60.0f + hours * 3600.0f);
}
