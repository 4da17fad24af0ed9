#include "app/OutputLogText.h"

#include <juce_core/juce_core.h>

juce::String makeItemStartLogText (const ProgressRecord& progress)
{
    return juce::translate ("converting:") + " " + progress.inputPath + " => " + progress.outputPath + "\n";
}

juce::String makeItemEndLogText (ItemOutcome outcome, const juce::String& failureReason)
{
    switch (outcome)
    {
        case ItemOutcome::converted:
            return juce::translate ("file_converte_ok") + "\n\n";

        case ItemOutcome::stopped:
            return juce::translate ("file_converte_stopped") + "\n\n";

        case ItemOutcome::failed:
            break;
    }

    const auto reason = failureReason.trim();
    return juce::translate ("file_converte_failed") + (reason.isEmpty() ? juce::String() : ": " + reason) + "\n\n";
}

juce::String makeOutputExistsLogText (const ProgressRecord& paths)
{
    return juce::translate ("converting:") + " " + paths.inputPath + " => " + paths.outputPath + "\n"
           + juce::translate ("exists not convert") + "\n\n";
}

juce::String makeNotFoundLogText (const juce::String& line)
{
    return juce::translate ("file_not_found") + " " + line + "\n\n";
}
