#include "base/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace tarvex {

bool fillStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // open() takes the lowest free number, which is this one: the lower ones are open.
    const int opened = ::open("/dev/null", O_RDWR);
    if (opened == fd) continue;
    if (opened >= 0) ::close(opened);
    return false;
  }
  return true;
}

}  // namespace tarvex
