#include "emulator/pty/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "emulator/session.h"

namespace tarvex::emu {
namespace {

constexpr std::size_t kChunk = 4096;
// The reply pump sleeps on the session; it wakes on a reply, an unplug or the session
// closing, and otherwise only this often.
constexpr auto kIdleWake = std::chrono::seconds(1);

void closeFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

bool setNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

}  // namespace

PtyServer::PtyServer(std::shared_ptr<EmulatedAdapter> adapter,
                     std::chrono::milliseconds latencyTimer)
    : adapter_(std::move(adapter)), latencyTimer_(latencyTimer) {}

PtyServer::~PtyServer() {
  stop();
}

bool PtyServer::start() {
  if (started_ || !adapter_) return false;
  started_ = true;
  auto fail = [this] {
    closeAll();
    return false;
  };

  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return fail();
  char name[128] = {};
  if (ptsname_r(master_, name, sizeof name) != 0) return fail();

  // Termios set through the master applies to the slave's line discipline. Raw from the
  // start: no echo of the host's bytes back to the pump, no CR/LF translation, no flow
  // control characters swallowed, before any client has configured the line itself.
  termios raw{};
  if (tcgetattr(master_, &raw) != 0) return fail();
  cfmakeraw(&raw);
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  if (tcsetattr(master_, TCSANOW, &raw) != 0) return fail();

  keeper_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (keeper_ < 0 || !setNonBlocking(master_)) return fail();
  if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) return fail();

  if (adapter_->open(&session_) != FT_OK) return fail();
  session_->setLatency(latencyTimer_);
  slavePath_ = name;
  {
    std::lock_guard lock(mutex_);
    running_ = true;
  }
  // The reply pump first: the input pump joins it when it ends.
  toHost_ = std::thread([this] { pumpToHost(); });
  toAdapter_ = std::thread([this] { pumpToAdapter(); });
  return true;
}

std::string PtyServer::slavePath() const {
  return slavePath_;
}

bool PtyServer::running() const {
  std::lock_guard lock(mutex_);
  return running_;
}

bool PtyServer::waitUntilEnded(std::chrono::milliseconds bound) {
  std::unique_lock lock(mutex_);
  return ended_.wait_for(lock, bound, [this] { return !running_; });
}

void PtyServer::finish() {
  std::call_once(finished_, [this] {
    ending_ = true;
    const std::uint8_t byte = 1;
    // The pipe stays readable from now on; a full pipe already wakes everyone.
    [[maybe_unused]] const ssize_t n = ::write(wake_[1], &byte, 1);
    // Closing the session stops the firmware and wakes the reply pump.
    if (session_) session_->close();
  });
}

void PtyServer::pumpToAdapter() {
  std::uint8_t buffer[kChunk];
  for (;;) {
    pollfd fds[2] = {{master_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[1].revents != 0) break;
    if (fds[0].revents & POLLIN) {
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n > 0) {
        std::uint32_t written = 0;
        if (session_->hostWrite(buffer, static_cast<std::uint32_t>(n), &written) != FT_OK) break;
        continue;
      }
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      break;  // end of file or EIO: the pseudo-terminal is gone
    }
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) break;
  }
  finish();
  if (toHost_.joinable()) toHost_.join();
  // Closing the master hangs up every client of the slave, so they fail instead of waiting.
  closeFd(master_);
  closeFd(keeper_);
  {
    std::lock_guard lock(mutex_);
    running_ = false;
  }
  ended_.notify_all();
}

void PtyServer::pumpToHost() {
  std::uint8_t buffer[kChunk];
  while (!ending_) {
    std::uint32_t queued = 0;
    if (session_->hostWait(1, Clock::now() + kIdleWake, &queued) != FT_OK) break;
    if (ending_) break;
    if (queued == 0) continue;
    std::uint32_t got = 0;
    const auto want = static_cast<std::uint32_t>(std::min<std::size_t>(queued, sizeof buffer));
    if (session_->hostRead(buffer, want, &got, Clock::now()) != FT_OK) break;
    if (!writeToMaster(buffer, got)) break;
  }
  finish();
}

bool PtyServer::writeToMaster(const std::uint8_t* bytes, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(master_, bytes + done, count - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return false;
    // The client is not reading and the slave's queue is full: wait for room or the end.
    pollfd fds[2] = {{master_, POLLOUT, 0}, {wake_[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0 && errno != EINTR) return false;
    if (fds[1].revents != 0) return false;
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) return false;
  }
  return true;
}

void PtyServer::stop() {
  if (!started_) return;
  finish();
  if (toAdapter_.joinable()) toAdapter_.join();
  if (toHost_.joinable()) toHost_.join();
  closeAll();
}

void PtyServer::closeAll() {
  if (session_) {
    session_->close();
    session_.reset();
  }
  closeFd(master_);
  closeFd(keeper_);
  closeFd(wake_[0]);
  closeFd(wake_[1]);
}

}  // namespace tarvex::emu
