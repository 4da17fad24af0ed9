#include "platform/Resources.h"

namespace platform
{

// Weak, so that a program linking the real table (an object file of its own) replaces it.
__attribute__ ((weak)) ResourceTable programResourceTable() noexcept
{
    return {};
}

namespace
{
char toLowerAscii (char c) noexcept
{
    return (c >= 'A' && c <= 'Z') ? (char) (c - 'A' + 'a') : c;
}

bool equalsIgnoringCase (const char* a, const char* b) noexcept
{
    for (;; ++a, ++b)
    {
        if (toLowerAscii (*a) != toLowerAscii (*b))
            return false;

        if (*a == 0)
            return true;
    }
}
} // namespace

ResourceData findResource (const char* typeName, int id) noexcept
{
    if (typeName == nullptr)
        return {};

    const auto table = programResourceTable();

    for (int i = 0; i < table.numEntries; ++i)
    {
        const auto& entry = table.entries[i];

        if (entry.id == id && entry.typeName != nullptr && equalsIgnoringCase (entry.typeName, typeName))
            return { entry.data, entry.size };
    }

    return {};
}

} // namespace platform
