#include "core/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
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

// What stands at a name that is not a regular file.
std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a named pipe (FIFO)";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "a special file";
}

std::string SizeText(std::size_t bytes) {
  return bytes % (1024 * 1024) == 0 ? std::to_string(bytes / (1024 * 1024)) + " MiB" : std::to_string(bytes) + " bytes";
}

}  // namespace

WholeFile ReadWholeFile(const std::string& path, std::size_t limit) {
  WholeFile file;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    if (errno == ENOENT) return file;
    file.status = WholeFile::Status::kRefused;
    file.problem = path + ": cannot be read: " + std::strerror(errno);
    return file;
  }
  file.status = WholeFile::Status::kRefused;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    file.problem = path + ": cannot be read: " + std::strerror(errno);
  } else if (!S_ISREG(st.st_mode)) {
    file.problem = path + ": " + KindOf(st.st_mode) + ", not a regular file";
  } else if (static_cast<unsigned long long>(st.st_size) > limit) {
    file.problem = path + ": larger than " + SizeText(limit) + " (" + std::to_string(st.st_size) + " bytes)";
  } else {
    // One byte more than the limit tells a file that grew since fstat.
    std::string bytes(limit + 1, '\0');
    std::size_t done = 0;
    ssize_t n = 0;
    while (done < bytes.size()) {
      n = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    if (n < 0) {
      file.problem = path + ": cannot be read: " + std::strerror(errno);
    } else if (done > limit) {
      file.problem = path + ": larger than " + SizeText(limit);
    } else {
      bytes.resize(done);
      file.bytes = std::move(bytes);
      file.status = WholeFile::Status::kRead;
    }
  }
  ::close(fd);
  return file;
}

namespace {

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

// The file a write replaces: the path itself, or the regular file a symbolic
// link names.
struct Target {
  std::string path;
  bool exists = false;
  struct stat st {};
};

bool Refuse(const std::string& path, const std::string& why, std::string& error) {
  error = "cannot write " + path + ": " + why;
  return false;
}

bool ResolveTarget(const std::string& path, Target& target, std::string& error) {
  target.path = path;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) {
    // A missing name: its directory is checked by making the temporary file.
    if (errno == ENOENT) return true;
    error = Reason("cannot write", path);
    return false;
  }
  if (S_ISLNK(st.st_mode)) {
    if (::stat(path.c_str(), &st) != 0)
      return errno == ENOENT ? Refuse(path, "a symbolic link to a missing file", error)
                             : (error = Reason("cannot write", path), false);
    if (!S_ISREG(st.st_mode)) return Refuse(path, "a symbolic link to " + KindOf(st.st_mode) + ", not a regular file", error);
    char resolved[PATH_MAX];
    if (!::realpath(path.c_str(), resolved)) {
      error = Reason("cannot write", path);
      return false;
    }
    target.path = resolved;
  } else if (!S_ISREG(st.st_mode)) {
    return Refuse(path, KindOf(st.st_mode) + ", not a regular file", error);
  }
  target.exists = true;
  target.st = st;
  // Renaming over a read-only file would get round its protection.
  if (::access(target.path.c_str(), W_OK) != 0) {
    error = Reason("cannot write", target.path);
    return false;
  }
  return true;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string TemporaryName(const std::string& target, pid_t pid, int attempt) {
  return target + ".tmp" + std::to_string(pid) + "-" + std::to_string(attempt);
}

// The process id of a temporary file's suffix "PID-N", or 0 when the suffix
// is not of that form.
pid_t TemporaryOwner(const std::string& suffix) {
  const std::size_t dash = suffix.find('-');
  if (dash == std::string::npos || dash == 0 || dash > 9 || dash + 1 == suffix.size()) return 0;
  for (std::size_t i = 0; i < suffix.size(); ++i)
    if (i != dash && (suffix[i] < '0' || suffix[i] > '9')) return 0;
  return static_cast<pid_t>(std::atol(suffix.substr(0, dash).c_str()));
}

// Removes the temporary files of the target left by writers that were killed
// before they could rename or remove them: those whose process has gone and
// that belong to this user.
void RemoveStaleTemporaries(const std::string& target) {
  DIR* dir = ::opendir(DirectoryOf(target).c_str());
  if (!dir) return;
  const std::string prefix = BaseName(target) + ".tmp";
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    const pid_t pid = TemporaryOwner(name.substr(prefix.size()));
    if (pid <= 0 || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
    struct stat st {};
    if (::fstatat(::dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        st.st_uid == ::geteuid())
      ::unlinkat(::dirfd(dir), name.c_str(), 0);
  }
  ::closedir(dir);
}

// A new temporary file beside the target. It starts private and takes the old
// file's owner and permissions before it holds anything; a new file gets the
// usual 0666 less the umask.
int CreateTemporary(const Target& target, std::string& temp) {
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = TemporaryName(target.path, ::getpid(), attempt);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, target.exists ? 0600 : 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0 || !target.exists) return fd;
  // The owner only where permitted; the group alone is often allowed.
  [[maybe_unused]] const bool owned = ::fchown(fd, target.st.st_uid, target.st.st_gid) == 0 ||
                                      ::fchown(fd, static_cast<uid_t>(-1), target.st.st_gid) == 0;
  [[maybe_unused]] const int moded = ::fchmod(fd, target.st.st_mode & 07777);
  return fd;
}

// Rewrites a file with several names where it stands, after its whole new
// text is safe in the temporary copy.
bool WriteInPlace(const Target& target, const std::string& bytes) {
  const int fd = ::open(target.path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0;
  if (ok && (st.st_dev != target.st.st_dev || st.st_ino != target.st.st_ino)) {
    ok = false;
    errno = EBUSY;  // replaced by something else meanwhile
  }
  ok = ok && WriteAll(fd, bytes) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
  const int savedErrno = errno;
  if (::close(fd) != 0 && ok) return false;
  errno = savedErrno;
  return ok;
}

bool WriteStandardOutput(const std::string& bytes, std::string& error) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0) return true;
  error = std::string("cannot write to standard output: ") + std::strerror(errno);
  return false;
}

}  // namespace

bool CheckOutputPath(const std::string& path, std::string& error) {
  if (path.empty()) {
    error = "no file name";
    return false;
  }
  Target target;
  return path == kStandardOutputName || ResolveTarget(path, target, error);
}

bool WriteTextFileAtomically(const std::string& path, const std::string& utf8Text, bool cp932, std::string& error) {
  if (path.empty()) {
    error = "no file name";
    return false;
  }
  const std::string bytes = cp932 ? text::ToCp932(utf8Text) : utf8Text;
  if (path == kStandardOutputName) return WriteStandardOutput(bytes, error);
  Target target;
  if (!ResolveTarget(path, target, error)) return false;
  RemoveStaleTemporaries(target.path);
  std::string temp;
  const int fd = CreateTemporary(target, temp);
  if (fd < 0) {
    error = Reason("cannot create", target.path);
    return false;
  }
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int savedErrno = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    savedErrno = errno;
  }
  if (ok && target.exists && target.st.st_nlink > 1) {
    if (WriteInPlace(target, bytes)) {
      ::unlink(temp.c_str());
      return true;
    }
    error = Reason("cannot write", target.path) + " (the new text is in " + temp + ")";
    return false;
  }
  if (ok && ::rename(temp.c_str(), target.path.c_str()) != 0) {
    ok = false;
    savedErrno = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    errno = savedErrno;
    error = Reason("cannot write", target.path);
  }
  return ok;
}
