#include "app/HID_Write_Thread.h"

#include "app/MainContentComponent.h"
#include "app/NormaliseWavFile.h"
#include "app/OutputNaming.h"
#include "runner/ConverterArguments.h"

#include <juce_events/juce_events.h>

HID_Write_Thread conversionWorker;

namespace
{
const juce::String quote ("\"");
const juce::String summaryArrow ("    =>    ");
const juce::String summaryGap ("    ");
} // namespace

HID_Write_Thread::HID_Write_Thread()
    : juce::Thread ("HID_Write_Thread")
{
    addListener (this);
}

HID_Write_Thread::~HID_Write_Thread()
{
    stopThread (2000);
    removeListener (this);
}

bool HID_Write_Thread::startThread()
{
    return startThread (Priority::normal);
}

bool HID_Write_Thread::startThread (Priority threadPriority)
{
    // A running thread goes on as it is, its stop request included.
    if (isThreadRunning())
        return false;

    stopRequested = false;
    return juce::Thread::startThread (threadPriority);
}

void HID_Write_Thread::exitSignalSent()
{
    // The converter would keep the thread busy until it ends by itself; the framework kills a
    // thread that does not end in time, and with it the whole program.
    if (auto* component = owner)
        component->stopConversion();
}

bool HID_Write_Thread::shouldEnd() const
{
    return stopRequested || threadShouldExit();
}

juce::String HID_Write_Thread::buildFfmpegCommandLine (WorkerJob job) const
{
    return quote + converterPath
           + quote + " -i  " + quote + job.inputPath
           + quote + " " + job.extraOptions
           + " " + job.outputOptions
           + " " + quote + job.tempOutputPath
           + quote + " " + job.trailingOptions;
}

juce::StringArray HID_Write_Thread::buildFfmpegArguments (const WorkerJob& job) const
{
    juce::StringArray arguments { converterPath, "-i", pathArgument (job.inputPath) };
    addWords (arguments, job.extraOptions);
    addWords (arguments, job.outputOptions);
    arguments.add (pathArgument (job.tempOutputPath));
    addWords (arguments, job.trailingOptions);
    return arguments;
}

HID_Write_Thread::OutputPaths HID_Write_Thread::getOutputPathsFor (const juce::String& inputPath)
{
    const auto input = fileFromPath (inputPath);
    const auto output = getOutputFileFor (input);
    return { getOutputFolderFor (input), output, output.getSiblingFile ("." + output.getFileName()) };
}

void HID_Write_Thread::run()
{
    if (owner == nullptr)
        return;

    inputFiles.removeEmptyStrings();
    inputFiles.removeDuplicates (true);

    // stopRequested stays as startThread left it: a stop since then counts.
    workerLog.clear();

    const auto total = inputFiles.size();
    const auto outputOptions = readOutputOptions();
    auto index = 0;
    auto notConverted = false;

    while (! inputFiles.isEmpty() && ! shouldEnd())
    {
        const auto input = inputFiles[0];
        inputFiles.remove (0);

        const auto paths = getOutputPathsFor (input);

        if (! paths.folder.exists())
            paths.folder.createDirectory();

        ++index;
        workerLog << input << summaryArrow << paths.output.getFullPathName();

        if (paths.output.exists())
        {
            workerLog << summaryGap << juce::translate ("exists not convert");
            notConverted = true;
        }
        else
        {
            const auto outcome = convert (input, paths, outputOptions, index, total);

            if (outcome == Outcome::failed)
                workerLog << summaryGap << juce::translate ("file_converte_failed");
            else if (outcome == Outcome::stopped)
                workerLog << summaryGap << juce::translate ("file_converte_stopped");

            notConverted = notConverted || outcome != Outcome::converted;
        }

        workerLog << "\n";

        if (shouldEnd())
            break;

        wait (waitMilliseconds);
    }

    inputFiles.clear();

    // The summary reaches the log editor through the log text only, which the refresh shows
    // with the done text after it. Posted to the editor as well, it could land after a refresh
    // that had already shown it, and stand there twice.
    owner->setLogText (workerLog, false);
    owner->conversionFinished();

    if (notConverted)
        owner->postNotConvertedAlert();
}

void HID_Write_Thread::callOnOwnerLocked (const std::function<void (MainContentComponent&)>& call)
{
    // The owner's widgets belong to the message thread. The lock is given up when this thread
    // is asked to exit, so that an owner waiting for it on the message thread is never blocked.
    const juce::MessageManagerLock messageManagerLock (this);

    if (messageManagerLock.lockWasGained())
        call (*owner);
}

void HID_Write_Thread::clearLogEditor()
{
    // Under the lock that the converter's lines are shown under, before the first of them: a
    // clear posted to the message thread could come after them on a slow machine, wiping them.
    callOnOwnerLocked ([] (MainContentComponent& component)
                       { component.clearLogEditor(); });
}

juce::String HID_Write_Thread::readOutputOptions()
{
    juce::String optionString;
    callOnOwnerLocked ([&optionString] (MainContentComponent& component)
                       { optionString = component.buildOptionString(); });

    juce::StringArray pieces;
    pieces.addTokens (optionString, "#", "");
    return pieces[0];
}

HID_Write_Thread::Outcome HID_Write_Thread::convert (const juce::String& input, const OutputPaths& paths,
                                                     const juce::String& outputOptions, int index, int total)
{
    const WorkerJob job { input, paths.temporary.getFullPathName(), outputOptions, {}, "-y -v info" };

    clearLogEditor();

    // A stop that came since the last input must not be missed by this start. Both ways of
    // stopping raise our own request (stopRequested, or the thread's exit request) before the
    // owner's: one that came before this clearing is seen below, and one that comes after it
    // makes the owner refuse the start, or kills the child that it started.
    owner->workerStopRequested = false;

    if (shouldEnd())
        return Outcome::stopped;

    const auto started = owner->startWorkerProcess (buildFfmpegCommandLine (job), buildFfmpegArguments (job));
    const auto exitedCleanly = owner->runWorkerProcess (input, index, total) && started;

    // A converter that failed or was killed leaves no result, at most a partial file.
    const auto converted = exitedCleanly && normaliseWavFile (paths.temporary, paths.output);
    paths.temporary.deleteFile();

    if (converted)
        return Outcome::converted;

    return shouldEnd() ? Outcome::stopped : Outcome::failed;
}
