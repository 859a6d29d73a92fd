#include "forms/watermark_placement.h"

#include <gtest/gtest.h>

#include <climits>

using forms::WatermarkPosition;

TEST(WatermarkPlacement, CentredTruncatesTowardZero) {
    EXPECT_EQ(461, WatermarkPosition(-32768, 1024, 101));
    // Wider than the window: (1024 - 1029) / 2 is -2.5, truncated to -2 (not floored to -3).
    EXPECT_EQ(-2, WatermarkPosition(-32768, 1024, 1029));
    EXPECT_EQ(334, WatermarkPosition(-32768, 768, 100));
}

TEST(WatermarkPlacement, NegativeValuesCountFromTheFarEdge) {
    EXPECT_EQ(924, WatermarkPosition(-1, 1024, 100));   // flush right
    EXPECT_EQ(914, WatermarkPosition(-11, 1024, 100));  // 10 pixels gap
    EXPECT_EQ(668, WatermarkPosition(-1, 768, 100));    // flush bottom
    EXPECT_EQ(-32767 + 1024 - 100 + 1, WatermarkPosition(-32767, 1024, 100));
}

TEST(WatermarkPlacement, OtherValuesAreDistancesFromTheNearEdge) {
    EXPECT_EQ(0, WatermarkPosition(0, 1024, 100));
    EXPECT_EQ(20, WatermarkPosition(20, 1024, 100));
    EXPECT_EQ(5000, WatermarkPosition(5000, 1024, 100));
    EXPECT_EQ(-32769, WatermarkPosition(-32769, 1024, 100));
    EXPECT_EQ(INT_MIN, WatermarkPosition(INT_MIN, 1024, 100));
    EXPECT_EQ(INT_MAX, WatermarkPosition(INT_MAX, 1024, 100));
}

TEST(WatermarkPlacement, ExtremeSizesDoNotOverflow) {
    EXPECT_EQ(INT_MAX, WatermarkPosition(-1, INT_MAX, -INT_MAX));
    EXPECT_EQ(-INT_MAX, WatermarkPosition(-32768, INT_MIN, INT_MAX));
    EXPECT_EQ(INT_MIN, WatermarkPosition(-32767, INT_MIN, INT_MAX));
}
