#include "platform/FileDescriptor.h"

#include <unistd.h>
#include <utility>

namespace platform
{

FileDescriptor::FileDescriptor (int descriptorToOwn) noexcept
    : descriptor (descriptorToOwn)
{
}

FileDescriptor::FileDescriptor (FileDescriptor&& other) noexcept
    : descriptor (other.release())
{
}

FileDescriptor& FileDescriptor::operator= (FileDescriptor&& other) noexcept
{
    reset (other.release());
    return *this;
}

FileDescriptor::~FileDescriptor()
{
    reset();
}

void FileDescriptor::reset (int newDescriptor) noexcept
{
    if (descriptor >= 0 && descriptor != newDescriptor)
        ::close (descriptor);

    descriptor = newDescriptor;
}

int FileDescriptor::release() noexcept
{
    return std::exchange (descriptor, -1);
}

} // namespace platform
