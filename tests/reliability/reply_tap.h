#pragma once
// A chip model seen through a tap: every reply byte it sends is counted, and one reply can
// be held back for a while, as an adapter that is slow but not dead would hold it. The
// count of a healthy run tells the fault tests where "the middle of the stream" is. The
// count runs over every open of a run, so an operation of several link sessions (a backup
// read, the write, a read-back) has one stream a fault can be placed in.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "emulator/firmware_port.h"

namespace tarvex::reliability {

class ReplyTap final : public emu::CommandHandler {
 public:
  // A tap with nothing behind it counts nothing and handles no command.
  explicit ReplyTap(std::shared_ptr<emu::CommandHandler> inner = nullptr);

  // The reply that carries reply byte `byte` (counted from 0 over all replies) waits
  // `delay` before it goes out.
  void delayReplyAt(std::uint64_t byte, std::chrono::microseconds delay);
  // Once, just before the reply that carries reply byte `byte` (counted as above) goes out,
  // calls `strike` on the firmware's thread with that byte's place among the replies of its
  // own open; when the next open starts, calls `over`. A fault of the line placed this way
  // strikes the one session it falls in.
  void strikeAt(std::uint64_t byte, std::function<void(std::uint64_t placeInOpen)> strike,
                std::function<void()> over);
  std::uint64_t repliedBytes() const { return replied_.load(); }
  // Starts the count again, and drops a delay or a strike not yet spent.
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

  std::mutex strikeMutex_;
  std::uint64_t repliedThisOpen_ = 0;
  std::optional<std::uint64_t> strikeAt_;
  bool struck_ = false;
  std::function<void(std::uint64_t)> strike_;
  std::function<void()> over_;
};

}  // namespace tarvex::reliability
