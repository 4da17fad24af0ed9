#pragma once

namespace platform
{

/** One resource compiled into the program, found by type name and integer id. */
struct ResourceEntry
{
    const char* typeName;
    int id;
    const void* data;
    int size;
};

struct ResourceTable
{
    const ResourceEntry* entries = nullptr;
    int numEntries = 0;
};

/** The resources of the running program.

    The layer's own definition is weak and holds nothing; a program that carries resources
    links an object file with the real table, the way a Windows program carries its resource
    section. A program built without it simply has no resources.
*/
ResourceTable programResourceTable() noexcept;

/** A resource's bytes, or null and 0 when the program has no such resource. */
struct ResourceData
{
    const void* data = nullptr;
    int size = 0;
};

/** Looks a resource up by type name (matched without regard to case) and id. */
[[nodiscard]] ResourceData findResource (const char* typeName, int id) noexcept;

} // namespace platform
