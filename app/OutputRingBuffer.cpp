#include "app/OutputRingBuffer.h"

OutputRingBuffer::OutputRingBuffer()
    : data ((size_t) capacity, true)
{
}

int OutputRingBuffer::bytesHeldUnlocked() const noexcept
{
    return writePos >= readPos ? writePos - readPos : capacity - readPos + writePos;
}

int OutputRingBuffer::getNumBytesHeld() const
{
    const juce::ScopedLock sl (lock);
    return bytesHeldUnlocked();
}

int OutputRingBuffer::write (const void* source, int count)
{
    const juce::ScopedLock sl (lock);

    if (count < 0 || bytesHeldUnlocked() + count >= capacity)
        return -1;

    if (count == 0)
        return 0;

    const auto* bytes = static_cast<const char*> (source);
    const auto firstPart = juce::jmin (count, capacity - writePos);

    memcpy (data + writePos, bytes, (size_t) firstPart);
    memcpy (data.get(), bytes + firstPart, (size_t) (count - firstPart));
    writePos = (writePos + count) % capacity;
    return count;
}

int OutputRingBuffer::read (void* destination, int count)
{
    const juce::ScopedLock sl (lock);

    count = juce::jlimit (0, bytesHeldUnlocked(), count);

    if (count == 0)
        return 0;

    auto* bytes = static_cast<char*> (destination);
    const auto firstPart = juce::jmin (count, capacity - readPos);

    memcpy (bytes, data + readPos, (size_t) firstPart);
    memcpy (bytes + firstPart, data.get(), (size_t) (count - firstPart));
    readPos = (readPos + count) % capacity;
    return count;
}

int OutputRingBuffer::getFirstLineLength() const
{
    const juce::ScopedLock sl (lock);
    const auto held = bytesHeldUnlocked();

    for (int i = 0; i < held; ++i)
    {
        const auto byte = data[(readPos + i) % capacity];

        if (byte == '\n' || byte == '\r')
            return i + 1;
    }

    return 0;
}
