#include "tools/edid/edid_messages.h"

#include <cstdio>

#include "app/frame/printable.h"

namespace tarvex::edid::msg {

std::string readReplyIncomplete(std::uint32_t received, std::uint32_t expected) {
  return "The programmer stopped answering: " + std::to_string(received) + " of " +
         std::to_string(expected) + " bytes received!";
}

std::string unexpectedStatus(std::uint8_t first, std::uint8_t second) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "%02X %02X", first, second);
  return std::string("Unknown answer from the programmer: ") + hex + ", the operation has failed!";
}

std::string partialKept(const std::string& path, long long bytes) {
  return "The " + std::to_string(bytes) + " bytes that could not be saved whole are kept in: " +
         printable(path);
}

}  // namespace tarvex::edid::msg
