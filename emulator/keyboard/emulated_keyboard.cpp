#include "emulator/keyboard/emulated_keyboard.h"

#include <algorithm>
#include <span>

namespace tarvex::emu {
namespace {

// The firmware's scan commands and reply bytes.
constexpr std::uint8_t kStart = 'u';
constexpr std::uint8_t kNext = 'U';
constexpr std::uint8_t kEnd = 'Q';
constexpr std::uint8_t kRecord = '>';
constexpr std::uint8_t kReplyEnd = '&';

// How often a held reply looks whether it may go; the pause also notices the host leaving.
constexpr std::chrono::microseconds kHoldPoll{500};

}  // namespace

bool EmulatedKeyboard::pressKey(int a, int b) {
  if (a < 1 || b < 1 || a > kPins || b > kPins || a == b) return false;
  std::lock_guard lock(mutex_);
  presses_.emplace_back(static_cast<std::uint8_t>(std::min(a, b)),
                        static_cast<std::uint8_t>(std::max(a, b)));
  return true;
}

bool EmulatedKeyboard::holdKey(int a, int b) {
  if (a < 1 || b < 1 || a > kPins || b > kPins || a == b) return false;
  std::lock_guard lock(mutex_);
  heldKeys_.emplace_back(static_cast<std::uint8_t>(std::min(a, b)),
                          static_cast<std::uint8_t>(std::max(a, b)));
  return true;
}

void EmulatedKeyboard::releaseKey(int a, int b) {
  std::lock_guard lock(mutex_);
  const std::pair<std::uint8_t, std::uint8_t> key{static_cast<std::uint8_t>(std::min(a, b)),
                                                  static_cast<std::uint8_t>(std::max(a, b))};
  heldKeys_.erase(std::remove(heldKeys_.begin(), heldKeys_.end(), key), heldKeys_.end());
}

void EmulatedKeyboard::queueRawReply(std::vector<std::uint8_t> bytes) {
  std::lock_guard lock(mutex_);
  rawReplies_.push_back(std::move(bytes));
}

void EmulatedKeyboard::setReplySplit(std::size_t pieces, std::chrono::microseconds gap) {
  std::lock_guard lock(mutex_);
  pieces_ = std::max<std::size_t>(pieces, 1);
  gap_ = gap;
}

void EmulatedKeyboard::holdReplies(bool hold) {
  std::lock_guard lock(mutex_);
  held_ = hold;
}

std::size_t EmulatedKeyboard::requestCount() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::size_t EmulatedKeyboard::replyCount() const {
  std::lock_guard lock(mutex_);
  return replies_;
}

bool EmulatedKeyboard::scanning() const {
  std::lock_guard lock(mutex_);
  return scanning_;
}

std::size_t EmulatedKeyboard::pendingPresses() const {
  std::lock_guard lock(mutex_);
  return presses_.size();
}

bool EmulatedKeyboard::handles(std::uint8_t command) const {
  return command == kStart || command == kNext || command == kEnd;
}

void EmulatedKeyboard::handle(std::uint8_t command, FirmwarePort& port) {
  {
    std::lock_guard lock(mutex_);
    if (command == kEnd) {
      scanning_ = false;
      return;
    }
    // 'U' outside a scan has nothing to report on: the firmware ignores it.
    if (command == kNext && !scanning_) return;
    scanning_ = true;
    ++requests_;
  }
  sendReply(port);
}

void EmulatedKeyboard::reset() {
  // A new open finds the firmware idle; presses not yet reported stay, as the key is
  // still remembered by the model until a scan picks it up.
  std::lock_guard lock(mutex_);
  scanning_ = false;
}

std::vector<std::uint8_t> EmulatedKeyboard::takeReplyLocked() {
  if (!rawReplies_.empty()) {
    auto raw = std::move(rawReplies_.front());
    rawReplies_.pop_front();
    return raw;
  }
  // One record per first pin, in the order the presses came (held keys first); a first pin
  // pressed with several second pins lists them all in its record.
  presses_.insert(presses_.begin(), heldKeys_.begin(), heldKeys_.end());
  std::vector<std::uint8_t> reply;
  std::vector<std::uint8_t> firsts;
  for (const auto& press : presses_) {
    if (std::find(firsts.begin(), firsts.end(), press.first) == firsts.end()) {
      firsts.push_back(press.first);
    }
  }
  for (std::uint8_t first : firsts) {
    reply.push_back(kRecord);
    reply.push_back(first);
    for (const auto& press : presses_) {
      if (press.first == first) reply.push_back(press.second);
    }
  }
  presses_.clear();
  reply.push_back(kReplyEnd);
  return reply;
}

void EmulatedKeyboard::sendReply(FirmwarePort& port) {
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (!held_) break;
    }
    port.pause(kHoldPoll);
  }
  std::vector<std::uint8_t> reply;
  std::size_t pieces = 1;
  std::chrono::microseconds gap{0};
  {
    std::lock_guard lock(mutex_);
    reply = takeReplyLocked();
    pieces = std::min(pieces_, std::max<std::size_t>(reply.size(), 1));
    gap = gap_;
  }
  const std::span<const std::uint8_t> all(reply);
  const std::size_t step = (reply.size() + pieces - 1) / pieces;
  for (std::size_t at = 0; at < reply.size(); at += step) {
    if (at > 0 && gap.count() > 0) port.pause(gap);
    port.send(all.subspan(at, std::min(step, reply.size() - at)));
  }
  std::lock_guard lock(mutex_);
  ++replies_;
}

}  // namespace tarvex::emu
