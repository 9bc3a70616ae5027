#pragma once
// The EEPROM commands of the adapter firmware and where their replies go in the tool's
// transfer buffer.

#include <array>
#include <cstddef>
#include <cstdint>

#include "link/link_state.h"

namespace tarvex::edid {

namespace cmd {
inline constexpr std::uint8_t kEeprom = 'E';  // first letter of both EEPROM commands
inline constexpr std::uint8_t kRead = 'r';    // 'E','r': 256 image bytes, then the status
inline constexpr std::uint8_t kWrite = 'w';   // 'E','w': one byte, then 256 bytes go out
}  // namespace cmd

using StatusLetters = std::array<std::uint8_t, 2>;
inline constexpr StatusLetters kStatusOk{'O', 'K'};
inline constexpr StatusLetters kStatusError{'E', 'R'};  // the panel did not answer, or WP

inline constexpr std::size_t kImageSize = 256;

// Transfer buffer: replies and commands at 0, the image after the command area, and the
// read's status letters right after the image, so a read reply lands there in one run.
inline constexpr std::size_t kReplyOffset = 0;
inline constexpr std::size_t kImageOffset = buffer_size::kCommandArea;
inline constexpr std::size_t kStatusOffset = kImageOffset + kImageSize;
inline constexpr std::uint32_t kReadReplySize = kImageSize + 2;
inline constexpr std::uint32_t kWriteAckSize = 1;
inline constexpr std::uint32_t kWriteStatusSize = 2;

static_assert(kStatusOffset + 2 <= buffer_size::kEdid);

}  // namespace tarvex::edid
