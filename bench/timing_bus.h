#pragma once
// A device bus in front of another that times the host's own work: from the moment a wait
// for a reply comes back satisfied to the host's next write. Together with the adapter's
// reaction times it splits a late reaction into the time the host thread took to wake up
// (the scheduler's) and the time it then spent before answering (the program's).

#include <memory>
#include <mutex>
#include <vector>

#include "link/ft_device.h"

namespace tarvex::bench {

class TimingBus final : public FtBus {
 public:
  explicit TimingBus(FtBus& inner) : inner_(inner) {}

  FtStatus createDeviceInfoList(std::uint32_t* count) override;
  FtStatus open(std::uint32_t index, std::unique_ptr<FtDevice>* device) override;
  std::string lastOpenError() const override { return inner_.lastOpenError(); }

  // Host work per answered reply, in microseconds, since the last clear.
  std::vector<double> workUs() const;
  void clear();

  // Used by the devices.
  void replyTaken();
  void requestWritten();

 private:
  FtBus& inner_;
  mutable std::mutex mutex_;
  bool replyPending_ = false;
  SteadyClock::time_point replyAt_{};
  std::vector<double> workUs_;
};

}  // namespace tarvex::bench
