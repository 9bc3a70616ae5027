#include "cli/progress.h"

#include "app/frame/gauge_math.h"

namespace tarvex::cli {
namespace {

constexpr int kBarWidth = 40;

}  // namespace

int Progress::percent() const { return gaugePercent(progress_, 0, maximum_); }

void Progress::setMaximum(int maximum) {
  maximum_ = maximum;
  setProgress(progress_);
}

void Progress::setProgress(int progress) {
  progress_ = clampGauge(progress, 0, maximum_);
  // A gauge set to 0 starts a count afresh (an operation, or its next phase); the count
  // shows from its first step on.
  if (progress_ == 0) {
    shownPercent_.reset();
    return;
  }
  if (shownPercent_ == percent()) return;
  shownPercent_ = percent();
  draw();
}

void Progress::setColor(Rgb color) {
  std::string phase;
  if (color == colors::kLime) phase = "reading";
  if (color == colors::kRed) phase = "writing";
  if (color == colors::kYellow) phase = "verifying";
  if (phase == phase_) return;
  // A new phase starts its own count, on a line of its own.
  finish();
  phase_ = phase;
  shownPercent_.reset();
}

void Progress::draw() {
  const int shown = *shownPercent_;
  if (!terminal_) {
    err_ << (phase_.empty() ? "" : phase_ + " ") << shown << "%\n";
    err_.flush();
    return;
  }
  const int filled = shown * kBarWidth / 100;
  err_ << "\r[" << std::string(filled, '#') << std::string(kBarWidth - filled, '.') << "] ";
  err_ << (shown < 10 ? "  " : shown < 100 ? " " : "") << shown << "% " << phase_ << "\x1b[K";
  err_.flush();
  barActive_ = true;
  barOnScreen_ = true;
}

void Progress::hide() {
  if (!barOnScreen_) return;
  err_ << "\r\x1b[K";
  err_.flush();
  barOnScreen_ = false;
}

void Progress::show() {
  if (barActive_ && !barOnScreen_ && shownPercent_) draw();
}

void Progress::finish() {
  // The bar lives while its phase runs; the log lines say how the phase ended.
  hide();
  barActive_ = false;
}

}  // namespace tarvex::cli
