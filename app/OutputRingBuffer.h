#pragma once

#include <juce_core/juce_core.h>

/** The small byte ring through which the standalone worker's converter output passes on its way
    to the log editor.

    A piece is stored whole or not at all, and one byte always stays free, so the ring holds at
    most capacity - 1 bytes. Every access takes the lock; it is re-entrant because the line
    extraction reads while it already holds it.
*/
class OutputRingBuffer
{
public:
    OutputRingBuffer();

    /** Stores count bytes and returns count, or stores nothing and returns -1 when the bytes
        held and the piece together would reach the capacity.
    */
    int write (const void* source, int count);

    /** Copies up to count of the oldest bytes out (never more than are held) and returns how
        many were copied.
    */
    int read (void* destination, int count);

    [[nodiscard]] int getNumBytesHeld() const;

    /** The length of the oldest line, its first "\n" or "\r" included; 0 when no terminator is
        held.
    */
    [[nodiscard]] int getFirstLineLength() const;

    int readPos = 0; // the oldest byte held
    int writePos = 0; // where the next byte goes
    const int capacity = 1024;
    juce::HeapBlock<char> data;
    juce::CriticalSection lock;

private:
    [[nodiscard]] int bytesHeldUnlocked() const noexcept;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OutputRingBuffer)
};
