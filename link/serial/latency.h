#pragma once
// The FTDI receive latency timer: how long the chip holds a short reply before sending it
// to the host. Short replies to single commands are the adapter's whole traffic, so a
// short timer matters for speed, but never for correctness: setting it is best effort.

#include <cstdint>
#include <string>

namespace tarvex::serial {

// Writes the ftdi_sio "latency_timer" attribute in the port's sysfs directory when it is
// writable (it usually needs root or a udev rule); otherwise asks the driver for its
// low-latency mode (ASYNC_LOW_LATENCY, which ftdi_sio turns into a 1 ms timer). True when
// either took effect; a tty that supports neither (a pseudo-terminal) gives false.
bool setLatencyTimer(int fd, const std::string& sysfsDir, std::uint8_t milliseconds);

}  // namespace tarvex::serial
