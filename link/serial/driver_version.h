#pragma once
// The "driver version" of a serial port. ftdi_sio is part of the kernel and carries no
// version of its own, so the version a user can act on is the running kernel's: updating
// the kernel is how the driver is updated. It is packed as the vendor library packs its
// version, 0x00MMmmpp (major, minor, patch, each capped at 255): kernel 6.1.0 -> 0x00060100.

#include <cstdint>
#include <string_view>

namespace tarvex::serial {

// Packs a kernel release string such as "6.1.0-18-amd64"; 0 when it does not start with a
// number.
std::uint32_t packKernelRelease(std::string_view release);

// The packed release of the running kernel.
std::uint32_t kernelDriverVersion();

}  // namespace tarvex::serial
