#include <gtest/gtest.h>

#include "link/display_map.h"

namespace tarvex {
namespace {

TEST(DisplayMap, KeepsDigitsLettersDotAndUnderscoreOnly) {
  std::string kept;
  for (int b = 0; b < 256; ++b) {
    const char c = displayChar(static_cast<std::uint8_t>(b));
    if (c != ' ') kept.push_back(c);
    else EXPECT_EQ(c, ' ');
  }
  EXPECT_EQ(kept, ".0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz");
}

TEST(DisplayMap, TextMapsEachByte) {
  const std::uint8_t bytes[] = {'I', 'T', 'E', 0x00, '-', 0x80, 'x'};
  EXPECT_EQ(displayText(bytes, sizeof bytes), "ITE   x");
}

}  // namespace
}  // namespace tarvex
