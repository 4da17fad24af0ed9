#pragma once

#include <juce_core/juce_core.h>

#include <mutex>

/** The byte ring through which a child's output passes on its way to being cut into lines.

    Bytes that do not fit are dropped. Each copy in or out takes the ring's own lock.
*/
class CircularBuffer
{
public:
    explicit CircularBuffer (int capacityInBytes);

    /** Empties the ring and clears its bytes. */
    void reset();

    /** Stores up to numBytes bytes behind the newest one; returns how many fitted. */
    int append (const void* source, int numBytes);

    /** The 1-based position, counted from the oldest buffered byte, of the first byte with the
        given value; 0 when there is none.
    */
    [[nodiscard]] int findFirst (char value) const;

    /** Moves the numBytes oldest bytes (at most all of them) to dest; returns how many. */
    int take (void* dest, int numBytes);

    [[nodiscard]] int getNumBuffered() const;
    [[nodiscard]] int getCapacity() const noexcept { return capacity; }

private:
    mutable std::mutex mutex;
    juce::HeapBlock<char> data;
    const int capacity;
    int readPos = 0;
    int writePos = 0;
    int count = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CircularBuffer)
};
