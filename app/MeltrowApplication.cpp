#include "app/MeltrowApplication.h"

#include "app/HID_Write_Thread.h"
#include "app/Localisation.h"
#include "app/MainContentComponent.h"

#include <csignal>

namespace
{

juce::LookAndFeel_V4::ColourScheme makeLightColourScheme()
{
    return { 0xffefefef, 0xffffffff, 0xffffffff, 0xffdddddd, 0xff000000,
             0xffa9a9a9, 0xffffffff, 0xff42a2c8, 0xff000000 };
}

} // namespace

//==============================================================================
MeltrowApplication::MeltrowApplication()
    : lookAndFeel (makeLightColourScheme())
{
}

MeltrowApplication::~MeltrowApplication()
{
    x11EventQueueWaker.reset();
    quitSignals.reset();
    mainWindow.reset();

    // The framework must not keep pointing at a look-and-feel that is about to go.
    if (&juce::LookAndFeel::getDefaultLookAndFeel() == &lookAndFeel)
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
}

const juce::String MeltrowApplication::getApplicationName() { return "Meltrow"; }
const juce::String MeltrowApplication::getApplicationVersion() { return "1.2.4"; }
bool MeltrowApplication::moreThanOneInstanceAllowed() { return true; }

void MeltrowApplication::initialise (const juce::String&)
{
    // Under a file-size limit a write past it must fail like on a full disk, so that the item
    // is reported as failed, instead of the signal ending the program mid-run.
    std::signal (SIGXFSZ, SIG_IGN);

    juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
    setUpLocalisation (lookAndFeel);

    // Clicks and clipboard requests must not wait in Xlib's queue while the window is busy.
    x11EventQueueWaker = std::make_unique<platform::X11EventQueueWaker>();

    mainWindow = std::make_unique<MainWindow> (getApplicationName() + " " + getApplicationVersion());

    // A terminal's Ctrl+C and Ctrl+\, its hang-up when it is closed, and a session's or service
    // manager's SIGTERM are this platform's quit requests; they pass the quit guard like every
    // other way of quitting.
    quitSignals = std::make_unique<QuitSignals> ([this]
                                                 { systemRequestedQuit(); });
}

void MeltrowApplication::shutdown()
{
    x11EventQueueWaker.reset();
    quitSignals.reset();
    mainWindow.reset();
}

void MeltrowApplication::anotherInstanceStarted (const juce::String&)
{
}

void MeltrowApplication::systemRequestedQuit()
{
    if (checkExitWhenRunning())
        return;

    quit();
}

MainContentComponent* MeltrowApplication::getMainContent() const noexcept
{
    return mainWindow != nullptr ? mainWindow->getMainComponent() : nullptr;
}

//==============================================================================
MeltrowApplication::MainWindow::MainWindow (const juce::String& name)
    : juce::DocumentWindow (name, juce::Colour (0xffd3d3d3), juce::DocumentWindow::allButtons, true)
{
    auto content = std::make_unique<MainContentComponent>();
    mainComponent = content.get();

    setUsingNativeTitleBar (true);
    setContentOwned (content.release(), true);
    setResizeLimits (400, 390, 9999, 9999);
    centreWithSize (getWidth(), getHeight());
    setVisible (true);
    setResizable (true, false);
}

MeltrowApplication::MainWindow::~MainWindow() = default;

void MeltrowApplication::MainWindow::userTriedToCloseWindow()
{
    if (checkExitWhenRunning())
        return;

    closeButtonPressed();
}

void MeltrowApplication::MainWindow::closeButtonPressed()
{
    if (checkExitWhenRunning())
        return;

    juce::JUCEApplication::getInstance()->systemRequestedQuit();
}

//==============================================================================
bool checkExitWhenRunning()
{
    auto* application = dynamic_cast<MeltrowApplication*> (juce::JUCEApplication::getInstance());

    if (application == nullptr)
        return false;

    auto* content = application->getMainContent();
    const auto runnerRuns = content != nullptr && content->isConversionRunning();

    if (! runnerRuns && ! conversionWorker.isThreadRunning())
        return false;

    // The box runs a loop of its own, in which more requests can come (a closed terminal sends
    // its hang-up more than once): the box already up answers them, not a second one on top.
    static bool messageShown = false;

    if (messageShown)
        return true;

    const juce::ScopedValueSetter<bool> showing (messageShown, true);
    juce::NativeMessageBox::showMessageBox (juce::MessageBoxIconType::NoIcon, {},
                                            juce::translate ("exit_when_running"), nullptr);
    return true;
}
