#pragma once

#include <juce_core/juce_core.h>

namespace platform
{

/** Owns a file descriptor of the system and closes it when it goes. */
class FileDescriptor
{
public:
    FileDescriptor() = default;
    explicit FileDescriptor (int descriptorToOwn) noexcept;
    FileDescriptor (FileDescriptor&& other) noexcept;
    FileDescriptor& operator= (FileDescriptor&& other) noexcept;
    ~FileDescriptor();

    [[nodiscard]] int get() const noexcept { return descriptor; }
    [[nodiscard]] bool isValid() const noexcept { return descriptor >= 0; }

    /** Closes the descriptor held, if any, and takes the new one. */
    void reset (int newDescriptor = -1) noexcept;

    /** Gives the descriptor up without closing it. */
    [[nodiscard]] int release() noexcept;

private:
    int descriptor = -1;

    JUCE_DECLARE_NON_COPYABLE (FileDescriptor)
};

} // namespace platform
