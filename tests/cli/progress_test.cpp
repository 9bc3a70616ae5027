// Progress on standard error: plain percentages when it goes to a file or a pipe, a bar
// redrawn in place on a terminal, and the phases of a write kept apart.

#include "cli/progress.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tarvex::cli {
namespace {

TEST(CliProgress, PlainLinesOnceAtEachWholePercentPerPhase) {
  std::ostringstream err;
  Progress progress(err, false, 32768);
  // As a KB90xx write and its verification drive the gauge.
  progress.setColor(colors::kRed);
  progress.setProgress(0);
  for (int block = 1; block <= 512; ++block) progress.setProgress(64 * block);
  progress.setProgress(0);
  progress.setColor(colors::kYellow);
  for (int block = 1; block <= 512; ++block) progress.setProgress(64 * block);
  progress.finish();

  std::string expected;
  for (int phase = 0; phase < 2; ++phase) {
    for (int percent = 0; percent <= 100; ++percent) {
      // 64 of 32768 is below 1%: the first line a phase shows is 0%, from its first block.
      expected += std::string(phase == 0 ? "writing " : "verifying ") + std::to_string(percent) + "%\n";
    }
  }
  EXPECT_EQ(err.str(), expected);
}

TEST(CliProgress, ClampsAndFollowsAMaximumSetLater) {
  std::ostringstream err;
  Progress progress(err, false, 768);
  progress.setColor(colors::kLime);
  progress.setMaximum(192);
  progress.setProgress(96);
  progress.setProgress(5000);
  EXPECT_EQ(err.str(), "reading 50%\nreading 100%\n");
}

TEST(CliProgress, TerminalBarMakesWayForLogLinesAndGoesAtTheEnd) {
  std::ostringstream err;
  Progress progress(err, true, 512);
  progress.setColor(colors::kLime);
  progress.setProgress(256);
  EXPECT_EQ(err.str(), "\r[####################....................]  50% reading\x1b[K");
  err.str("");
  progress.hide();
  EXPECT_EQ(err.str(), "\r\x1b[K");
  err.str("");
  progress.show();
  EXPECT_EQ(err.str(), "\r[####################....................]  50% reading\x1b[K");
  err.str("");
  progress.finish();
  progress.finish();
  EXPECT_EQ(err.str(), "\r\x1b[K");
  // Nothing on the line any more: a hidden-then-shown bar does not come back.
  err.str("");
  progress.hide();
  progress.show();
  EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace tarvex::cli
