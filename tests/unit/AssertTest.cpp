#include "AssertRecorder.h"

#include <gtest/gtest.h>

TEST(Assert, RecorderSeesTheConditionTextAndCodeGoesOn)
{
    AssertRecorder rec;
    int p = 0;
    VORM_ASSERT(p && "Can not load X");
    VORM_ASSERT(p == 0);
    ASSERT_EQ(1u, rec.Failures().size());
    EXPECT_TRUE(rec.Saw("p && \"Can not load X\""));
}
