#include "tools/keyboard/keyboard_tool.h"

#include <algorithm>

#include "link/adapter_link.h"
#include "link/link_io.h"
#include "tools/keyboard/keyboard_commands.h"
#include "tools/keyboard/keyboard_messages.h"
#include "tools/keyboard/reply_parser.h"

namespace tarvex::keyboard {

KeyboardTool::KeyboardTool(FtBus& bus, ToolView& view, KeyboardControls& controls,
                           ScanBounds bounds)
    : bus_(bus), view_(view), controls_(controls), bounds_(bounds) {}

bool KeyboardTool::scanning() const {
  return mode_.is(text::kModeScanning);
}

bool KeyboardTool::startScanClick(const std::function<void()>& startWorker) {
  if (!mode_.idle()) return false;
  if (OpenAdapterLink(bus_, link_params::kKeyboard, link_, view_) != kLinkReady) return false;
  mode_.set(text::kModeScanning);
  reply_.clear();
  stop_ = false;
  controls_.setExitCaption(text::kStop);
  view_.setStartButtonsEnabled(false);
  // 'u' goes out before the worker exists, so from then on the worker alone uses the link;
  // its reply simply waits in the receive queue for the worker's first look.
  sendByte(link_, cmd::kStartScan);
  controls_.setScanTimerEnabled(true);
  startWorker();
  return true;
}

bool KeyboardTool::exitClick() {
  if (scanning()) {
    stop_ = true;
    return false;
  }
  return true;
}

void KeyboardTool::clearClick() {
  cells_.clear();
  controls_.allCellsChanged();
}

void KeyboardTool::setNoSound(bool noSound) {
  noSound_ = noSound;
}

void KeyboardTool::timerTick() {
  ticks_.signal();
}

bool KeyboardTool::runScan() {
  auto requestedAt = SteadyClock::now();
  ScanEnd end = ScanEnd::kNone;
  for (;;) {
    end = awaitReply(requestedAt);
    if (end != ScanEnd::kNone) break;
    takeReply();
    if (stop_) {
      end = ScanEnd::kStopped;
      break;
    }
    // Ticks that came while the reply was awaited do not count: the next request waits for
    // a fresh one, so two requests never share a tick.
    ticks_.clear();
    if (!ticks_.wait(bounds_.tick)) {
      end = ScanEnd::kTimerStopped;
      break;
    }
    reply_.clear();
    requestedAt = SteadyClock::now();
    sendByte(link_, cmd::kNextReply);
  }
  finishScan(end);
  return end == ScanEnd::kStopped;
}

KeyboardTool::ScanEnd KeyboardTool::awaitReply(SteadyClock::time_point requestedAt) {
  // The whole reply must come within the bound of its request: a reply that trickles on
  // without its '&' ends the scan as surely as silence does.
  const auto deadline = requestedAt + bounds_.reply;
  while (!reply_.complete()) {
    const auto left = std::max(deadline - SteadyClock::now(), SteadyClock::duration::zero());
    switch (waitForBytes(link_, 1, left)) {
      case WaitResult::kReady:
        break;
      case WaitResult::kTimedOut:
        return ScanEnd::kSilent;
      case WaitResult::kFailed:
        return ScanEnd::kLinkLost;
    }
    // More may be queued than the receive buffer holds; the rest comes on the next pass.
    const auto count =
        static_cast<std::uint32_t>(std::min<std::size_t>(link_.queue.rx, link_.buffer.size()));
    if (!readIntoBuffer(link_, 0, count)) return ScanEnd::kLinkLost;
    reply_.append({link_.buffer.data(), count});
  }
  return ScanEnd::kNone;
}

void KeyboardTool::takeReply() {
  if (reply_.received() <= 1) return;  // '&' alone: nothing was pressed
  if (reply_.overflowed()) view_.logLine(text::kReplyTooLong);
  for (const PinPair& pair : parseReply(reply_.bytes())) {
    // A pair that names no cell (a pin out of range, or not below its partner) is noise
    // on the line, not a reason to stop the scan.
    if (!namesCell(pair.first, pair.second)) continue;
    cells_.toggle(pair.first, pair.second);
    controls_.cellChanged(pair.first, pair.second);
  }
  if (!noSound_) sendByte(link_, cmd::kBuzzer);
}

void KeyboardTool::finishScan(ScanEnd why) {
  switch (why) {
    case ScanEnd::kSilent:
      view_.logLine(text::kAdapterSilent);
      break;
    case ScanEnd::kLinkLost:
      view_.logLine(text::kLinkLost);
      break;
    case ScanEnd::kTimerStopped:
      view_.logLine(text::kTimerStopped);
      break;
    case ScanEnd::kNone:
    case ScanEnd::kStopped:
      break;
  }
  stop_ = false;
  controls_.setScanTimerEnabled(false);
  // 'Q' also goes to an adapter that fell silent: a firmware stuck in its scan may still
  // hear it. On a lost link it fails harmlessly.
  sendByte(link_, cmd::kEndScan);
  CloseAdapterLink(link_);
  // Idle only once the link is closed: a START pressed at once then opens a fresh link
  // rather than one this worker is about to close.
  mode_.set(kModeNone);
  view_.setStartButtonsEnabled(true);
  controls_.setExitCaption(text::kExit);
}

}  // namespace tarvex::keyboard
