#include "emulator/session.h"

#include <algorithm>
#include <random>
#include <set>

#include "emulator/emulated_adapter.h"

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace tarvex::emu {

Session::Session(EmulatedAdapter& adapter, std::size_t openIndex, std::size_t faultOpen)
    : adapter_(adapter),
      openIndex_(openIndex),
      faultOpen_(faultOpen),
      wire_(adapter.wireModel()) {
  firmware_ = std::thread([this] { runFirmware(); });
  if (wire_.enabled) delivery_ = std::thread([this] { runDelivery(); });
}

Session::~Session() { close(); }

void Session::close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  notifyAll();
  if (firmware_.joinable()) firmware_.join();
  if (delivery_.joinable()) delivery_.join();
  adapter_.detach(this);
}

void Session::unplug() {
  {
    std::lock_guard lock(mutex_);
    unplugged_ = true;
  }
  notifyAll();
}

bool Session::unplugged() const {
  std::lock_guard lock(mutex_);
  return unplugged_;
}

void Session::setLatency(std::chrono::milliseconds latency) {
  std::lock_guard lock(mutex_);
  latency_ = latency;
}

void Session::setBaud(std::uint32_t baud) {
  std::lock_guard lock(mutex_);
  // The firmware runs at 921600 only; at any other rate it sees garbage and ignores it.
  baudMatches_ = baud == 921600;
}

FtStatus Session::hostWrite(const std::uint8_t* bytes, std::uint32_t count,
                            std::uint32_t* written) {
  *written = 0;
  if (unplugged()) return FT_IO_ERROR;
  // Recorded before the firmware can see the bytes, so the log already holds a request by
  // the time any reply to it exists.
  adapter_.recordReceived(openIndex_, bytes, count);
  const auto now = Clock::now();
  std::optional<Clock::duration> reaction;
  {
    std::lock_guard lock(mutex_);
    if (unplugged_) return FT_IO_ERROR;
    if (replyPending_ && inFlight_.empty() && count > 0) {
      reaction = now - replyVisibleAt_;
      replyPending_ = false;
    }
    if (baudMatches_) {
      const auto arrival = wire_.enabled ? wire_.requestArrival(count, now)
                                         : std::vector<Clock::time_point>(count, now);
      for (std::uint32_t i = 0; i < count; ++i) input_.push_back({bytes[i], arrival[i]});
    }
    *written = count;
  }
  firmwareWake_.notify_one();
  if (reaction) adapter_.recordReaction(*reaction);
  return FT_OK;
}

FtStatus Session::hostRead(std::uint8_t* buffer, std::uint32_t count, std::uint32_t* received,
                           Clock::time_point deadline) {
  *received = 0;
  std::unique_lock lock(mutex_);
  hostWake_.wait_until(lock, deadline, [&] { return endedLocked() || visible_.size() >= count; });
  if (unplugged_) return FT_IO_ERROR;
  const auto take = static_cast<std::uint32_t>(std::min<std::size_t>(count, visible_.size()));
  std::copy_n(visible_.begin(), take, buffer);
  visible_.erase(visible_.begin(), visible_.begin() + take);
  *received = take;
  return FT_OK;
}

FtStatus Session::hostWait(std::uint32_t count, Clock::time_point deadline,
                           std::uint32_t* queued) {
  std::unique_lock lock(mutex_);
  hostWake_.wait_until(lock, deadline, [&] { return endedLocked() || visible_.size() >= count; });
  *queued = static_cast<std::uint32_t>(visible_.size());
  return unplugged_ ? FT_IO_ERROR : FT_OK;
}

FtStatus Session::hostQueued(std::uint32_t* queued) {
  std::lock_guard lock(mutex_);
  *queued = static_cast<std::uint32_t>(visible_.size());
  return unplugged_ ? FT_IO_ERROR : FT_OK;
}

FtStatus Session::hostPurge() {
  std::lock_guard lock(mutex_);
  if (unplugged_) return FT_IO_ERROR;
  visible_.clear();
  inFlight_.clear();
  return FT_OK;
}

std::uint8_t Session::readByte() {
  std::unique_lock lock(mutex_);
  for (;;) {
    if (endedLocked()) throw SessionEnded{};
    if (!input_.empty()) {
      const auto at = input_.front().at;
      if (at <= Clock::now()) {
        const std::uint8_t byte = input_.front().byte;
        input_.pop_front();
        return byte;
      }
      firmwareWake_.wait_until(lock, at);
    } else {
      firmwareWake_.wait(lock);
    }
  }
}

std::optional<std::uint8_t> Session::readByteWithin(std::chrono::microseconds wait) {
  const auto deadline = Clock::now() + wait;
  std::unique_lock lock(mutex_);
  for (;;) {
    if (endedLocked()) throw SessionEnded{};
    const auto now = Clock::now();
    if (!input_.empty() && input_.front().at <= now) {
      const std::uint8_t byte = input_.front().byte;
      input_.pop_front();
      return byte;
    }
    if (now >= deadline) return std::nullopt;
    const auto wake = input_.empty() ? deadline : std::min(deadline, input_.front().at);
    firmwareWake_.wait_until(lock, wake);
  }
}

void Session::pause(std::chrono::microseconds duration) {
  const auto deadline = Clock::now() + duration;
  std::unique_lock lock(mutex_);
  firmwareWake_.wait_until(lock, deadline, [&] { return endedLocked(); });
  if (endedLocked()) throw SessionEnded{};
}

void Session::send(std::span<const std::uint8_t> bytes) {
  const FaultPlan faults = adapter_.faults();
  if (faults.replyDelay.count() > 0) pause(faults.replyDelay);
  if (faults.silent) return;
  if (faults.silentOnOpen && openIndex_ + 1 == *faults.silentOnOpen) return;

  bool unplugNow = false;
  // With a late stray byte, the stray and whatever follows it in this reply go out after
  // the pause.
  std::vector<std::uint8_t> late;
  {
    std::lock_guard lock(mutex_);
    if (endedLocked()) throw SessionEnded{};
    std::vector<std::uint8_t> out;
    out.reserve(bytes.size() + 1);
    for (std::uint8_t byte : bytes) {
      const std::uint64_t k = sentCount_;
      if (faults.stopAfterBytes && k >= *faults.stopAfterBytes) break;
      if (faults.unplugAfterBytes && k >= *faults.unplugAfterBytes) {
        unplugNow = true;
        break;
      }
      if (faults.corruptByteAt && k == *faults.corruptByteAt) byte ^= faults.corruptMask;
      if (const Damage* damage = damageLocked(faults)) byte = damagedLocked(*damage, k, byte);
      (late.empty() ? out : late).push_back(byte);
      ++sentCount_;
      if (faults.strayByteAfter && k == *faults.strayByteAfter && !strayInjected_) {
        strayInjected_ = true;
        (faults.strayDelay.count() > 0 ? late : out).push_back(faults.strayByte);
      }
    }
    deliverLocked(out);
    if (faults.unplugAfterBytes && sentCount_ >= *faults.unplugAfterBytes) unplugNow = true;
  }
  wakeForDelivery();
  if (!late.empty()) {
    pause(faults.strayDelay);
    {
      std::lock_guard lock(mutex_);
      if (endedLocked()) throw SessionEnded{};
      deliverLocked(late);
    }
    wakeForDelivery();
  }
  if (unplugNow) {
    adapter_.unplug();
    throw SessionEnded{};
  }
}

const Session::Damage* Session::damageLocked(const FaultPlan& faults) {
  if (!faults.flaky || faults.flaky->open != faultOpen_) return nullptr;
  if (damage_) return &*damage_;
  const FlakyContact& flaky = *faults.flaky;
  std::mt19937_64 random(flaky.seed);
  const std::uint64_t span = std::max<std::uint64_t>(1, flaky.span);
  Damage damage;
  if (flaky.shiftedBlock > 0) {
    damage.shiftFrom = flaky.from + random() % span;
    damage.shiftLength = flaky.shiftedBlock;
  } else {
    // Distinct places, so no flip undoes another.
    std::set<std::uint64_t> places;
    const auto flips =
        std::min<std::uint64_t>(span, static_cast<std::uint64_t>(std::max(0, flaky.flips)));
    while (places.size() < flips) places.insert(flaky.from + random() % span);
    for (std::uint64_t k : places) {
      damage.flips.emplace_back(k, static_cast<std::uint8_t>(1u << (random() % 8)));
    }
  }
  damage_ = std::move(damage);
  return &*damage_;
}

std::uint8_t Session::damagedLocked(const Damage& damage, std::uint64_t k, std::uint8_t byte) {
  const std::uint8_t sent = byte;
  const bool shifted =
      damage.shiftLength > 0 && k >= damage.shiftFrom && k - damage.shiftFrom < damage.shiftLength;
  if (shifted) byte = previousByte_;
  previousByte_ = sent;
  for (const auto& [place, bits] : damage.flips) {
    if (place == k) byte ^= bits;
  }
  return byte;
}

void Session::deliverLocked(const std::vector<std::uint8_t>& out) {
  if (out.empty()) return;
  const auto now = Clock::now();
  if (wire_.enabled) {
    const auto times = wire_.replyVisibility(out.size(), now, lineFree_, latency_);
    for (std::size_t i = 0; i < out.size(); ++i) inFlight_.push_back({out[i], times[i]});
  } else {
    visible_.insert(visible_.end(), out.begin(), out.end());
    replyPending_ = true;
    replyVisibleAt_ = now;
  }
}

void Session::wakeForDelivery() {
  if (wire_.enabled) {
    deliveryWake_.notify_one();
  } else {
    hostWake_.notify_all();
  }
}

void Session::notifyAll() {
  hostWake_.notify_all();
  firmwareWake_.notify_all();
  deliveryWake_.notify_all();
}

void Session::deliverDueLocked(Clock::time_point now) {
  bool moved = false;
  while (!inFlight_.empty() && inFlight_.front().at <= now) {
    visible_.push_back(inFlight_.front().byte);
    // The reply is the host's from the moment it really shows, not when it was due.
    replyVisibleAt_ = now;
    inFlight_.pop_front();
    moved = true;
  }
  if (moved) replyPending_ = true;
}

void Session::runDelivery() {
#ifdef __linux__
  // The delivery thread stands in for the USB interrupt that wakes the host: it must fire
  // on time, not up to the default 50 microseconds late.
  prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
#endif
  std::unique_lock lock(mutex_);
  while (!endedLocked()) {
    if (inFlight_.empty()) {
      deliveryWake_.wait(lock);
      continue;
    }
    const auto due = inFlight_.front().at;
    if (Clock::now() < due) {
      deliveryWake_.wait_until(lock, due);
      continue;
    }
    deliverDueLocked(Clock::now());
    lock.unlock();
    hostWake_.notify_all();
    lock.lock();
  }
}

void Session::runFirmware() {
  adapter_.resetHandlers();
  try {
    for (;;) adapter_.dispatch(readByte(), *this);
  } catch (const SessionEnded&) {
  }
}

}  // namespace tarvex::emu
