#pragma once
// Puts a scan reply together from the reads it arrives in. A reply is complete when the
// last byte received is '&'; a read that happens to hold an '&' earlier on does not end it.
// The buffer holds 1024 bytes: a longer reply keeps its first 1024 bytes and drops the
// rest, still watching the last byte so the reply ends where the adapter ended it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "tools/keyboard/keyboard_commands.h"

namespace tarvex::keyboard {

class ReplyBuffer {
 public:
  static constexpr std::size_t kCapacity = 1024;

  void clear();
  void append(std::span<const std::uint8_t> bytes);

  bool complete() const { return received_ > 0 && last_ == reply::kEnd; }
  // The bytes kept, at most kCapacity.
  std::span<const std::uint8_t> bytes() const { return {data_.data(), length_}; }
  // Every byte received since the last clear, kept or dropped.
  std::size_t received() const { return received_; }
  bool overflowed() const { return received_ > length_; }

 private:
  std::array<std::uint8_t, kCapacity> data_{};
  std::size_t length_ = 0;
  std::size_t received_ = 0;
  std::uint8_t last_ = 0;
};

}  // namespace tarvex::keyboard
