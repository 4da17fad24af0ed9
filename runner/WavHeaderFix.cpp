#include "runner/WavHeaderFix.h"

#include "platform/FileAttributes.h"
#include "platform/FileCopy.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

namespace
{

constexpr juce::int64 largestRiffSize = 0xffffffff;

std::uint16_t readUint16 (const std::uint8_t* bytes) noexcept
{
    return (std::uint16_t) (bytes[0] | (bytes[1] << 8));
}

std::uint32_t readUint32 (const std::uint8_t* bytes) noexcept
{
    return (std::uint32_t) bytes[0] | ((std::uint32_t) bytes[1] << 8) | ((std::uint32_t) bytes[2] << 16) | ((std::uint32_t) bytes[3] << 24);
}

void writeUint16 (std::uint8_t* bytes, std::uint16_t value) noexcept
{
    bytes[0] = (std::uint8_t) value;
    bytes[1] = (std::uint8_t) (value >> 8);
}

void writeUint32 (std::uint8_t* bytes, std::uint32_t value) noexcept
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = (std::uint8_t) (value >> (8 * i));
}

std::array<char, 4> readId (const std::uint8_t* bytes) noexcept
{
    std::array<char, 4> id;
    std::memcpy (id.data(), bytes, id.size());
    return id;
}

/** Where the two chunks that are kept sit in the source, found before anything is written. */
struct SourceLayout
{
    std::optional<PcmFmtChunk> fmt;
    juce::int64 dataBodyPosition = -1;
    juce::int64 dataBytes = 0; // what the source really holds, whatever the header claims

    [[nodiscard]] bool hasData() const noexcept { return dataBodyPosition >= 0; }

    [[nodiscard]] juce::int64 riffSize() const noexcept
    {
        return (juce::int64) (RiffHeader::byteSize - 8 + PcmFmtChunk::byteSize + ChunkHeader::byteSize)
               + dataBytes + (dataBytes & 1);
    }
};

bool readExactly (juce::InputStream& input, void* buffer, int numBytes)
{
    auto* bytes = static_cast<char*> (buffer);

    while (numBytes > 0)
    {
        const auto bytesRead = input.read (bytes, numBytes);

        if (bytesRead <= 0)
            return false;

        bytes += bytesRead;
        numBytes -= bytesRead;
    }

    return true;
}

std::optional<PcmFmtChunk> readFmtChunk (juce::InputStream& input, const ChunkHeader& header)
{
    std::array<std::uint8_t, ExtensibleFmtChunk::bodySize> body {};
    const auto bytesToRead = (int) std::min<std::uint32_t> (header.size, (std::uint32_t) body.size());

    if (! readExactly (input, body.data(), bytesToRead))
        return {};

    if (header.size >= ExtensibleFmtChunk::bodySize)
        return SubFormatGuids {}.makePcmFmtChunkFromExtensible (ExtensibleFmtChunk::fromBody (header, body.data()));

    return makePcmFmtChunk ({ header, WaveFormat::fromBytes (body.data()) });
}

/** Walks the chunks up to the first "fmt " and the first "data"; later ones of either kind and
    every other chunk are passed over. Chunk bodies are word-aligned: an odd body is followed by
    a pad byte.
*/
std::optional<SourceLayout> findChunks (juce::InputStream& input)
{
    const auto sourceLength = input.getTotalLength();
    std::array<std::uint8_t, RiffHeader::byteSize> riffBytes;

    if (! readExactly (input, riffBytes.data(), (int) riffBytes.size())
        || ! RiffHeader::fromBytes (riffBytes.data()).isRiffWave())
        return {};

    SourceLayout layout;
    auto position = (juce::int64) RiffHeader::byteSize;

    while (! (layout.fmt.has_value() && layout.hasData()))
    {
        std::array<std::uint8_t, ChunkHeader::byteSize> headerBytes;

        if (sourceLength - position < (juce::int64) headerBytes.size()
            || ! input.setPosition (position)
            || ! readExactly (input, headerBytes.data(), (int) headerBytes.size()))
            return {};

        const auto header = ChunkHeader::fromBytes (headerBytes.data());
        const auto bodyPosition = position + (juce::int64) ChunkHeader::byteSize;
        const auto bytesLeft = sourceLength - bodyPosition;

        if (header.hasId ("fmt ") && ! layout.fmt.has_value())
        {
            if (header.size < WaveFormat::byteSize || header.size > bytesLeft)
                return {};

            layout.fmt = readFmtChunk (input, header);

            if (! layout.fmt.has_value())
                return {};
        }
        else if (header.hasId ("data") && ! layout.hasData())
        {
            // A converter that was stopped leaves a header that claims more than it wrote.
            layout.dataBodyPosition = bodyPosition;
            layout.dataBytes = std::min ((juce::int64) header.size, bytesLeft);
        }

        position = bodyPosition + header.size + (header.size & 1);
    }

    return layout;
}

using Outcome = WavHeaderFixResult::Outcome;

WavHeaderFixResult notWav()
{
    return { Outcome::notWav, {}, 0 };
}

WavHeaderFixResult tooLarge()
{
    return { Outcome::tooLarge, {}, 0 };
}

WavHeaderFixResult fileError (int errorNumber)
{
    errorNumber = errorNumber != 0 ? errorNumber : EIO;
    return { Outcome::fileError, juce::String (std::generic_category().message (errorNumber)), errorNumber };
}

WavHeaderFixResult fileError (const juce::Result& result)
{
    return { Outcome::fileError, result.getErrorMessage(), 0 };
}

constexpr juce::int64 headersSize = RiffHeader::byteSize + PcmFmtChunk::byteSize + ChunkHeader::byteSize;

/** How the destination is written: made by the rewrite itself, or the caller's own empty file. */
enum class Destination
{
    makeNew,
    callersEmptyFile
};

/** The RIFF header, the format chunk and the "data" chunk's header. */
WavHeaderFixResult writeHeaders (const SourceLayout& layout, const platform::FileDescriptor& destination)
{
    RiffHeader riff;
    riff.riffSize = (std::uint32_t) layout.riffSize();
    const ChunkHeader dataHeader { { 'd', 'a', 't', 'a' }, (std::uint32_t) layout.dataBytes };

    // A WAVE file's format comes before its samples, also when the source had them the other
    // way round.
    std::array<std::uint8_t, (size_t) headersSize> bytes;
    const auto riffBytes = riff.toBytes();
    const auto fmtBytes = layout.fmt->toBytes();
    const auto dataHeaderBytes = dataHeader.toBytes();
    auto end = std::copy (riffBytes.begin(), riffBytes.end(), bytes.begin());
    end = std::copy (fmtBytes.begin(), fmtBytes.end(), end);
    std::copy (dataHeaderBytes.begin(), dataHeaderBytes.end(), end);

    if (const auto error = platform::writeFileBytes (destination, 0, bytes.data(), bytes.size()); error != 0)
        return fileError (error);

    return {};
}

/** The samples are copied inside the kernel, in one pass that never brings them into this
    process: through a buffer of ours every byte would be copied twice.
*/
WavHeaderFixResult copySamples (const juce::File& source, const SourceLayout& layout, const platform::FileDescriptor& destination)
{
    std::error_code error;
    const auto copied = platform::copyFileBytes (source, layout.dataBodyPosition, destination, headersSize, layout.dataBytes, error);

    if (! copied.has_value())
        return fileError (error.value());

    // Fewer bytes than the header announces: the source was cut while we copied.
    if (*copied != layout.dataBytes)
        return fileError (EIO);

    return {};
}

WavHeaderFixResult writePadByte (const SourceLayout& layout, const platform::FileDescriptor& destination)
{
    if ((layout.dataBytes & 1) == 0)
        return {};

    const std::uint8_t pad = 0;

    if (const auto error = platform::writeFileBytes (destination, headersSize + layout.dataBytes, &pad, 1); error != 0)
        return fileError (error);

    return {};
}

/** Written through one descriptor, from its start to its end: a file system may refuse to
    lengthen a file that was closed after its headers (fusefat does).
*/
WavHeaderFixResult writeFile (const juce::File& source, const SourceLayout& layout, const juce::File& destination, Destination kind)
{
    auto openError = 0;
    auto output = platform::openFileForWriting (destination, kind == Destination::makeNew, openError);

    if (! output.isValid())
        return fileError (openError);

    auto result = writeHeaders (layout, output);

    if (result.wasOk())
        result = copySamples (source, layout, output);

    if (result.wasOk())
        result = writePadByte (layout, output);

    // A file system may report a full disk only when the file is closed.
    if (const auto closeError = platform::closeWrittenFile (output); closeError != 0 && result.wasOk())
        result = fileError (closeError);

    return result;
}

enum class PathKind
{
    none,
    replaceable,
    untouchable
};

std::filesystem::path pathOf (const juce::File& file)
{
    return file.getFullPathName().toStdString();
}

PathKind classifyDestination (const juce::File& destination)
{
    std::error_code error;
    const auto status = std::filesystem::symlink_status (pathOf (destination), error);

    if (status.type() == std::filesystem::file_type::not_found)
        return PathKind::none;

    if (error)
        return PathKind::untouchable;

    return std::filesystem::is_regular_file (status) || std::filesystem::is_symlink (status)
               ? PathKind::replaceable
               : PathKind::untouchable;
}

WavHeaderFixResult rewrite (const juce::File& source, const juce::File& destination, Destination kind)
{
    std::error_code error;
    const auto sourceStatus = std::filesystem::status (pathOf (source), error);

    if (error)
        return fileError (error.value());

    // A pipe or a device could block or never end.
    if (! std::filesystem::is_regular_file (sourceStatus))
        return notWav();

    juce::FileInputStream input (source);

    if (! input.openedOk())
        return fileError (input.getStatus());

    // Its sizes could not be trusted: a converter writes the low 32 bits of a larger size.
    if (input.getTotalLength() - 8 > largestRiffSize)
        return tooLarge();

    const auto layout = findChunks (input);

    if (input.getStatus().failed())
        return fileError (input.getStatus());

    if (! layout.has_value())
        return notWav();

    if (layout->riffSize() > largestRiffSize)
        return tooLarge();

    if (const auto result = writeFile (source, *layout, destination, kind); ! result.wasOk())
        return result;

    // Every write was checked; this guards against a file changed behind our back.
    if (destination.getSize() != layout->riffSize() + 8)
        return fileError (EIO);

    return {};
}

} // namespace

RiffHeader RiffHeader::fromBytes (const std::uint8_t* bytes) noexcept
{
    return { readId (bytes), readUint32 (bytes + 4), readId (bytes + 8) };
}

std::array<std::uint8_t, RiffHeader::byteSize> RiffHeader::toBytes() const noexcept
{
    std::array<std::uint8_t, byteSize> bytes;
    std::memcpy (bytes.data(), riffId.data(), 4);
    writeUint32 (bytes.data() + 4, riffSize);
    std::memcpy (bytes.data() + 8, waveId.data(), 4);
    return bytes;
}

bool RiffHeader::isRiffWave() const noexcept
{
    return std::memcmp (riffId.data(), "RIFF", 4) == 0 && std::memcmp (waveId.data(), "WAVE", 4) == 0;
}

ChunkHeader ChunkHeader::fromBytes (const std::uint8_t* bytes) noexcept
{
    return { readId (bytes), readUint32 (bytes + 4) };
}

std::array<std::uint8_t, ChunkHeader::byteSize> ChunkHeader::toBytes() const noexcept
{
    std::array<std::uint8_t, byteSize> bytes;
    std::memcpy (bytes.data(), id.data(), 4);
    writeUint32 (bytes.data() + 4, size);
    return bytes;
}

bool ChunkHeader::hasId (const char* fourCharacters) const noexcept
{
    return std::memcmp (id.data(), fourCharacters, id.size()) == 0;
}

WaveFormat WaveFormat::fromBytes (const std::uint8_t* bytes) noexcept
{
    return { readUint16 (bytes), readUint16 (bytes + 2), readUint32 (bytes + 4),
             readUint32 (bytes + 8), readUint16 (bytes + 12), readUint16 (bytes + 14) };
}

std::array<std::uint8_t, WaveFormat::byteSize> WaveFormat::toBytes() const noexcept
{
    std::array<std::uint8_t, byteSize> bytes;
    writeUint16 (bytes.data(), formatTag);
    writeUint16 (bytes.data() + 2, channels);
    writeUint32 (bytes.data() + 4, samplesPerSecond);
    writeUint32 (bytes.data() + 8, averageBytesPerSecond);
    writeUint16 (bytes.data() + 12, blockAlign);
    writeUint16 (bytes.data() + 14, bitsPerSample);
    return bytes;
}

ExtensibleFmtChunk ExtensibleFmtChunk::fromBody (const ChunkHeader& header, const std::uint8_t* body) noexcept
{
    ExtensibleFmtChunk chunk;
    chunk.header = header;
    chunk.format = WaveFormat::fromBytes (body);
    chunk.extraSize = readUint16 (body + 16);
    chunk.validBitsPerSample = readUint16 (body + 18);
    chunk.channelMask = readUint32 (body + 20);
    std::memcpy (chunk.subFormat.data(), body + 24, chunk.subFormat.size());
    return chunk;
}

std::array<std::uint8_t, PcmFmtChunk::byteSize> PcmFmtChunk::toBytes() const noexcept
{
    std::array<std::uint8_t, byteSize> bytes;
    const auto headerBytes = header.toBytes();
    const auto formatBytes = format.toBytes();
    std::copy (headerBytes.begin(), headerBytes.end(), bytes.begin());
    std::copy (formatBytes.begin(), formatBytes.end(), bytes.begin() + ChunkHeader::byteSize);
    return bytes;
}

PcmFmtChunk SubFormatGuids::makePcmFmtChunkFromExtensible (const ExtensibleFmtChunk& chunk) const noexcept
{
    auto result = makePcmFmtChunk ({ chunk.header, chunk.format });

    if (chunk.format.formatTag == WaveFormatTags::extensible)
    {
        if (chunk.subFormat == ieeeFloat)
            result.format.formatTag = WaveFormatTags::ieeeFloat;
        else if (chunk.subFormat == pcm)
            result.format.formatTag = WaveFormatTags::pcm;
    }

    return result;
}

PcmFmtChunk makePcmFmtChunk (const FmtChunk& chunk) noexcept
{
    PcmFmtChunk result;
    result.format = chunk.format;
    return result;
}

WavHeaderFixResult fixWavHeaderWithReason (const juce::File& source, const juce::File& destination)
{
    if (platform::isSameFile (source.getFullPathName(), destination.getFullPathName()))
        return fileError (EINVAL);

    switch (classifyDestination (destination))
    {
        case PathKind::untouchable:
            return fileError (destination.isDirectory() ? EISDIR : EEXIST);
        case PathKind::replaceable:
        {
            // The destination is written from its start, as a new file.
            std::error_code error;

            if (! std::filesystem::remove (pathOf (destination), error))
                return fileError (error ? error.value() : ENOENT);

            break;
        }
        case PathKind::none:
            break;
    }

    const auto result = rewrite (source, destination, Destination::makeNew);

    // Only what the rewrite made itself: a file that someone put at the name meanwhile is theirs.
    if (! result.wasOk() && result.systemError != EEXIST)
        destination.deleteFile();

    return result;
}

WavHeaderFixResult fixWavHeaderInto (const juce::File& source, const juce::File& ownEmptyDestination)
{
    if (platform::isSameFile (source.getFullPathName(), ownEmptyDestination.getFullPathName()))
        return fileError (EINVAL);

    return rewrite (source, ownEmptyDestination, Destination::callersEmptyFile);
}

bool fixWavHeader (const juce::File& source, const juce::File& destination)
{
    return fixWavHeaderWithReason (source, destination).wasOk();
}
