#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <cstdint>

// All numbers in a RIFF/WAVE file are little-endian; these records hold them as plain values and
// convert from and to the file's bytes.

/** The 12 bytes that open a RIFF/WAVE file. */
struct RiffHeader
{
    static constexpr size_t byteSize = 12;

    std::array<char, 4> riffId { 'R', 'I', 'F', 'F' };
    std::uint32_t riffSize = 0; // the file's length minus 8
    std::array<char, 4> waveId { 'W', 'A', 'V', 'E' };

    [[nodiscard]] static RiffHeader fromBytes (const std::uint8_t* bytes) noexcept;
    [[nodiscard]] std::array<std::uint8_t, byteSize> toBytes() const noexcept;
    [[nodiscard]] bool isRiffWave() const noexcept;
};

/** The 8 bytes in front of every chunk body. */
struct ChunkHeader
{
    static constexpr size_t byteSize = 8;

    std::array<char, 4> id {};
    std::uint32_t size = 0; // of the body, without a pad byte

    [[nodiscard]] static ChunkHeader fromBytes (const std::uint8_t* bytes) noexcept;
    [[nodiscard]] std::array<std::uint8_t, byteSize> toBytes() const noexcept;
    [[nodiscard]] bool hasId (const char* fourCharacters) const noexcept;
};

/** The six fields that open every format chunk body (its first 16 bytes). */
struct WaveFormat
{
    static constexpr size_t byteSize = 16;

    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSecond = 0;
    std::uint32_t averageBytesPerSecond = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;

    [[nodiscard]] static WaveFormat fromBytes (const std::uint8_t* bytes) noexcept;
    [[nodiscard]] std::array<std::uint8_t, byteSize> toBytes() const noexcept;
};

/** A format chunk as read: its header and the six fields, whatever the body's size. */
struct FmtChunk
{
    ChunkHeader header;
    WaveFormat format;
};

/** A format chunk with a body of 40 bytes or more, in the extensible layout. */
struct ExtensibleFmtChunk
{
    static constexpr size_t bodySize = 40;

    ChunkHeader header;
    WaveFormat format;
    std::uint16_t extraSize = 0;
    std::uint16_t validBitsPerSample = 0;
    std::uint32_t channelMask = 0;
    std::array<std::uint8_t, 16> subFormat {};

    [[nodiscard]] static ExtensibleFmtChunk fromBody (const ChunkHeader& header, const std::uint8_t* body) noexcept;
};

/** The format chunk that is written: "fmt ", body size 16, the six fields. */
struct PcmFmtChunk
{
    static constexpr size_t byteSize = ChunkHeader::byteSize + WaveFormat::byteSize;

    ChunkHeader header { { 'f', 'm', 't', ' ' }, (std::uint32_t) WaveFormat::byteSize };
    WaveFormat format;

    [[nodiscard]] std::array<std::uint8_t, byteSize> toBytes() const noexcept;
};

/** The format tags written in place of the extensible tag. */
namespace WaveFormatTags
{
constexpr std::uint16_t pcm = 1;
constexpr std::uint16_t ieeeFloat = 3;
constexpr std::uint16_t extensible = 0xfffe;
} // namespace WaveFormatTags

/** The SubFormat GUIDs of the extensible layout that fold to a plain tag, as stored in a file. */
struct SubFormatGuids
{
    using Guid = std::array<std::uint8_t, 16>;

    Guid ieeeFloat { 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71 };
    Guid pcm { 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71 };

    /** The plain chunk with the six fields; the extensible tag becomes 3 or 1 when the whole
        SubFormat is the IEEE-float or the PCM GUID, and stays otherwise.
    */
    [[nodiscard]] PcmFmtChunk makePcmFmtChunkFromExtensible (const ExtensibleFmtChunk& chunk) const noexcept;
};

/** The plain chunk with the six fields unchanged. */
[[nodiscard]] PcmFmtChunk makePcmFmtChunk (const FmtChunk& chunk) noexcept;

/** Copies a RIFF/WAVE file into one that holds only the RIFF header, one plain 16-byte "fmt "
    chunk and then the "data" chunk, whatever their order in the source; an extensible format is
    folded to PCM or IEEE float. The "data" size written is the number of sample bytes the source
    really holds, and an odd body gets its pad byte. The samples are copied piece by piece, inside
    the kernel where the platform allows it, never held whole.

    Returns true when the destination now holds such a file. Returns false, leaving no
    destination file behind, for a source that is missing, not RIFF/WAVE, lacks a "fmt " chunk
    of at least 16 bytes or a "data" chunk, or is over 4 GiB, and for any read or write error.
    A destination that is a folder or not an ordinary file, or is the source itself, gives false
    and is left alone.
*/
[[nodiscard]] bool fixWavHeader (const juce::File& source, const juce::File& destination);

/** How a rewrite ended; for a failure, why. */
struct WavHeaderFixResult
{
    enum class Outcome
    {
        fixed,
        notWav, // the source is not a WAV file that can be rewritten
        tooLarge, // the samples are more than a WAV file can hold (its sizes are 32-bit)
        fileError // a file could not be read or written (a full disk, a missing source, ...)
    };

    Outcome outcome = Outcome::fixed;
    juce::String systemReason; // the system's own words for a file error, e.g. "No space left on device"
    int systemError = 0; // its errno, when the system gave one

    [[nodiscard]] bool wasOk() const noexcept { return outcome == Outcome::fixed; }
};

/** fixWavHeader, telling why it failed. */
[[nodiscard]] WavHeaderFixResult fixWavHeaderWithReason (const juce::File& source, const juce::File& destination);

/** The same rewrite into an empty file that the caller has just made for it (exclusively, so
    that it is the caller's own): the file is written from its start, never replaced, and left
    to the caller also when the rewrite fails.
*/
[[nodiscard]] WavHeaderFixResult fixWavHeaderInto (const juce::File& source, const juce::File& ownEmptyDestination);
