#include "app/OutputRingBuffer.h"

#include <gtest/gtest.h>

namespace
{

std::string bytesOf (int count, char first = 'a')
{
    std::string bytes;

    for (int i = 0; i < count; ++i)
        bytes += (char) (first + i % 26);

    return bytes;
}

std::string readAll (OutputRingBuffer& ring)
{
    std::string bytes ((size_t) ring.getNumBytesHeld(), '\0');
    bytes.resize ((size_t) ring.read (bytes.data(), (int) bytes.size()));
    return bytes;
}

} // namespace

TEST (OutputRingBuffer, WrapsAroundTheEndOfItsStore)
{
    OutputRingBuffer ring;
    const auto first = bytesOf (1000);
    ASSERT_EQ (ring.write (first.data(), (int) first.size()), 1000);
    EXPECT_EQ (readAll (ring), first);

    const auto piece = bytesOf (100, 'A');
    EXPECT_EQ (ring.write (piece.data(), (int) piece.size()), 100);
    EXPECT_EQ (ring.writePos, 76);
    EXPECT_EQ (ring.getNumBytesHeld(), 100);
    EXPECT_EQ (readAll (ring), piece);
    EXPECT_EQ (ring.readPos, 76);
}

TEST (OutputRingBuffer, RefusesAPieceWholeOnceItWouldReachTheCapacity)
{
    for (auto start : { 0, 700 }) // without and with a wrap
    {
        SCOPED_TRACE (start);
        OutputRingBuffer ring;
        const auto skipped = bytesOf (start);
        ring.write (skipped.data(), start);
        readAll (ring);

        const auto held = bytesOf (1000);
        ASSERT_EQ (ring.write (held.data(), 1000), 1000);

        const auto piece = bytesOf (24, 'A');
        EXPECT_EQ (ring.write (piece.data(), 24), -1);
        EXPECT_EQ (ring.getNumBytesHeld(), 1000) << "nothing of a refused piece is stored";

        EXPECT_EQ (ring.write (piece.data(), 23), 23) << "1023 bytes fit";
        EXPECT_EQ (ring.write (piece.data(), 1), -1);
        EXPECT_EQ (readAll (ring), held + piece.substr (0, 23));
    }
}

TEST (OutputRingBuffer, TakesARefusedPieceOnceALineIsOut)
{
    OutputRingBuffer ring;
    auto held = bytesOf (1000);
    held[499] = '\r';
    ASSERT_EQ (ring.write (held.data(), 1000), 1000);

    const auto piece = bytesOf (63, 'A');
    ASSERT_EQ (ring.write (piece.data(), 63), -1);

    ASSERT_EQ (ring.getFirstLineLength(), 500);
    std::string line (500, '\0');
    ASSERT_EQ (ring.read (line.data(), 500), 500);
    EXPECT_EQ (line, held.substr (0, 500));
    EXPECT_EQ (ring.getFirstLineLength(), 0);

    EXPECT_EQ (ring.write (piece.data(), 63), 63);
    EXPECT_EQ (readAll (ring), held.substr (500) + piece);
}

TEST (OutputRingBuffer, FindsTheFirstTerminatorOfEitherKindAcrossTheWrap)
{
    OutputRingBuffer ring;
    const auto skipped = bytesOf (1020);
    ring.write (skipped.data(), 1020);
    readAll (ring);

    const std::string text = "abcdef\nxy\rz";
    ring.write (text.data(), (int) text.size());
    EXPECT_EQ (ring.getFirstLineLength(), 7);

    std::string line (7, '\0');
    ring.read (line.data(), 7);
    EXPECT_EQ (line, "abcdef\n");
    EXPECT_EQ (ring.getFirstLineLength(), 3);
}
