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

// A clock the test moves by hand.
struct ManualClock {
  Progress::Clock::time_point now{};
  Progress::Now reader() {
    return [this] { return now; };
  }
};

TEST(CliProgress, TimesFollowTheCountOnceItRunsAFewSeconds) {
  using std::chrono::seconds;
  ManualClock clock;
  std::ostringstream err;
  Progress progress(err, false, 1000, clock.reader());
  progress.setColor(colors::kRed);
  progress.setProgress(0);
  clock.now += seconds(1);
  progress.setProgress(10);  // a short count shows the percentage alone
  clock.now += seconds(9);
  progress.setProgress(100);  // 10 s for 10 %: 90 s to go
  progress.setProgress(101);  // the same percent: no new line
  clock.now += seconds(3590);
  progress.setProgress(500);
  clock.now += seconds(3600);
  progress.setProgress(1000);
  // The next phase counts its own time from its start.
  progress.setColor(colors::kYellow);
  clock.now += seconds(1);
  progress.setProgress(500);
  EXPECT_EQ(err.str(),
            "writing 1%\n"
            "writing 10%  0:10 elapsed, about 1:30 left\n"
            "writing 50%  1:00:00 elapsed, about 1:00:00 left\n"
            "writing 100%  2:00:00 elapsed\n"
            "verifying 50%\n");

  // On a terminal the bar keeps the clock going while a percent lasts.
  std::ostringstream bar;
  Progress terminal(bar, true, 100, clock.reader());
  terminal.setColor(colors::kLime);
  terminal.setProgress(0);
  clock.now += seconds(4);
  terminal.setProgress(40);
  bar.str("");
  clock.now += seconds(2);
  terminal.setProgress(40);
  EXPECT_EQ(bar.str(),
            "\r[################........................]  40% reading  0:06 elapsed, about 0:09 left"
            "\x1b[K");
}

}  // namespace
}  // namespace tarvex::cli
