#include "link/serial/sysfs_scan.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace tarvex::serial {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFtdiVendor = "0403";
constexpr const char* kFtdiDriver = "ftdi_sio";
// From the port directory (…/1-1/1-1:1.0/ttyUSB0) the USB device is two levels up; a few
// more allow for hubs of unusual layout without walking all the way to the root.
constexpr int kMaxLevelsToUsbDevice = 4;

std::string readAttribute(const fs::path& file) {
  std::ifstream in(file);
  std::string value;
  std::getline(in, value);
  while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back()))) {
    value.pop_back();
  }
  return value;
}

bool boundToFtdiDriver(const fs::path& port) {
  std::error_code ec;
  const fs::path driver = fs::read_symlink(port / "driver", ec);
  return !ec && driver.filename() == kFtdiDriver;
}

// The vendor of the USB device the port belongs to: the nearest ancestor with idVendor.
bool fromFtdiVendor(const fs::path& port) {
  std::error_code ec;
  fs::path dir = fs::canonical(port, ec);
  if (ec) return false;
  for (int level = 0; level < kMaxLevelsToUsbDevice && dir.has_relative_path(); ++level) {
    dir = dir.parent_path();
    const fs::path vendor = dir / "idVendor";
    if (fs::exists(vendor, ec)) {
      std::string id = readAttribute(vendor);
      std::transform(id.begin(), id.end(), id.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      return id == kFtdiVendor;
    }
  }
  return false;
}

}  // namespace

bool naturalLess(const std::string& a, const std::string& b) {
  std::size_t i = 0;
  std::size_t j = 0;
  auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
  while (i < a.size() && j < b.size()) {
    if (digit(a[i]) && digit(b[j])) {
      std::size_t ie = i;
      std::size_t je = j;
      while (ie < a.size() && digit(a[ie])) ++ie;
      while (je < b.size() && digit(b[je])) ++je;
      // Compare the runs by value without converting: drop leading zeros, then the longer
      // run is larger, then the first differing digit decides.
      std::size_t is = i;
      std::size_t js = j;
      while (is + 1 < ie && a[is] == '0') ++is;
      while (js + 1 < je && b[js] == '0') ++js;
      if (ie - is != je - js) return ie - is < je - js;
      const int order = a.compare(is, ie - is, b, js, je - js);
      if (order != 0) return order < 0;
      i = ie;
      j = je;
      continue;
    }
    if (a[i] != b[j]) return a[i] < b[j];
    ++i;
    ++j;
  }
  return a.size() - i < b.size() - j;
}

bool findFtdiPorts(const std::string& sysfsRoot, const std::string& devRoot,
                   std::vector<PortInfo>* ports) {
  ports->clear();
  const fs::path devices = fs::path(sysfsRoot) / "bus" / "usb-serial" / "devices";
  std::error_code ec;
  if (!fs::exists(devices, ec)) return !ec;

  fs::directory_iterator it(devices, ec);
  if (ec) return false;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) return false;
    const fs::path port = it->path();
    if (!boundToFtdiDriver(port) || !fromFtdiVendor(port)) continue;
    const std::string name = port.filename().string();
    ports->push_back({name, (fs::path(devRoot) / name).string(), port.string()});
  }
  std::sort(ports->begin(), ports->end(),
            [](const PortInfo& a, const PortInfo& b) { return naturalLess(a.name, b.name); });
  return true;
}

}  // namespace tarvex::serial
