#include "tools/keyboard/reply_parser.h"

#include "tools/keyboard/keyboard_commands.h"

namespace tarvex::keyboard {

std::vector<PinPair> parseReply(std::span<const std::uint8_t> bytes) {
  std::vector<PinPair> pairs;
  std::uint8_t first = 0;
  for (std::uint8_t byte : bytes) {
    if (byte == reply::kEnd) break;
    if (byte == reply::kRecordStart) {
      first = 0;
    } else if (first == 0) {
      first = byte;
    } else {
      pairs.push_back({first, byte});
    }
  }
  return pairs;
}

}  // namespace tarvex::keyboard
