#include "tests/reliability/reply_tap.h"

namespace tarvex::reliability {
namespace {

// The firmware's port as the chip model sees it, with every reply passing the tap first.
class TappedPort final : public emu::FirmwarePort {
 public:
  TappedPort(emu::FirmwarePort& port, ReplyTap& tap) : port_(port), tap_(tap) {}

  std::uint8_t readByte() override { return port_.readByte(); }
  std::optional<std::uint8_t> readByteWithin(std::chrono::microseconds wait) override {
    return port_.readByteWithin(wait);
  }
  using FirmwarePort::send;
  void send(std::span<const std::uint8_t> bytes) override {
    tap_.beforeReply(bytes.size(), port_);
    port_.send(bytes);
  }
  void pause(std::chrono::microseconds duration) override { port_.pause(duration); }

 private:
  emu::FirmwarePort& port_;
  ReplyTap& tap_;
};

}  // namespace

ReplyTap::ReplyTap(std::shared_ptr<emu::CommandHandler> inner) : inner_(std::move(inner)) {}

void ReplyTap::delayReplyAt(std::uint64_t byte, std::chrono::microseconds delay) {
  delayAt_ = byte;
  delayUs_ = delay.count();
}

void ReplyTap::strikeAt(std::uint64_t byte, std::function<void(std::uint64_t)> strike,
                        std::function<void()> over) {
  std::lock_guard lock(strikeMutex_);
  strikeAt_ = byte;
  struck_ = false;
  strike_ = std::move(strike);
  over_ = std::move(over);
}

void ReplyTap::restart() {
  replied_ = 0;
  delayUs_ = 0;
  std::lock_guard lock(strikeMutex_);
  repliedThisOpen_ = 0;
  strikeAt_.reset();
  struck_ = false;
  strike_ = nullptr;
  over_ = nullptr;
}

bool ReplyTap::handles(std::uint8_t command) const {
  return inner_ && inner_->handles(command);
}

void ReplyTap::handle(std::uint8_t command, emu::FirmwarePort& port) {
  TappedPort tapped(port, *this);
  inner_->handle(command, tapped);
}

void ReplyTap::reset() {
  // A new open: the struck session is over.
  {
    std::lock_guard lock(strikeMutex_);
    repliedThisOpen_ = 0;
    if (struck_ && over_) {
      over_();
      over_ = nullptr;
    }
  }
  if (inner_) inner_->reset();
}

void ReplyTap::beforeReply(std::size_t count, emu::FirmwarePort& port) {
  const std::uint64_t first = replied_.fetch_add(count);
  {
    std::lock_guard lock(strikeMutex_);
    const std::uint64_t place = repliedThisOpen_;
    repliedThisOpen_ += count;
    if (strikeAt_ && !struck_ && *strikeAt_ >= first && *strikeAt_ < first + count) {
      struck_ = true;
      if (strike_) strike_(place + (*strikeAt_ - first));
    }
  }
  const std::int64_t delay = delayUs_.load();
  if (delay > 0 && delayAt_ >= first && delayAt_ < first + count) {
    delayUs_ = 0;  // one slow reply, not a slow stream
    port.pause(std::chrono::microseconds(delay));
  }
}

}  // namespace tarvex::reliability
