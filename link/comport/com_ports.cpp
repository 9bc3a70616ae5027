#include "link/comport/com_ports.h"

#include <windows.h>

#include <setupapi.h>

#include <algorithm>
#include <cwctype>

#include "base/wide_path.h"

namespace tarvex::comport {
namespace {

// The device setup class of serial and parallel ports, {4D36E978-E325-11CE-BFC1-08002BE10318}.
const GUID kPortsClass = {0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

bool isFtdiDevice(HDEVINFO devices, SP_DEVINFO_DATA* device) {
  wchar_t ids[1024] = {};
  if (!SetupDiGetDeviceRegistryPropertyW(devices, device, SPDRP_HARDWAREID, nullptr,
                                         reinterpret_cast<BYTE*>(ids), sizeof ids - 2 * sizeof(wchar_t),
                                         nullptr)) {
    return false;
  }
  // A list of strings, each ended by a zero: "FTDIBUS\COMPORT&VID_0403&PID_6001", ...
  for (const wchar_t* id = ids; *id; id += wcslen(id) + 1) {
    std::wstring upper(id);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](wchar_t c) { return std::towupper(c); });
    if (upper.find(L"VID_0403") != std::wstring::npos) return true;
  }
  return false;
}

std::string portNameOf(HDEVINFO devices, SP_DEVINFO_DATA* device) {
  HKEY key = SetupDiOpenDevRegKey(devices, device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return {};
  wchar_t name[64] = {};
  DWORD size = sizeof name - sizeof(wchar_t);
  DWORD type = 0;
  const LONG read = RegQueryValueExW(key, L"PortName", nullptr, &type,
                                     reinterpret_cast<BYTE*>(name), &size);
  RegCloseKey(key);
  if (read != ERROR_SUCCESS || type != REG_SZ) return {};
  return utf8Text(name);
}

int numberOf(const std::string& port) {
  return port.size() > 3 ? std::atoi(port.c_str() + 3) : 0;
}

}  // namespace

std::vector<std::string> findFtdiComPorts() {
  std::vector<std::string> ports;
  HDEVINFO devices = SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
  if (devices == INVALID_HANDLE_VALUE) return ports;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
    if (!isFtdiDevice(devices, &device)) continue;
    const std::string name = portNameOf(devices, &device);
    if (name.rfind("COM", 0) == 0) ports.push_back(name);
  }
  SetupDiDestroyDeviceInfoList(devices);
  std::sort(ports.begin(), ports.end(),
            [](const std::string& a, const std::string& b) { return numberOf(a) < numberOf(b); });
  return ports;
}

std::string systemErrorText(unsigned long error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring words = length ? std::wstring(text, length) : L"";
  if (text) LocalFree(text);
  while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L'.')) {
    words.pop_back();
  }
  return words.empty() ? "system error " + std::to_string(error) : utf8Text(words);
}

}  // namespace tarvex::comport
