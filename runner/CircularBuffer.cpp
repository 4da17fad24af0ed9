#include "CircularBuffer.h"

#include <algorithm>
#include <cstring>

CircularBuffer::CircularBuffer (int capacityInBytes)
    : data ((size_t) juce::jmax (1, capacityInBytes), true)
    , capacity (juce::jmax (1, capacityInBytes))
{
}

void CircularBuffer::reset()
{
    const std::lock_guard<std::mutex> guard (mutex);
    data.clear ((size_t) capacity);
    readPos = 0;
    writePos = 0;
    count = 0;
}

int CircularBuffer::append (const void* source, int numBytes)
{
    const std::lock_guard<std::mutex> guard (mutex);
    const auto n = juce::jlimit (0, capacity - count, numBytes);
    const auto* bytes = static_cast<const char*> (source);
    const auto firstPart = std::min (n, capacity - writePos);

    std::memcpy (data + writePos, bytes, (size_t) firstPart);
    std::memcpy (data.get(), bytes + firstPart, (size_t) (n - firstPart));

    writePos = (writePos + n) % capacity;
    count += n;
    return n;
}

int CircularBuffer::findFirst (char value) const
{
    const std::lock_guard<std::mutex> guard (mutex);
    const auto firstPart = std::min (count, capacity - readPos);

    if (const auto* hit = static_cast<const char*> (std::memchr (data + readPos, value, (size_t) firstPart)))
        return (int) (hit - (data + readPos)) + 1;

    if (const auto* hit = static_cast<const char*> (std::memchr (data.get(), value, (size_t) (count - firstPart))))
        return firstPart + (int) (hit - data.get()) + 1;

    return 0;
}

int CircularBuffer::take (void* dest, int numBytes)
{
    const std::lock_guard<std::mutex> guard (mutex);
    const auto n = juce::jlimit (0, count, numBytes);
    auto* bytes = static_cast<char*> (dest);
    const auto firstPart = std::min (n, capacity - readPos);

    std::memcpy (bytes, data + readPos, (size_t) firstPart);
    std::memcpy (bytes + firstPart, data.get(), (size_t) (n - firstPart));

    readPos = (readPos + n) % capacity;
    count -= n;
    return n;
}

int CircularBuffer::getNumBuffered() const
{
    const std::lock_guard<std::mutex> guard (mutex);
    return count;
}
