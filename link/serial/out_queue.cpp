#include "link/serial/out_queue.h"

#include <sys/ioctl.h>

#include <atomic>

namespace tarvex::serial {
namespace {

bool kernelOutQueue(int fd, int* outgoing) {
  *outgoing = 0;
  return ioctl(fd, TIOCOUTQ, outgoing) == 0;
}

std::atomic<OutQueueQuery> current{&kernelOutQueue};

}  // namespace

bool queryOutQueue(int fd, int* outgoing) {
  *outgoing = 0;
  return current.load()(fd, outgoing);
}

OutQueueQuery setOutQueueQuery(OutQueueQuery query) {
  return current.exchange(query ? query : &kernelOutQueue);
}

}  // namespace tarvex::serial
