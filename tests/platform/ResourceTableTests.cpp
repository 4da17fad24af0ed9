#include "platform/Resources.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

// This program links the application's resource table, which replaces the layer's empty one.
TEST (ResourcesWithTable, FindTheConverterArchiveByTypeNameInAnyCaseAndId)
{
    for (auto* typeName : { "zip", "ZIP", "Zip" })
    {
        SCOPED_TRACE (typeName);
        const auto resource = platform::findResource (typeName, 101);
        ASSERT_NE (resource.data, nullptr);
        ASSERT_GT (resource.size, 4);
        EXPECT_EQ (std::memcmp (resource.data, "PK\x03\x04", 4), 0);
    }
}

TEST (ResourcesWithTable, OtherNamesAndIdsFindNothing)
{
    struct Case
    {
        const char* typeName;
        int id;
    };

    const Case cases[] = { { "zip", 102 }, { "zip", 0 }, { "zi", 101 }, { "zipx", 101 }, { "", 101 }, { nullptr, 101 }, { "RCDATA", 101 } };

    for (auto& testCase : cases)
    {
        SCOPED_TRACE (testCase.typeName != nullptr ? testCase.typeName : "(null)");
        const auto resource = platform::findResource (testCase.typeName, testCase.id);
        EXPECT_EQ (resource.data, nullptr);
        EXPECT_EQ (resource.size, 0);
    }
}

} // namespace
