#pragma once

#include "app/QuitSignals.h"
#include "platform/X11EventQueueWaker.h"

#include <juce_gui_basics/juce_gui_basics.h>

class MainContentComponent;

/** The converter application: installs the look-and-feel and the translations, shows the main
    window, and lets no quit path end the program while a conversion runs.
*/
class MeltrowApplication : public juce::JUCEApplication
{
public:
    MeltrowApplication();
    ~MeltrowApplication() override;

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    bool moreThanOneInstanceAllowed() override;

    void initialise (const juce::String& commandLine) override;
    void shutdown() override;
    void anotherInstanceStarted (const juce::String& commandLine) override;
    void systemRequestedQuit() override;

    /** The main window's content, or null before the window exists and after it has gone. */
    [[nodiscard]] MainContentComponent* getMainContent() const noexcept;

    /** The document window around the content component. */
    class MainWindow : public juce::DocumentWindow
    {
    public:
        explicit MainWindow (const juce::String& name);
        ~MainWindow() override;

        void userTriedToCloseWindow() override;
        void closeButtonPressed() override;

        [[nodiscard]] MainContentComponent* getMainComponent() const noexcept { return mainComponent; }

    private:
        MainContentComponent* mainComponent = nullptr; // owned by the window as its content

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
    };

    [[nodiscard]] MainWindow* getMainWindow() const noexcept { return mainWindow.get(); }

private:
    juce::LookAndFeel_V4 lookAndFeel;
    std::unique_ptr<MainWindow> mainWindow;
    std::unique_ptr<QuitSignals> quitSignals;
    std::unique_ptr<platform::X11EventQueueWaker> x11EventQueueWaker;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MeltrowApplication)
};

/** The quit guard: when a conversion runs (the runner's or the standalone worker's), tells the
    user to stop it first (a blocking message box) and returns true, meaning the quit is refused.
    Otherwise returns false at once.
*/
bool checkExitWhenRunning();
