#include "bench/timing_bus.h"

namespace tarvex::bench {
namespace {

class TimingDevice final : public FtDevice {
 public:
  TimingDevice(std::unique_ptr<FtDevice> inner, TimingBus& bus)
      : inner_(std::move(inner)), bus_(bus) {}

  FtStatus resetDevice() override { return inner_->resetDevice(); }
  FtStatus setBaudRate(std::uint32_t baud) override { return inner_->setBaudRate(baud); }
  FtStatus setDataCharacteristics(std::uint8_t w, std::uint8_t s, std::uint8_t p) override {
    return inner_->setDataCharacteristics(w, s, p);
  }
  FtStatus setLatencyTimer(std::uint8_t ms) override { return inner_->setLatencyTimer(ms); }
  FtStatus setTimeouts(std::uint32_t r, std::uint32_t w) override { return inner_->setTimeouts(r, w); }
  FtStatus purge(std::uint32_t mask) override { return inner_->purge(mask); }
  FtStatus write(const std::uint8_t* buffer, std::uint32_t count, std::uint32_t* written) override {
    bus_.requestWritten();
    return inner_->write(buffer, count, written);
  }
  FtStatus read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t* received) override {
    const FtStatus status = inner_->read(buffer, count, received);
    if (status == FT_OK && *received > 0) bus_.replyTaken();
    return status;
  }
  FtStatus getStatus(std::uint32_t* rx, std::uint32_t* tx, std::uint32_t* event) override {
    return inner_->getStatus(rx, tx, event);
  }
  FtStatus getDriverVersion(std::uint32_t* version) override {
    return inner_->getDriverVersion(version);
  }
  FtStatus waitForQueue(std::uint32_t count, SteadyClock::time_point deadline,
                        std::uint32_t* queued) override {
    const FtStatus status = inner_->waitForQueue(count, deadline, queued);
    if (status == FT_OK && *queued >= count && count > 0) bus_.replyTaken();
    return status;
  }
  FtStatus close() override { return inner_->close(); }

 private:
  std::unique_ptr<FtDevice> inner_;
  TimingBus& bus_;
};

}  // namespace

FtStatus TimingBus::createDeviceInfoList(std::uint32_t* count) {
  return inner_.createDeviceInfoList(count);
}

FtStatus TimingBus::open(std::uint32_t index, std::unique_ptr<FtDevice>* device) {
  std::unique_ptr<FtDevice> inner;
  const FtStatus status = inner_.open(index, &inner);
  if (status == FT_OK && inner) *device = std::make_unique<TimingDevice>(std::move(inner), *this);
  return status;
}

// The last sign of a reply before the next write counts: a wait that came back satisfied
// or a read that took bytes. A reply gathered over several reads is then timed from its
// last piece, not from the wait for its rest.
void TimingBus::replyTaken() {
  const auto now = SteadyClock::now();
  std::lock_guard lock(mutex_);
  replyPending_ = true;
  replyAt_ = now;
}

void TimingBus::requestWritten() {
  const auto now = SteadyClock::now();
  std::lock_guard lock(mutex_);
  if (!replyPending_) return;
  replyPending_ = false;
  workUs_.push_back(std::chrono::duration<double, std::micro>(now - replyAt_).count());
}

std::vector<double> TimingBus::workUs() const {
  std::lock_guard lock(mutex_);
  return workUs_;
}

void TimingBus::clear() {
  std::lock_guard lock(mutex_);
  workUs_.clear();
  replyPending_ = false;
}

}  // namespace tarvex::bench
