#include "tools/keyboard/reply_buffer.h"

#include <algorithm>

namespace tarvex::keyboard {

void ReplyBuffer::clear() {
  length_ = 0;
  received_ = 0;
  last_ = 0;
}

void ReplyBuffer::append(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return;
  const std::size_t room = kCapacity - length_;
  const std::size_t kept = std::min(room, bytes.size());
  std::copy_n(bytes.begin(), kept, data_.begin() + static_cast<std::ptrdiff_t>(length_));
  length_ += kept;
  received_ += bytes.size();
  last_ = bytes.back();
}

}  // namespace tarvex::keyboard
