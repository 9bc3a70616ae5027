#include <gtest/gtest.h>

#include "frame/gauge_math.h"

namespace tarvex {
namespace {

TEST(GaugeMath, FiveHundredTwelveBlocksOfAThirtyTwoKMaximum) {
  EXPECT_EQ(gaugeStep(32768, 512, 1), 64);
  EXPECT_EQ(gaugeStep(32768, 512, 512), 32768);
  EXPECT_EQ(gaugeText(gaugeStep(32768, 512, 512), 0, 32768), "100%");
  EXPECT_EQ(gaugeText(gaugeStep(32768, 512, 511), 0, 32768), "99%");
}

TEST(GaugeMath, PercentIsFlooredClampedAndZeroForAnEmptyRange) {
  EXPECT_EQ(gaugePercent(2, 0, 3), 66);
  EXPECT_EQ(gaugePercent(-5, 0, 10), 0);
  EXPECT_EQ(gaugePercent(50, 0, 10), 100);
  EXPECT_EQ(gaugePercent(7, 7, 7), 0);
  EXPECT_EQ(gaugePercent(1, 0, 192), 0);
  EXPECT_EQ(gaugePercent(2147483647, 0, 2147483647), 100);
}

}  // namespace
}  // namespace tarvex
