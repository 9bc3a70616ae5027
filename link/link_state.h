#pragma once
// The link state a tool keeps for its adapter link: never shared between tools.

#include <cstdint>
#include <memory>
#include <vector>

#include "link/ft_device.h"

namespace tarvex {

struct QueueStatus {
  std::uint32_t rx = 0;
  std::uint32_t tx = 0;
  std::uint32_t event = 0;
};

struct LinkState {
  explicit LinkState(std::size_t bufferSize) : buffer(bufferSize, 0) {}

  std::uint32_t deviceCount = 0;
  std::unique_ptr<FtDevice> handle;  // open from a successful OpenAdapterLink until close
  std::vector<std::uint8_t> buffer;  // requests are built here and replies read into it
  std::uint32_t transferred = 0;     // written or received count of the last write or read
  QueueStatus queue;

  bool isOpen() const { return handle != nullptr; }
};

// Transfer buffer sizes per tool: a 300-byte command area, followed by an image area
// where the tool keeps a whole image in memory.
namespace buffer_size {
inline constexpr std::size_t kCommandArea = 300;
inline constexpr std::size_t kEdid = kCommandArea + 300;
inline constexpr std::size_t kKb90 = kCommandArea;
inline constexpr std::size_t kKeyboard = 1024;
inline constexpr std::size_t kMec16 = 1100;
inline constexpr std::size_t kIte = kCommandArea + 128 * 1024;
}  // namespace buffer_size

}  // namespace tarvex
