// A stand-in for the vendor's D2XX library, for tests only: the same exported functions,
// backed by the demo bench's software adapter instead of a USB driver. The program loads
// it through its ordinary D2XX path (as ftd2xx.dll beside tarvex-cli.exe, or by the path a
// test names), so that path is tried end to end without the hardware.
//
// TARVEX_STANDIN_TARGET names the chip behind the adapter by a part of its bench name
// ("EDID", "KB9012", "keyboard", "MEC1609", "IT85xx"); unset, no device is attached. It is
// read again on every device list, so a test can change the chip between runs.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "emulator/bench/demo_bench.h"

#ifdef _WIN32
#define STANDIN_EXPORT extern "C" __declspec(dllexport)
#else
#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

using tarvex::FtDevice;
using tarvex::FtStatus;
using Dword = std::uint32_t;

std::mutex benchMutex;
tarvex::emu::DemoBench* bench = nullptr;
std::string selected;
bool attached = false;

// The bench is made on first use and lives as long as the process; its chip follows the
// environment.
tarvex::emu::DemoBench& theBench() {
  std::lock_guard lock(benchMutex);
  if (!bench) {
    bench = new tarvex::emu::DemoBench();
    bench->setFastLine(true);
  }
  const char* named = std::getenv("TARVEX_STANDIN_TARGET");
  const std::string wanted = named ? named : "";
  if (!bench->target().empty() && wanted == selected) return *bench;
  selected = wanted;
  std::string chosen;
  for (const std::string& name : bench->targetNames()) {
    if (!wanted.empty() && name.find(wanted) != std::string::npos) chosen = name;
  }
  attached = !chosen.empty() && bench->selectTarget(chosen);
  return *bench;
}

FtDevice* deviceOf(void* handle) { return static_cast<FtDevice*>(handle); }

}  // namespace

STANDIN_EXPORT FtStatus FT_CreateDeviceInfoList(Dword* count) {
  tarvex::emu::DemoBench& bench = theBench();
  if (!attached) {
    *count = 0;
    return tarvex::FT_OK;
  }
  return bench.bus().createDeviceInfoList(count);
}

STANDIN_EXPORT FtStatus FT_Open(int index, void** handle) {
  *handle = nullptr;
  tarvex::emu::DemoBench& bench = theBench();
  if (!attached || index < 0) return tarvex::FT_DEVICE_NOT_FOUND;
  std::unique_ptr<FtDevice> device;
  const FtStatus status = bench.bus().open(static_cast<std::uint32_t>(index), &device);
  if (status == tarvex::FT_OK) *handle = device.release();
  return status;
}

STANDIN_EXPORT FtStatus FT_Close(void* handle) {
  if (!handle) return tarvex::FT_INVALID_HANDLE;
  std::unique_ptr<FtDevice> device(deviceOf(handle));
  return device->close();
}

STANDIN_EXPORT FtStatus FT_ResetDevice(void* handle) { return deviceOf(handle)->resetDevice(); }

STANDIN_EXPORT FtStatus FT_SetBaudRate(void* handle, Dword baud) {
  return deviceOf(handle)->setBaudRate(baud);
}

STANDIN_EXPORT FtStatus FT_SetDataCharacteristics(void* handle, std::uint8_t wordLength,
                                                  std::uint8_t stopBits, std::uint8_t parity) {
  return deviceOf(handle)->setDataCharacteristics(wordLength, stopBits, parity);
}

STANDIN_EXPORT FtStatus FT_SetLatencyTimer(void* handle, std::uint8_t milliseconds) {
  return deviceOf(handle)->setLatencyTimer(milliseconds);
}

STANDIN_EXPORT FtStatus FT_SetTimeouts(void* handle, Dword readMs, Dword writeMs) {
  return deviceOf(handle)->setTimeouts(readMs, writeMs);
}

STANDIN_EXPORT FtStatus FT_Purge(void* handle, Dword mask) { return deviceOf(handle)->purge(mask); }

// As the vendor's: waits up to the read timeout for all of count bytes.
STANDIN_EXPORT FtStatus FT_Read(void* handle, void* buffer, Dword count, Dword* received) {
  return deviceOf(handle)->read(static_cast<std::uint8_t*>(buffer), count, received);
}

STANDIN_EXPORT FtStatus FT_Write(void* handle, void* buffer, Dword count, Dword* written) {
  return deviceOf(handle)->write(static_cast<const std::uint8_t*>(buffer), count, written);
}

STANDIN_EXPORT FtStatus FT_GetQueueStatus(void* handle, Dword* rxQueue) {
  Dword tx = 0;
  Dword events = 0;
  return deviceOf(handle)->getStatus(rxQueue, &tx, &events);
}

STANDIN_EXPORT FtStatus FT_GetDriverVersion(void* handle, Dword* version) {
  return deviceOf(handle)->getDriverVersion(version);
}
