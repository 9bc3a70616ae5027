#pragma once
// What the emulated adapter firmware sees of its USB line, and the interface of the chip
// models that hang behind it. A chip model handles the command letters it owns, reading
// its arguments and sending its replies through the port, as the firmware would.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tarvex::emu {

// Thrown inside the firmware thread when the host closes the device or it is unplugged,
// to unwind whatever the chip model was doing. It never leaves the emulator.
struct SessionEnded {};

class FirmwarePort {
 public:
  virtual ~FirmwarePort() = default;
  // The next byte from the host; waits as long as it takes.
  virtual std::uint8_t readByte() = 0;
  // The next byte from the host if one comes within the wait.
  virtual std::optional<std::uint8_t> readByteWithin(std::chrono::microseconds wait) = 0;
  // Sends one reply (or one piece of a reply) to the host.
  virtual void send(std::span<const std::uint8_t> bytes) = 0;
  void send(std::uint8_t byte) { send(std::span<const std::uint8_t>(&byte, 1)); }
  void send(const std::vector<std::uint8_t>& bytes) { send(std::span<const std::uint8_t>(bytes)); }
  // Simulated work on the target (an erase, a page program); ends early if the host leaves.
  virtual void pause(std::chrono::microseconds duration) = 0;
};

class CommandHandler {
 public:
  virtual ~CommandHandler() = default;
  virtual bool handles(std::uint8_t command) const = 0;
  // Called on the firmware thread with the command byte already read.
  virtual void handle(std::uint8_t command, FirmwarePort& port) = 0;
  // A new open of the adapter: the firmware starts from its idle state.
  virtual void reset() {}
};

}  // namespace tarvex::emu
