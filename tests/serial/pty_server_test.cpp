// The software adapter served on a pseudo-terminal, seen by a client that opens the slave
// with plain POSIX calls and leaves its settings alone.

#include "emulator/pty/pty_server.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>

namespace tarvex::emu {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Reads up to `count` bytes from fd, waiting at most two seconds in all.
Bytes readSome(int fd, std::size_t count) {
  Bytes bytes;
  const auto deadline = std::chrono::steady_clock::now() + 2s;
  while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    std::uint8_t buffer[64];
    const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, count - bytes.size()));
    if (n <= 0) break;
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  return bytes;
}

class PtyServerTest : public testing::Test {
 protected:
  int openSlave() { return ::open(server_.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC); }

  std::shared_ptr<EmulatedAdapter> adapter_ = std::make_shared<EmulatedAdapter>(tags::v41());
  PtyServer server_{adapter_};
};

// No echo, no CR/LF translation and no control characters taken by the line discipline,
// even for a client that never configures the line.
TEST_F(PtyServerTest, LineIsRawWithoutTheClientSettingIt) {
  adapter_->setTag({'\n', 0x03, '\r'});
  ASSERT_TRUE(server_.start());
  const int fd = openSlave();
  ASSERT_GE(fd, 0);
  const Bytes request{'\r', 0x03, 0x11, 'B'};
  ASSERT_EQ(::write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
  EXPECT_EQ(readSome(fd, 3), (Bytes{'\n', 0x03, '\r'}));
  EXPECT_EQ(adapter_->lastOpenReceived(), request);
  ::close(fd);
}

TEST_F(PtyServerTest, ClientsComeAndGoOnTheSameLine) {
  ASSERT_TRUE(server_.start());
  for (int round = 0; round < 2; ++round) {
    const int fd = openSlave();
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "B", 1), 1);
    EXPECT_EQ(readSome(fd, 3), (Bytes{'V', '4', '1'}));
    ::close(fd);
  }
  EXPECT_TRUE(server_.running());
  EXPECT_EQ(adapter_->receivedPerOpen(), (std::vector<Bytes>{{'B', 'B'}}));
}

TEST_F(PtyServerTest, UnplugEndsThePumpAndHangsUpTheClient) {
  ASSERT_TRUE(server_.start());
  const int fd = openSlave();
  ASSERT_GE(fd, 0);
  adapter_->unplug();
  EXPECT_TRUE(server_.waitUntilEnded(2s));
  EXPECT_FALSE(server_.running());
  pollfd p{fd, POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, 2000), 1);
  EXPECT_NE(p.revents & POLLHUP, 0);
  ::close(fd);
  server_.stop();
  server_.stop();
}

TEST_F(PtyServerTest, RefusedAdapterStartsNothing) {
  FaultPlan refuse;
  refuse.refuseOpen = true;
  adapter_->setFaults(refuse);
  EXPECT_FALSE(server_.start());
  EXPECT_TRUE(server_.slavePath().empty());
  EXPECT_FALSE(server_.running());
  EXPECT_FALSE(adapter_->isOpen());
  adapter_->setFaults({});
  EXPECT_FALSE(server_.start());  // one run per server
}

TEST_F(PtyServerTest, StopClosesTheAdapterAndTheLine) {
  ASSERT_TRUE(server_.start());
  EXPECT_TRUE(adapter_->isOpen());
  const std::string path = server_.slavePath();
  server_.stop();
  EXPECT_FALSE(server_.running());
  EXPECT_FALSE(adapter_->isOpen());
  EXPECT_LT(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC), 0);
}

}  // namespace
}  // namespace tarvex::emu
