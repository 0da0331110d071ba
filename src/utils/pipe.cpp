#include "utils/pipe.h"

#include <fcntl.h>
#include <unistd.h>

#include "utils/utils_exception.h"

namespace Utils {

namespace {

// Keeps an end off the standard descriptors 0 to 2. A process started with one of them closed
// would otherwise get a pipe end there, and wiring a child's standard streams could then
// overwrite one end with another.
int AboveStandardStreams(int fd) {
  if (fd > 2) return fd;
  const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  close(fd);
  return moved;
}

void CloseEnd(int& fd) {
  if (fd < 0) return;
  close(fd);  // never retried: on Linux the descriptor is gone even when close reports EINTR
  fd = -1;
}

}  // namespace

Pipe::Pipe() {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) throw Exception();
  read_ = AboveStandardStreams(ends[0]);
  write_ = AboveStandardStreams(ends[1]);
  if (read_ < 0 || write_ < 0) {
    CloseRead();
    CloseWrite();
    throw Exception();
  }
}

Pipe::~Pipe() {
  CloseRead();
  CloseWrite();
}

void Pipe::CloseRead() { CloseEnd(read_); }
void Pipe::CloseWrite() { CloseEnd(write_); }

}  // namespace Utils
