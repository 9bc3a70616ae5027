#pragma once
// The keyboard tester's operations: the button handlers (user-interface thread) and the
// scan the worker runs. A scan is a strict request and reply exchange: 'u' and its reply,
// then, once per timer tick, 'U' and its reply, until STOP; then 'Q' and the link closes.
// Each reply's pairs toggle their cells, and a reply that reported anything sounds the
// adapter's buzzer ('I') unless the sound is off.

#include <atomic>
#include <functional>
#include <set>
#include <utility>

#include "frame/mode_word.h"
#include "frame/tool_view.h"
#include "link/ft_device.h"
#include "link/link_state.h"
#include "link/wait_bounds.h"
#include "tools/keyboard/keyboard_controls.h"
#include "tools/keyboard/pin_grid.h"
#include "tools/keyboard/reply_buffer.h"
#include "tools/keyboard/tick_gate.h"

namespace tarvex::keyboard {

// A reply that comes this soon after START, and the first reply whenever it comes, is
// answered before a hand can move from START to a key: a pair it reports is two shorted
// lines or a stuck key, not a key pressed.
inline constexpr auto kStartWindow = std::chrono::milliseconds(200);

struct ScanBounds {
  // From a request to its complete reply.
  SteadyClock::duration reply = bounds::kKeyboardReply;
  // From the end of a reply to the next timer tick.
  SteadyClock::duration tick = bounds::kKeyboardTick;
  // From 'u' to the end of the replies whose pairs count as connected at start.
  SteadyClock::duration startWindow = kStartWindow;
};

class KeyboardTool {
 public:
  KeyboardTool(FtBus& bus, ToolView& view, KeyboardControls& controls, ScanBounds bounds = {});
  KeyboardTool(const KeyboardTool&) = delete;
  KeyboardTool& operator=(const KeyboardTool&) = delete;

  // START_SCAN. Refuses while a scan runs; opens the link (its lines go to the log), sets
  // the tool to scanning, sends 'u' and calls startWorker, which must start a thread that
  // runs runScan(). False when no scan started.
  bool startScanClick(const std::function<void()>& startWorker);
  // EXIT / STOP. While scanning it asks the scan to stop after the next complete reply and
  // returns false; when idle it returns true: the window leaves.
  bool exitClick();
  // Clear: every cell back to aqua, in any mode.
  void clearClick();
  // The " No sound" check box.
  void setNoSound(bool noSound);
  // The 100 ms scan timer.
  void timerTick();

  // The worker's part: runs the scan until it ends, then leaves the tool idle with the link
  // closed. Started once per successful startScanClick. True when the scan ended because
  // it was asked to stop; false when the adapter, the link or the timer ended it.
  bool runScan();

  const CellGrid& cells() const { return cells_; }
  const ModeWord& mode() const { return mode_; }
  bool scanning() const;
  const TickGate& ticks() const { return ticks_; }

 private:
  enum class ScanEnd { kNone, kStopped, kSilent, kLinkLost, kTimerStopped };

  ScanEnd awaitReply(SteadyClock::time_point requestedAt);
  void takeReply();
  void finishScan(ScanEnd why);
  void takePair(int first, int second, bool atStart);
  void logSummary();

  FtBus& bus_;
  ToolView& view_;
  KeyboardControls& controls_;
  const ScanBounds bounds_;

  LinkState link_{buffer_size::kKeyboard};
  ModeWord mode_;
  StopRequest stop_{false};
  std::atomic<bool> noSound_{false};
  TickGate ticks_;
  ReplyBuffer reply_;
  CellGrid cells_;
  // The worker's alone during a scan; emptied by START before the worker starts.
  SteadyClock::time_point scanStartedAt_{};
  std::size_t repliesTaken_ = 0;
  std::set<std::pair<int, int>> seen_;
  std::set<std::pair<int, int>> atStart_;
};

}  // namespace tarvex::keyboard
