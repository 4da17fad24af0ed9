#include "ConverterFailureReason.h"

#include <csignal>
#include <cstring>

namespace
{
/** Lines the converter adds after the real error, which tell a user nothing about the cause. */
bool isClosingRemark (const juce::String& text)
{
    return text == "Conversion failed!" || text.startsWith ("Exiting normally");
}

const juce::String caughtSignalRemark ("Exiting normally, received signal ");

/** The signals a converter meets in practice (a crash, the out-of-memory killer, a task
    manager, a closed terminal), named as the system names them; these names are translated.
*/
const char* signalName (int signal) noexcept
{
    switch (signal)
    {
        case SIGHUP:
            return "Hangup";
        case SIGINT:
            return "Interrupt";
        case SIGILL:
            return "Illegal instruction";
        case SIGABRT:
            return "Aborted";
        case SIGBUS:
            return "Bus error";
        case SIGFPE:
            return "Floating point exception";
        case SIGKILL:
            return "Killed";
        case SIGSEGV:
            return "Segmentation fault";
        case SIGTERM:
            return "Terminated";
        case SIGXFSZ:
            return "File size limit exceeded";
        default:
            return nullptr;
    }
}

juce::String withoutPathInFront (const juce::String& text, const juce::String& path)
{
    return path.isNotEmpty() && text.startsWith (path + ": ") ? text.substring (path.length() + 2) : text;
}
} // namespace

void ConverterFailureReason::startItem (const juce::String& newInputPath)
{
    inputPath = newInputPath;
    burstCause.clear();
    inBurst = false;
    burstHasVerdict = false;
    caughtSignal = 0;
}

void ConverterFailureReason::addLine (const ConverterLine& line)
{
    if (line.text.startsWith (caughtSignalRemark))
        caughtSignal = line.text.substring (caughtSignalRemark.length()).getIntValue();

    if (line.level != ConverterLine::Level::error || line.text.isEmpty() || isClosingRemark (line.text))
        return;

    const auto isVerdict = inputPath.isNotEmpty() && line.text.startsWith (inputPath + ": ");

    if (! inBurst || (isVerdict && ! burstHasVerdict))
    {
        burstCause = line.text;
        burstHasVerdict = isVerdict;
    }

    inBurst = true;
}

void ConverterFailureReason::addProgress() noexcept
{
    inBurst = false;
}

juce::String ConverterFailureReason::describe (const CommandItem& item, const juce::String& partialPath) const
{
    if (! item.exitedNormally)
        return describeSignal (item.signal);

    if (caughtSignal > 0)
        return describeSignal (caughtSignal);

    auto reason = burstCause;

    for (auto& path : { item.inputPath, item.outputPath, partialPath })
        reason = withoutPathInFront (reason, path);

    if (partialPath.isNotEmpty())
        reason = reason.replace (partialPath, item.outputPath);

    reason = makeReadable (reason);

    if (reason.isNotEmpty())
        return reason;

    return juce::translate ("the converter ended with exit code") + " " + juce::String (item.exitCode);
}

juce::String ConverterFailureReason::describeSignal (int signal)
{
    if (signal <= 0)
        return juce::translate ("the converter was ended by a signal");

    auto reason = juce::translate ("the converter was ended by signal") + " " + juce::String (signal);

    if (const auto* name = signalName (signal))
        reason << " (" << juce::translate (name) << ")";
    else if (const auto* description = ::sigdescr_np (signal))
        reason << " (" << description << ")";

    return reason;
}

juce::String ConverterFailureReason::makeReadable (const juce::String& text)
{
    juce::String readable;

    for (auto letter = text.getCharPointer(); ! letter.isEmpty(); ++letter)
    {
        const auto isControl = *letter < 0x20 || *letter == 0x7f;
        readable << juce::String::charToString (isControl ? (juce::juce_wchar) ' ' : *letter);
    }

    readable = readable.trim();

    if (readable.length() > maxReasonLength)
        readable = readable.substring (0, maxReasonLength - 1).trimEnd() + juce::String::charToString ((juce::juce_wchar) 0x2026);

    return readable;
}
