#include "runner/ConverterUnpacker.h"

#include <gtest/gtest.h>

// This program is built without the resource table, as a program without the archive would be.
TEST (ConverterUnpackerWithoutResource, ReportsThatThereIsNoConverterToUnpack)
{
    EXPECT_FALSE (unpackConverter());
}
