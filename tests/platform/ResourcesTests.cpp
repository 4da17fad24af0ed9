#include "platform/Resources.h"

#include <gtest/gtest.h>

namespace
{

// This program is linked without the resource table, as a program without resources would be.
TEST (ResourcesWithoutTable, FindNothing)
{
    EXPECT_EQ (platform::programResourceTable().numEntries, 0);

    for (auto* typeName : { "zip", "ZIP", "", static_cast<const char*> (nullptr) })
    {
        const auto resource = platform::findResource (typeName, 101);
        EXPECT_EQ (resource.data, nullptr);
        EXPECT_EQ (resource.size, 0);
    }
}

} // namespace
