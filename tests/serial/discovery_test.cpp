// Finding the adapter's ports in sysfs, and the bus built on that list, against a fake
// sysfs tree whose device nodes lead to the software adapter served on a pseudo-terminal.

#include <gtest/gtest.h>

#include "emulator/pty/pty_server.h"
#include "link/adapter_link.h"
#include "link/serial/driver_version.h"
#include "link/serial/serial_bus.h"
#include "link/serial/sysfs_scan.h"
#include "tests/serial/fake_sysfs.h"
#include "tests/support/recording_log.h"

namespace tarvex::serial {
namespace {

std::vector<std::string> names(const std::vector<PortInfo>& ports) {
  std::vector<std::string> result;
  for (const auto& port : ports) result.push_back(port.name);
  return result;
}

TEST(SysfsScanTest, ListsOnlyFtdiPortsInNaturalOrder) {
  test::FakeSysfs sysfs;
  sysfs.addPort("ttyUSB10", "0403", "ftdi_sio");
  sysfs.addPort("ttyUSB0", "10c4", "cp210x");  // another maker's bridge
  sysfs.addPort("ttyUSB2", "0403", "ftdi_sio");
  sysfs.addPort("ttyUSB3", "1a86", "ftdi_sio");           // ftdi_sio bound to a foreign vendor id
  sysfs.addPort("ttyUSB4", "0403", "usbserial_generic");  // FTDI chip, other driver
  sysfs.addPort("ttyUSB9", "0403", "ftdi_sio");

  std::vector<PortInfo> ports;
  ASSERT_TRUE(findFtdiPorts(sysfs.root(), "/dev", &ports));
  EXPECT_EQ(names(ports), (std::vector<std::string>{"ttyUSB2", "ttyUSB9", "ttyUSB10"}));
  EXPECT_EQ(ports[0].devicePath, "/dev/ttyUSB2");
  EXPECT_EQ(ports[2].sysfsDir, sysfs.root() + "/bus/usb-serial/devices/ttyUSB10");

  // The order does not depend on the order the directory lists its entries in.
  std::vector<PortInfo> again;
  ASSERT_TRUE(findFtdiPorts(sysfs.root(), "/dev", &again));
  EXPECT_EQ(names(again), names(ports));
}

TEST(SysfsScanTest, NoUsbSerialDriverLoadedMeansNoPortsNotAFailure) {
  test::FakeSysfs sysfs;
  std::filesystem::remove_all(sysfs.root() + "/bus");
  SerialBus bus(sysfs.root(), sysfs.devRoot());
  std::uint32_t count = 99;
  EXPECT_EQ(bus.createDeviceInfoList(&count), FT_OK);
  EXPECT_EQ(count, 0u);
  std::unique_ptr<FtDevice> device;
  EXPECT_EQ(bus.open(0, &device), FT_DEVICE_NOT_FOUND);
}

TEST(SysfsScanTest, NaturalOrderComparesDigitRunsByValue) {
  EXPECT_TRUE(naturalLess("ttyUSB2", "ttyUSB10"));
  EXPECT_FALSE(naturalLess("ttyUSB10", "ttyUSB2"));
  EXPECT_TRUE(naturalLess("ttyUSB1", "ttyUSB1a"));
  EXPECT_FALSE(naturalLess("ttyUSB1", "ttyUSB1"));
  EXPECT_TRUE(naturalLess("ttyACM9", "ttyUSB0"));
}

TEST(DriverVersionTest, KernelReleaseIsPackedAsMajorMinorPatch) {
  EXPECT_EQ(packKernelRelease("6.1.0-18-amd64"), 0x00060100u);
  EXPECT_EQ(packKernelRelease("6.18.44-fc"), 0x0006122Cu);
  EXPECT_EQ(packKernelRelease("5.10"), 0x00050A00u);
  EXPECT_EQ(packKernelRelease("4.300.1"), 0x0004FF01u);  // fields cap at 255
  EXPECT_EQ(packKernelRelease("unknown"), 0u);
  EXPECT_NE(kernelDriverVersion(), 0u);
}

// The bus end to end: the index the link opens is the scanned port, whose node leads to
// the software adapter; the latency timer goes to that port's sysfs attribute.
TEST(SerialBusTest, OpensTheScannedPortsAndWritesTheirLatencyTimer) {
  auto silent = std::make_shared<emu::EmulatedAdapter>(std::vector<std::uint8_t>{});
  auto adapter = std::make_shared<emu::EmulatedAdapter>(emu::tags::v41());
  emu::PtyServer silentServer(silent);
  emu::PtyServer server(adapter);
  ASSERT_TRUE(silentServer.start());
  ASSERT_TRUE(server.start());

  test::FakeSysfs sysfs;
  sysfs.addPort("ttyUSB0", "0403", "ftdi_sio");
  sysfs.addPort("ttyUSB1", "0403", "ftdi_sio");
  sysfs.addPort("ttyUSB2", "0403", "ftdi_sio");  // listed, but its node is missing
  sysfs.addNode("ttyUSB0", server.slavePath());
  sysfs.addNode("ttyUSB1", silentServer.slavePath());

  SerialBus bus(sysfs.root(), sysfs.devRoot());
  std::unique_ptr<FtDevice> device;
  EXPECT_EQ(bus.open(2, &device), FT_DEVICE_NOT_FOUND);
  EXPECT_EQ(bus.open(3, &device), FT_DEVICE_NOT_FOUND);

  // The link tries the last device first: the missing node, the silent adapter, then
  // ttyUSB0 answers.
  LinkState link(buffer_size::kEdid);
  test::RecordingLog log;
  ASSERT_EQ(OpenAdapterLink(bus, link_params::kEdid, link, log), kLinkReady);
  EXPECT_EQ(log.lines(), (std::vector<std::string>{"Number of VCOM ports found on the machine: 3",
                                                   "Communication with programmer installed."}));
  EXPECT_EQ(silent->lastOpenReceived(), std::vector<std::uint8_t>{'B'});
  EXPECT_EQ(adapter->lastOpenReceived(), std::vector<std::uint8_t>{'B'});
  EXPECT_EQ(sysfs.latencyTimer("ttyUSB0"), "2");
  EXPECT_EQ(sysfs.latencyTimer("ttyUSB1"), "2");  // set before its handshake too
  CloseAdapterLink(link);
}

}  // namespace
}  // namespace tarvex::serial
