#include "runner/CircularBuffer.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::string takeAll (CircularBuffer& ring)
{
    std::string bytes ((size_t) ring.getNumBuffered(), '\0');
    ring.take (bytes.data(), (int) bytes.size());
    return bytes;
}
} // namespace

TEST (CircularBuffer, ALineRunningPastTheEndIsFoundAndTakenWholeAndInOrder)
{
    CircularBuffer ring (8);
    std::string scratch (8, '\0');

    ring.append ("123456", 6);
    ring.take (scratch.data(), 6); // the next bytes start at index 6 and wrap

    ring.append ("ab\ncd", 5);
    EXPECT_EQ (ring.findFirst ('\n'), 3);
    EXPECT_EQ (ring.findFirst ('d'), 5);
    EXPECT_EQ (ring.findFirst ('\r'), 0);

    EXPECT_EQ (takeAll (ring), "ab\ncd");
    EXPECT_EQ (ring.getNumBuffered(), 0);
}

TEST (CircularBuffer, DropsWhatDoesNotFitAndFindsTheVeryLastByteOfAFullRing)
{
    CircularBuffer ring (4);

    EXPECT_EQ (ring.append ("ab", 2), 2);
    EXPECT_EQ (ring.append ("c\nxyz", 5), 2);
    EXPECT_EQ (ring.append ("!", 1), 0);
    EXPECT_EQ (ring.findFirst ('\n'), 4);
    EXPECT_EQ (takeAll (ring), "abc\n");

    ring.append ("q", 1);
    ring.reset();
    EXPECT_EQ (ring.getNumBuffered(), 0);
    EXPECT_EQ (ring.findFirst ('q'), 0);
}
