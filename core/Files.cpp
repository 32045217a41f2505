#include "core/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

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

// The writer's own files beside a target: "<name>.~ombrel-part-PID-N" while
// the new text is written, renamed "<name>.~ombrel-pending-PID-N" while it is
// copied into a file with several names. Each carries the extended attribute
// kOwnMark, so that a user's file of a like name is never taken for one.
constexpr const char* kPartTag = ".~ombrel-part-";
constexpr const char* kPendingTag = ".~ombrel-pending-";
constexpr const char* kOwnMark = "user.ombrel.temporary";

std::string OwnName(const std::string& target, const char* tag, pid_t pid, int attempt) {
  return target + tag + std::to_string(pid) + "-" + std::to_string(attempt);
}

// The process id of a suffix "PID-N", or 0 when the suffix is not of that form.
pid_t OwnerOf(const std::string& suffix) {
  const std::size_t dash = suffix.find('-');
  if (dash == std::string::npos || dash == 0 || dash > 9 || dash + 1 == suffix.size()) return 0;
  for (std::size_t i = 0; i < suffix.size(); ++i)
    if (i != dash && (suffix[i] < '0' || suffix[i] > '9')) return 0;
  return static_cast<pid_t>(std::atol(suffix.substr(0, dash).c_str()));
}

// True for a regular file of this user that this writer made (it bears the
// mark) for a process that has ended.
bool LeftByEndedWriter(int dirFd, const std::string& name, pid_t pid) {
  if (pid <= 0 || ::kill(pid, 0) == 0 || errno != ESRCH) return false;
  struct stat st {};
  if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
    return false;
  const int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  char mark[8];
  const bool ours = ::fgetxattr(fd, kOwnMark, mark, sizeof mark) == 1 && mark[0] == '1';
  ::close(fd);
  return ours;
}

bool CopyInPlace(const std::string& bytes, const std::string& to, bool faultsAsked);

// The whole text of a pending copy.
bool ReadPending(const std::string& path, std::string& bytes) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  WholeFile file = ReadWholeFile(path, static_cast<std::size_t>(st.st_size));
  bytes = std::move(file.bytes);
  return file.status == WholeFile::Status::kRead;
}

// Tidies what killed writers left beside the target, under the target's lock:
// a file with several names whose rewrite was cut off gets the whole new text
// its writer had ready (the pending copy), and partial texts go.
void TidyAfterEndedWriters(const std::string& target) {
  DIR* dir = ::opendir(DirectoryOf(target).c_str());
  if (!dir) return;
  const std::string base = BaseName(target);
  std::vector<std::string> pending, parts;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    for (const auto& [tag, list] : {std::pair{kPendingTag, &pending}, std::pair{kPartTag, &parts}}) {
      const std::string prefix = base + tag;
      if (name.compare(0, prefix.size(), prefix) == 0 &&
          LeftByEndedWriter(::dirfd(dir), name, OwnerOf(name.substr(prefix.size()))))
        list->push_back(name);
    }
  }
  const std::string folder = DirectoryOf(target) + "/";
  for (const std::string& name : pending)
    if (std::string bytes; ReadPending(folder + name, bytes) && CopyInPlace(bytes, target, false))
      ::unlinkat(::dirfd(dir), name.c_str(), 0);
  for (const std::string& name : parts) ::unlinkat(::dirfd(dir), name.c_str(), 0);
  ::closedir(dir);
}

// A new temporary file beside the target, marked as this writer's. It starts
// private and takes the old file's owner and permissions before it holds
// anything; a new file gets the usual 0666 less the umask.
int CreateTemporary(const Target& target, std::string& temp) {
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = OwnName(target.path, kPartTag, ::getpid(), attempt);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, target.exists ? 0600 : 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return fd;
  // Where the file system keeps no such attribute, what a killed writer left
  // stays: it is never removed without proof that it is ours.
  [[maybe_unused]] const int marked = ::fsetxattr(fd, kOwnMark, "1", 1, 0);
  if (!target.exists) return fd;
  // The owner only where permitted; the group alone is often allowed.
  [[maybe_unused]] const bool owned = ::fchown(fd, target.st.st_uid, target.st.st_gid) == 0 ||
                                      ::fchown(fd, static_cast<uid_t>(-1), target.st.st_gid) == 0;
  [[maybe_unused]] const int moded = ::fchmod(fd, target.st.st_mode & 07777);
  return fd;
}

// A fault a test asks for at one step of the in-place rewrite, through the
// environment: "kill-after-truncate" ends the process there, "no-space" makes
// the room for the new text fail as on a full disk.
bool FaultAsked(const char* step) {
  const char* asked = std::getenv("OMBREL_TEST_WRITE_FAULT");
  return asked && std::strcmp(asked, step) == 0;
}

// Rewrites a file with several names where it stands. Room for the whole
// text is made first, so a full disk leaves the old text as it was; then the
// file is cut to the new size, written and synced. (A writer killed in
// between leaves its pending copy, which the next writer of the file copies
// in before anything else.)
bool CopyInPlace(const std::string& bytes, const std::string& to, bool faultsAsked) {
  const int fd = ::open(to.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  const off_t size = static_cast<off_t>(bytes.size());
  int reserved = faultsAsked && FaultAsked("no-space") ? ENOSPC : size > 0 ? ::posix_fallocate(fd, 0, size) : 0;
  // A file system without reservations is written as before.
  if (reserved == EOPNOTSUPP || reserved == EINVAL) reserved = 0;
  bool ok = reserved == 0 && ::ftruncate(fd, size) == 0;
  if (reserved != 0) errno = reserved;
  if (ok && faultsAsked && FaultAsked("kill-after-truncate")) ::raise(SIGKILL);
  ok = ok && ::lseek(fd, 0, SEEK_SET) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  const int savedErrno = errno;
  if (::close(fd) != 0 && ok) return false;
  errno = savedErrno;
  return ok;
}

// Holds an exclusive lock on an existing target for the whole write, so that
// writers of one file take turns (each leaves a whole text). The lock is on
// the file itself; should another writer have replaced it by the time the
// lock is held, the new file is locked instead.
class TargetLock {
 public:
  explicit TargetLock(Target& target) {
    for (int attempt = 0; attempt < 100 && target.exists; ++attempt) {
      fd_ = ::open(target.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
      if (fd_ < 0) return;
      int rc;
      while ((rc = ::flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
      }
      struct stat held {}, now {};
      if (rc == 0 && ::fstat(fd_, &held) == 0 && ::stat(target.path.c_str(), &now) == 0 &&
          held.st_dev == now.st_dev && held.st_ino == now.st_ino) {
        target.st = now;
        return;
      }
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~TargetLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  TargetLock(const TargetLock&) = delete;
  TargetLock& operator=(const TargetLock&) = delete;

 private:
  int fd_ = -1;
};

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

namespace {

// The text goes to a marked temporary file beside the target, then takes the
// target's place: by rename, or for a file with several names by a copy into
// it from the pending copy, which stays until the copy is whole.
bool WriteThroughTemporary(const Target& target, const std::string& bytes, std::string& error) {
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
    const std::string pending = temp.substr(0, temp.rfind(kPartTag)) + kPendingTag + temp.substr(temp.rfind(kPartTag) + std::strlen(kPartTag));
    if (::rename(temp.c_str(), pending.c_str()) != 0) {
      error = Reason("cannot write", target.path);
      ::unlink(temp.c_str());
      return false;
    }
    if (CopyInPlace(bytes, target.path, true)) {
      ::unlink(pending.c_str());
      return true;
    }
    error = Reason("cannot write", target.path);
    // Nothing of the old text was touched when there was no room for the new.
    if (errno == ENOSPC || errno == EFBIG || errno == EDQUOT) {
      ::unlink(pending.c_str());
      error += " (the file is as it was)";
    } else {
      error += " (the new text is in " + pending + ")";
    }
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

}  // namespace

bool WriteTextFileAtomically(const std::string& path, const std::string& utf8Text, bool cp932, std::string& error) {
  if (path.empty()) {
    error = "no file name";
    return false;
  }
  const std::string bytes = cp932 ? text::ToCp932(utf8Text) : utf8Text;
  if (path == kStandardOutputName) return WriteStandardOutput(bytes, error);
  Target target;
  if (!ResolveTarget(path, target, error)) return false;
  const TargetLock lock(target);
  TidyAfterEndedWriters(target.path);
  return WriteThroughTemporary(target, bytes, error);
}
