#include "runner/WavHeaderFix.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace
{

using Bytes = std::vector<std::uint8_t>;

void appendUint16 (Bytes& bytes, std::uint32_t value)
{
    bytes.push_back ((std::uint8_t) value);
    bytes.push_back ((std::uint8_t) (value >> 8));
}

void appendUint32 (Bytes& bytes, std::uint32_t value)
{
    appendUint16 (bytes, value & 0xffff);
    appendUint16 (bytes, value >> 16);
}

void appendBytes (Bytes& bytes, const Bytes& more)
{
    bytes.insert (bytes.end(), more.begin(), more.end());
}

std::uint32_t uint32At (const Bytes& bytes, size_t offset)
{
    return (std::uint32_t) bytes[offset] | ((std::uint32_t) bytes[offset + 1] << 8)
           | ((std::uint32_t) bytes[offset + 2] << 16) | ((std::uint32_t) bytes[offset + 3] << 24);
}

std::uint16_t uint16At (const Bytes& bytes, size_t offset)
{
    return (std::uint16_t) (bytes[offset] | (bytes[offset + 1] << 8));
}

/** A chunk whose header claims claimedSize bytes, followed by the given body (and nothing else). */
Bytes rawChunk (const char* id, std::uint32_t claimedSize, const Bytes& body)
{
    Bytes bytes (id, id + 4);
    appendUint32 (bytes, claimedSize);
    appendBytes (bytes, body);
    return bytes;
}

/** A well-formed chunk: header, body and the pad byte after an odd body. */
Bytes chunk (const char* id, const Bytes& body)
{
    auto bytes = rawChunk (id, (std::uint32_t) body.size(), body);

    if (body.size() % 2 != 0)
        bytes.push_back (0);

    return bytes;
}

Bytes riffWave (const std::vector<Bytes>& chunks, std::optional<std::uint32_t> riffSize = {})
{
    Bytes body { 'W', 'A', 'V', 'E' };

    for (auto& c : chunks)
        appendBytes (body, c);

    return rawChunk ("RIFF", riffSize.value_or ((std::uint32_t) body.size()), body);
}

/** The six leading fields of a format body: 2 channels, 44100 Hz. */
Bytes formatFields (std::uint16_t tag, std::uint16_t bits = 16)
{
    Bytes bytes;
    appendUint16 (bytes, tag);
    appendUint16 (bytes, 2);
    appendUint32 (bytes, 44100);
    appendUint32 (bytes, 44100u * 2u * bits / 8u);
    appendUint16 (bytes, (std::uint32_t) (2 * bits / 8));
    appendUint16 (bytes, bits);
    return bytes;
}

Bytes withExtraSize (Bytes fields, std::uint16_t extraSize)
{
    appendUint16 (fields, extraSize);
    return fields;
}

const Bytes floatGuid { 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71 };
const Bytes pcmGuid { 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71 };

Bytes guidWithLastByte (Bytes guid, std::uint8_t last)
{
    guid.back() = last;
    return guid;
}

/** A 40-byte extensible body, with trailing bytes when given. */
Bytes extensibleBody (std::uint16_t tag, const Bytes& guid, std::uint16_t bits = 32, const Bytes& trailing = {})
{
    auto bytes = withExtraSize (formatFields (tag, bits), 22);
    appendUint16 (bytes, bits);
    appendUint32 (bytes, 3); // front left and right
    appendBytes (bytes, guid);
    appendBytes (bytes, trailing);
    return bytes;
}

Bytes samples (size_t count)
{
    Bytes bytes (count);

    for (size_t i = 0; i < count; ++i)
        bytes[i] = (std::uint8_t) (i * 7 + 3);

    return bytes;
}

Bytes concat (const std::vector<Bytes>& parts)
{
    Bytes bytes;

    for (auto& part : parts)
        appendBytes (bytes, part);

    return bytes;
}

Bytes withByte (Bytes bytes, size_t index, std::uint8_t value)
{
    bytes[index] = value;
    return bytes;
}

const Bytes listBody { 'I', 'N', 'F', 'O', 'I', 'S', 'F', 'T', 14, 0, 0, 0, 'L', 'a', 'v', 'f', '5', '9', '.', '2', '7', '.', '1', '0', '0', 0 };

Bytes readBytes (const juce::File& file)
{
    juce::MemoryBlock block;
    file.loadFileAsData (block);
    auto* data = static_cast<const std::uint8_t*> (block.getData());
    return Bytes (data, data + block.getSize());
}

void writeBytes (const juce::File& file, const Bytes& bytes)
{
    // No bytes make an empty file, where replaceWithData would delete it.
    ASSERT_TRUE (bytes.empty() ? file.deleteFile() && file.create().wasOk() : file.replaceWithData (bytes.data(), bytes.size()));
}

struct Chunk
{
    std::string id;
    std::uint32_t size = 0;
    Bytes body;
};

/** Reads a RIFF/WAVE file strictly: the RIFF size must match the length, and every chunk, pad
    bytes included, must end inside the file.
*/
std::optional<std::vector<Chunk>> readStrictly (const Bytes& bytes)
{
    if (bytes.size() < 12 || std::string (bytes.begin(), bytes.begin() + 4) != "RIFF"
        || std::string (bytes.begin() + 8, bytes.begin() + 12) != "WAVE" || uint32At (bytes, 4) != bytes.size() - 8)
        return {};

    std::vector<Chunk> chunks;

    for (size_t position = 12; position < bytes.size();)
    {
        if (bytes.size() - position < 8)
            return {};

        Chunk c { std::string (bytes.begin() + (long) position, bytes.begin() + (long) position + 4), uint32At (bytes, position + 4), {} };
        const auto bodyEnd = position + 8 + c.size;

        if (bodyEnd + (c.size & 1) > bytes.size())
            return {};

        c.body.assign (bytes.begin() + (long) position + 8, bytes.begin() + (long) bodyEnd);
        chunks.push_back (c);
        position = bodyEnd + (c.size & 1);
    }

    return chunks;
}

/** Reads a file with Python's wave module: "channels sampleWidth rate frames", or empty. */
juce::String pythonWaveFacts (const juce::File& file)
{
    juce::String output;
    const auto code = testing_support::runProgram ({ "python3", "-c",
                                                     "import sys, wave\n"
                                                     "w = wave.open(sys.argv[1], 'rb')\n"
                                                     "print(w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes())\n"
                                                     "w.readframes(w.getnframes())\n",
                                                     file.getFullPathName() },
                                                   &output);
    return code == 0 ? output.trim() : juce::String();
}

/** The MD5 of the decoded samples, as ffmpeg reads the file. */
juce::String decodedMd5 (const juce::File& file)
{
    juce::String output;
    const auto code = testing_support::runProgram ({ "ffmpeg", "-nostdin", "-v", "error", "-i", file.getFullPathName(), "-c:a", "pcm_f64le", "-f", "md5", "-" }, &output);
    return code == 0 ? output.trim() : juce::String();
}

template <typename Case>
std::string caseName (const ::testing::TestParamInfo<Case>& testInfo)
{
    return testInfo.param.name;
}

struct RewriteCase
{
    const char* name;
    Bytes source;
    Bytes expected;
};

std::ostream& operator<< (std::ostream& stream, const RewriteCase& c) { return stream << c.name; }

class WavHeaderFixRewrites : public ::testing::TestWithParam<RewriteCase>
{
};

TEST_P (WavHeaderFixRewrites, GivesTheExpectedFile)
{
    testing_support::TemporaryFolder folder;
    const auto source = folder.file ("source.wav");
    const auto destination = folder.file ("fixed.wav");
    writeBytes (source, GetParam().source);

    ASSERT_TRUE (fixWavHeader (source, destination));

    const auto written = readBytes (destination);
    EXPECT_EQ (written, GetParam().expected);
    EXPECT_LE (written.size(), GetParam().source.size() + 1);

    const auto chunks = readStrictly (written);
    ASSERT_TRUE (chunks.has_value());
    ASSERT_EQ (chunks->size(), 2u);
    EXPECT_EQ ((*chunks)[0].id, "fmt ");
    EXPECT_EQ ((*chunks)[0].size, 16u);
    EXPECT_EQ ((*chunks)[1].id, "data");

    // Python's reader knows only the PCM tag.
    if (uint16At ((*chunks)[0].body, 0) == 1)
    {
        const auto frames = (*chunks)[1].size / uint16At ((*chunks)[0].body, 12);
        EXPECT_EQ (pythonWaveFacts (destination), "2 2 44100 " + juce::String (frames));
    }
}

const auto pcmFormat = formatFields (1);
const auto floatFormat = formatFields (3, 32);
const auto data1000 = samples (1000);

INSTANTIATE_TEST_SUITE_P (
    Sources, WavHeaderFixRewrites,
    ::testing::Values (
        RewriteCase { "listChunkDropped",
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("LIST", listBody), chunk ("data", data1000) }),
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", data1000) }) },
        RewriteCase { "alreadyPlain",
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", data1000) }),
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", data1000) }) },
        RewriteCase { "riffSizeFieldIgnored",
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", data1000) }, 0xdeadbeef),
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", data1000) }) },
        RewriteCase { "format18Shortened",
                      riffWave ({ chunk ("fmt ", withExtraSize (formatFields (3, 32), 0)), chunk ("data", data1000) }),
                      riffWave ({ chunk ("fmt ", floatFormat), chunk ("data", data1000) }) },
        RewriteCase { "format20Shortened",
                      riffWave ({ chunk ("fmt ", concat ({ pcmFormat, { 2, 0, 9, 9 } })), chunk ("data", data1000) }),
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", data1000) }) },
        RewriteCase { "extensibleFloatFolded",
                      riffWave ({ chunk ("fmt ", extensibleBody (0xfffe, floatGuid)), chunk ("fact", samples (4)), chunk ("data", data1000) }),
                      riffWave ({ chunk ("fmt ", floatFormat), chunk ("data", data1000) }) },
        RewriteCase { "extensiblePcmFolded",
                      riffWave ({ chunk ("fmt ", extensibleBody (0xfffe, pcmGuid, 16)), chunk ("data", data1000) }),
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", data1000) }) },
        RewriteCase { "extensibleOtherGuidKept",
                      riffWave ({ chunk ("fmt ", extensibleBody (0xfffe, guidWithLastByte (pcmGuid, 0x72), 16)), chunk ("data", data1000) }),
                      riffWave ({ chunk ("fmt ", formatFields (0xfffe)), chunk ("data", data1000) }) },
        RewriteCase { "extensibleSizeWithPlainTagKept",
                      riffWave ({ chunk ("fmt ", extensibleBody (1, floatGuid, 16)), chunk ("data", data1000) }),
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", data1000) }) },
        RewriteCase { "extensibleWithMoreBytesFolded",
                      riffWave ({ chunk ("fmt ", extensibleBody (0xfffe, floatGuid, 32, samples (7))), chunk ("data", data1000) }),
                      riffWave ({ chunk ("fmt ", floatFormat), chunk ("data", data1000) }) },
        RewriteCase { "oddChunkPadSkipped",
                      riffWave ({ chunk ("junk", samples (7)), chunk ("fmt ", pcmFormat), chunk ("data", data1000) }),
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", data1000) }) },
        RewriteCase { "dataBeforeFormatReordered",
                      riffWave ({ chunk ("data", data1000), chunk ("LIST", listBody), chunk ("fmt ", pcmFormat) }),
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", data1000) }) },
        RewriteCase { "secondFormatPassedOver",
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("fmt ", floatFormat), chunk ("data", data1000) }),
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", data1000) }) },
        RewriteCase { "secondDataPassedOver",
                      riffWave ({ chunk ("data", data1000), chunk ("data", samples (10)), chunk ("fmt ", pcmFormat) }),
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", data1000) }) },
        RewriteCase { "chunksAfterDataDropped",
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", data1000), chunk ("LIST", listBody), chunk ("fmt ", floatFormat) }),
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", data1000) }) },
        RewriteCase { "oddDataKeepsPad",
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", samples (999)), chunk ("LIST", listBody) }),
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", samples (999)) }) },
        RewriteCase { "oddDataAtEndGetsPad",
                      riffWave ({ chunk ("fmt ", pcmFormat), rawChunk ("data", 999, samples (999)) }),
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", samples (999)) }) },
        RewriteCase { "dataCutShort",
                      riffWave ({ chunk ("fmt ", pcmFormat), rawChunk ("data", 50000, data1000) }),
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", data1000) }) },
        RewriteCase { "dataSizeAllOnes",
                      riffWave ({ chunk ("fmt ", pcmFormat), rawChunk ("data", 0xffffffff, samples (1001)) }),
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", samples (1001)) }) },
        RewriteCase { "emptyData",
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", {}) }),
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", {}) }) },
        RewriteCase { "dataLargerThanCopyBuffer",
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("LIST", listBody), chunk ("data", samples (3 * 16384 + 5)) }),
                      riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", samples (3 * 16384 + 5)) }) }),
    caseName<RewriteCase>);

TEST (WavHeaderFix, ListExampleComesOutAt1044Bytes)
{
    testing_support::TemporaryFolder folder;
    const auto source = folder.file ("source.wav");
    const auto destination = folder.file ("fixed.wav");
    writeBytes (source, riffWave ({ chunk ("fmt ", pcmFormat), chunk ("LIST", listBody), chunk ("data", data1000) }));

    ASSERT_TRUE (fixWavHeader (source, destination));
    const auto written = readBytes (destination);
    ASSERT_EQ (written.size(), 1044u);
    EXPECT_EQ (uint32At (written, 4), 1036u);
}

struct InvalidCase
{
    const char* name;
    Bytes source;
};

std::ostream& operator<< (std::ostream& stream, const InvalidCase& c) { return stream << c.name; }

class WavHeaderFixRefuses : public ::testing::TestWithParam<InvalidCase>
{
};

TEST_P (WavHeaderFixRefuses, LeavingNoDestination)
{
    testing_support::TemporaryFolder folder;
    const auto source = folder.file ("source.wav");
    const auto destination = folder.file ("fixed.wav");
    writeBytes (source, GetParam().source);
    writeBytes (destination, { 'o', 'l', 'd' });

    const auto result = fixWavHeaderWithReason (source, destination);
    EXPECT_EQ (result.outcome, WavHeaderFixResult::Outcome::notWav) << result.systemReason;
    EXPECT_FALSE (destination.exists());
    EXPECT_EQ (readBytes (source), GetParam().source);
}

INSTANTIATE_TEST_SUITE_P (
    Sources, WavHeaderFixRefuses,
    ::testing::Values (
        InvalidCase { "empty", {} },
        InvalidCase { "shorterThanHeader", { 'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V' } },
        InvalidCase { "headerOnly", riffWave ({}) },
        InvalidCase { "notRiff", withByte (riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", data1000) }), 3, 'X') },
        InvalidCase { "notWave", withByte (riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", data1000) }), 11, 'X') },
        InvalidCase { "noFormat", riffWave ({ chunk ("LIST", listBody), chunk ("data", data1000) }) },
        InvalidCase { "noData", riffWave ({ chunk ("fmt ", pcmFormat), chunk ("LIST", listBody) }) },
        InvalidCase { "formatUnder16", riffWave ({ chunk ("fmt ", Bytes (pcmFormat.begin(), pcmFormat.begin() + 14)), chunk ("data", data1000) }) },
        InvalidCase { "oddFormatUnder16", riffWave ({ chunk ("fmt ", Bytes (pcmFormat.begin(), pcmFormat.begin() + 15)), chunk ("data", data1000) }) },
        InvalidCase { "formatCutShort", riffWave ({ rawChunk ("fmt ", 40, concat ({ pcmFormat, { 22, 0, 16, 0 } })) }) },
        InvalidCase { "chunkHeaderCutShort", riffWave ({ chunk ("fmt ", pcmFormat), { 'd', 'a', 't', 'a', 8 } }) },
        InvalidCase { "dataBeforeFormatCutShort", riffWave ({ rawChunk ("data", 5000, data1000), chunk ("fmt ", pcmFormat) }) },
        InvalidCase { "topBitSizePassedOverForward", riffWave ({ chunk ("fmt ", pcmFormat), rawChunk ("junk", 0x80000000, {}), chunk ("data", data1000) }) },
        InvalidCase { "largestSizeBeforeFormat", riffWave ({ rawChunk ("LIST", 0xffffffff, listBody), chunk ("fmt ", pcmFormat), chunk ("data", data1000) }) },
        InvalidCase { "idsComparedExactly", riffWave ({ chunk ("FMT ", pcmFormat), chunk ("Data", data1000) }) }),
    caseName<InvalidCase>);

const auto validSource = riffWave ({ chunk ("fmt ", pcmFormat), chunk ("LIST", listBody), chunk ("data", samples (40001)) });

TEST (WavHeaderFix, MissingSourceGivesFalse)
{
    testing_support::TemporaryFolder folder;
    EXPECT_FALSE (fixWavHeader (folder.file ("missing.wav"), folder.file ("fixed.wav")));
    EXPECT_FALSE (folder.file ("fixed.wav").exists());

    // Not a file that is no WAV: one that cannot be read.
    const auto result = fixWavHeaderWithReason (folder.file ("missing.wav"), folder.file ("fixed.wav"));
    EXPECT_EQ (result.outcome, WavHeaderFixResult::Outcome::fileError);
    EXPECT_EQ (result.systemReason, "No such file or directory");
}

TEST (WavHeaderFix, ReplacesAnOlderDestinationFromItsStart)
{
    testing_support::TemporaryFolder folder;
    const auto source = folder.file ("source.wav");
    const auto destination = folder.file ("fixed.wav");
    writeBytes (source, validSource);
    writeBytes (destination, samples (100000));

    ASSERT_TRUE (fixWavHeader (source, destination));
    EXPECT_EQ (readBytes (destination), riffWave ({ chunk ("fmt ", pcmFormat), chunk ("data", samples (40001)) }));
}

TEST (WavHeaderFix, LeavesDestinationsItMustNotReplaceAlone)
{
    testing_support::TemporaryFolder folder;
    const auto source = folder.file ("source.wav");
    writeBytes (source, validSource);

    const auto subFolder = folder.file ("sub");
    ASSERT_TRUE (subFolder.createDirectory());
    EXPECT_FALSE (fixWavHeader (source, subFolder));
    EXPECT_TRUE (subFolder.isDirectory());

    EXPECT_FALSE (fixWavHeader (source, source));
    const auto link = folder.file ("link.wav");
    ASSERT_TRUE (source.createSymbolicLink (link, true));
    EXPECT_FALSE (fixWavHeader (source, link));
    EXPECT_FALSE (fixWavHeader (link, source));
    EXPECT_EQ (readBytes (source), validSource);

    const auto pipe = folder.file ("pipe");
    ASSERT_EQ (testing_support::runProgram ({ "mkfifo", pipe.getFullPathName() }), 0);
    EXPECT_FALSE (fixWavHeader (source, pipe));
    EXPECT_TRUE (pipe.exists());
    EXPECT_FALSE (fixWavHeader (pipe, folder.file ("fixed.wav")));

    EXPECT_FALSE (fixWavHeader (source, folder.file ("missing/fixed.wav")));
    EXPECT_FALSE (folder.file ("missing").exists());
}

TEST (WavHeaderFix, RefusesASourceOver4GiB)
{
    testing_support::TemporaryFolder folder;
    const auto source = folder.file ("huge.wav");
    const auto destination = folder.file ("fixed.wav");
    writeBytes (source, riffWave ({ chunk ("fmt ", pcmFormat), rawChunk ("data", 0xffffffff, {}) }));

    // A sparse file: its length is what counts, not its blocks.
    const auto length = (juce::int64) 0xffffffff + 9;
    {
        juce::FileOutputStream stream (source);
        ASSERT_TRUE (stream.openedOk());
        ASSERT_TRUE (stream.setPosition (length - 1));
        ASSERT_TRUE (stream.writeByte (0));
    }
    ASSERT_EQ (source.getSize(), length);

    EXPECT_EQ (fixWavHeaderWithReason (source, destination).outcome, WavHeaderFixResult::Outcome::tooLarge);
    EXPECT_FALSE (destination.exists());
}

TEST (WavHeaderFix, WriteErrorAnywhereGivesFalseWithTheSystemsReason)
{
    testing_support::TemporaryFolder folder;
    const auto source = folder.file ("source.wav");
    const auto destination = folder.file ("fixed.wav");
    writeBytes (source, validSource);
    const auto outputLength = (rlim_t) (12 + 24 + 8 + 40002);

    for (const rlim_t limit : { (rlim_t) 0, (rlim_t) 11, (rlim_t) 12, (rlim_t) 43, (rlim_t) 44, (rlim_t) 16384, (rlim_t) 16428, outputLength - 2, outputLength - 1 })
    {
        SCOPED_TRACE (limit);
        WavHeaderFixResult result;
        {
            testing_support::FileSizeLimit fullDisk (limit);
            ASSERT_TRUE (fullDisk.ok);
            result = fixWavHeaderWithReason (source, destination);
        }
        EXPECT_EQ (result.outcome, WavHeaderFixResult::Outcome::fileError);
        EXPECT_EQ (result.systemReason, "File too large");
        EXPECT_FALSE (destination.exists());
    }

    testing_support::FileSizeLimit roomEnough (outputLength);
    EXPECT_TRUE (fixWavHeader (source, destination));
    EXPECT_EQ (destination.getSize(), (juce::int64) outputLength);
}

struct ConverterCase
{
    const char* name;
    juce::StringArray options;
    int channels;
    std::uint16_t expectedTag;
    const char* codec;
    const char* pythonFacts; // what Python's wave module reads, or null where it reads no such tag
};

std::ostream& operator<< (std::ostream& stream, const ConverterCase& c) { return stream << c.name; }

class WavHeaderFixConverterOutput : public ::testing::TestWithParam<ConverterCase>
{
};

/** The sample bytes of a converter's file, found by walking its chunks independently. */
Bytes dataBodyOf (const Bytes& file)
{
    for (size_t position = 12; position + 8 <= file.size();)
    {
        const auto size = uint32At (file, position + 4);

        if (std::string (file.begin() + (long) position, file.begin() + (long) position + 4) == "data")
            return Bytes (file.begin() + (long) position + 8, file.begin() + (long) std::min<size_t> (file.size(), position + 8 + size));

        position += 8 + size + (size & 1);
    }

    return {};
}

TEST_P (WavHeaderFixConverterOutput, KeepsTheAudio)
{
    const auto& param = GetParam();
    testing_support::TemporaryFolder folder;
    const auto source = folder.file ("converted.wav");
    const auto destination = folder.file ("fixed.wav");
    ASSERT_TRUE (testing_support::makeSine (source, 1.5, param.options, 44100, param.channels));

    ASSERT_TRUE (fixWavHeader (source, destination));

    const auto sourceBytes = readBytes (source);
    const auto chunks = readStrictly (readBytes (destination));
    ASSERT_TRUE (chunks.has_value());
    ASSERT_EQ (chunks->size(), 2u);
    EXPECT_EQ ((*chunks)[0].id, "fmt ");
    ASSERT_EQ ((*chunks)[0].size, 16u);
    EXPECT_EQ (uint16At ((*chunks)[0].body, 0), param.expectedTag);
    EXPECT_EQ (uint16At ((*chunks)[0].body, 2), param.channels);
    EXPECT_EQ ((*chunks)[1].id, "data");
    EXPECT_EQ ((*chunks)[1].body, dataBodyOf (sourceBytes));

    const auto before = testing_support::probeAudio (source);
    const auto after = testing_support::probeAudio (destination);
    ASSERT_TRUE (after.ok);
    EXPECT_EQ (after.formatName, "wav");
    EXPECT_EQ (after.codecName, param.codec);
    EXPECT_EQ (after.sampleRate, 44100);
    EXPECT_EQ (after.channels, param.channels);
    EXPECT_NEAR (after.durationSeconds, before.durationSeconds, 0.001);
    const auto sourceMd5 = decodedMd5 (source);
    ASSERT_TRUE (sourceMd5.isNotEmpty()) << "ffmpeg could not decode the source";
    EXPECT_EQ (decodedMd5 (destination), sourceMd5);

    if (param.pythonFacts != nullptr)
    {
        EXPECT_EQ (pythonWaveFacts (destination), param.pythonFacts);
    }
}

INSTANTIATE_TEST_SUITE_P (
    Ffmpeg, WavHeaderFixConverterOutput,
    ::testing::Values (
        ConverterCase { "pcm16", { "-acodec", "pcm_s16le" }, 2, 1, "pcm_s16le", "2 2 44100 66150" },
        ConverterCase { "pcm8WithBroadcastChunk", { "-acodec", "pcm_u8", "-write_bext", "1" }, 1, 1, "pcm_u8", "1 1 44100 66150" },
        ConverterCase { "pcm24Extensible", { "-acodec", "pcm_s24le" }, 1, 1, "pcm_s24le", "1 3 44100 66150" },
        ConverterCase { "pcm16SixChannelsExtensible", { "-acodec", "pcm_s16le" }, 6, 1, "pcm_s16le", "6 2 44100 66150" },
        ConverterCase { "floatExtensible", { "-acodec", "pcm_f32le" }, 2, 3, "pcm_f32le", nullptr },
        ConverterCase { "floatSixChannelsExtensible", { "-acodec", "pcm_f32le" }, 6, 3, "pcm_f32le", nullptr },
        ConverterCase { "alawFormat18", { "-acodec", "pcm_alaw" }, 1, 6, "pcm_alaw", nullptr }),
    caseName<ConverterCase>);

TEST (WavHeaderFix, ConverterStoppedMidFileKeepsWhatWasWritten)
{
    testing_support::TemporaryFolder folder;
    const auto complete = folder.file ("complete.wav");
    const auto source = folder.file ("stopped.wav");
    const auto destination = folder.file ("fixed.wav");
    ASSERT_TRUE (testing_support::makeSine (complete, 1.0, { "-acodec", "pcm_s24le" }, 44100, 1));

    // Cut inside the samples at an odd length, as a killed converter leaves it.
    auto bytes = readBytes (complete);
    bytes.resize (bytes.size() - 30001);
    writeBytes (source, bytes);
    const auto heldSampleBytes = dataBodyOf (bytes).size();
    ASSERT_EQ (heldSampleBytes % 2, 1u);

    ASSERT_TRUE (fixWavHeader (source, destination));

    const auto chunks = readStrictly (readBytes (destination));
    ASSERT_TRUE (chunks.has_value());
    ASSERT_EQ (chunks->size(), 2u);
    EXPECT_EQ ((*chunks)[1].size, heldSampleBytes);
    EXPECT_EQ (pythonWaveFacts (destination), "1 3 44100 " + juce::String (heldSampleBytes / 3));
    EXPECT_NEAR (testing_support::probeAudio (destination).durationSeconds, (double) (heldSampleBytes / 3) / 44100.0, 0.001);
}

} // namespace
