#include "app/MainContentComponent.h"

#include "app/DroppedFiles.h"
#include "app/HID_Write_Thread.h"
#include "app/InputListLines.h"
#include "app/OutputLogText.h"
#include "app/OutputNaming.h"
#include "app/ProgressText.h"
#include "app/SettingsFolder.h"
#include "app/WorkerProcessDriver.h"
#include "platform/FileAttributes.h"
#include "platform/NativeFileChooser.h"
#include "platform/TempFolder.h"
#include "runner/ConverterUnpacker.h"

#include <MeltrowResources.h>

#include <optional>
#include <utility>

namespace
{

constexpr int logTimerId = 0;
constexpr int stopTimeoutMs = 2000;

// A log refresh that took t ms is followed by none for logRefreshCostFactor * t ms.
constexpr double logRefreshCostFactor = 40;

const juce::String converterDownloadAddress ("https://ffmpeg.org/download.html");

template <typename WidgetType, typename... Arguments>
std::unique_ptr<WidgetType> makeChild (juce::Component& parent, Arguments&&... arguments)
{
    auto widget = std::make_unique<WidgetType> (std::forward<Arguments> (arguments)...);
    parent.addAndMakeVisible (*widget);
    return widget;
}

std::unique_ptr<juce::TextButton> makeTextButton (juce::Component& parent, juce::Button::Listener& listener,
                                                  const juce::String& key, std::optional<juce::Colour> colour = {})
{
    auto button = makeChild<juce::TextButton> (parent, "new button");
    button->setButtonText (juce::translate (key));
    button->addListener (&listener);

    if (colour.has_value())
        button->setColour (juce::TextButton::buttonColourId, *colour);

    return button;
}

std::unique_ptr<juce::Label> makeLabel (juce::Component& parent, const juce::String& text, float fontHeight,
                                        juce::Justification justification)
{
    auto label = makeChild<juce::Label> (parent, "new label", text);
    label->setFont (juce::Font (fontHeight, juce::Font::plain).withTypefaceStyle ("Regular"));
    label->setJustificationType (justification);
    label->setEditable (false, false, false);
    label->setColour (juce::TextEditor::textColourId, juce::Colours::black);
    label->setColour (juce::TextEditor::backgroundColourId, juce::Colour (0x00000000));
    return label;
}

struct EditorSettings
{
    bool multiLine;
    bool returnKeyStartsNewLine;
    bool readOnly;
    bool caretVisible;
};

std::unique_ptr<ClipboardTextEditor> makeEditor (juce::Component& parent, platform::TextClipboard& clipboard,
                                                 EditorSettings settings)
{
    auto editor = makeChild<ClipboardTextEditor> (parent, "new text editor", clipboard);
    editor->setMultiLine (settings.multiLine, settings.multiLine);
    editor->setReturnKeyStartsNewLine (settings.returnKeyStartsNewLine);
    editor->setReadOnly (settings.readOnly);
    editor->setScrollbarsShown (true);
    editor->setCaretVisible (settings.caretVisible);
    editor->setPopupMenuEnabled (true);
    editor->setText ({}, true);
    return editor;
}

std::unique_ptr<juce::ComboBox> makeCombo (juce::Component& parent, juce::ComboBox::Listener& listener)
{
    auto combo = makeChild<juce::ComboBox> (parent, "new combo box");
    combo->setEditableText (false);
    combo->setJustificationType (juce::Justification::centredLeft);
    combo->setTextWhenNothingSelected ({});
    combo->setTextWhenNoChoicesAvailable ({});
    combo->addListener (&listener);
    return combo;
}

} // namespace

//==============================================================================
MainContentComponent::MainContentComponent()
    : logRefreshPacing (logRefreshCostFactor), safeThis (this)
{
    initSettingsFolder ("KIV" + juce::String::charToString (juce::File::getSeparatorChar()) + "Meltrow", {});
    const auto unpacked = unpackConverterWithReason();

    startButton = makeTextButton (*this, *this, "Start", juce::Colour (0xff5bc4fd));
    logEditor = makeEditor (*this, clipboard, { true, false, true, false });
    inputFilesEditor = makeEditor (*this, clipboard, { true, true, false, true });
    copyLogButton = makeTextButton (*this, *this, "Copy Output Log");
    ffmpegPathEditor = makeEditor (*this, clipboard, { false, false, false, true });
    ffmpegPathButton = makeTextButton (*this, *this, "path for FFMPEG", juce::Colour (0xff5bc4fd));
    ffmpegPathButton->setBounds (16, 59, 120, 24);
    progressLabel = makeLabel (*this, {}, 18.0f, juce::Justification::centredLeft);
    clearInputButton = makeTextButton (*this, *this, "Clear Input Files");
    sampleRateCombo = makeCombo (*this, *this);
    bitDepthCombo = makeCombo (*this, *this);
    sampleRateLabel = makeLabel (*this, juce::translate ("Sample Rate:"), 15.0f, juce::Justification::centredRight);
    bitDepthLabel = makeLabel (*this, juce::translate ("Bit Depth:"), 15.0f, juce::Justification::centredRight);
    bitUnitLabel = makeLabel (*this, juce::translate ("bit"), 15.0f, juce::Justification::centredLeft);
    channelCombo = makeCombo (*this, *this);
    channelLabel = makeLabel (*this, juce::translate ("Channel:"), 15.0f, juce::Justification::centredRight);
    hzUnitLabel = makeLabel (*this, juce::translate ("Hz"), 15.0f, juce::Justification::centredLeft);

    overrideToggle = makeChild<juce::ToggleButton> (*this, "new toggle button");
    overrideToggle->setButtonText (juce::translate ("override exists"));
    overrideToggle->addListener (this);
    overrideToggle->setBounds (520, 8, 128, 24);

    addFilesButton = makeChild<juce::ImageButton> (*this, "new button");
    addFilesButton->addListener (this);
    const auto addImage = juce::ImageCache::getFromMemory (MeltrowResources::track_add_png, MeltrowResources::track_add_pngSize);
    addFilesButton->setImages (false, true, true,
                               addImage, 1.0f, juce::Colour (0x00000000),
                               addImage, 0.8f, juce::Colour (0x00000000),
                               addImage, 0.6f, juce::Colour (0x00000000));
    addFilesButton->setBounds (24, 8, 24, 24);

    overrideToggle->setVisible (false);
    ffmpegPathButton->setVisible (false);
    ffmpegPathEditor->setVisible (false);

    const auto converter = platform::getConverterFile();
    ffmpegPathEditor->setText (converter.getFullPathName(), true);
    const auto converterMissing = unpacked.failed() || ! platform::pathExists (converter.getFullPathName());

    if (converterMissing)
        startButton->setEnabled (false);

    loadOptions();
    ffmpegHelper.addListener (this);

    logEditor->setFont (juce::Font (18.0f, juce::Font::plain));
    inputFilesEditor->setFont (juce::Font (18.0f, juce::Font::plain));

    // A disabled Start alone would not tell the user why. Only now: text the log editor holds
    // before its font is set keeps the small default font.
    if (converterMissing)
        showConverterMissing (unpacked);

    setSize (800, 650);

    inputFilesEditor->setTextToShowWhenEmpty (juce::translate ("you can drag audio file to here"), juce::Colours::grey);
    logEditor->setTextToShowWhenEmpty (juce::translate ("output log"), juce::Colours::grey);

    startTimer (logTimerId, 100);
}

MainContentComponent::~MainContentComponent()
{
    stopTimer (logTimerId);
    saveOptions();
    stopConversionAndWorker();
    waitForWorkerToEnd();

    // The runner's events write the log text and post changes: it must be over before the
    // children and the lock go. The stop never forces the thread, so wait until it has ended.
    while (! ffmpegHelper.stopRunner (stopTimeoutMs))
    {
    }

    startButton.reset();
    logEditor.reset();
    inputFilesEditor.reset();
    copyLogButton.reset();
    ffmpegPathEditor.reset();
    ffmpegPathButton.reset();
    progressLabel.reset();
    clearInputButton.reset();
    sampleRateCombo.reset();
    bitDepthCombo.reset();
    sampleRateLabel.reset();
    bitDepthLabel.reset();
    bitUnitLabel.reset();
    channelCombo.reset();
    channelLabel.reset();
    hzUnitLabel.reset();
    overrideToggle.reset();
    addFilesButton.reset();
}

//==============================================================================
void MainContentComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xffc6c6c6));
}

void MainContentComponent::resized()
{
    const auto w = getWidth();
    const auto h = getHeight();

    startButton->setBounds (w - 160, h - 40, 144, 24);
    logEditor->setBounds (16, 264, w - 32, h - 349);
    inputFilesEditor->setBounds (16, 40, w - 32, 217);
    copyLogButton->setBounds (16, h - 40, 120, 24);
    ffmpegPathEditor->setBounds (152, 59, w - 168, 24);
    progressLabel->setBounds (16, 568, w - 32, 32);
    clearInputButton->setBounds (w - 144, 8, 120, 24);
    sampleRateCombo->setBounds (224, h - 40, 68, 24);
    bitDepthCombo->setBounds (392, h - 40, 56, 24);
    sampleRateLabel->setBounds (136, h - 40, 88, 24);
    bitDepthLabel->setBounds (320, h - 40, 72, 24);
    bitUnitLabel->setBounds (448, h - 40, 32, 24);
    channelCombo->setBounds (538, h - 40, 78, 24);
    channelLabel->setBounds (482, h - 40, 56, 24);
    hzUnitLabel->setBounds (292, h - 40, 28, 24);
}

void MainContentComponent::comboBoxChanged (juce::ComboBox*)
{
    // A changed choice takes effect at the next Start and is stored at exit.
}

bool MainContentComponent::isConversionRunning() const
{
    return ffmpegHelper.isRunning();
}

//==============================================================================
void MainContentComponent::loadOptions()
{
    optionsDocument.load();
    fillSampleRateCombo();
    fillChannelCombo();
    fillBitDepthCombo();
}

void MainContentComponent::saveOptions()
{
    optionsDocument.setDefaultPosition ("channel", channelCombo->getSelectedItemIndex());
    optionsDocument.setDefaultPosition ("bit", bitDepthCombo->getSelectedItemIndex());
    optionsDocument.setDefaultPosition ("samplerate", sampleRateCombo->getSelectedItemIndex());
    optionsDocument.save();
}

juce::String MainContentComponent::buildOptionString (juce::String* missingGroup) const
{
    return optionsDocument.buildOptionString (channelCombo->getSelectedItemIndex(),
                                              bitDepthCombo->getSelectedItemIndex(),
                                              sampleRateCombo->getSelectedItemIndex(),
                                              missingGroup);
}

void MainContentComponent::fillSampleRateCombo() { optionsDocument.fillCombo (*sampleRateCombo, "samplerate", true); }
void MainContentComponent::fillChannelCombo() { optionsDocument.fillCombo (*channelCombo, "channel", true); }
void MainContentComponent::fillBitDepthCombo() { optionsDocument.fillCombo (*bitDepthCombo, "bit", false); }

//==============================================================================
void MainContentComponent::buttonClicked (juce::Button* button)
{
    if (button == startButton.get())
    {
        if (isConversionRunning())
            stopRunnerConversion();
        else
            startConversion();
    }
    else if (button == copyLogButton.get())
    {
        copyLogToClipboard();
    }
    else if (button == ffmpegPathButton.get())
    {
        chooseConverterPath();
    }
    else if (button == clearInputButton.get())
    {
        clearInputList();
    }
    else if (button == overrideToggle.get())
    {
        // Nothing reads the toggle: every output is replaced.
    }
    else if (button == addFilesButton.get())
    {
        addFilesFromChooser();
    }
}

void MainContentComponent::startConversion()
{
    if (! platform::pathExists (ffmpegPathEditor->getText()))
    {
        // Something (a cleaner of the temporary folder) took it away since start-up: it is
        // unpacked again, as then. Another instance may be doing the same: each unpacks aside and
        // renames into place, so the converter there is always whole.
        const auto isCarriedConverter = ffmpegPathEditor->getText() == ffmpegHelper.getFfmpegPath();
        const auto unpacked = isCarriedConverter ? unpackConverterWithReason() : juce::Result::ok();

        if (! isCarriedConverter || unpacked.failed() || ! platform::pathExists (ffmpegPathEditor->getText()))
        {
            showConverterMissing (unpacked);
            return;
        }
    }

    // Checked before anything changes, so that a list without a choice starts nothing.
    juce::String missingGroup;
    const auto optionString = buildOptionString (&missingGroup);

    if (optionString.isEmpty())
    {
        showNothingChosen (missingGroup);
        return;
    }

    someFilesNotConverted = false;
    post ([] (MainContentComponent& component)
          { component.setRunningLook (true); });
    setLogText ({}, false);

    const auto inputs = readInputListLines (inputFilesEditor->getText(), juce::File::getCurrentWorkingDirectory());
    const auto outputOptions = optionString.upToFirstOccurrenceOf ("#", false, false);

    // A line that names no file is a file the user asked for and does not get: it is told, and
    // counts as not converted.
    for (auto& line : inputs.notFound)
    {
        setLogText (makeNotFoundLogText (line), true);
        someFilesNotConverted = true;
    }

    for (auto& input : inputs.files)
    {
        // The helper makes the KIV_Wav folder, and fails the item with the system's reason when
        // it cannot.
        ffmpegHelper.addItem (input.getFullPathName(), getOutputFileFor (input).getFullPathName(),
                              {}, outputOptions, "-y", true);
    }

    ffmpegHelper.startRunner();
}

void MainContentComponent::stopRunnerConversion()
{
    // The run ends through "end" as usual, which brings the idle state back.
    startButton->setButtonText (juce::translate ("Stopping"));
    ffmpegHelper.stopRunner (stopTimeoutMs);
}

void MainContentComponent::showConverterMissing (const juce::Result& unpacked)
{
    auto message = juce::translate ("ffmpeg file is not exists. \nYou can download FFMPEG from:\n" + converterDownloadAddress);

    if (unpacked.failed())
        message << "\n\n"
                << unpacked.getErrorMessage();

    logEditor->setText (message, true);
}

void MainContentComponent::showNothingChosen (const juce::String& group)
{
    juce::String listName = group;

    if (auto* label = getLabelOfGroup (group))
        listName = label->getText().trimCharactersAtEnd (": ").trim();

    logEditor->setText (juce::translate ("Nothing is chosen in the list") + " \"" + listName + "\". "
                            + juce::translate ("Choose an entry there and press Start again."),
                        true);
}

juce::Label* MainContentComponent::getLabelOfGroup (const juce::String& group) const noexcept
{
    if (group == "samplerate")
        return sampleRateLabel.get();

    if (group == "bit")
        return bitDepthLabel.get();

    if (group == "channel")
        return channelLabel.get();

    return nullptr;
}

//==============================================================================
bool MainContentComponent::isInterestedInFileDrag (const juce::StringArray&)
{
    return ! isConversionRunning();
}

void MainContentComponent::filesDropped (const juce::StringArray& files, int, int)
{
    const auto currentText = inputFilesEditor->getText().trim();
    const auto addedText = collectDroppedAudioFiles (files, getAudioFileExtensions(), currentText, true);

    inputFilesEditor->setText (currentText.isEmpty() ? addedText : currentText + "\n" + addedText, true);
    inputFilesEditor->moveCaretToEnd();
}

void MainContentComponent::addFilesFromChooser()
{
    const juce::String title ("Choose a preset file to load.");

    // The framework's chooser splits names at ":" and misses LOUD.WAV here; it serves only
    // where the desktop's own chooser is missing.
    auto paths = platform::chooseFilesToOpen (title, getAudioFileExtensions(),
                                              juce::File::getSpecialLocation (juce::File::userHomeDirectory));

    if (! paths.has_value())
    {
        juce::FileChooser chooser (title, {}, getAudioFileChooserPattern(), true);
        paths = juce::StringArray();

        if (chooser.browseForMultipleFilesToOpen())
            for (auto& file : chooser.getResults())
                paths->add (file.getFullPathName());
    }

    if (! paths->isEmpty())
        filesDropped (*paths, 0, 0);
}

void MainContentComponent::chooseConverterPath()
{
    juce::FileChooser chooser (juce::translate ("select Path for FFMPEG application"), {},
                               platform::programFileName ("ffmpeg"), true);

    if (chooser.browseForFileToOpen())
        ffmpegPathEditor->setText (chooser.getResult().getFullPathName(), true);
}

void MainContentComponent::copyLogToClipboard()
{
    // The refresh may be waiting (a long log is refreshed less often): copy the log as it is.
    refreshLogEditor();
    logEditor->selectAll();
    logEditor->copySelection();
    logEditor->moveCaretToEnd();
}

void MainContentComponent::clearInputList()
{
    inputFilesEditor->clear();
    inputFilesEditor->repaint();
}

//==============================================================================
void MainContentComponent::onRunnerEvent (juce::String event, const void* data, int size)
{
    if (event == "time" || event == "duration")
    {
        postProgressText (makeConvertingProgressText (ffmpegHelper.getProgress()));
    }
    else if (event == "end item")
    {
        const auto progress = ffmpegHelper.getProgress();
        auto outcome = ItemOutcome::converted;

        if (! progress.converted)
        {
            outcome = ffmpegHelper.getRunner().threadShouldExit() ? ItemOutcome::stopped : ItemOutcome::failed;
            someFilesNotConverted = true;
        }

        setLogText (makeItemEndLogText (outcome, progress.failureReason), true);
    }
    else if (event == "start")
    {
    }
    else if (event == "start item")
    {
        const auto progress = ffmpegHelper.getProgress();
        postProgressText (makeItemStartProgressText (progress));
        setLogText (makeItemStartLogText (progress), true);
    }
    else if (event == "output exists")
    {
        if (data != nullptr && size == (int) sizeof (ProgressRecord))
            setLogText (makeOutputExistsLogText (*static_cast<const ProgressRecord*> (data)), true);

        someFilesNotConverted = true;
    }
    else if (event == "end")
    {
        conversionFinished();
    }
}

void MainContentComponent::setLogText (const juce::String& text, bool append)
{
    const auto bytes = text.toStdString();
    const juce::ScopedLock lock (logLock);

    if (append)
    {
        logText += bytes;
    }
    else
    {
        logText = bytes;
        logTextReplaced = true;
        logBytesTaken = 0;
    }

    logTextChanged = true;
}

void MainContentComponent::timerCallback (int timerID)
{
    if (timerID != logTimerId || ! logTextChanged)
        return;

    const auto started = LogRefreshPacing::now();

    if (! logRefreshPacing.isDue (started))
        return;

    refreshLogEditor();
    logRefreshPacing.refreshed (started, LogRefreshPacing::now());
}

void MainContentComponent::refreshLogEditor()
{
    if (logEditor == nullptr)
        return;

    // A text written straight into the editor (the converter-missing message) changes its
    // length: the log then replaces it whole. Otherwise only the log's new end is added.
    const auto editorShowsLog = logEditor->getTotalNumChars() == logLengthShown;
    std::string taken;
    bool replaceWhole = false;

    {
        const juce::ScopedLock lock (logLock);

        if (! logTextChanged)
            return;

        logTextChanged = false;
        replaceWhole = std::exchange (logTextReplaced, false) || ! editorShowsLog;
        taken.assign (logText, replaceWhole ? 0 : logBytesTaken);
        logBytesTaken = logText.size();
    }

    const auto text = juce::String::fromUTF8 (taken.data(), (int) taken.size());
    const juce::MessageManagerLock messageManagerLock;

    if (replaceWhole)
    {
        logEditor->setText (text, true);
        logLengthShown = text.length();
    }
    else
    {
        // The editor is read-only to the user; insertTextAtCaret still inserts.
        logEditor->moveCaretToEnd();
        logEditor->insertTextAtCaret (text);
        logLengthShown += text.length();
    }

    logEditor->moveCaretToEnd();
}

void MainContentComponent::conversionFinished()
{
    post ([] (MainContentComponent& component)
          { component.setRunningLook (false); });
    postProgressText (juce::translate ("all done"));
    setLogText (juce::translate ("done_string"), true);

    // The whole log at once when the run ends, whenever the next refresh would have come.
    post ([] (MainContentComponent& component)
          { component.refreshLogEditor(); });

    if (someFilesNotConverted.exchange (false))
        post ([] (MainContentComponent& component)
              { component.showNotConvertedAlert(); });
}

void MainContentComponent::postProgressText (const juce::String& text)
{
    post ([text] (MainContentComponent& component)
          { component.showProgressText (text); });
}

void MainContentComponent::post (std::function<void (MainContentComponent&)> change)
{
    auto guardedChange = [target = safeThis, change = std::move (change)]()
    {
        const juce::MessageManagerLock lock;

        if (auto* component = target.getComponent())
            change (*component);
    };

    juce::Timer::callAfterDelay (1, std::move (guardedChange));
}

void MainContentComponent::showProgressText (const juce::String& text)
{
    if (progressLabel != nullptr)
        progressLabel->setText (text, juce::dontSendNotification);
}

void MainContentComponent::setRunningLook (bool running)
{
    if (startButton == nullptr)
        return;

    ffmpegPathEditor->setEnabled (! running);
    ffmpegPathButton->setEnabled (! running);
    startButton->setButtonText (juce::translate (running ? "Stop" : "Start"));
    inputFilesEditor->setEnabled (! running);
    clearInputButton->setEnabled (! running);
}

void MainContentComponent::showNotConvertedAlert()
{
    getLookAndFeel().setUsingNativeAlertWindows (true);
    juce::AlertWindow::showMessageBoxAsync (juce::AlertWindow::WarningIcon, juce::translate ("attention"),
                                            juce::translate ("file_not_converted"), {}, nullptr, nullptr);
}

void MainContentComponent::appendLogText (const juce::String& text)
{
    if (logEditor == nullptr)
        return;

    logEditor->setText (logEditor->getText() + "\n" + text, false);
    logEditor->moveCaretToEnd();
}

void MainContentComponent::clearLogEditor()
{
    if (logEditor != nullptr)
        logEditor->clear();
}

void MainContentComponent::postLogText (const juce::String& text)
{
    post ([text] (MainContentComponent& component)
          { component.appendLogText (text); });
}

void MainContentComponent::postClearLog()
{
    post ([] (MainContentComponent& component)
          { component.clearLogEditor(); });
}

void MainContentComponent::postNotConvertedAlert()
{
    post ([] (MainContentComponent& component)
          { component.showNotConvertedAlert(); });
}

//==============================================================================
bool MainContentComponent::startWorkerProcess (const juce::String& commandLine, const juce::StringArray& arguments)
{
    auto argumentList = arguments;

    if (argumentList.isEmpty())
    {
        argumentList = juce::StringArray::fromTokens (commandLine, true);

        for (auto& argument : argumentList)
            argument = argument.unquoted();
    }

    const juce::ScopedLock sl (workerProcessLock);

    if (workerStopRequested)
        return false;

    return workerProcess.start (argumentList);
}

bool MainContentComponent::runWorkerProcess (const juce::String& inputPath, int index, int total)
{
    WorkerProcessDriver driver (workerProcess, workerStopRequested, *logEditor,
                                [this] (const juce::String& text)
                                { postProgressText (text); });
    return driver.run (inputPath, index, total);
}

void MainContentComponent::stopConversion()
{
    workerStopRequested = true;

    const juce::ScopedLock sl (workerProcessLock);
    workerProcess.kill();
}

void MainContentComponent::stopConversionAndWorker()
{
    // The worker's own request first: it looks at it after clearing ours and before starting
    // its next child, so no start slips in behind this stop.
    conversionWorker.stopRequested = true;
    stopConversion();
}

void MainContentComponent::waitForWorkerToEnd()
{
    if (conversionWorker.owner != this)
        return;

    // Its waits for the message thread give up once it is asked to exit. It is never killed:
    // a killed thread leaves its locks held.
    conversionWorker.signalThreadShouldExit();

    while (! conversionWorker.waitForThreadToExit (stopTimeoutMs))
    {
    }

    conversionWorker.owner = nullptr;
}
