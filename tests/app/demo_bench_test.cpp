// The demo bench's line timing: operations take their real time unless the bench's fast
// line is chosen, and the bench control stays above the tool windows.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <array>
#include <chrono>

#include "app/demo/demo_control.h"
#include "emulator/bench/demo_bench.h"

namespace tarvex {
namespace {

// The time 20 tag requests take on a fresh connection to the bench's adapter.
std::chrono::milliseconds twentyTagRequests(emu::DemoBench& bench) {
  std::unique_ptr<FtDevice> device;
  EXPECT_EQ(bench.bus().open(0, &device), FT_OK);
  if (!device) return {};
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < 20; ++i) {
    const std::uint8_t request = 'B';
    std::uint32_t count = 0;
    device->write(&request, 1, &count);
    device->waitForQueue(3, SteadyClock::now() + std::chrono::seconds(2), &count);
    std::array<std::uint8_t, 3> tag{};
    device->read(tag.data(), 3, &count);
    EXPECT_EQ(count, 3u);
  }
  device->close();
  return std::chrono::milliseconds(timer.elapsed());
}

TEST(DemoBench, KeepsTheLineTimingUntilFastLineIsTickedAndStaysOnTop) {
  emu::DemoBench bench;
  DemoControl control(bench);
  EXPECT_TRUE(control.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  ASSERT_FALSE(control.fastLine->isChecked());
  // Each short reply waits for the adapter's 16 ms receive latency timer.
  EXPECT_GE(twentyTagRequests(bench), std::chrono::milliseconds(20 * 16));
  control.fastLine->click();
  EXPECT_LT(twentyTagRequests(bench), std::chrono::milliseconds(20 * 16));
  control.fastLine->click();
  EXPECT_GE(twentyTagRequests(bench), std::chrono::milliseconds(20 * 16));
}

}  // namespace
}  // namespace tarvex
