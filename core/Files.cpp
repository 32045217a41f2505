#include "core/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

bool ReadFileHead(const std::string& path, std::size_t maxBytes, std::string& bytes) {
  bytes.clear();
  // Non-blocking, so that opening a pipe returns at once; it is refused below.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  bytes.resize(maxBytes);
  std::size_t done = 0;
  bool ok = true;
  while (done < maxBytes) {
    const ssize_t n = ::read(fd, bytes.data() + done, maxBytes - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  bytes.resize(ok ? done : 0);
  return ok;
}
