#pragma once

#include "app/ClipboardTextEditor.h"
#include "app/LogRefreshPacing.h"
#include "app/OptionsDocument.h"
#include "platform/ChildProcess.h"
#include "platform/TextClipboard.h"
#include "runner/FFMpegHelper.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <functional>
#include <string>

/** The converter's whole window content: the input list, the three option lists, the output
    log, the progress line and the buttons, with the FFmpeg helper that runs the conversions.

    A conversion run goes on exactly while the helper's runner thread runs. The helper's events
    arrive on that thread; they never touch a widget, but post small changes to the message
    thread and extend the log text, which the 100 ms timer copies into the log editor.
*/
class MainContentComponent : public juce::Component,
                             public juce::FileDragAndDropTarget,
                             public juce::MultiTimer,
                             public juce::FFMpegHelperRunnerListener,
                             public juce::Button::Listener,
                             public juce::ComboBox::Listener
{
public:
    MainContentComponent();
    ~MainContentComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    bool isInterestedInFileDrag (const juce::StringArray& files) override;
    void filesDropped (const juce::StringArray& files, int x, int y) override;

    void timerCallback (int timerID) override;

    void onRunnerEvent (juce::String event, const void* data, int size) override;

    void buttonClicked (juce::Button* button) override;
    void comboBoxChanged (juce::ComboBox* comboBoxThatHasChanged) override;

    /** True while a conversion run goes on: the quit guard, Start/Stop and drops ask this. */
    [[nodiscard]] bool isConversionRunning() const;

    /** Replaces or extends the log text; any thread. The log editor follows at the next refresh:
        within 100 ms, or less often while each refresh of a long log takes long.
    */
    void setLogText (const juce::String& text, bool append);

    /** Brings the log editor up to the log text now. Message thread. */
    void refreshLogEditor();

    /** Shows a text on the progress line; any thread. */
    void postProgressText (const juce::String& text);

    /** The end of a run: idle state, "all done", the done text, and the alert when some input
        was not converted.
    */
    void conversionFinished();

    /** The option string of the chosen list entries; empty, and the group named, when a list
        has no choice. Message thread.
    */
    [[nodiscard]] juce::String buildOptionString (juce::String* missingGroup = nullptr) const;

    //==============================================================================
    // The standalone worker's side (conversionWorker), which the converter's own road never uses.

    /** Starts the worker's converter child from its argument list (from the command line's
        quoted words when no list is given), replacing the previous one. Refused, false, while a
        stop request stands, so that a stop and a start never cross.
    */
    bool startWorkerProcess (const juce::String& commandLine, const juce::StringArray& arguments = {});

    /** Follows the worker's child until it has ended or a stop was requested, showing its
        output in the log editor and its progress on the progress line. True when the child
        ended by itself with exit status 0. The worker's thread.
    */
    bool runWorkerProcess (const juce::String& inputPath, int index, int total);

    /** Stops the worker's reading and kills its child; any thread. */
    void stopConversion();

    /** Kills the worker's child and asks the worker to end after its current input. Waits for
        nothing.
    */
    void stopConversionAndWorker();

    /** Appends a line to the log editor, empties it, shows the not-converted alert; any thread. */
    void postLogText (const juce::String& text);
    void postClearLog();
    void postNotConvertedAlert();

    /** Empties the log editor now. Message thread, or under the message manager's lock. */
    void clearLogEditor();

    platform::ChildProcess workerProcess;
    std::atomic<bool> workerStopRequested { false };

private:
    void loadOptions();
    void saveOptions();
    void fillSampleRateCombo();
    void fillChannelCombo();
    void fillBitDepthCombo();

    void startConversion();
    void stopRunnerConversion();
    void waitForWorkerToEnd();
    void addFilesFromChooser();
    void chooseConverterPath();
    void copyLogToClipboard();
    void clearInputList();
    void showConverterMissing (const juce::Result& unpacked);
    void showNothingChosen (const juce::String& group);

    [[nodiscard]] juce::Label* getLabelOfGroup (const juce::String& group) const noexcept;

    /** Runs a change on the message thread in 1 ms, under the message manager's lock, and only
        if the component still exists then.
    */
    void post (std::function<void (MainContentComponent&)> change);

    void setRunningLook (bool running);
    void showProgressText (const juce::String& text);
    void showNotConvertedAlert();
    void appendLogText (const juce::String& text);

    std::atomic<bool> logTextChanged { false };
    bool logTextReplaced = false; // under logLock: changed other than by extending it
    size_t logBytesTaken = 0; // under logLock: how much of logText the refresh has taken
    int logLengthShown = 0; // message thread: how many characters of the log the editor shows
    LogRefreshPacing logRefreshPacing; // message thread
    std::atomic<bool> someFilesNotConverted { false };

    // UTF-8. It grows in place: extending it never copies what it holds, as a juce::String,
    // which grows to its exact size, would for every item of a run.
    std::string logText;

    juce::FFMpegHelper ffmpegHelper;
    juce::CriticalSection logLock;
    juce::CriticalSection workerProcessLock; // keeps a kill of the worker's child and a start apart
    OptionsDocument optionsDocument;
    platform::TextClipboard clipboard; // the editors' copy and paste, of any size

    // Taken once on the message thread, copied into every posted change.
    juce::Component::SafePointer<MainContentComponent> safeThis;

    std::unique_ptr<juce::TextButton> startButton;
    std::unique_ptr<ClipboardTextEditor> logEditor;
    std::unique_ptr<ClipboardTextEditor> inputFilesEditor;
    std::unique_ptr<juce::TextButton> copyLogButton;
    std::unique_ptr<ClipboardTextEditor> ffmpegPathEditor;
    std::unique_ptr<juce::TextButton> ffmpegPathButton;
    std::unique_ptr<juce::Label> progressLabel;
    std::unique_ptr<juce::TextButton> clearInputButton;
    std::unique_ptr<juce::ComboBox> sampleRateCombo;
    std::unique_ptr<juce::ComboBox> bitDepthCombo;
    std::unique_ptr<juce::Label> sampleRateLabel;
    std::unique_ptr<juce::Label> bitDepthLabel;
    std::unique_ptr<juce::Label> bitUnitLabel;
    std::unique_ptr<juce::ComboBox> channelCombo;
    std::unique_ptr<juce::Label> channelLabel;
    std::unique_ptr<juce::Label> hzUnitLabel;
    std::unique_ptr<juce::ToggleButton> overrideToggle;
    std::unique_ptr<juce::ImageButton> addFilesButton;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainContentComponent)
};
