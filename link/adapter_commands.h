#pragma once
// The adapter commands every firmware shares. Each tool's own commands are in its folder.

#include <cstdint>

namespace tarvex::cmd {

inline constexpr std::uint8_t kFirmwareTag = 'B';
inline constexpr std::uint8_t kOutcomeSuccess = 'I';
inline constexpr std::uint8_t kOutcomeFailure = 'O';

}  // namespace tarvex::cmd
