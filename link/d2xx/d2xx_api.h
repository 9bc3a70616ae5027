#pragma once
// The functions of the FTDI D2XX library this program calls, as its programmer's guide
// describes them, resolved by name from the library at run time (d2xx_library.h). DWORD
// and ULONG are 32 bits in both the Windows and the Linux builds of the library; the
// handle is a pointer. On 64-bit Windows there is one calling convention, so WINAPI needs
// no mention.

#include <cstdint>

namespace tarvex::d2xx {

using Handle = void*;
using Status = std::uint32_t;  // the same codes as FtStatus
using Dword = std::uint32_t;

struct Api {
  Status (*createDeviceInfoList)(Dword* count) = nullptr;       // FT_CreateDeviceInfoList
  Status (*open)(int index, Handle* handle) = nullptr;          // FT_Open
  Status (*resetDevice)(Handle handle) = nullptr;               // FT_ResetDevice
  Status (*setBaudRate)(Handle handle, Dword baud) = nullptr;   // FT_SetBaudRate
  Status (*setDataCharacteristics)(Handle handle, std::uint8_t wordLength,
                                   std::uint8_t stopBits,
                                   std::uint8_t parity) = nullptr;  // FT_SetDataCharacteristics
  Status (*setLatencyTimer)(Handle handle, std::uint8_t milliseconds) = nullptr;  // FT_SetLatencyTimer
  Status (*setTimeouts)(Handle handle, Dword readMs, Dword writeMs) = nullptr;  // FT_SetTimeouts
  Status (*purge)(Handle handle, Dword mask) = nullptr;         // FT_Purge
  Status (*read)(Handle handle, void* buffer, Dword count, Dword* received) = nullptr;  // FT_Read
  Status (*write)(Handle handle, void* buffer, Dword count, Dword* written) = nullptr;  // FT_Write
  Status (*getQueueStatus)(Handle handle, Dword* rxQueue) = nullptr;  // FT_GetQueueStatus
  Status (*getDriverVersion)(Handle handle, Dword* version) = nullptr;  // FT_GetDriverVersion
  Status (*close)(Handle handle) = nullptr;                     // FT_Close
};

}  // namespace tarvex::d2xx
