#pragma once
// A sysfs tree in a temporary directory, laid out as the kernel lays out USB-serial ports:
// bus/usb-serial/devices/<tty> links to the port under its USB interface and device, the
// port's driver link names the driver, and the USB device carries idVendor.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace tarvex::test {

class FakeSysfs {
 public:
  FakeSysfs() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvex-sysfs-XXXXXX").string();
    root_ = mkdtemp(pattern.data());
    std::filesystem::create_directories(root_ / "bus/usb-serial/devices");
    std::filesystem::create_directories(root_ / "dev");
  }
  ~FakeSysfs() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  FakeSysfs(const FakeSysfs&) = delete;
  FakeSysfs& operator=(const FakeSysfs&) = delete;

  std::string root() const { return root_.string(); }
  std::string devRoot() const { return (root_ / "dev").string(); }

  // A port `tty` of a USB device with vendor `vendor`, its port bound to `driver`.
  void addPort(const std::string& tty, const std::string& vendor, const std::string& driver) {
    namespace fs = std::filesystem;
    const std::string usb = "1-" + std::to_string(++devices_);
    const fs::path device = root_ / "devices/pci0000:00/0000:00:14.0/usb1" / usb;
    const fs::path port = device / (usb + ":1.0") / tty;
    fs::create_directories(port);
    std::ofstream(device / "idVendor") << vendor << "\n";
    std::ofstream(port / "latency_timer") << "16\n";
    const fs::path drivers = root_ / "bus/usb-serial/drivers" / driver;
    fs::create_directories(drivers);
    fs::create_directory_symlink(drivers, port / "driver");
    fs::create_directory_symlink(port, root_ / "bus/usb-serial/devices" / tty);
  }

  // Makes /dev/<tty> of the fake tree point at a real tty (a pseudo-terminal's slave).
  void addNode(const std::string& tty, const std::string& target) {
    std::filesystem::create_symlink(target, root_ / "dev" / tty);
  }

  std::string latencyTimer(const std::string& tty) const {
    std::ifstream in(root_ / "bus/usb-serial/devices" / tty / "latency_timer");
    std::string value;
    std::getline(in, value);
    return value;
  }

 private:
  std::filesystem::path root_;
  int devices_ = 0;
};

}  // namespace tarvex::test
