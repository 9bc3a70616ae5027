#include "link/serial/exclusive_ports.h"

#include <sys/ioctl.h>

#include <array>
#include <atomic>

namespace tarvex::serial {
namespace {

// A program holds one port per open tool window at most; lock-free slots keep the
// release usable from a signal handler. A slot holds its descriptor plus one, so the
// zero every slot starts with means empty.
constexpr std::size_t kSlots = 32;
std::array<std::atomic<int>, kSlots> gHeld{};

static_assert(std::atomic<int>::is_always_lock_free);

}  // namespace

bool holdExclusivePort(int fd) {
  for (auto& slot : gHeld) {
    int empty = 0;
    if (slot.compare_exchange_strong(empty, fd + 1)) return true;
  }
  return false;
}

void forgetExclusivePort(int fd) {
  for (auto& slot : gHeld) {
    int held = fd + 1;
    if (slot.compare_exchange_strong(held, 0)) return;
  }
}

void releaseExclusivePorts() {
  for (auto& slot : gHeld) {
    const int held = slot.load();
    if (held > 0) ::ioctl(held - 1, TIOCNXCL);
  }
}

}  // namespace tarvex::serial
