#include "RunnerEventLog.h"
#include "app/OptionsDocument.h"
#include "platform/TempFolder.h"
#include "runner/ConverterUnpacker.h"
#include "runner/FFMpegHelper.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <elf.h>

namespace
{
constexpr int runTimeoutMs = 300000;

// The converter the program carries, unpacked where the program runs it from.
juce::File unpackedConverter()
{
    return unpackConverter() ? platform::getConverterFile() : juce::File();
}

/** What the loader would have to do before the program runs: its interpreter and the shared
    libraries it names. Empty for a static executable; "not ELF" for anything unreadable.
*/
[[maybe_unused]] juce::StringArray dynamicNeeds (const juce::File& program)
{
    juce::MemoryBlock bytes;

    if (! program.loadFileAsData (bytes) || bytes.getSize() < sizeof (Elf64_Ehdr))
        return { "not ELF" };

    const auto* data = static_cast<const char*> (bytes.getData());
    const auto size = bytes.getSize();
    Elf64_Ehdr header;
    std::memcpy (&header, data, sizeof (header));

    if (std::memcmp (header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64
        || header.e_phentsize != sizeof (Elf64_Phdr) || header.e_phoff + header.e_phnum * sizeof (Elf64_Phdr) > size)
        return { "not ELF" };

    juce::StringArray needs;

    for (int i = 0; i < header.e_phnum; ++i)
    {
        Elf64_Phdr segment;
        std::memcpy (&segment, data + header.e_phoff + (size_t) i * sizeof (Elf64_Phdr), sizeof (segment));

        if (segment.p_type == PT_INTERP)
            needs.add ("interpreter");

        if (segment.p_type != PT_DYNAMIC || segment.p_offset + segment.p_filesz > size)
            continue;

        for (size_t at = 0; at + sizeof (Elf64_Dyn) <= segment.p_filesz; at += sizeof (Elf64_Dyn))
        {
            Elf64_Dyn entry;
            std::memcpy (&entry, data + segment.p_offset + at, sizeof (entry));

            if (entry.d_tag == DT_NEEDED)
                needs.add ("shared library");
        }
    }

    return needs;
}

/** The bytes of a WAV file's "data" chunk, whatever other chunks stand before it. */
juce::MemoryBlock samplesOf (const juce::File& wav)
{
    juce::MemoryBlock bytes;

    if (! wav.loadFileAsData (bytes) || bytes.getSize() < 12)
        return {};

    const auto* data = static_cast<const char*> (bytes.getData());

    for (size_t at = 12; at + 8 <= bytes.getSize();)
    {
        const auto chunkSize = (size_t) juce::ByteOrder::littleEndianInt (data + at + 4);

        if (juce::String (data + at, 4) == "data")
            return { data + at + 8, juce::jmin (chunkSize, bytes.getSize() - at - 8) };

        at += 8 + chunkSize + (chunkSize & 1);
    }

    return {};
}

/** One input file: its name and the machine's ffmpeg options that encode it. */
struct InputCase
{
    const char* name;
    juce::StringArray encoding;
};

// A short stereo tone in every kind of file the program is meant to read. Monkey's Audio is read
// only, so its file is a fixture (scripts/make-ape-fixture.sh).
const std::vector<InputCase> inputCases {
    { "tone.wav", {} },
    { "tone.ogg", { "-c:a", "libvorbis" } },
    { "tone.au", {} },
    { "tone.aac", { "-c:a", "aac" } },
    { "tone.ec3", { "-c:a", "eac3", "-f", "eac3" } },
    { "tone.caf", { "-c:a", "alac" } },
    { "tone.aif", {} },
    { "tone.ape", {} },
    { "tone.mp3", { "-c:a", "libmp3lame" } },
    { "tone.wma", { "-c:a", "wmav2" } },
    { "tone.flac", {} },
    { "cover.mp3", { "-c:a", "libmp3lame", "-c:v", "mjpeg" } },
    { "cover.m4a", { "-c:a", "aac", "-c:v", "png" } },
};

bool makeInput (const InputCase& input, const juce::File& file)
{
    const juce::String name (input.name);

    if (name.endsWith (".ape"))
        return juce::File (MELTROW_TEST_FIXTURES).getChildFile (name).copyFileTo (file);

    if (! name.startsWith ("cover"))
        return testing_support::makeSine (file, 0.3, input.encoding, 48000, 2);

    // A file with its cover picture: a second stream, of video, that the output cannot take.
    juce::StringArray arguments { "ffmpeg", "-nostdin", "-v", "error", "-y",
                                  "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=0.3",
                                  "-f", "lavfi", "-i", "testsrc=size=64x64:duration=0.04",
                                  "-map", "0", "-map", "1", "-frames:v", "1", "-disposition:v", "attached_pic" };
    arguments.addArray (input.encoding);
    arguments.add (file.getFullPathName());

    return testing_support::runProgram (arguments) == 0 && file.existsAsFile();
}

/** The number of choices in a group of the options document, as the window lists them. */
int choicesIn (const OptionsDocument& document, const char* group)
{
    juce::ComboBox combo;
    document.fillCombo (combo, group, false);
    return combo.getNumItems();
}

/** The word that follows an option in a command line ("-ar 8000": "8000"). */
juce::String valueOf (const juce::String& commandLine, const juce::String& option)
{
    auto words = juce::StringArray::fromTokens (commandLine, " ", "");
    const auto at = words.indexOf (option);
    return at >= 0 ? words[at + 1] : juce::String();
}

} // namespace

TEST (CarriedConverter, IsAStaticProgram)
{
#if MELTROW_CONVERTER_BUILT
    const auto converter = unpackedConverter();
    ASSERT_TRUE (converter.existsAsFile());
    EXPECT_EQ (dynamicNeeds (converter), juce::StringArray());
    EXPECT_NE (dynamicNeeds (juce::File ("/usr/bin/ffmpeg")), juce::StringArray()); // the check sees a loader's work
#else
    GTEST_SKIP() << "the build packs a given program (MELTROW_FFMPEG_PROGRAM)";
#endif
}

// Every kind of input through the FFmpeg helper, each into every bit depth of the options
// document, the sample rates and channel choices taken in turn so that each of them is met;
// the samples must be those the machine's ffmpeg (the same FFmpeg) writes for the same command,
// byte for byte.
TEST (CarriedConverter, ConvertsEveryInputKindIntoEveryFormatLikeTheMachinesFFmpeg)
{
    ASSERT_TRUE (unpackedConverter().existsAsFile());

    OptionsDocument document;
    document.parseBuiltIn();
    const auto rates = choicesIn (document, "samplerate");
    const auto bits = choicesIn (document, "bit");
    const auto channels = choicesIn (document, "channel");
    ASSERT_EQ (rates, 13);
    ASSERT_EQ (bits, 3);
    ASSERT_EQ (channels, 2);

    testing_support::TemporaryFolder temp;
    runner_tests::HelperRecorder recorder;
    juce::FFMpegHelper helper;
    helper.addListener (&recorder);

    struct Conversion
    {
        juce::File input, output, reference;
        juce::String outputOptions;
    };
    std::vector<Conversion> conversions;
    int turn = 0;

    for (auto& inputCase : inputCases)
    {
        const auto input = temp.file (inputCase.name);
        ASSERT_TRUE (makeInput (inputCase, input)) << inputCase.name;

        for (int bit = 0; bit < bits; ++bit, ++turn)
        {
            const auto optionString = document.buildOptionString (turn % channels, bit, turn % rates);
            ASSERT_TRUE (optionString.isNotEmpty());

            const auto name = input.getFileName() + "-" + juce::String (turn) + ".wav";
            const Conversion conversion { input, temp.file ("out/" + name), temp.file ("reference/" + name),
                                          optionString.upToFirstOccurrenceOf ("#", false, false) };
            conversions.push_back (conversion);

            helper.addItem (input.getFullPathName(), conversion.output.getFullPathName(), {}, conversion.outputOptions,
                            "-y", true);
        }
    }

    helper.startRunner();
    ASSERT_TRUE (recorder.log.waitForEvent ("end", runTimeoutMs));
    ASSERT_TRUE (helper.getRunner().waitForThreadToExit (5000));

    const auto ends = recorder.log.named ("end item");
    ASSERT_EQ (ends.size(), conversions.size());

    for (size_t i = 0; i < conversions.size(); ++i)
    {
        const auto& conversion = conversions[i];
        const auto& options = conversion.outputOptions;
        SCOPED_TRACE (conversion.input.getFileName() + " " + options);
        EXPECT_TRUE (ends[i].progress.converted) << ends[i].progress.failureReason;

        const auto facts = testing_support::probeAudio (conversion.output);
        EXPECT_EQ (facts.codecName, valueOf (options, "-acodec"));
        EXPECT_EQ (juce::String (facts.sampleRate), valueOf (options, "-ar"));
        EXPECT_EQ (juce::String (facts.channels), valueOf (options, "-ac"));

        ASSERT_TRUE (conversion.reference.getParentDirectory().createDirectory());
        juce::StringArray command { "ffmpeg", "-nostdin", "-v", "error", "-i", conversion.input.getFullPathName() };
        command.addTokens (options, " ", "");
        command.add (conversion.reference.getFullPathName());
        ASSERT_EQ (testing_support::runProgram (command), 0);

        const auto expected = samplesOf (conversion.reference);
        const auto samples = samplesOf (conversion.output);
        EXPECT_FALSE (expected.isEmpty());
        EXPECT_TRUE (samples == expected) << samples.getSize() << " bytes of samples, expected " << expected.getSize();
    }
}
