#include "ContentTestSupport.h"

#include "app/OutputNaming.h"
#include "platform/TempFolder.h"
#include "runner/FFMpegHelper.h"

#include <algorithm>
#include <optional>
#include <regex>

#include <sys/stat.h>
#include <unistd.h>

using app_tests::Child;
using app_tests::ContentTest;
using testing_support::makeSine;
using testing_support::probeAudio;
using testing_support::pumpUntil;

namespace
{

/** What another program gets from the clipboard. */
juce::String readClipboardWithXclip()
{
    const auto bytes = testing_support::readSelectionWithXclip();
    return juce::String::fromUTF8 (static_cast<const char*> (bytes.getData()), (int) bytes.getSize());
}

bool isSameImage (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return false;

    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;

    return true;
}

} // namespace

TEST_F (ContentTest, LaysOutItsChildrenInTheirOrder)
{
    makeComponent();
    ASSERT_EQ (component->getNumChildComponents(), 18);
    EXPECT_EQ (component->getBounds().getWidth(), 800);
    EXPECT_EQ (component->getBounds().getHeight(), 650);

    const struct
    {
        Child child;
        juce::Rectangle<int> at800x650, at400x390;
    } cases[] = {
        { Child::start, { 640, 610, 144, 24 }, { 240, 350, 144, 24 } },
        { Child::log, { 16, 264, 768, 301 }, { 16, 264, 368, 41 } },
        { Child::inputFiles, { 16, 40, 768, 217 }, { 16, 40, 368, 217 } },
        { Child::copyLog, { 16, 610, 120, 24 }, { 16, 350, 120, 24 } },
        { Child::ffmpegPath, { 152, 59, 632, 24 }, { 152, 59, 232, 24 } },
        { Child::ffmpegPathButton, { 16, 59, 120, 24 }, { 16, 59, 120, 24 } },
        { Child::progress, { 16, 568, 768, 32 }, { 16, 568, 368, 32 } },
        { Child::clearInput, { 656, 8, 120, 24 }, { 256, 8, 120, 24 } },
        { Child::sampleRate, { 224, 610, 68, 24 }, { 224, 350, 68, 24 } },
        { Child::channel, { 538, 610, 78, 24 }, { 538, 350, 78, 24 } },
        { Child::hzUnit, { 292, 610, 28, 24 }, { 292, 350, 28, 24 } },
        { Child::overrideToggle, { 520, 8, 128, 24 }, { 520, 8, 128, 24 } },
        { Child::addFiles, { 24, 8, 24, 24 }, { 24, 8, 24, 24 } },
    };

    for (const auto& c : cases)
        EXPECT_EQ (child (c.child).getBounds(), c.at800x650) << (int) c.child;

    component->setSize (400, 390);

    for (const auto& c : cases)
        EXPECT_EQ (child (c.child).getBounds(), c.at400x390) << (int) c.child;

    for (auto hidden : { Child::ffmpegPath, Child::ffmpegPathButton, Child::overrideToggle })
        EXPECT_FALSE (child (hidden).isVisible()) << (int) hidden;

    EXPECT_TRUE (startButton().isEnabled());
    EXPECT_EQ (child<juce::TextEditor> (Child::ffmpegPath).getText(), platform::getConverterFile().getFullPathName());
    EXPECT_EQ (child<juce::Label> (Child::sampleRateLabel).getText(), "Sample Rate:");
    EXPECT_EQ (child<juce::TextButton> (Child::copyLog).getButtonText(), "Copy Output Log");
}

TEST_F (ContentTest, ConvertsDroppedFoldersAndFilesWithTheChosenOptions)
{
    // Named like an audio file, the folder also stands in the list after its files.
    const auto music = folder.file ("my music.wav");
    const juce::File inputs[] = { music.getChildFile ("a.mp3"), music.getChildFile ("b.flac"),
                                  music.getChildFile ("sub/C.WAV"), folder.file ("other/live.2020.wav") };

    ASSERT_TRUE (inputs[2].getParentDirectory().createDirectory());
    ASSERT_TRUE (inputs[3].getParentDirectory().createDirectory());
    ASSERT_TRUE (makeSine (inputs[0], 1.0, { "-codec:a", "libmp3lame" }));
    ASSERT_TRUE (makeSine (inputs[1], 1.0, {}, 22050, 1));
    ASSERT_TRUE (makeSine (inputs[2], 1.0, {}, 96000, 2));
    ASSERT_TRUE (makeSine (inputs[3], 1.0));
    ASSERT_TRUE (music.getChildFile ("cover.jpg").replaceWithText ("not audio"));

    makeComponent();
    chooseOptions ("48000", "24", "stereo");

    component->filesDropped ({ music.getFullPathName(), inputs[3].getFullPathName() }, 0, 0);
    EXPECT_EQ (inputList().getText(), inputs[0].getFullPathName() + "\n" + inputs[1].getFullPathName() + "\n"
                                          + inputs[2].getFullPathName() + "\n" + music.getFullPathName() + "\n"
                                          + inputs[3].getFullPathName());

    // A blank line and the lines naming a folder are passed over without a word.
    inputList().setText (inputList().getText() + "\n\n " + music.getFullPathName() + " ", true);

    convert();

    juce::String expectedLog;

    for (auto& input : inputs)
    {
        const auto facts = probeAudio (getOutputFileFor (input));
        EXPECT_TRUE (facts.ok) << input.getFullPathName();
        EXPECT_EQ (facts.formatName, "wav");
        EXPECT_EQ (facts.codecName, "pcm_s24le");
        EXPECT_EQ (facts.sampleRate, 48000);
        EXPECT_EQ (facts.channels, 2);
        EXPECT_NEAR (facts.durationSeconds, 1.0, 0.1);
        expectedLog << expectedLogOf (input, "Conversion successful");
    }

    EXPECT_EQ (logEditor().getText(), expectedLog + "\n\nall done!\nYou can check then output files and close this application.");
    EXPECT_FALSE (music.getChildFile ("KIV_Wav/KIV_Wav").exists());
    EXPECT_FALSE (music.getParentDirectory().getChildFile ("KIV_Wav").exists()) << "no output folder for a folder line";
    EXPECT_TRUE (inputList().isEnabled());
    EXPECT_EQ (countNotConvertedAlerts (false), 0);
}

TEST_F (ContentTest, StopEndsTheRunWithoutPartialOutputAndSaysSo)
{
    const auto input = folder.file ("long.flac");
    ASSERT_TRUE (makeSine (input, 30.0));
    writeRealTimeConfig();
    makeComponent();

    component->filesDropped ({ input.getFullPathName() }, 0, 0);
    click (Child::start);

    const std::regex percentLine ("Converting: 1/1 [0-9]+% .*long\\.flac");
    ASSERT_TRUE (pumpUntil ([&]
                            { return std::regex_match (progressText().toStdString(), percentLine); },
                            20000))
        << progressText();
    EXPECT_EQ (startButton().getButtonText(), "Stop");
    EXPECT_FALSE (inputList().isEnabled());
    EXPECT_FALSE (child (Child::clearInput).isEnabled());
    EXPECT_TRUE (child (Child::copyLog).isEnabled());
    EXPECT_FALSE (component->isInterestedInFileDrag ({ input.getFullPathName() })) << "drops are refused during a run";

    // Called straight, so that the button is seen before the end of the run brings "Start" back.
    component->buttonClicked (&startButton());
    EXPECT_EQ (startButton().getButtonText(), "Stopping");

    ASSERT_TRUE (waitUntilIdle());
    EXPECT_FALSE (getOutputFileFor (input).exists());
    EXPECT_FALSE (getOutputFileFor (input).getSiblingFile (".long.wav").exists());
    EXPECT_FALSE (juce::FFMpegHelper::getPartialFileFor (getOutputFileFor (input)).exists());
    EXPECT_EQ (logEditor().getText(), expectedLogOf (input, "Stopped") + "\n\nall done!\nYou can check then output files and close this application.");
    EXPECT_TRUE (inputList().isEnabled());
    EXPECT_TRUE (component->isInterestedInFileDrag ({ input.getFullPathName() }));
    EXPECT_TRUE (pumpUntil ([this]
                            { return countNotConvertedAlerts (true) == 1; },
                            2000));
}

TEST_F (ContentTest, ACorruptInputIsReportedAsFailedAndRaisesTheAlert)
{
    const auto good = folder.file ("good.wav");
    const auto bad = folder.file ("bad.mp3");
    ASSERT_TRUE (makeSine (good, 0.5));
    ASSERT_TRUE (bad.replaceWithText ("this is no audio at all, only text in a file named like one"));

    makeComponent();
    component->filesDropped ({ bad.getFullPathName(), good.getFullPathName() }, 0, 0);
    convert();

    const auto log = logEditor().getText();
    EXPECT_TRUE (log.startsWith ("Converting: " + bad.getFullPathName() + " => " + getOutputFileFor (bad).getFullPathName() + "\nConversion failed: ")) << log;
    EXPECT_TRUE (log.contains (expectedLogOf (good, "Conversion successful"))) << log;
    EXPECT_FALSE (getOutputFileFor (bad).exists());
    EXPECT_TRUE (probeAudio (getOutputFileFor (good)).ok);
    EXPECT_TRUE (pumpUntil ([this]
                            { return countNotConvertedAlerts (true) == 1; },
                            2000));
}

TEST_F (ContentTest, AnInputWhoseOutputThisRunHasWrittenIsReportedAndRaisesTheAlert)
{
    const auto flac = folder.file ("song.flac");
    const auto mp3 = folder.file ("song.mp3");
    ASSERT_TRUE (makeSine (flac, 1.0));
    ASSERT_TRUE (makeSine (mp3, 0.5, { "-codec:a", "libmp3lame" }));

    makeComponent();
    component->filesDropped ({ flac.getFullPathName(), mp3.getFullPathName() }, 0, 0);
    convert();

    EXPECT_EQ (logEditor().getText(),
               expectedLogOf (flac, "Conversion successful")
                   + expectedLogOf (mp3, "Conversion failed: the same output was written earlier in this run from " + flac.getFullPathName())
                   + "\n\nall done!\nYou can check then output files and close this application.");
    EXPECT_NEAR (probeAudio (getOutputFileFor (flac)).durationSeconds, 1.0, 0.05);
    EXPECT_TRUE (pumpUntil ([this]
                            { return countNotConvertedAlerts (true) == 1; },
                            2000));
}

// Start after Stop runs what the stopped run left over, then the whole list: the files that
// already ran are converted again into their own outputs, and nothing counts as not converted.
TEST_F (ContentTest, StartAfterStopConvertsTheLeftoversAndTheWholeListWithoutAnAlert)
{
    juce::StringArray paths;
    juce::Array<juce::File> inputs;

    for (int i = 0; i < 5; ++i)
    {
        inputs.add (folder.file ("s" + juce::String (i) + ".flac"));
        ASSERT_TRUE (makeSine (inputs.getLast(), 1.0));
        paths.add (inputs.getLast().getFullPathName());
    }

    writeRealTimeConfig();
    makeComponent();
    component->filesDropped (paths, 0, 0);
    click (Child::start);
    ASSERT_TRUE (pumpUntil ([this]
                            { return progressText().startsWith ("Converting: 2/5"); },
                            20000))
        << progressText();

    component->buttonClicked (&startButton());
    ASSERT_TRUE (waitUntilIdle());
    EXPECT_EQ (logEditor().getText(), expectedLogOf (inputs[0], "Conversion successful") + expectedLogOf (inputs[1], "Stopped")
                                          + "\n\nall done!\nYou can check then output files and close this application.");
    EXPECT_TRUE (pumpUntil ([this]
                            { return countNotConvertedAlerts (true) == 1; },
                            2000));

    convert();

    juce::String expectedLog;

    for (auto index : { 2, 3, 4, 0, 1, 2, 3, 4 })
        expectedLog << expectedLogOf (inputs[index], "Conversion successful");

    EXPECT_EQ (logEditor().getText(), expectedLog + "\n\nall done!\nYou can check then output files and close this application.");

    for (auto& input : inputs)
        EXPECT_NEAR (probeAudio (getOutputFileFor (input)).durationSeconds, 1.0, 0.05) << input.getFileName();

    pumpUntil ([]
               { return false; },
               300);
    EXPECT_EQ (countNotConvertedAlerts (true), 0);
}

// A folder and a file inside it dropped together list the file twice, and a typed path may
// spell it otherwise: one file, one output, converted each time it is listed.
TEST_F (ContentTest, AFileListedAgainIsConvertedAgainWithoutAnAlert)
{
    const auto music = folder.file ("d");
    const auto tone = music.getChildFile ("tone.wav");
    ASSERT_TRUE (music.createDirectory());
    ASSERT_TRUE (makeSine (tone, 0.5));

    makeComponent();
    component->filesDropped ({ music.getFullPathName(), tone.getFullPathName() }, 0, 0);
    inputList().setText (inputList().getText() + "\n" + music.getFullPathName() + "//tone.wav\n" + music.getFullPathName() + "/./tone.wav", true);
    convert();

    EXPECT_EQ (logEditor().getText(), juce::String::repeatedString (expectedLogOf (tone, "Conversion successful"), 4)
                                          + "\n\nall done!\nYou can check then output files and close this application.");
    EXPECT_NEAR (probeAudio (getOutputFileFor (tone)).durationSeconds, 0.5, 0.05);
    pumpUntil ([]
               { return false; },
               300);
    EXPECT_EQ (countNotConvertedAlerts (true), 0);
}

// KIV_Wav as a link to its own folder puts song.flac's output onto the listed song.wav: the
// user's song.wav stays, and the log says why song.flac was not converted.
TEST_F (ContentTest, AnOutputThatWouldReplaceAnotherInputIsReportedAndRaisesTheAlert)
{
    const auto flac = folder.file ("song.flac");
    const auto wav = folder.file ("song.wav");
    ASSERT_TRUE (makeSine (flac, 1.0));
    ASSERT_TRUE (makeSine (wav, 0.5));
    ASSERT_EQ (::symlink (".", folder.file ("KIV_Wav").getFullPathName().toRawUTF8()), 0);
    juce::MemoryBlock wavBytes;
    ASSERT_TRUE (wav.loadFileAsData (wavBytes));

    makeComponent();
    inputList().setText (wav.getFullPathName() + "\n" + flac.getFullPathName(), true);
    convert();

    EXPECT_EQ (logEditor().getText(),
               expectedLogOf (wav, "exists not convert")
                   + expectedLogOf (flac, "Conversion failed: its output would replace the input " + wav.getFullPathName())
                   + "\n\nall done!\nYou can check then output files and close this application.");
    juce::MemoryBlock after;
    EXPECT_TRUE (wav.loadFileAsData (after) && after == wavBytes);
    EXPECT_TRUE (pumpUntil ([this]
                            { return countNotConvertedAlerts (true) == 1; },
                            2000));
}

TEST_F (ContentTest, ARunWithNothingToConvertEndsAtOnceAndSaysWhatItDidNotFind)
{
    const juce::String doneText = "\n\nall done!\nYou can check then output files and close this application.";
    makeComponent();
    inputList().setText ("/nowhere/ghost.mp3\n" + folder.get().getFullPathName(), true);
    click (Child::clearInput);
    EXPECT_TRUE (inputList().isEmpty());

    // An empty list asks for nothing.
    convert();
    EXPECT_EQ (logEditor().getText(), doneText);
    pumpUntil ([]
               { return false; },
               300);
    EXPECT_EQ (countNotConvertedAlerts (true), 0);

    // A list in which no line names a file does not end as if all were well.
    inputList().setText (" \n/nowhere/ghost.mp3\n\t\n", true);
    convert();
    EXPECT_EQ (logEditor().getText(), "File not found: /nowhere/ghost.mp3\n\n" + doneText);
    EXPECT_TRUE (pumpUntil ([this]
                            { return countNotConvertedAlerts (true) == 1; },
                            2000));
    EXPECT_FALSE (juce::File ("/nowhere/KIV_Wav").exists());
}

TEST_F (ContentTest, EveryLineThatNamesNoFileIsToldInTheLog)
{
    const auto a = folder.file ("a.wav");
    const auto b = folder.file ("b.wav");
    const auto c = folder.file ("c.wav");

    for (auto& input : { a, b, c })
        ASSERT_TRUE (makeSine (input, 0.5));

    makeComponent();
    const juce::StringArray lines { "  " + a.getFullPathName(), "  " + b.getFullPathName() + " \r", "",
                                    folder.file ("typo.wav").getFullPathName(), folder.get().getFullPathName(),
                                    "file://" + c.getFullPathName() };
    inputList().setText (lines.joinIntoString ("\n"), true);
    convert();

    // The lines that name nothing come first: they are known when Start is pressed. A folder is
    // no such line.
    EXPECT_EQ (logEditor().getText(), "File not found: " + folder.file ("typo.wav").getFullPathName() + "\n\n"
                                          + "File not found: file://" + c.getFullPathName() + "\n\n"
                                          + expectedLogOf (a, "Conversion successful") + expectedLogOf (b, "Conversion successful")
                                          + "\n\nall done!\nYou can check then output files and close this application.");
    EXPECT_TRUE (probeAudio (getOutputFileFor (b)).ok);
    EXPECT_FALSE (getOutputFileFor (c).exists());
    EXPECT_TRUE (pumpUntil ([this]
                            { return countNotConvertedAlerts (true) == 1; },
                            2000));
}

TEST_F (ContentTest, TheLogEditorShowsExactlyTheLogTextAsItGrowsAndIsReplaced)
{
    makeComponent();
    const auto tick = [this]
    { component->refreshLogEditor(); };

    // Each step changes the log text and then refreshes once: what the editor shows after it.
    const struct
    {
        const char* text;
        bool append;
        const char* shown;
    } steps[] = {
        { "Converting: a => b\n", true, "Converting: a => b\n" },
        { "Conversion successful\n\n", true, "Converting: a => b\nConversion successful\n\n" },
        { "", true, "Converting: a => b\nConversion successful\n\n" },
        { "Start again\n", false, "Start again\n" },
        { "\xc3\xa9t\xc3\xa9 \xe4\xb8\xad\n", true, "Start again\n\xc3\xa9t\xc3\xa9 \xe4\xb8\xad\n" },
        { "", false, "" },
        { "x", true, "x" },
    };

    for (const auto& step : steps)
    {
        component->setLogText (juce::String::fromUTF8 (step.text), step.append);
        tick();
        EXPECT_EQ (logEditor().getText(), juce::String::fromUTF8 (step.shown)) << step.text;
        EXPECT_EQ (logEditor().getCaretPosition(), logEditor().getTotalNumChars());
    }

    // Several changes within one period give one refresh showing all of them.
    component->setLogText ("1", true);
    component->setLogText ("2", false);
    component->setLogText ("3", true);
    tick();
    EXPECT_EQ (logEditor().getText(), "23");

    // A message written straight into the editor goes at the next change of the log text.
    logEditor().setText ("ffmpeg file is not exists.", true);
    component->setLogText ("4", true);
    tick();
    EXPECT_EQ (logEditor().getText(), "234");

    // The user's selection in the read-only editor does not take the new text's place.
    logEditor().setHighlightedRegion ({ 0, 2 });
    component->setLogText ("5", true);
    tick();
    EXPECT_EQ (logEditor().getText(), "2345");
    EXPECT_TRUE (logEditor().isReadOnly());
}

TEST_F (ContentTest, TwoRunsLeaveExactlyTheSecondRunsLogInTheEditorAndOnTheClipboard)
{
    juce::Array<juce::File> inputs;

    for (auto name : { "one.wav", "two.wav", "three.wav", "four.wav" })
    {
        inputs.add (folder.file (name));
        ASSERT_TRUE (makeSine (inputs.getLast(), 0.5));
    }

    const juce::String doneText = "\n\nall done!\nYou can check then output files and close this application.";
    makeComponent();

    const auto convertAndCheck = [this, &doneText] (const juce::Array<juce::File>& list)
    {
        juce::StringArray lines;
        juce::String expectedLog;

        for (auto& input : list)
        {
            lines.add (input.getFullPathName());
            expectedLog << expectedLogOf (input, "Conversion successful");
        }

        inputList().setText (lines.joinIntoString ("\n"), true);
        convert();
        EXPECT_EQ (logEditor().getText(), expectedLog + doneText);

        click (Child::copyLog);
        EXPECT_EQ (readClipboardWithXclip(), expectedLog + doneText);
    };

    convertAndCheck (inputs);
    convertAndCheck ({ inputs[3], inputs[1] });
}

TEST_F (ContentTest, OptionsComeBackAtTheNextStart)
{
    makeComponent();
    EXPECT_EQ (child<juce::ComboBox> (Child::sampleRate).getText(), "44100");
    EXPECT_EQ (child<juce::ComboBox> (Child::bitDepth).getText(), "16");
    EXPECT_EQ (child<juce::ComboBox> (Child::channel).getText(), "mono");

    chooseOptions ("48000", "24", "stereo");
    destroyComponent();

    const auto saved = juce::JSON::parse (getConfigFile());
    EXPECT_EQ ((int) saved["samplerate"]["default"], 5);
    EXPECT_EQ ((int) saved["bit"]["default"], 1);
    EXPECT_EQ ((int) saved["channel"]["default"], 1);

    makeComponent();
    EXPECT_EQ (child<juce::ComboBox> (Child::sampleRate).getText(), "48000");
    EXPECT_EQ (child<juce::ComboBox> (Child::bitDepth).getText(), "24");
    EXPECT_EQ (child<juce::ComboBox> (Child::channel).getText(), "stereo");
}

TEST_F (ContentTest, StartWithAListWithoutChoiceNamesTheListAndStartsNothing)
{
    const auto input = folder.file ("a.wav");
    ASSERT_TRUE (makeSine (input, 0.5));
    writeRealTimeConfig();
    auto config = getConfigFile().loadFileAsString().replace (R"("samplerate":{"default":0)", R"("samplerate":{"default":7)");
    ASSERT_TRUE (getConfigFile().replaceWithText (config));

    makeComponent();
    EXPECT_EQ (child<juce::ComboBox> (Child::sampleRate).getSelectedId(), 0);
    component->filesDropped ({ input.getFullPathName() }, 0, 0);
    click (Child::start);

    EXPECT_FALSE (component->isConversionRunning());
    EXPECT_TRUE (logEditor().getText().contains ("\"Sample Rate\"")) << logEditor().getText();
    pumpUntil ([]
               { return false; },
               300);
    EXPECT_EQ (startButton().getButtonText(), "Start");
    EXPECT_TRUE (inputList().isEnabled());
    EXPECT_FALSE (getOutputFileFor (input).getParentDirectory().exists());
}

TEST_F (ContentTest, AChineseWindowGivesItsOwnReasonsAndMessagesInChinese)
{
    installTranslationTable (TranslationTable::simplifiedChinese);

    // A file where the output folder should go: the folder cannot be made.
    const auto input = folder.file ("a.wav");
    ASSERT_TRUE (makeSine (input, 0.5));
    ASSERT_TRUE (getOutputFileFor (input).getParentDirectory().replaceWithText ("in the way"));
    writeRealTimeConfig();

    makeComponent();
    component->filesDropped ({ input.getFullPathName() }, 0, 0);
    click (Child::start);
    ASSERT_TRUE (pumpUntil ([this]
                            { return ! component->isConversionRunning() && logEditor().getText().contains (juce::String::fromUTF8 (u8"全部完成!")); },
                            runTimeoutMs))
        << logEditor().getText();

    EXPECT_TRUE (logEditor().getText().startsWith (juce::String::fromUTF8 (u8"正在转换: ") + input.getFullPathName() + " => "
                                                   + getOutputFileFor (input).getFullPathName() + "\n"
                                                   + juce::String::fromUTF8 (u8"转换失败: 无法创建输出文件夹: File exists\n")))
        << logEditor().getText();

    // The alert is titled in Chinese too.
    EXPECT_TRUE (pumpUntil ([]
                            {
                                auto& desktop = juce::Desktop::getInstance();

                                for (int i = desktop.getNumComponents(); --i >= 0;)
                                    if (auto* alert = dynamic_cast<juce::AlertWindow*> (desktop.getComponent (i));
                                        alert != nullptr && alert->getName() == juce::String::fromUTF8 (u8"注意") && alert->isCurrentlyModal())
                                    {
                                        alert->exitModalState (0);
                                        return true;
                                    }

                                return false; },
                            2000));

    destroyComponent();
    auto config = getConfigFile().loadFileAsString().replace (R"("samplerate":{"default":0)", R"("samplerate":{"default":7)");
    ASSERT_TRUE (getConfigFile().replaceWithText (config));
    makeComponent();
    click (Child::start);
    EXPECT_EQ (logEditor().getText(), juce::String::fromUTF8 (u8"列表中没有选中任何一项 \"采样率\". 请在其中选择一项，然后再按“开始”。"));
}

TEST_F (ContentTest, AConverterRemovedAfterStartUpIsUnpackedAgainAtStart)
{
    const auto input = folder.file ("a.wav");
    ASSERT_TRUE (makeSine (input, 0.5));
    makeComponent();
    component->filesDropped ({ input.getFullPathName() }, 0, 0);

    // A cleaner of the temporary folder took it.
    const auto converter = platform::getConverterFile();
    ASSERT_TRUE (converter.deleteFile());
    convert();

    EXPECT_TRUE (converter.existsAsFile());
    EXPECT_EQ (logEditor().getText(), expectedLogOf (input, "Conversion successful") + "\n\nall done!\nYou can check then output files and close this application.");
    EXPECT_TRUE (probeAudio (getOutputFileFor (input)).ok);
}

TEST_F (ContentTest, AConverterThatCannotBeUnpackedAgainAtStartIsToldWithTheReason)
{
    const auto input = folder.file ("a.wav");
    ASSERT_TRUE (makeSine (input, 0.5));
    const juce::File temporary (juce::SystemStats::getEnvironmentVariable ("TMPDIR", {}));
    const auto converter = platform::getConverterFile();
    const juce::String downloadAdvice ("ffmpeg file is not exists. \nYou can download FFMPEG from:\nhttps://ffmpeg.org/download.html\n\n");

    struct Case
    {
        const char* what;
        bool othersMayWrite; // the folder is then no place to run a program from
        bool diskFull;
        juce::String reason; // what the log must tell after the advice
    };

    const Case cases[] {
        { "a folder that others may write to", true, false, temporary.getFullPathName() + " can be written by other users" },
        { "a disk that takes no more bytes", false, true, "the converter could not be unpacked: cannot write " + temporary.getFullPathName() + "/.ffmpeg-" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        makeComponent();
        component->filesDropped ({ input.getFullPathName() }, 0, 0);

        // A cleaner of the temporary folder took it, and it cannot come back now.
        ASSERT_TRUE (converter.deleteFile());

        {
            std::optional<testing_support::FileSizeLimit> limit;

            if (c.diskFull)
                limit.emplace (1000);

            if (c.othersMayWrite)
            {
                ASSERT_EQ (::chmod (temporary.getFullPathName().toRawUTF8(), 0770), 0);
            }

            click (Child::start);
            ::chmod (temporary.getFullPathName().toRawUTF8(), 0700);
        }

        EXPECT_FALSE (component->isConversionRunning());
        EXPECT_TRUE (logEditor().getText().startsWith (downloadAdvice + c.reason)) << logEditor().getText();
        EXPECT_TRUE (startButton().isEnabled()) << "the user may mend it and try again";
        EXPECT_FALSE (getOutputFileFor (input).getParentDirectory().exists());
        EXPECT_FALSE (converter.exists());
        EXPECT_EQ (temporary.getNumberOfChildFiles (juce::File::findFiles | juce::File::ignoreHiddenFiles, "*"),
                   temporary.getNumberOfChildFiles (juce::File::findFiles, "*"))
            << "no half-written converter is left";

        // Put right, the next Start unpacks it and converts.
        convert();
        EXPECT_TRUE (probeAudio (getOutputFileFor (input)).ok);
        ASSERT_TRUE (getOutputFileFor (input).getParentDirectory().deleteRecursively());
    }
}

TEST_F (ContentTest, CopyOutputLogPutsTheLogOnTheClipboard)
{
    makeComponent();
    juce::SystemClipboard::copyTextToClipboard ("held before");
    click (Child::copyLog);
    EXPECT_EQ (readClipboardWithXclip(), "held before") << "an empty log copies nothing";

    inputList().setText ("/nowhere/ghost.mp3", true);
    convert();
    click (Child::copyLog);

    EXPECT_EQ (readClipboardWithXclip(), logEditor().getText());
    EXPECT_EQ (logEditor().getHighlightedRegion().getLength(), 0);
}

TEST_F (ContentTest, CopyOutputLogOfALongLogArrivesWholeInAnotherProgramThroughTheClipboard)
{
    makeComponent();

    // More than JUCE's own clipboard serves (1,000,000 bytes), and than one X request carries.
    juce::MemoryOutputStream log;

    for (int i = 0; i < 10000; ++i)
        log << "Converting: /home/someone/Music/Künstler/" << i << ".flac => /home/someone/Music/Künstler/KIV_Wav/"
            << i << ".wav\nConversion successful\n\n";

    // Not yet refreshed into the editor: the copy takes the log as it is at the click.
    component->setLogText (log.toUTF8(), false);
    click (Child::copyLog);

    EXPECT_TRUE (readClipboardWithXclip() == log.toUTF8());
    EXPECT_TRUE (logEditor().getText() == log.toUTF8());
}

TEST_F (ContentTest, ALongSelectionIsHighlightedExactlyOverItsVisibleTextAndCopiedExactlyToTheClipboard)
{
    makeComponent();

    // Lines of several words and of different lengths, so that the selection's ends fall
    // inside words and its lines end at different places; in the log, every tenth line holds a
    // name too long for one row, which the editor breaks over several.
    const auto makeText = [] (const juce::String& prefix, int lines, int longNameEvery)
    {
        juce::String text;

        for (int i = 0; i < lines; ++i)
        {
            text << prefix << i << " Künstler " << juce::String::repeatedString ("ab ", i % 7) << "track.flac";

            if (i % longNameEvery == 5)
                text << " /" << juce::String::repeatedString ("Some_Album_", 25) << i << ".wav";

            text << "\n";
        }

        return text;
    };

    const auto listText = makeText ("/music/album ", 3000, 100000);
    const auto logText = makeText ("converting: /music/", 2000, 10);
    component->setLogText (logText, false);
    component->refreshLogEditor();
    inputList().setText (listText, false);
    ASSERT_TRUE (logEditor().getText() == logText);

    // The character where each line starts.
    const auto lineStarts = [] (const juce::String& text)
    {
        std::vector<int> starts { 0 };
        int index = 0;

        for (const auto c : text)
        {
            ++index;

            if (c == '\n')
                starts.push_back (index);
        }

        return starts;
    };

    const auto listLines = lineStarts (listText), logLines = lineStarts (logText);
    const juce::Range<int> listSelection { listLines[100] + 7, listLines[2900] + 9 };
    const juce::Range<int> logSelection { logLines[3] + 23, logLines[1990] + 4 };
    const auto longNameOf1005 = logText.indexOf (logLines[1005], "/Some_Album_");

    // Each view shows the row of a character at its top, or so many pixels below it.
    const struct
    {
        const char* what;
        juce::TextEditor& editor;
        const std::vector<int>& lines;
        juce::Range<int> selection;
        int topCharacter, pixelsLower;
    } views[] = {
        { "the list in the middle of its selection", inputList(), listLines, listSelection, listLines[1500], 0 },
        { "the list with its top row cut", inputList(), listLines, listSelection, listLines[1500], 7 },
        { "the list at its selection's start", inputList(), listLines, listSelection, listLines[96], 0 },
        { "the list at its selection's end", inputList(), listLines, listSelection, listLines[2895], 0 },
        { "the log at its selection's start", logEditor(), logLines, logSelection, 0, 0 },
        { "the log in the middle of its selection", logEditor(), logLines, logSelection, logLines[1000], 0 },
        { "the log from the second row of a long name", logEditor(), logLines, logSelection, longNameOf1005 + 100, 9 },
        { "the log from the last row of a long name", logEditor(), logLines, logSelection, logLines[1006] - 2, 9 },
    };

    for (const auto& view : views)
    {
        auto& editor = view.editor;
        editor.setColour (juce::TextEditor::highlightColourId, juce::Colours::lime);
        editor.setColour (juce::TextEditor::highlightedTextColourId, juce::Colours::red);
        auto* viewport = dynamic_cast<juce::Viewport*> (editor.getChildComponent (0));
        ASSERT_NE (viewport, nullptr);

        const auto lineHeight = juce::roundToInt (editor.getFont().getHeight());
        const auto rowY = [&editor] (int index)
        { return editor.getCaretRectangleForCharIndex (index).getY(); };
        const auto viewY = rowY (view.topCharacter) - rowY (0) + view.pixelsLower;

        const auto snapshotWith = [&] (juce::Range<int> selection)
        {
            editor.setHighlightedRegion (selection);
            viewport->setViewPosition (0, viewY);
            return editor.createComponentSnapshot (editor.getLocalBounds());
        };

        const auto plain = snapshotWith ({});
        const auto selected = snapshotWith (view.selection);

        // Where the highlight belongs: the bounds of the selected part of each line in the
        // view, which the editor reports line by line.
        const auto shown = viewport->getBounds().withSize (viewport->getMaximumVisibleWidth(), viewport->getMaximumVisibleHeight());
        const auto lineOf = [&view] (int index)
        { return (int) (std::upper_bound (view.lines.begin(), view.lines.end(), index) - view.lines.begin()) - 1; };
        const auto firstLine = juce::jmax (0, lineOf (editor.getTextIndexAt (shown.getTopLeft())) - 1);
        const auto endLine = juce::jmin ((int) view.lines.size() - 1, lineOf (editor.getTextIndexAt (shown.getBottomRight())) + 2);
        juce::RectangleList<int> highlight;

        for (auto line = firstLine; line < endLine; ++line)
        {
            const auto part = view.selection.getIntersectionWith ({ view.lines[(size_t) line], view.lines[(size_t) line + 1] });

            if (! part.isEmpty())
                highlight.add (editor.getTextBounds (part));
        }

        // The selected lines are drawn differently from the same lines unselected exactly there.
        int highlightedPixels = 0, misdrawnPixels = 0;

        for (int y = shown.getY(); y < shown.getBottom(); ++y)
        {
            for (int x = shown.getX(); x < shown.getRight(); ++x)
            {
                const auto inHighlight = highlight.containsPoint ({ x, y });
                highlightedPixels += inHighlight ? 1 : 0;
                misdrawnPixels += inHighlight == (selected.getPixelAt (x, y) == plain.getPixelAt (x, y)) ? 1 : 0;
            }
        }

        EXPECT_GT (highlightedPixels, shown.getWidth() * lineHeight) << view.what;
        EXPECT_EQ (misdrawnPixels, 0) << view.what;
    }

    // Ctrl+C copies exactly the selection, to both selections of the display.
    const struct
    {
        const char* what;
        juce::TextEditor& editor;
        const juce::String& text;
        juce::Range<int> selection;
    } copies[] = {
        { "the list", inputList(), listText, listSelection },
        { "the log", logEditor(), logText, logSelection },
    };

    for (const auto& copy : copies)
    {
        copy.editor.setHighlightedRegion (copy.selection);
        copy.editor.keyPressed (juce::KeyPress ('c', juce::ModifierKeys::commandModifier, 0));
        const auto expected = copy.text.substring (copy.selection.getStart(), copy.selection.getEnd());
        const auto primary = testing_support::readSelectionWithXclip ("primary");
        EXPECT_TRUE (readClipboardWithXclip() == expected) << copy.what;
        EXPECT_TRUE (juce::String::fromUTF8 (static_cast<const char*> (primary.getData()), (int) primary.getSize()) == expected) << copy.what;
    }

    // Copy Output Log copies the whole log whatever part of it is selected, and leaves nothing selected.
    click (Child::copyLog);
    EXPECT_TRUE (readClipboardWithXclip() == logText);
    EXPECT_TRUE (logEditor().getHighlightedRegion().isEmpty());
}

TEST_F (ContentTest, TwoMegabytesOfPathsPastedFromTheClipboardArriveWholeByKeyAndByMenu)
{
    juce::MemoryOutputStream paths;

    for (int i = 0; paths.getDataSize() < 2000000; ++i)
        paths << folder.get().getFullPathName() << "/Künstler 音楽/track-" << i << ".flac\n";

    const auto text = paths.toUTF8();
    const testing_support::XclipSelectionOwner otherProgram ({ text.toRawUTF8(), text.getNumBytesAsUTF8() });
    ASSERT_TRUE (otherProgram.isServing());
    makeComponent();

    const struct
    {
        const char* what;
        std::function<void (juce::TextEditor&)> paste;
    } ways[] = {
        { "Ctrl+V", [] (juce::TextEditor& editor)
          { editor.keyPressed (juce::KeyPress ('v', juce::ModifierKeys::commandModifier, 0)); } },
        { "Shift+Insert", [] (juce::TextEditor& editor)
          { editor.keyPressed (juce::KeyPress (juce::KeyPress::insertKey, juce::ModifierKeys::shiftModifier, 0)); } },
        { "the menu's Paste", [] (juce::TextEditor& editor)
          { editor.performPopupMenuAction (juce::StandardApplicationCommandIDs::paste); } },
    };

    for (const auto& way : ways)
    {
        inputList().clear();
        way.paste (inputList());
        EXPECT_EQ (inputList().getText().getNumBytesAsUTF8(), text.getNumBytesAsUTF8()) << way.what;
        EXPECT_TRUE (inputList().getText() == text) << way.what;
    }
}

TEST_F (ContentTest, GoingAwayDuringARunLeavesNothingBehind)
{
    const auto input = folder.file ("long.wav");
    ASSERT_TRUE (makeSine (input, 30.0));
    writeRealTimeConfig();
    makeComponent();

    component->filesDropped ({ input.getFullPathName() }, 0, 0);
    click (Child::start);
    ASSERT_TRUE (pumpUntil ([this]
                            { return progressText().contains ("%"); },
                            20000));

    // Closures the run posted are still pending when the component goes; none may reach it.
    destroyComponent();
    pumpUntil ([]
               { return false; },
               300);

    EXPECT_FALSE (getOutputFileFor (input).exists());
    EXPECT_TRUE (getConfigFile().existsAsFile());
}

TEST_F (ContentTest, AConverterFolderThatCannotBeUsedIsToldAtStartInTheLogsFontAndLanguage)
{
    installTranslationTable (TranslationTable::simplifiedChinese);

    // A temporary folder that others may write to is no place to run a program from.
    const juce::File temporary (juce::SystemStats::getEnvironmentVariable ("TMPDIR", {}));
    ASSERT_TRUE (temporary.isDirectory());
    ASSERT_EQ (::chmod (temporary.getFullPathName().toRawUTF8(), 0770), 0);
    const juce::ScopeGuard restore { [&temporary]
                                     { ::chmod (temporary.getFullPathName().toRawUTF8(), 0700); } };

    makeComponent();
    EXPECT_FALSE (startButton().isEnabled());

    const auto textAtStart = logEditor().getText();
    EXPECT_TRUE (textAtStart.startsWith ("ffmpeg file is not exists.")) << textAtStart;
    EXPECT_TRUE (textAtStart.endsWith ("\n\n" + temporary.getFullPathName() + juce::String::fromUTF8 (u8" 可以被其他用户写入"))) << textAtStart;

    // It looks exactly as the same message does when Start shows it, in the log's own font.
    const auto snapshot = [this]
    { return logEditor().createComponentSnapshot (logEditor().getLocalBounds()); };
    const auto shownAtStart = snapshot();
    logEditor().clear();
    component->buttonClicked (&startButton());
    EXPECT_EQ (logEditor().getText(), textAtStart);
    EXPECT_TRUE (isSameImage (snapshot(), shownAtStart));
}
