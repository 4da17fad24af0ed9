#pragma once

#include "app/Localisation.h"
#include "app/MainContentComponent.h"
#include "app/SettingsFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

class HID_Write_Thread;

namespace app_tests
{

/** Children of the content component, by their place in its stacking order. */
enum class Child
{
    start,
    log,
    inputFiles,
    copyLog,
    ffmpegPath,
    ffmpegPathButton,
    progress,
    clearInput,
    sampleRate,
    bitDepth,
    sampleRateLabel,
    bitDepthLabel,
    bitUnit,
    channel,
    channelLabel,
    hzUnit,
    overrideToggle,
    addFiles
};

/** The content component on the desktop, as the main window shows it, with helpers for
    driving it the way a user does.
*/
class ContentTest : public ::testing::Test
{
protected:
    static constexpr int runTimeoutMs = 120000;

    void SetUp() override;
    void TearDown() override;

    /** Builds (or builds anew) the component: it loads config.json as it stands then. */
    void makeComponent();
    void destroyComponent();

    [[nodiscard]] juce::Component& child (Child which) const;

    template <typename WidgetType>
    [[nodiscard]] WidgetType& child (Child which) const
    {
        auto* widget = dynamic_cast<WidgetType*> (&child (which));
        EXPECT_NE (widget, nullptr);
        return *widget;
    }

    [[nodiscard]] juce::TextButton& startButton() const { return child<juce::TextButton> (Child::start); }
    [[nodiscard]] juce::TextEditor& inputList() const { return child<juce::TextEditor> (Child::inputFiles); }
    [[nodiscard]] juce::TextEditor& logEditor() const { return child<juce::TextEditor> (Child::log); }
    [[nodiscard]] juce::String progressText() const { return child<juce::Label> (Child::progress).getText(); }

    /** A user's click: the button's listeners hear of it in the message loop. */
    void click (Child which);

    void chooseOptions (const juce::String& sampleRate, const juce::String& bitDepth, const juce::String& channel);

    /** Clicks Start and runs the message loop until the run is over and the window idle again. */
    void convert();
    [[nodiscard]] bool isIdleAgain() const;
    bool waitUntilIdle();

    /** Writes config.json so that every conversion runs at the pace of real time. */
    void writeRealTimeConfig() const;
    [[nodiscard]] juce::File getConfigFile() const;

    /** The "not converted" alerts on the desktop; closes them when asked. */
    int countNotConvertedAlerts (bool close) const;

    [[nodiscard]] juce::String expectedLogOf (const juce::File& input, const juce::String& outcome) const;

    testing_support::TemporaryFolder folder;
    std::unique_ptr<MainContentComponent> component;
};

/** Fills a standalone worker as an owner does, with the unpacked converter, and starts it;
    the application's own one unless another is given.
*/
void startWorker (MainContentComponent& owner, const juce::StringArray& inputs);
void startWorker (HID_Write_Thread& worker, MainContentComponent& owner, const juce::StringArray& inputs);

/** Runs the message loop until the worker's thread has ended. */
bool waitForWorkerToEnd (int timeoutMs);

/** The converter processes that are children of this process, ended but unreaped ones included. */
[[nodiscard]] int countConverterChildren();

} // namespace app_tests
