#include <gtest/gtest.h>

#include "emulator/wire_model.h"

namespace tarvex::emu {
namespace {

using namespace std::chrono_literals;

TEST(WireModel, ShortReplyWaitsForTheLatencyTimerAndAFrame) {
  WireModel wire{.enabled = true};
  const Clock::time_point sent(10ms);
  Clock::time_point lineFree{};
  const auto seen = wire.replyVisibility(3, sent, lineFree, 2ms);
  ASSERT_EQ(seen.size(), 3u);
  // First byte on the wire after ~10.85 us, the 2 ms timer from there, then the next frame.
  EXPECT_EQ(seen[0], Clock::time_point(13ms));
  EXPECT_EQ(seen[2], seen[0]);
  EXPECT_EQ(lineFree, sent + wire.byteTime() * 3);
}

TEST(WireModel, FullPacketsLeaveWithoutWaitingForTheTimer) {
  WireModel wire{.enabled = true};
  const Clock::time_point sent(10ms);
  Clock::time_point lineFree{};
  const auto seen = wire.replyVisibility(256, sent, lineFree, 16ms);
  // 62 bytes take about 673 us on the wire: the first packet shows at the next frame.
  EXPECT_EQ(seen[0], Clock::time_point(11ms));
  EXPECT_EQ(seen[61], seen[0]);
  EXPECT_GT(seen[62], seen[61]);
  // The last 8 bytes form a short packet and wait for the 16 ms timer.
  EXPECT_GE(seen[255] - sent, 16ms);
}

TEST(WireModel, ByteTimeIsTenBitsAtTheBaudRate) {
  WireModel wire;
  EXPECT_EQ(std::chrono::duration_cast<std::chrono::nanoseconds>(wire.byteTime()).count(), 10850);
}

}  // namespace
}  // namespace tarvex::emu
