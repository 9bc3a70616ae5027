#include "tools/mec16/mec16_registers.h"

#include <algorithm>

#include "link/link_io.h"
#include "tools/mec16/mec16_commands.h"
#include "tools/mec16/mec16_messages.h"

namespace tarvex::mec16 {

namespace {

constexpr int kAddressDigits = 6;
constexpr int kValueDigits = 8;

void appendHexByte(std::string& out, std::uint8_t byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0x0F];
}

// Waits for a reply of `count` bytes. When it does not all come, whatever did arrive is
// taken too, so a late half reply cannot be mistaken for the answer to the next request.
bool awaitReply(LinkState& link, std::uint32_t count, SteadyClock::duration bound) {
  const WaitResult waited = waitForBytes(link, count, bound);
  if (waited == WaitResult::kReady) return readIntoBuffer(link, 0, count);
  link.transferred = 0;
  if (waited == WaitResult::kTimedOut && link.queue.rx > 0) {
    readIntoBuffer(link, 0, std::min(link.queue.rx, count));
  }
  return false;
}

// A register reply is counted only by its bytes: one left over would make the next reply
// (a status poll's busy bit, say) a byte off, so it counts as a lost link.
bool awaitWholeReply(LinkState& link, std::uint32_t count, SteadyClock::duration bound) {
  return awaitReply(link, count, bound) && leftoverAfter(link, count) == Leftover::kNone;
}

}  // namespace

std::string valueText(const std::uint8_t* bytes) {
  std::string text;
  appendHexByte(text, bytes[0]);
  appendHexByte(text, bytes[1]);
  text += ' ';
  appendHexByte(text, bytes[2]);
  appendHexByte(text, bytes[3]);
  text += 'h';
  return text;
}

void putHex(std::uint8_t* out, std::uint32_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (int i = digits - 1; i >= 0; --i) {
    out[i] = static_cast<std::uint8_t>(kDigits[value & 0x0F]);
    value >>= 4;
  }
}

bool MecReadId(LinkState& link, LogSink& log, SteadyClock::duration bound) {
  link.buffer[0] = kAttach;
  sendFromBuffer(link, 0, 1);
  link.buffer[0] = kReadIdCommand;
  sendFromBuffer(link, 0, 1);
  link.queue.rx = 0;
  const bool complete = awaitReply(link, kIdBytes, bound);
  if (!complete) log.logLine(text::kIdShort);
  log.logLine(text::kIdPrefix + valueText(link.buffer.data()));
  return complete;
}

std::string MecReadRegister(LinkState& link, std::uint32_t address, SteadyClock::duration bound) {
  link.buffer[0] = kRegisterRead;
  putHex(&link.buffer[1], address, kAddressDigits);
  if (!sendFromBuffer(link, 0, 1 + kAddressDigits)) return text::kLost;
  if (!awaitWholeReply(link, kRegisterReadReply, bound)) return text::kLost;
  return valueText(link.buffer.data());
}

std::string MecWriteRegister(LinkState& link, std::uint32_t address, std::uint32_t value,
                             SteadyClock::duration bound) {
  link.buffer[0] = kRegisterWrite;
  putHex(&link.buffer[1], address, kAddressDigits);
  putHex(&link.buffer[1 + kAddressDigits], value, kValueDigits);
  if (!sendFromBuffer(link, 0, 1 + kAddressDigits + kValueDigits)) return text::kLost;
  if (!awaitWholeReply(link, kRegisterWriteReply, bound)) return text::kLost;
  return link.buffer[0] == kRegisterWriteDone ? text::kOk : text::kLost;
}

bool isLost(const std::string& result) { return result == text::kLost; }

}  // namespace tarvex::mec16
