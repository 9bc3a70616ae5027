// Why a port could not be opened: the bus tells the path and the system's reason beside
// its status codes, so the user learns whether the port is missing, busy (and who holds
// it) or closed to them (and how to get access).

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "emulator/pty/pty_server.h"
#include "link/serial/open_failure.h"
#include "link/serial/port_holders.h"
#include "link/serial/serial_bus.h"

namespace tarvex::serial {
namespace {

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(OpenFailureTest, MissingPathsAndNonTerminalsAreNamedWithTheirPath) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("tarvex_open_failure_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);

  // A name with a line break must not start a line of its own in the log.
  const std::string missing = (dir / "no\nsuch-tty").string();
  auto bus = SerialBus::forPath(missing);
  std::uint32_t count = 9;
  EXPECT_EQ(bus->createDeviceInfoList(&count), FT_OK);
  EXPECT_EQ(count, 0u);
  const std::string reason = bus->lastOpenError();
  EXPECT_TRUE(contains(reason, (dir / "no\\nsuch-tty").string() + ": no such device")) << reason;
  EXPECT_FALSE(contains(reason, "\n"));

  const std::string plain = (dir / "plain-file").string();
  std::ofstream(plain) << "not a tty";
  bus = SerialBus::forPath(plain);
  std::unique_ptr<FtDevice> device;
  EXPECT_EQ(bus->open(0, &device), FT_DEVICE_NOT_OPENED);
  EXPECT_EQ(bus->lastOpenError(), plain + ": not a serial port");

  std::filesystem::remove_all(dir);
}

TEST(OpenFailureTest, BusyPortNamesItsHolderAndTheReasonClearsOnceItOpens) {
  auto adapter = std::make_shared<emu::EmulatedAdapter>(emu::tags::v41());
  emu::PtyServer server(adapter);
  ASSERT_TRUE(server.start());
  auto bus = SerialBus::forPath(server.slavePath());

  std::unique_ptr<FtDevice> first;
  ASSERT_EQ(bus->open(0, &first), FT_OK);
  EXPECT_EQ(bus->lastOpenError(), "");
  const auto holders = findPortHolders(server.slavePath());
  ASSERT_FALSE(holders.empty());
  EXPECT_EQ(holders.front().pid, ::getpid());

  std::unique_ptr<FtDevice> second;
  auto other = SerialBus::forPath(server.slavePath());
  EXPECT_EQ(other->open(0, &second), FT_DEVICE_NOT_OPENED);
  const std::string busy = other->lastOpenError();
  EXPECT_TRUE(contains(busy, server.slavePath() + ": the port is busy, held by this program (PID " +
                                 std::to_string(::getpid()) + ")"))
      << busy;

  first->close();
  EXPECT_EQ(other->open(0, &second), FT_OK);
  EXPECT_EQ(other->lastOpenError(), "");
}

// What a user without access reads must carry the exact fix. Run as root, the open is
// made by a child that drops to the nobody account first.
TEST(OpenFailureTest, PermissionDeniedGivesTheRuleAndTheGroupToJoin) {
  const auto file = std::filesystem::temp_directory_path() /
                    ("tarvex_no_access_" + std::to_string(::getpid()));
  std::ofstream(file) << "x";
  std::filesystem::permissions(file, std::filesystem::perms::owner_read);
  auto reasonOfOpen = [&file] {
    std::unique_ptr<FtDevice> device;
    auto bus = SerialBus::forPath(file.string());
    return bus->open(0, &device) == FT_DEVICE_NOT_OPENED ? bus->lastOpenError() : std::string();
  };
  auto fits = [&file](const std::string& text) {
    return contains(text, file.string() + ": permission denied") &&
           contains(text, "70-tarvex-ftdi.rules") && contains(text, "sudo usermod -aG dialout ") &&
           !contains(text, "plugdev");
  };
  if (::geteuid() != 0) {
    std::filesystem::permissions(file, std::filesystem::perms::none);
    const std::string text = reasonOfOpen();
    EXPECT_TRUE(fits(text)) << text;
  } else {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
      ::_exit(dropped && fits(reasonOfOpen()) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::filesystem::remove(file);
}

// The installed rule is what a denied user is sent to: it must give the seat's user the
// adapter's tty and leave the group alone, so dialout members (other serial tools, remote
// users told to join dialout) keep their access.
TEST(OpenFailureTest, TheUdevRuleGivesTheSeatUserThePortAndLeavesItsGroup) {
  std::ifstream rule(std::string(TARVEX_DIST_DIR) + "/70-tarvex-ftdi.rules");
  ASSERT_TRUE(rule);
  bool ttyRule = false;
  for (std::string line; std::getline(rule, line);) {
    if (line.empty() || line[0] == '#') continue;
    EXPECT_FALSE(contains(line, "GROUP=")) << line;
    EXPECT_FALSE(contains(line, "MODE=")) << line;
    if (contains(line, "TAG+=\"uaccess\"")) ttyRule = true;
  }
  EXPECT_TRUE(ttyRule);
}

}  // namespace
}  // namespace tarvex::serial
