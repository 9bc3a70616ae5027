// The keyboard tester's texts that users know from the manual and from the windows themselves,
// stated here character for character, so a slip in the tool's message table cannot pass unseen:
// the other tests take these texts from that table.

#include <gtest/gtest.h>

#include <string_view>
#include <utility>

#include "tools/keyboard/keyboard_messages.h"

namespace tarvex::keyboard {
namespace {

TEST(KeyboardTexts, EveryDocumentedTextIsExact) {
  const std::pair<std::string_view, std::string_view> texts[] = {
      {text::kWindowCaption, "Keyboard_testing"},
      {text::kModeScanning, "Keyboard"},
      {text::kExit, "EXIT"},
      {text::kStop, "STOP"},
      {text::kStartScan, "START SCAN"},
      {text::kClear, "Clear"},
      {text::kNoSound, " No sound"},
      {text::kColumnLabels, "2       6        11        16        21        26        31"},
  };
  for (const auto& [shown, documented] : texts) EXPECT_EQ(shown, documented);
}

}  // namespace
}  // namespace tarvex::keyboard
