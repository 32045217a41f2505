#include "core/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/Text.h"

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

namespace {

std::string Reason(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// A link is written through to the file it names, as a plain write would.
std::string ResolveTarget(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved)) return resolved;
  }
  return path;
}

}  // namespace

bool WriteTextFileAtomically(const std::string& path, const std::string& utf8Text, bool cp932, std::string& error) {
  if (path.empty()) {
    error = "no file name";
    return false;
  }
  const std::string target = ResolveTarget(path);
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      errno = EISDIR;
      error = Reason("cannot write", target);
      return false;
    }
    // Renaming over a read-only file would get round its protection.
    if (::access(target.c_str(), W_OK) != 0) {
      error = Reason("cannot write", target);
      return false;
    }
  }
  const std::string bytes = cp932 ? text::ToCp932(utf8Text) : utf8Text;
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    error = Reason("cannot create", target);
    return false;
  }
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int savedErrno = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    savedErrno = errno;
  }
  if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
    ok = false;
    savedErrno = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    errno = savedErrno;
    error = Reason("cannot write", target);
  }
  return ok;
}
