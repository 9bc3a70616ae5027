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
  repliesTaken_ = 0;
  seen_.clear();
  atStart_.clear();
  controls_.setExitCaption(text::kStop);
  view_.setStartButtonsEnabled(false);
  // 'u' goes out before the worker exists, so from then on the worker alone uses the link;
  // its reply simply waits in the receive queue for the worker's first look.
  scanStartedAt_ = SteadyClock::now();
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
  const bool atStart =
      repliesTaken_++ == 0 || SteadyClock::now() - scanStartedAt_ <= bounds_.startWindow;
  if (reply_.received() <= 1) return;  // '&' alone: nothing was pressed
  if (reply_.overflowed()) view_.logLine(text::kReplyTooLong);
  for (const PinPair& pair : parseReply(reply_.bytes())) {
    // A pair that names no cell (a pin out of range, or not below its partner) is noise
    // on the line, not a reason to stop the scan.
    if (!namesCell(pair.first, pair.second)) continue;
    takePair(pair.first, pair.second, atStart);
  }
  if (!noSound_) sendByte(link_, cmd::kBuzzer);
}

void KeyboardTool::takePair(int first, int second, bool atStart) {
  seen_.emplace(first, second);
  if (atStart) {
    // Said once, however often the short shows up in the first replies.
    if (!atStart_.emplace(first, second).second) return;
    view_.logLine(text::kPinsPrefix + std::to_string(first) + "-" + std::to_string(second) +
                  text::kConnectedAtStart);
    cells_.markConnectedAtStart(first, second);
    controls_.cellChanged(first, second);
    return;
  }
  const Rgb before = cells_.color(first, second);
  // A cell marked at start keeps its mark: a stuck key reported in every reply would
  // otherwise flicker and be reported again and again.
  if (cells_.toggle(first, second) != before) controls_.cellChanged(first, second);
}

void KeyboardTool::logSummary() {
  if (seen_.empty()) {
    view_.logLine(text::kSummaryNone);
    return;
  }
  std::string list;
  for (const auto& [first, second] : seen_) {
    if (!list.empty()) list += ", ";
    list += std::to_string(first) + "-" + std::to_string(second);
    if (atStart_.count({first, second})) list += text::kSummaryAtStart;
  }
  view_.logLine(text::kSummaryPrefix + std::to_string(seen_.size()) +
                (seen_.size() == 1 ? text::kSummaryOne : text::kSummaryMany) + list);
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
  logSummary();
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
