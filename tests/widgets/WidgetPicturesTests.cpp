// Draws every widget of the kit into PNG pictures, for looking at them, and checks a few pixels
// of each picture.

#include "WidgetTestSupport.h"
#include "widgets/ImageKnob.h"
#include "widgets/ProgressLabel.h"
#include "widgets/RoundedPopupMenu.h"
#include "widgets/TextButtonWithIcon.h"
#include "widgets/VImageSlider.h"
#include "widgets/VolumeBar.h"

#include <gtest/gtest.h>

#include <iostream>

using namespace widget_tests;

namespace
{
const juce::Colour sheetColour (0xffd3d3d3);

juce::File picturesFolder()
{
    const juce::File folder (MELTROW_WIDGET_PICTURES_FOLDER);
    folder.createDirectory();
    return folder;
}

void savePicture (const juce::Image& image, const juce::String& name)
{
    const auto file = picturesFolder().getChildFile (name);
    file.deleteFile();
    juce::FileOutputStream stream (file);
    ASSERT_TRUE (stream.openedOk());
    ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (image, stream));
    std::cout << "picture: " << file.getFullPathName() << std::endl;
}

juce::Image makeSheet (int width, int height)
{
    juce::Image sheet (juce::Image::RGB, width, height, true);
    juce::Graphics (sheet).fillAll (sheetColour);
    return sheet;
}

// Paints a component into the sheet at its own position.
void paintAt (juce::Image& sheet, juce::Component& component)
{
    juce::Graphics g (sheet);
    g.setOrigin (component.getPosition());
    g.reduceClipRegion (component.getLocalBounds());
    component.paintEntireComponent (g, true);
}

// Draws Chinese texts while it lives: the default face of this machine lacks their glyphs.
struct ChineseCapableDefaultFace
{
    ChineseCapableDefaultFace() { lookAndFeel.setDefaultSansSerifTypeface (loadChineseTypeface()); }
    ~ChineseCapableDefaultFace() { lookAndFeel.setDefaultSansSerifTypeface (nullptr); }

    juce::LookAndFeel& lookAndFeel = juce::LookAndFeel::getDefaultLookAndFeel();
};

juce::Colour lookAndFeelBackground (juce::LookAndFeel& lookAndFeel)
{
    return sheetColour.overlaidWith (lookAndFeel.findColour (juce::PopupMenu::backgroundColourId));
}

bool isClose (juce::Colour a, juce::Colour b)
{
    const auto near = [] (juce::uint8 x, juce::uint8 y)
    { return std::abs ((int) x - (int) y) <= 2; };
    return near (a.getRed(), b.getRed()) && near (a.getGreen(), b.getGreen()) && near (a.getBlue(), b.getBlue());
}

struct FocusableButton : public juce::TextButtonWithIcon
{
    using juce::TextButtonWithIcon::focusGained;
};
} // namespace

TEST (WidgetPictures, TextButtonWithIcon)
{
    const ChineseCapableDefaultFace chinese;
    const auto serif = loadSerifTypeface();
    auto sheet = makeSheet (300, 210);

    struct Entry
    {
        const char* utf8;
        int row;
        bool down, focused, enabled, arrow;
    };

    const Entry entries[] = {
        { "Normal", 0, false, false, true, true },
        { "Down", 1, true, false, true, true },
        { "Focused", 2, false, true, true, true },
        { "Disabled", 3, false, false, false, true },
        { "\xe8\xbd\xac\xe6\x8d\xa2\xe6\x96\x87\xe4\xbb\xb6", 4, false, false, true, false }, // "convert files"
    };

    for (const auto& e : entries)
    {
        FocusableButton button;
        button.setButtonText (juce::String::fromUTF8 (e.utf8));
        button.setBounds (10, 10 + e.row * 40, 120, 30);
        button.setDrawArrow (e.arrow);
        button.setTypeface (serif);
        button.setEnabled (e.enabled);
        button.setState (e.down ? juce::Button::buttonDown : juce::Button::buttonNormal);

        if (e.focused)
            button.focusGained (juce::Component::focusChangedDirectly);

        paintAt (sheet, button);

        // A wide pill beside each, to show round ends.
        button.setBounds (150, 10 + e.row * 40, 140, 30);
        button.setCornerFactor (0.5f);
        paintAt (sheet, button);

        if (e.row == 1)
        {
            EXPECT_EQ (sheet.getPixelAt (50, 10 + 40 + 27),
                       button.findColour (juce::TextButtonWithIcon::fillDownColourId));
        }
    }

    savePicture (sheet, "text_button_with_icon.png");
}

TEST (WidgetPictures, VolumeBarAndProgressLabel)
{
    // A bar picture from green at the bottom to red at the top.
    juce::Image barPicture (juce::Image::ARGB, 16, 64, true);
    {
        juce::Graphics g (barPicture);
        g.setGradientFill (juce::ColourGradient (juce::Colours::red, 0.0f, 0.0f, juce::Colours::limegreen, 0.0f, 64.0f, false));
        g.fillRect (barPicture.getBounds().reduced (2, 0));
    }

    auto sheet = makeSheet (460, 160);
    const char* levels[] = { "0", "0.25", "0.5", "0.75", "1" };

    for (int i = 0; i < 5; ++i)
    {
        juce::VolumeBar bar;
        bar.setBarImage (barPicture);
        bar.setBounds (10 + i * 30, 10, 20, 140);
        bar.setText (levels[i], juce::dontSendNotification);
        paintAt (sheet, bar);
    }

    // Level 0.5: the top half is still the sheet, the bottom half the green end of the picture.
    EXPECT_EQ (sheet.getPixelAt (100, 40), sheetColour);
    EXPECT_GT (sheet.getPixelAt (100, 146).getGreen(), 150);

    const char* percentages[] = { "0", "10", "50", "100", "-1" };

    for (int i = 0; i < 5; ++i)
    {
        juce::ProgressLabel label;
        label.setColour (juce::Label::backgroundColourId, juce::Colour (0xff9a9a9a));
        label.setColour (juce::Label::textColourId, juce::Colour (0xff3a7bd5));
        label.setColour (juce::TextEditor::highlightColourId, juce::Colour (0xffd04040));
        label.setBounds (170, 10 + i * 30, 280, 20);
        label.setText (percentages[i], juce::dontSendNotification);
        paintAt (sheet, label);
    }

    EXPECT_EQ (sheet.getPixelAt (170 + 70, 80), juce::Colour (0xff3a7bd5)); // 50 %: filled at a quarter
    EXPECT_EQ (sheet.getPixelAt (170 + 210, 80), juce::Colour (0xff9a9a9a)); // the track at three quarters

    savePicture (sheet, "volume_bar_and_progress_label.png");
}

TEST (WidgetPictures, ImageKnob)
{
    static const auto frames = widget_tests::makeKnobFramePngs (64);

    juce::Array<juce::ImageKnob::FrameData> frameList;

    for (const auto& block : frames)
        frameList.add ({ block.getData(), (int) block.getSize() });

    auto sheet = makeSheet (400, 170);
    const double values[] = { 0.0, 5.0, 10.0 };

    for (int mode = 0; mode < 2; ++mode)
    {
        for (int i = 0; i < 3; ++i)
        {
            juce::ImageKnob knob;
            knob.setFrames (frameList);
            knob.setDrawMode (mode);
            knob.setBounds (10 + i * 130, 10 + mode * 80, 64, 64);
            knob.setValue (values[i], juce::dontSendNotification);
            paintAt (sheet, knob);
        }
    }

    EXPECT_EQ (sheet.getPixelAt (10 + 32, 10 + 50), juce::Colour (0xff303848)); // frame 0 in the disc
    EXPECT_EQ (sheet.getPixelAt (10 + 2, 90 + 2), juce::Colour (0xffffffff)); // vector mode: white corner
    EXPECT_EQ (sheet.getPixelAt (10 + 32, 90 + 50), juce::Colour (0xffd7d7d7)); // grey disc below the centre

    savePicture (sheet, "image_knob.png");
}

TEST (WidgetPictures, VImageSlider)
{
    juce::Image thumb (juce::Image::ARGB, 60, 24, true);
    {
        juce::Graphics g (thumb);
        g.setColour (juce::Colour (0xff404a5a));
        g.fillRoundedRectangle (1.0f, 1.0f, 58.0f, 22.0f, 6.0f);
        g.setColour (juce::Colours::white);
        g.fillRect (8, 11, 44, 2);
    }

    auto sheet = makeSheet (170, 220);
    const double values[] = { 0.0, 3.0, 10.0 };

    for (int i = 0; i < 3; ++i)
    {
        juce::VImageSlider slider;
        slider.setThumbImage (thumb);
        slider.setTrackColour (juce::Colour (0xff3a7bd5));
        slider.setBounds (10 + i * 55, 10, 30, 200);
        slider.setValue (values[i], juce::dontSendNotification);
        paintAt (sheet, slider);
    }

    EXPECT_EQ (sheet.getPixelAt (10 + 15, 10 + 100), juce::Colour (0xff3a7bd5)); // the track mid-way
    EXPECT_EQ (sheet.getPixelAt (10 + 2, 10 + 100), sheetColour); // beside it
    EXPECT_EQ (sheet.getPixelAt (10 + 4, 10 + 190), juce::Colour (0xff404a5a)); // the thumb at the bottom

    savePicture (sheet, "vimage_slider.png");
}

TEST (WidgetPictures, RoundedPopupMenu)
{
    const ChineseCapableDefaultFace chinese;
    RoundedPopupMenu::LookAndFeelLocal lookAndFeel;
    lookAndFeel.setTypeface (loadSerifTypeface());
    lookAndFeel.setCornerSize (8);

    auto sheet = makeSheet (240, 150);
    {
        juce::Graphics g (sheet);
        g.setOrigin (20, 15);
        lookAndFeel.drawPopupMenuBackground (g, 200, 120);

        const auto item = [&] (int y, int height, bool separator, bool highlighted, const char* utf8,
                               const char* shortcut = "")
        {
            lookAndFeel.drawPopupMenuItem (g, { 0, y, 200, height }, separator, true, highlighted, false, false,
                                           juce::String::fromUTF8 (utf8), shortcut, nullptr, nullptr);
        };

        item (4, 24, false, false, "Open", "Ctrl+O");
        item (28, 24, false, true, "Convert all");
        item (52, 12, true, false, "");
        item (64, 24, false, false, "\xe6\x89\x93\xe5\xbc\x80\xe6\x96\x87\xe4\xbb\xb6"); // "open file"
        item (88, 24, false, false, "Quit");
    }

    // The corner outside the rounding shows the sheet; the highlight bar has rounded ends too.
    const auto background = sheetColour.overlaidWith (lookAndFeel.findColour (juce::PopupMenu::backgroundColourId));
    const auto highlight = background.overlaidWith (lookAndFeel.findColour (juce::PopupMenu::highlightedBackgroundColourId));
    EXPECT_EQ (sheet.getPixelAt (20, 15), sheetColour);
    EXPECT_TRUE (isClose (sheet.getPixelAt (20 + 100, 15 + 60), background));
    EXPECT_TRUE (isClose (sheet.getPixelAt (20 + 100, 15 + 29), highlight));
    EXPECT_TRUE (isClose (sheet.getPixelAt (20 + 2, 15 + 28), background));

    savePicture (sheet, "rounded_popup_menu.png");
}

TEST (WidgetPictures, RoundedPopupMenuAsShown)
{
    RoundedPopupMenu menu;
    menu.getLocalLookAndFeel().setCornerSize (8);
    menu.addItem (1, "Open");
    menu.addItem (2, "Convert all", true, true);
    menu.addSeparator();
    menu.addItem (3, "Disabled", false);
    menu.addItem (4, "Quit");

    // Shown inside a parent component, which needs no desktop window. There the framework draws
    // its frame over the menu's edge (LookAndFeel_V2's resizable frame), so the corners look square.
    juce::Component parent;
    parent.setBounds (0, 0, 260, 200);
    menu.showMenuAsync (juce::PopupMenu::Options().withParentComponent (&parent).withTargetScreenArea ({ 20, 20, 1, 1 }));
    ASSERT_EQ (parent.getNumChildComponents(), 1);
    const auto menuArea = parent.getChildComponent (0)->getBounds();

    auto sheet = makeSheet (parent.getWidth(), parent.getHeight());
    paintAt (sheet, parent);
    savePicture (sheet, "rounded_popup_menu_shown.png");

    // Drawn by the menu's own look-and-feel: its background, and the separator inset by 8.
    const auto background = lookAndFeelBackground (menu.getLocalLookAndFeel());
    EXPECT_TRUE (isClose (sheet.getPixelAt (menuArea.getCentreX(), menuArea.getY() + 4), background));

    auto separatorRow = -1;

    // Near the right edge only the separator crosses the background (inside the framework's frame).
    for (int y = menuArea.getY() + 2; y < menuArea.getBottom() - 2 && separatorRow < 0; ++y)
        if (! isClose (sheet.getPixelAt (menuArea.getRight() - 12, y), background))
            separatorRow = y;

    ASSERT_GT (separatorRow, 0);
    EXPECT_FALSE (isClose (sheet.getPixelAt (menuArea.getX() + 8, separatorRow), background));
    EXPECT_TRUE (isClose (sheet.getPixelAt (menuArea.getX() + 7, separatorRow), background));

    juce::PopupMenu::dismissAllActiveMenus();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
}
