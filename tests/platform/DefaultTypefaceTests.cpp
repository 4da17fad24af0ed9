#include "platform/DefaultTypeface.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace
{

const juce::String standInName ("WenQuanYi Micro Hei");

/** Draws with the default sans-serif font, which the default look-and-feel resolves. */
juce::Image render (const juce::String& text)
{
    juce::Image image (juce::Image::RGB, 600, 48, true);
    juce::Graphics g (image);
    g.fillAll (juce::Colours::white);
    g.setColour (juce::Colours::black);
    g.setFont (juce::Font (28.0f));
    g.drawSingleLineText (text, 4, 36);
    return image;
}

int countInk (const juce::Image& image)
{
    int ink = 0;

    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (image.getPixelAt (x, y).getBrightness() < 0.5f)
                ++ink;

    return ink;
}

bool samePixels (const juce::Image& a, const juce::Image& b)
{
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;

    return true;
}

bool isInstalled (const juce::String& faceName)
{
    return juce::Font::findAllTypefaceNames().contains (faceName);
}

class DefaultTypefaceTest : public ::testing::Test
{
protected:
    void SetUp() override { juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel); }

    void TearDown() override
    {
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
        juce::Typeface::clearTypefaceCache();
    }

    juce::String defaultFaceName() { return lookAndFeel.getTypefaceForFont (juce::Font (12.0f))->getName(); }

    juce::LookAndFeel_V4 lookAndFeel;
};

TEST_F (DefaultTypefaceTest, SimSunOrItsStandInDrawsLatinAndBothChineseScripts)
{
    const auto drawn = platform::applyDefaultSansSerifFace (lookAndFeel, "SimSun");
    EXPECT_EQ (drawn, isInstalled ("SimSun") ? juce::String ("SimSun") : standInName);
    EXPECT_EQ (defaultFaceName(), drawn);

    // Latin, Simplified (with the 样 that the Traditional table also holds) and Traditional.
    for (auto* text : { "Sample Rate:", "采样率", "轉換成功" })
    {
        SCOPED_TRACE (text);
        EXPECT_GT (countInk (render (juce::String::fromUTF8 (text))), 40);
    }

    // Real glyphs, not one stand-in box for every character.
    EXPECT_FALSE (samePixels (render (juce::String::fromUTF8 ("采")), render (juce::String::fromUTF8 ("轉"))));
    EXPECT_FALSE (samePixels (render (juce::String::fromUTF8 ("样")), render (juce::String::fromUTF8 ("換"))));

    // A label with the look-and-feel's own font draws the mixed line whole.
    auto labelInk = [] (const char* text)
    {
        juce::Label label;
        label.setColour (juce::Label::backgroundColourId, juce::Colours::white);
        label.setColour (juce::Label::textColourId, juce::Colours::black);
        label.setText (juce::String::fromUTF8 (text), juce::dontSendNotification);
        label.setBounds (0, 0, 500, 30);
        return countInk (label.createComponentSnapshot (label.getLocalBounds()));
    };

    EXPECT_GT (labelInk ("Sample Rate: 采样率: 轉換成功"), labelInk ("Sample Rate: ") + 150);
}

TEST_F (DefaultTypefaceTest, InstalledFaceIsUsedByName)
{
    if (! isInstalled ("DejaVu Sans"))
        GTEST_SKIP() << "fonts-dejavu-core is not installed";

    EXPECT_EQ (platform::applyDefaultSansSerifFace (lookAndFeel, "DejaVu Sans"), "DejaVu Sans");
    EXPECT_EQ (defaultFaceName(), "DejaVu Sans");

    // Asking again after the stand-in was taken goes back to the named face.
    EXPECT_EQ (platform::applyDefaultSansSerifFace (lookAndFeel, "No Such Face Anywhere"), standInName);
    EXPECT_EQ (platform::applyDefaultSansSerifFace (lookAndFeel, "DejaVu Sans"), "DejaVu Sans");
    EXPECT_EQ (defaultFaceName(), "DejaVu Sans");
}

TEST_F (DefaultTypefaceTest, UnusableStandInLeavesTheLookAndFeelDrawing)
{
    const testing_support::TemporaryFolder scratch;
    const auto notAFont = scratch.file ("not-a-font.ttc");
    ASSERT_TRUE (notAFont.replaceWithText ("this is no font at all"));

    const auto faceBefore = defaultFaceName();

    for (auto& standIn : { scratch.file ("missing.ttc"), notAFont })
    {
        SCOPED_TRACE (standIn.getFileName());
        EXPECT_EQ (platform::applyDefaultSansSerifFace (lookAndFeel, "No Such Face Anywhere", standIn), juce::String());
        EXPECT_EQ (defaultFaceName(), faceBefore);
        EXPECT_GT (countInk (render ("Sample Rate:")), 40);
    }
}

} // namespace
