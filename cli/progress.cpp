#include "cli/progress.h"

#include "frame/gauge_math.h"

namespace tarvex::cli {
namespace {

constexpr int kBarWidth = 40;
// A count shorter than this ends before the times would tell the user anything.
constexpr auto kTimesAfter = std::chrono::seconds(3);

// "0:07", "12:34", "1:02:03".
std::string clockText(std::chrono::seconds duration) {
  const long long total = duration.count() < 0 ? 0 : duration.count();
  const long long hours = total / 3600;
  const long long minutes = total / 60 % 60;
  const long long seconds = total % 60;
  auto twoDigits = [](long long value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
  };
  if (hours > 0) return std::to_string(hours) + ":" + twoDigits(minutes) + ":" + twoDigits(seconds);
  return std::to_string(minutes) + ":" + twoDigits(seconds);
}

}  // namespace

Progress::Progress(std::ostream& err, bool terminal, int maximum, Now now)
    : err_(err),
      terminal_(terminal),
      maximum_(maximum),
      now_(now ? std::move(now) : Now([] { return Clock::now(); })),
      countStart_(now_()) {}

int Progress::percent() const { return gaugePercent(progress_, 0, maximum_); }

void Progress::restartCount() {
  shownPercent_.reset();
  shownTimes_.clear();
  countStart_ = now_();
}

std::string Progress::times() const {
  const auto elapsed = now_() - countStart_;
  if (elapsed < kTimesAfter || maximum_ <= 0) return "";
  const auto elapsedSeconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed);
  std::string text = clockText(elapsedSeconds) + " elapsed";
  if (progress_ > 0 && progress_ < maximum_) {
    // The pace so far holds for the rest.
    const double left = std::chrono::duration<double>(elapsed).count() *
                        static_cast<double>(maximum_ - progress_) / progress_;
    text += ", about " + clockText(std::chrono::seconds(static_cast<long long>(left + 0.5))) +
            " left";
  }
  return text;
}

void Progress::setMaximum(int maximum) {
  maximum_ = maximum;
  setProgress(progress_);
}

void Progress::setProgress(int progress) {
  progress_ = clampGauge(progress, 0, maximum_);
  // A gauge set to 0 starts a count afresh (an operation, or its next phase); the count
  // shows from its first step on.
  if (progress_ == 0) {
    restartCount();
    return;
  }
  // Plain lines come once a percent; the bar also follows the clock while a percent lasts.
  const std::string nowTimes = times();
  if (shownPercent_ == percent() && (!terminal_ || nowTimes == shownTimes_)) return;
  shownPercent_ = percent();
  shownTimes_ = nowTimes;
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
  restartCount();
}

void Progress::draw() {
  const int shown = *shownPercent_;
  if (!terminal_) {
    err_ << (phase_.empty() ? "" : phase_ + " ") << shown << "%";
    if (!shownTimes_.empty()) err_ << "  " << shownTimes_;
    err_ << "\n";
    err_.flush();
    return;
  }
  const int filled = shown * kBarWidth / 100;
  err_ << "\r[" << std::string(filled, '#') << std::string(kBarWidth - filled, '.') << "] ";
  err_ << (shown < 10 ? "  " : shown < 100 ? " " : "") << shown << "% " << phase_;
  if (!shownTimes_.empty()) err_ << "  " << shownTimes_;
  err_ << "\x1b[K";
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
