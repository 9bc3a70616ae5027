#pragma once
// One open of the emulated adapter: the byte queues in both directions, the firmware
// thread that answers the host, and (with the wire model on) the delivery thread that
// makes reply bytes visible to the host when the real line would.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <optional>
#include <mutex>
#include <thread>
#include <vector>

#include "emulator/fault_plan.h"
#include "emulator/firmware_port.h"
#include "emulator/wire_model.h"
#include "link/ft_types.h"

namespace tarvex::emu {

class EmulatedAdapter;

class Session final : public FirmwarePort {
 public:
  // `openIndex` counts the opens of the adapter's records, `faultOpen` the opens since its
  // fault plan was set.
  Session(EmulatedAdapter& adapter, std::size_t openIndex, std::size_t faultOpen);
  ~Session() override;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Host side. Each returns FT_IO_ERROR once the adapter is unplugged.
  FtStatus hostWrite(const std::uint8_t* bytes, std::uint32_t count, std::uint32_t* written);
  FtStatus hostRead(std::uint8_t* buffer, std::uint32_t count, std::uint32_t* received,
                    Clock::time_point deadline);
  FtStatus hostWait(std::uint32_t count, Clock::time_point deadline, std::uint32_t* queued);
  FtStatus hostQueued(std::uint32_t* queued);
  FtStatus hostPurge();
  void setLatency(std::chrono::milliseconds latency);
  void setBaud(std::uint32_t baud);
  bool unplugged() const;

  // Ends the open: stops the firmware and delivery threads. Call from the host side only.
  void close();
  // The adapter was pulled out: every host call fails from now on.
  void unplug();

  // FirmwarePort
  std::uint8_t readByte() override;
  std::optional<std::uint8_t> readByteWithin(std::chrono::microseconds wait) override;
  void send(std::span<const std::uint8_t> bytes) override;
  void pause(std::chrono::microseconds duration) override;

 private:
  // Where a flaky contact damages this open's replies.
  struct Damage {
    std::vector<std::pair<std::uint64_t, std::uint8_t>> flips;  // reply byte, bits flipped
    std::uint64_t shiftFrom = 0;
    std::uint64_t shiftLength = 0;
  };

  struct Timed {
    std::uint8_t byte;
    Clock::time_point at;
  };

  void runFirmware();
  // The damage a flaky contact plan does to this open, worked out once.
  const Damage* damageLocked(const FaultPlan& faults);
  std::uint8_t damagedLocked(const Damage& damage, std::uint64_t k, std::uint8_t byte);
  void runDelivery();
  bool endedLocked() const { return closed_ || unplugged_; }
  void deliverDueLocked(Clock::time_point now);
  // Puts reply bytes on the line (or straight in the host's queue without the wire model).
  void deliverLocked(const std::vector<std::uint8_t>& out);
  void wakeForDelivery();

  EmulatedAdapter& adapter_;
  const std::size_t openIndex_;
  const std::size_t faultOpen_;
  const WireModel wire_;

  mutable std::mutex mutex_;
  // One condition per waiter, so a change wakes only the side that can act on it.
  std::condition_variable hostWake_;      // reply bytes became visible, or the open ended
  std::condition_variable firmwareWake_;  // request bytes arrived, or the open ended
  std::condition_variable deliveryWake_;  // bytes went in flight, or the open ended
  void notifyAll();
  std::deque<Timed> input_;     // host to firmware, with arrival times
  std::deque<Timed> inFlight_;  // firmware to host, not yet visible
  std::deque<std::uint8_t> visible_;
  bool closed_ = false;
  bool unplugged_ = false;
  bool baudMatches_ = true;
  std::chrono::milliseconds latency_ = WireModel::kDefaultLatency;
  Clock::time_point lineFree_{};
  std::uint64_t sentCount_ = 0;
  bool strayInjected_ = false;
  std::optional<Damage> damage_;
  std::uint8_t previousByte_ = 0;  // the reply byte before, as the firmware sent it
  bool replyPending_ = false;  // a reply is complete and the host has not answered yet
  Clock::time_point replyVisibleAt_{};

  std::thread firmware_;
  std::thread delivery_;
};

}  // namespace tarvex::emu
