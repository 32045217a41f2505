// Writing an output file: what may stand at its name, what a rewrite keeps of
// the old file (mode, owner, hard links), and the temporary files that killed
// writers leave behind.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "core/Files.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

struct stat Lstat(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st;
}

// A process id that has just ended (its parent reaped it).
pid_t EndedProcessId() {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return pid;
}

bool MakeSocket(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (fd < 0 || path.size() >= sizeof addr.sun_path) return false;
  std::strcpy(addr.sun_path, path.c_str());
  const bool made = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  ::close(fd);
  return made;
}

// The names in the directory other than `keep`.
std::vector<std::string> Others(const std::string& dir, const std::string& keep) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().filename() != keep) names.push_back(e.path().filename().string());
  return names;
}

}  // namespace

// Whatever is not a regular file (or a missing name) is refused, named in one
// line with the reason, and left exactly as it was.
TEST(WriteTextFile, RefusesWhatIsNotARegularFile) {
  const testsupport::ScratchDir dir{"ombrel-files"};
  struct Case {
    const char* name;
    std::function<bool(const std::string&)> make;  // false: this machine cannot make it (skipped)
    const char* why;
  };
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  const Case cases[] = {
      {"device", [](const std::string& p) { return ::mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0; },
       "a device, not a regular file"},
      {"pipe", [](const std::string& p) { return ::mkfifo(p.c_str(), 0644) == 0; }, "a named pipe (FIFO), not a regular file"},
      {"socket", MakeSocket, "a socket, not a regular file"},
      {"directory", [](const std::string& p) { return fs::create_directory(p); }, "a directory, not a regular file"},
      {"dangling", [&](const std::string& p) { return ::symlink((dir.Path() + "/nowhere/x.csv").c_str(), p.c_str()) == 0; },
       "a symbolic link to a missing file"},
      {"to-pipe", [&](const std::string& p) { return ::symlink(fifo.c_str(), p.c_str()) == 0; },
       "a symbolic link to a named pipe (FIFO), not a regular file"},
  };
  for (const Case& c : cases) {
    const std::string path = dir.File(c.name);
    if (!c.make(path)) {
      std::printf("(%s: cannot be made here, skipped)\n", c.name);
      continue;
    }
    const struct stat before = Lstat(path);
    std::string error;
    EXPECT_FALSE(WriteTextFileAtomically(path, "a,b\n", false, error)) << c.name;
    EXPECT_EQ(error, "cannot write " + path + ": " + c.why) << c.name;
    const struct stat after = Lstat(path);
    EXPECT_EQ(after.st_mode, before.st_mode) << c.name;
    EXPECT_EQ(after.st_ino, before.st_ino) << c.name;
  }
  // Nothing was made beside them either.
  for (const std::string& name : Others(dir.Path(), ""))
    EXPECT_EQ(name.find(".~ombrel-"), std::string::npos) << name;
}

TEST(WriteTextFile, WritesNewNamesAndThroughLinksToFiles) {
  const testsupport::ScratchDir dir{"ombrel-files"};
  std::string error;
  ASSERT_TRUE(WriteTextFileAtomically(dir.File("new.csv"), "new\n", false, error)) << error;
  EXPECT_EQ(testsupport::ReadFile(dir.File("new.csv")), "new\n");

  const std::string real = dir.Write("real.csv", "old\n");
  ASSERT_EQ(::symlink("real.csv", dir.File("link.csv").c_str()), 0);
  ASSERT_TRUE(WriteTextFileAtomically(dir.File("link.csv"), "through\n", false, error)) << error;
  EXPECT_TRUE(fs::is_symlink(dir.File("link.csv")));
  EXPECT_EQ(testsupport::ReadFile(real), "through\n");

  EXPECT_FALSE(WriteTextFileAtomically(dir.File("no/such/dir.csv"), "x\n", false, error));
  EXPECT_NE(error.find("no/such/dir.csv"), std::string::npos) << error;
}

// A rewrite keeps the permission bits of the file it replaces (and its owner
// and group where the process may set them).
TEST(WriteTextFile, RewriteKeepsModeAndOwner) {
  const testsupport::ScratchDir dir{"ombrel-files"};
  const bool root = ::geteuid() == 0;
  for (const mode_t mode : {0600, 0640, 0604, 0660, 0755}) {
    const std::string path = dir.Write("out.csv", "old\n");
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    const uid_t owner = root ? 4242 : ::geteuid();
    const gid_t group = root ? 4343 : ::getegid();
    if (root) {
      ASSERT_EQ(::chown(path.c_str(), owner, group), 0);
    }
    std::string error;
    ASSERT_TRUE(WriteTextFileAtomically(path, "new\n", false, error)) << error;
    const struct stat st = Lstat(path);
    EXPECT_EQ(st.st_mode & 07777, mode) << std::oct << mode;
    EXPECT_EQ(st.st_uid, owner);
    EXPECT_EQ(st.st_gid, group);
    EXPECT_EQ(testsupport::ReadFile(path), "new\n");
    fs::remove(path);
  }
}

// A file with several names is rewritten where it stands: every name shows the
// new text, as a plain save would.
TEST(WriteTextFile, RewriteWritesThroughHardLinks) {
  const testsupport::ScratchDir dir{"ombrel-files"};
  const std::string first = dir.Write("first.csv", "a much longer old text\n");
  const std::string second = dir.File("second.csv");
  ASSERT_EQ(::link(first.c_str(), second.c_str()), 0);
  const ino_t inode = Lstat(first).st_ino;
  for (const auto& [path, text] : {std::pair{first, std::string("new\n")}, std::pair{second, std::string("newer\n")}}) {
    std::string error;
    ASSERT_TRUE(WriteTextFileAtomically(path, text, false, error)) << error;
    EXPECT_EQ(testsupport::ReadFile(first), text);
    EXPECT_EQ(testsupport::ReadFile(second), text);
    EXPECT_EQ(Lstat(first).st_ino, inode);
    EXPECT_EQ(Lstat(first).st_nlink, 2u);
  }
  EXPECT_EQ(Others(dir.Path(), "").size(), 2u);  // no temporary copy left
}

// Files of this writer that a killed one left beside the target go with the
// next write: only those that bear its mark and whose process has ended.
// Those of a running writer, of another file, and a user's files of like
// names stay.
TEST(WriteTextFile, NextWriteRemovesWhatKilledWritersLeft) {
  const testsupport::ScratchDir dir{"ombrel-files"};
  const std::string ended = std::to_string(EndedProcessId());
  const std::string running = std::to_string(::getppid());
  const auto marked = [&](const std::string& name) {
    const std::string path = dir.Write(name, "half");
    ASSERT_EQ(::setxattr(path.c_str(), "user.ombrel.temporary", "1", 1, 0), 0) << std::strerror(errno);
  };
  const std::string stale[] = {"out.csv.~ombrel-part-" + ended + "-0", "out.csv.~ombrel-part-" + ended + "-17"};
  const std::string keptMarked[] = {"out.csv.~ombrel-part-" + running + "-0", "other.csv.~ombrel-part-" + ended + "-0"};
  const std::string keptPlain[] = {"out.csv.~ombrel-part-" + ended + "-1", "out.csv.tmp" + ended + "-0",
                                   "out.csv.~ombrel-part-x-1"};
  for (const std::string& name : stale) marked(name);
  for (const std::string& name : keptMarked) marked(name);
  for (const std::string& name : keptPlain) dir.Write(name, "keep");
  std::string error;
  ASSERT_TRUE(WriteTextFileAtomically(dir.File("out.csv"), "new\n", false, error)) << error;
  for (const std::string& name : stale) EXPECT_FALSE(fs::exists(dir.File(name))) << name;
  for (const std::string& name : keptMarked) EXPECT_TRUE(fs::exists(dir.File(name))) << name;
  for (const std::string& name : keptPlain) EXPECT_TRUE(fs::exists(dir.File(name))) << name;
}
