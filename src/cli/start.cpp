#include "cli/start.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace agv::cli {

void stdfiles() {
  for (int fd = 0; fd <= 2; ++fd)
    if (fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
      const int got = open("/dev/null", O_RDWR);  // the lowest free descriptor: fd
      if (got > 2) close(got);
    }
}

}  // namespace agv::cli
