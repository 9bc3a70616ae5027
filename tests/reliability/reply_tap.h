#pragma once
// A chip model seen through a tap: every reply byte it sends is counted, and one reply can
// be held back for a while, as an adapter that is slow but not dead would hold it. The
// count of a healthy run tells the fault tests where "the middle of the stream" is.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

#include "emulator/firmware_port.h"

namespace tarvex::reliability {

class ReplyTap final : public emu::CommandHandler {
 public:
  // A tap with nothing behind it counts nothing and handles no command.
  explicit ReplyTap(std::shared_ptr<emu::CommandHandler> inner = nullptr);

  // The reply that carries reply byte `byte` (counted from 0 over all replies) waits
  // `delay` before it goes out.
  void delayReplyAt(std::uint64_t byte, std::chrono::microseconds delay);
  std::uint64_t repliedBytes() const { return replied_.load(); }
  // Starts the count again, and drops a delay not yet spent.
  void restart();

  bool handles(std::uint8_t command) const override;
  void handle(std::uint8_t command, emu::FirmwarePort& port) override;
  void reset() override;

  // Called by the tapped port before a reply of `count` bytes goes out.
  void beforeReply(std::size_t count, emu::FirmwarePort& port);

 private:
  std::shared_ptr<emu::CommandHandler> inner_;
  std::atomic<std::uint64_t> replied_{0};
  std::atomic<std::uint64_t> delayAt_{0};
  std::atomic<std::int64_t> delayUs_{0};
};

}  // namespace tarvex::reliability
