#include "FFMpegHelper.h"

#include "ConverterArguments.h"
#include "WavHeaderFix.h"
#include "platform/FileAttributes.h"
#include "platform/TempFolder.h"

#include <cstring>
#include <system_error>

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

/** The system's words for an errno. */
juce::String systemMessage (int error)
{
    return juce::String (std::generic_category().message (error));
}
} // namespace

namespace juce
{

FFMpegHelper::FFMpegHelper()
    : ffmpegPath (platform::getConverterFile().getFullPathName())
{
    runner.addListener (this);
    runner.setItemPreparation ([this] (CommandItem& item)
                               { return prepareItem (item); });
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

    // Writing over the input itself would destroy it before it is read.
    const auto outputIsInput = platform::isSameFile (output.getFullPathName(), fileFromPath (inputPath).getFullPathName());

    // An output that exists is left as it is: only the item's complete result replaces it.
    if (outputIsInput || (platform::isFile (outputPath) && ! overwrite))
    {
        // Not queued, yet an input of the next run all the same: no other item may write over it.
        inputsNotQueued.add (inputPath);

        ProgressRecord existing;
        existing.inputPath = inputPath;
        existing.outputPath = outputPath;
        callListeners ("output exists", &existing, (int) sizeof (existing));
        return;
    }

    // Without its folder the converter could only fail, and would name the wrong cause.
    juce::String notStartedReason;

    if (const auto folder = output.getParentDirectory(); output != juce::File() && ! folder.isDirectory())
        if (const auto made = folder.createDirectory(); made.failed())
            notStartedReason = juce::translate ("the output folder could not be created:") + " " + made.getErrorMessage();

    CommandItem item;
    item.inputPath = inputPath;
    item.outputPath = outputPath;
    item.overwrite = overwrite;
    item.notStartedReason = notStartedReason;
    item.commandLine = quote + ffmpegPath + quote + " " + preInputOptions + " -i " + quote + inputPath + quote
                       + " " + outputOptions + " " + quote + outputPath + quote + " " + trailingOptions;

    // Every line tagged with its level, so that an error is told from a remark.
    item.arguments.add (ffmpegPath);
    item.arguments.addArray (ConverterLine::getTaggingOptions());

    // The partial file the converter writes is ours and made before it starts: without leave to
    // write over it, the converter would ask "Overwrite? [y/N]" and give up.
    item.arguments.add ("-y");
    addWords (item.arguments, preInputOptions);
    item.arguments.add ("-i");
    item.arguments.add (pathArgument (inputPath));
    addWords (item.arguments, outputOptions);

    // The converter writes a hidden partial file, made when the item starts: the output's name
    // appears only once the rewritten result is complete, so a crash never leaves a
    // half-written file under it.
    item.outputArgument = item.arguments.size();
    item.arguments.add (output == juce::File() ? pathArgument (outputPath) : getPartialFileFor (output).getFullPathName());
    addWords (item.arguments, trailingOptions);

    runner.addCommand (std::move (item));
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

    // The queued items' inputs, those a stopped run left over included, and the inputs that
    // were not queued because they are their own output.
    runInputs = runner.getQueuedInputPaths();
    runInputs.addArray (inputsNotQueued);
    inputsNotQueued.clear();

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
        runOutputs.startRun (runInputs);
        callListeners ("start", nullptr, 0);
    }
    else if (event == "end all")
    {
        callListeners ("end", nullptr, 0);
    }
}

juce::File FFMpegHelper::getPartialFileFor (const juce::File& output)
{
    return ItemFiles::getPreferredPartialFile (output);
}

void FFMpegHelper::startItem (const CommandItem& item)
{
    itemFiles.removeAll();
    failureReason.startItem (item.inputPath);
    outputSize = OutputSizeEstimate (item.arguments);
    durationIsEstimate = false;
    refusedAsTooLarge = false;

    const juce::ScopedLock sl (progressLock);
    progress.inputPath = item.inputPath;
    progress.outputPath = item.outputPath;
    progress.currentIndex = progress.total - runner.getNumQueuedCommands();
    progress.converted = false;
    progress.failureReason.clear();
}

juce::String FFMpegHelper::prepareItem (CommandItem& item)
{
    const auto output = fileFromPath (item.outputPath);

    // Checked right before the converter starts: the run's earlier items change what is on disk.
    if (const auto input = runOutputs.findInputAt (output); input.isNotEmpty())
        return juce::translate ("its output would replace the input") + " " + input;

    if (const auto earlierInput = runOutputs.findOtherInputOf (output, item.inputPath); earlierInput.isNotEmpty())
        return juce::translate ("the same output was written earlier in this run from") + " " + earlierInput;

    if (item.outputArgument < 0 || item.outputArgument >= item.arguments.size() || output == juce::File())
        return {};

    if (const auto error = itemFiles.makePartialFile (output); error != 0)
        return juce::translate ("the temporary file could not be made:") + " " + systemMessage (error);

    item.arguments.set (item.outputArgument, itemFiles.getPartialFile().getFullPathName());
    return {};
}

void FFMpegHelper::handleLine (const char* text, int size)
{
    // The ends of two lines that one read brought arrive as one line; each counts on its own.
    for (auto& piece : juce::StringArray::fromTokens (decodeLine (text, size), "\r\n", ""))
    {
        const auto line = ConverterLine::parse (piece);
        followForFailure (line);
        followForProgress (line);
    }
}

void FFMpegHelper::followForProgress (const ConverterLine& line)
{
    if (isProgressReport (line.text))
    {
        const auto value = textBetween (line.text, "time=", " ");

        if (value.isNotEmpty())
        {
            auto seconds = parseTimeToSeconds (value);

            {
                const juce::ScopedLock sl (progressLock);
                progress.timeSeconds = seconds;
            }

            callListeners ("time", &seconds, (int) sizeof (seconds));
            refuseIfTooLarge (seconds);
        }

        return;
    }

    if (line.text.contains ("Duration:"))
    {
        const auto value = textBetween (line.text, "Duration: ", ",");

        if (value.isNotEmpty())
        {
            auto seconds = parseTimeToSeconds (value);

            {
                const juce::ScopedLock sl (progressLock);
                progress.durationSeconds = seconds;
                progress.timeSeconds = 0.0f;
            }

            callListeners ("duration", &seconds, (int) sizeof (seconds));

            // Only the converter's own report of the input, not a tag that mentions a duration;
            // and not a duration guessed from the bit rate, which can be far too long.
            if (line.text.startsWith ("Duration:") && ! durationIsEstimate)
                refuseIfTooLarge (seconds);
        }
    }
}

void FFMpegHelper::followForFailure (const ConverterLine& line)
{
    if (isProgressReport (line.text))
    {
        failureReason.addProgress();
        return;
    }

    if (line.text.startsWith ("Estimating duration from bitrate"))
        durationIsEstimate = true;

    failureReason.addLine (line);
}

void FFMpegHelper::refuseIfTooLarge (double outputSeconds)
{
    // Ended now rather than after it has written gigabytes that cannot be kept.
    if (! refusedAsTooLarge && outputSize.exceedsWavLimit (outputSeconds))
    {
        refusedAsTooLarge = true;
        runner.killChild();
    }
}

void FFMpegHelper::finishItem (const CommandItem& item)
{
    juce::String reason;

    if (item.stopped)
        reason = juce::translate ("stopped");
    else if (! item.started)
        reason = item.notStartedReason.isNotEmpty() ? item.notStartedReason : juce::translate ("the converter could not be started");
    else if (refusedAsTooLarge)
        reason = juce::translate ("the result would be larger than a WAV file can hold (4 GiB)");
    else if (! item.exitedNormally || item.exitCode != 0)
        reason = failureReason.describe (item, itemFiles.getPartialFile().getFullPathName());
    else
        reason = rewriteIntoPlace (item);

    const auto converted = reason.isEmpty();

    if (converted)
        runOutputs.add (fileFromPath (item.outputPath), item.inputPath);

    // Only the files this item made: what the converter wrote is never a result itself, and a
    // failure leaves nothing behind.
    itemFiles.removeAll();

    const juce::ScopedLock sl (progressLock);
    progress.converted = converted;
    progress.failureReason = reason;
}

juce::String FFMpegHelper::rewriteIntoPlace (const CommandItem& item)
{
    const auto output = fileFromPath (item.outputPath);

    // No output was named, so the converter wrote no file of ours.
    if (output == juce::File() || itemFiles.getPartialFile() == juce::File())
        return juce::translate ("the result is not a WAV file");

    if (const auto error = itemFiles.makeTemporaryFile (output); error != 0)
        return juce::translate ("the temporary file could not be made:") + " " + systemMessage (error);

    const auto fixed = fixWavHeaderInto (itemFiles.getPartialFile(), itemFiles.getTemporaryFile());

    switch (fixed.outcome)
    {
        case WavHeaderFixResult::Outcome::fixed:
            break;
        case WavHeaderFixResult::Outcome::notWav:
            return juce::translate ("the result is not a WAV file");
        case WavHeaderFixResult::Outcome::tooLarge:
            return juce::translate ("the result would be larger than a WAV file can hold (4 GiB)");
        case WavHeaderFixResult::Outcome::fileError:
            return juce::translate ("the result could not be rewritten:") + " " + fixed.systemReason;
    }

    if (itemFiles.moveTemporaryOver (output) != 0)
        return juce::translate ("the result could not be put in place");

    return {};
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
