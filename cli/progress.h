#pragma once
// The progress of an operation on standard error: on a terminal a bar redrawn in place on
// the last line while its phase runs, otherwise a plain line at every whole percent
// ("reading 42%"). The phase word comes
// from the gauge colour the tool sets: reading, writing or verifying.
//
// Once a count has run for a few seconds, the time it has taken and the time it will
// still take (from its pace so far) follow the percentage: "writing 42%  1:23 elapsed,
// about 1:55 left".

#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "frame/tool_view.h"

namespace tarvex::cli {

class Progress {
 public:
  using Clock = std::chrono::steady_clock;
  using Now = std::function<Clock::time_point()>;

  // now: the clock the times are taken from (tests pass their own); the steady clock when
  // empty.
  Progress(std::ostream& err, bool terminal, int maximum, Now now = {});

  void setMaximum(int maximum);
  void setProgress(int progress);
  void setColor(Rgb color);

  // Around a line written to the terminal by someone else: take the bar away, put it back.
  void hide();
  void show();
  // The phase or the operation is over: the bar goes away.
  void finish();

 private:
  int percent() const;
  // The times after the percentage, or "" while the count is young.
  std::string times() const;
  void restartCount();
  void draw();

  std::ostream& err_;
  const bool terminal_;
  int maximum_;
  int progress_ = 0;
  std::string phase_;
  Now now_;
  Clock::time_point countStart_;
  std::optional<int> shownPercent_;  // the last percent written
  std::string shownTimes_;           // and the times beside it
  bool barActive_ = false;    // a bar belongs to the current phase
  bool barOnScreen_ = false;  // and stands on the terminal's last line
};

}  // namespace tarvex::cli
