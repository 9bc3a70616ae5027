#pragma once
// Line settings of a serial tty through termios: raw bytes, no echo, no flow control, the
// baud rate and the character format. Every change is read back, so a setting the driver
// quietly refused is reported rather than trusted.

#include <cstdint>

#include "link/ft_types.h"

namespace tarvex::serial {

// Raw 8N1 at 921600 with the receiver on and modem lines ignored; VMIN = VTIME = 0, so a
// read returns at once with what is queued and every wait is the caller's poll().
FtStatus configureRawLine(int fd);

// FT_INVALID_BAUD_RATE for a rate termios has no constant for.
FtStatus setLineBaudRate(int fd, std::uint32_t baud);

// Word length 7 or 8, stop bits 0 (one) or 2 (two), parity 0 none, 1 odd, 2 even, 3 mark,
// 4 space, as the vendor library numbers them.
FtStatus setLineFormat(int fd, std::uint8_t wordLength, std::uint8_t stopBits, std::uint8_t parity);

}  // namespace tarvex::serial
