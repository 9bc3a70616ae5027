#pragma once
// The progress of an operation on standard error: on a terminal a bar redrawn in place on
// the last line while its phase runs, otherwise a plain line at every whole percent
// ("reading 42%"). The phase word comes
// from the gauge colour the tool sets: reading, writing or verifying.

#include <optional>
#include <ostream>
#include <string>

#include "app/frame/tool_view.h"

namespace tarvex::cli {

class Progress {
 public:
  Progress(std::ostream& err, bool terminal, int maximum)
      : err_(err), terminal_(terminal), maximum_(maximum) {}

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
  void draw();

  std::ostream& err_;
  const bool terminal_;
  int maximum_;
  int progress_ = 0;
  std::string phase_;
  std::optional<int> shownPercent_;  // the last percent written
  bool barActive_ = false;    // a bar belongs to the current phase
  bool barOnScreen_ = false;  // and stands on the terminal's last line
};

}  // namespace tarvex::cli
