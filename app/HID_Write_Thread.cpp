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
}

HID_Write_Thread::~HID_Write_Thread()
{
    stopThread (2000);
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

    workerLog.clear();
    stopRequested = false;

    const auto total = inputFiles.size();
    const auto outputOptions = readOutputOptions();
    auto index = 0;
    auto notConverted = false;

    while (! inputFiles.isEmpty() && ! threadShouldExit() && ! stopRequested)
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

        if (stopRequested)
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

juce::String HID_Write_Thread::readOutputOptions()
{
    juce::String optionString;

    {
        // The option lists belong to the message thread. Given up when this thread is asked to
        // exit, so that an owner waiting for it on the message thread is never blocked by it.
        const juce::MessageManagerLock messageManagerLock (this);

        if (messageManagerLock.lockWasGained())
            optionString = owner->buildOptionString();
    }

    juce::StringArray pieces;
    pieces.addTokens (optionString, "#", "");
    return pieces[0];
}

HID_Write_Thread::Outcome HID_Write_Thread::convert (const juce::String& input, const OutputPaths& paths,
                                                     const juce::String& outputOptions, int index, int total)
{
    const WorkerJob job { input, paths.temporary.getFullPathName(), outputOptions, {}, "-y -v info" };

    owner->postClearLog();

    // A stop that came in since the last input must not be missed by this start: the owner
    // refuses to start while its own stop request stands, and its stop sets ours first.
    owner->workerStopRequested = false;

    const auto started = ! stopRequested && owner->startWorkerProcess (buildFfmpegCommandLine (job), buildFfmpegArguments (job));
    const auto exitedCleanly = owner->runWorkerProcess (input, index, total) && started;

    // A converter that failed or was killed leaves no result, at most a partial file.
    const auto converted = exitedCleanly && normaliseWavFile (paths.temporary, paths.output);
    paths.temporary.deleteFile();

    if (converted)
        return Outcome::converted;

    return stopRequested ? Outcome::stopped : Outcome::failed;
}
