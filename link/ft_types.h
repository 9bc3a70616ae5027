#pragma once
// Status codes and constants of the D2XX-style device layer. FT_OK is the only success.

#include <cstdint>

namespace tarvex {

using FtStatus = std::uint32_t;

// Names follow the vendor library so callers read the same as they would against it.
inline constexpr FtStatus FT_OK = 0;
inline constexpr FtStatus FT_INVALID_HANDLE = 1;
inline constexpr FtStatus FT_DEVICE_NOT_FOUND = 2;
inline constexpr FtStatus FT_DEVICE_NOT_OPENED = 3;
inline constexpr FtStatus FT_IO_ERROR = 4;
inline constexpr FtStatus FT_INSUFFICIENT_RESOURCES = 5;
inline constexpr FtStatus FT_INVALID_PARAMETER = 6;
inline constexpr FtStatus FT_INVALID_BAUD_RATE = 7;
inline constexpr FtStatus FT_OTHER_ERROR = 18;

inline constexpr std::uint8_t FT_BITS_8 = 8;
inline constexpr std::uint8_t FT_STOP_BITS_1 = 0;
inline constexpr std::uint8_t FT_PARITY_NONE = 0;

inline constexpr std::uint32_t FT_PURGE_RX = 1;
inline constexpr std::uint32_t FT_PURGE_TX = 2;

// The line every adapter firmware speaks.
inline constexpr std::uint32_t kAdapterBaudRate = 921600;

}  // namespace tarvex
