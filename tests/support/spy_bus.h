#pragma once
// Wraps a device bus and writes down every device-layer call in order, so tests can
// assert the sequence of configuration steps and not only their effect.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/ft_device.h"

namespace tarvex::test {

class CallRecord {
 public:
  void add(std::string call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
  }
  std::vector<std::string> calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> calls_;
};

class SpyDevice final : public FtDevice {
 public:
  SpyDevice(std::unique_ptr<FtDevice> inner, std::shared_ptr<CallRecord> record)
      : inner_(std::move(inner)), record_(std::move(record)) {}

  FtStatus resetDevice() override { return note("reset", inner_->resetDevice()); }
  FtStatus setBaudRate(std::uint32_t baud) override {
    return note("baud " + std::to_string(baud), inner_->setBaudRate(baud));
  }
  FtStatus setDataCharacteristics(std::uint8_t w, std::uint8_t s, std::uint8_t p) override {
    return note("data " + std::to_string(w) + " " + std::to_string(s) + " " + std::to_string(p),
                inner_->setDataCharacteristics(w, s, p));
  }
  FtStatus setLatencyTimer(std::uint8_t ms) override {
    return note("latency " + std::to_string(ms), inner_->setLatencyTimer(ms));
  }
  FtStatus setTimeouts(std::uint32_t r, std::uint32_t w) override {
    return note("timeouts " + std::to_string(r) + " " + std::to_string(w), inner_->setTimeouts(r, w));
  }
  FtStatus purge(std::uint32_t mask) override {
    return note("purge " + std::to_string(mask), inner_->purge(mask));
  }
  FtStatus write(const std::uint8_t* b, std::uint32_t n, std::uint32_t* written) override {
    return note("write " + std::to_string(n), inner_->write(b, n, written));
  }
  FtStatus read(std::uint8_t* b, std::uint32_t n, std::uint32_t* received) override {
    return note("read " + std::to_string(n), inner_->read(b, n, received));
  }
  FtStatus getStatus(std::uint32_t* rx, std::uint32_t* tx, std::uint32_t* ev) override {
    return inner_->getStatus(rx, tx, ev);
  }
  FtStatus getDriverVersion(std::uint32_t* v) override {
    return note("version", inner_->getDriverVersion(v));
  }
  FtStatus waitForQueue(std::uint32_t n, SteadyClock::time_point d, std::uint32_t* q) override {
    return inner_->waitForQueue(n, d, q);
  }
  FtStatus close() override { return note("close", inner_->close()); }

 private:
  FtStatus note(std::string call, FtStatus status) {
    record_->add(std::move(call));
    return status;
  }
  std::unique_ptr<FtDevice> inner_;
  std::shared_ptr<CallRecord> record_;
};

class SpyBus final : public FtBus {
 public:
  explicit SpyBus(FtBus& inner) : inner_(inner), record_(std::make_shared<CallRecord>()) {}

  FtStatus createDeviceInfoList(std::uint32_t* count) override {
    return inner_.createDeviceInfoList(count);
  }
  FtStatus open(std::uint32_t index, std::unique_ptr<FtDevice>* device) override {
    std::unique_ptr<FtDevice> inner;
    const FtStatus status = inner_.open(index, &inner);
    record_->add("open " + std::to_string(index) + (status == FT_OK ? "" : " failed"));
    if (status == FT_OK) *device = std::make_unique<SpyDevice>(std::move(inner), record_);
    return status;
  }
  std::string lastOpenError() const override { return inner_.lastOpenError(); }
  std::vector<std::string> calls() const { return record_->calls(); }

 private:
  FtBus& inner_;
  std::shared_ptr<CallRecord> record_;
};

}  // namespace tarvex::test
