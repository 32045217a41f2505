// What the commands that write a file do with what their --output names: a
// device, pipe, directory or dangling link is refused and left alone, "-" is
// standard output, and a rewrite keeps the old file's mode, its other names
// and no stale temporary files.
#include <gtest/gtest.h>
#include <sys/xattr.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

using Args = std::vector<std::string>;

// The three commands whose output is one file, each with its year.
const std::string kCommands[] = {"yearlist 2024", "astrodata 2024", "ics 2024"};

Args CommandArgs(const testsupport::ScratchDir& dir, const std::string& command, const std::string& output) {
  Args args = {OMBREL_CLI, "--workdir", dir.Path()};
  const std::size_t blank = command.find(' ');
  args.push_back(command.substr(0, blank));
  args.push_back(command.substr(blank + 1));
  args.push_back("--output");
  args.push_back(output);
  return args;
}

struct stat Lstat(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st;
}

// The lines of an iCalendar text without its stamp of the moment of writing.
std::string WithoutStamps(const std::string& text) {
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    if (text.compare(at, 8, "DTSTAMP:") != 0) out += text.substr(at, end - at);
    at = end;
  }
  return out;
}

}  // namespace

TEST(Output, RefusesWhatIsNotARegularFileAndLeavesItAlone) {
  const testsupport::ScratchDir dir{"ombrel-output"};
  dir.CopyDatabase();
  struct Fixture {
    const char* name;
    std::function<bool(const std::string&)> make;  // false: cannot be made here (skipped)
    const char* why;
  };
  const Fixture fixtures[] = {
      {"device", [](const std::string& p) { return ::mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0; },
       "a device, not a regular file"},
      {"pipe", [](const std::string& p) { return ::mkfifo(p.c_str(), 0644) == 0; },
       "a named pipe (FIFO), not a regular file"},
      {"directory", [](const std::string& p) { return fs::create_directory(p); }, "a directory, not a regular file"},
      {"dangling", [](const std::string& p) { return ::symlink("gone/x.csv", p.c_str()) == 0; },
       "a symbolic link to a missing file"},
  };
  std::vector<testsupport::Invocation> runs;
  std::vector<std::string> paths, whys;
  for (const auto& command : kCommands)
    for (const Fixture& f : fixtures) {
      const std::string path = dir.File(std::string(f.name) + "-" + command.substr(0, command.find(' ')));
      if (!f.make(path)) {
        std::printf("(%s: cannot be made here, skipped)\n", f.name);
        continue;
      }
      runs.push_back({CommandArgs(dir, command, path), ""});
      paths.push_back(path);
      whys.push_back(f.why);
    }
  const auto before = [&] {
    std::vector<struct stat> st;
    for (const std::string& p : paths) st.push_back(Lstat(p));
    return st;
  }();
  const std::vector<testsupport::RunResult> results = testsupport::RunAll(runs, testsupport::kRunLimit, 2);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    SCOPED_TRACE(paths[i]);
    EXPECT_EQ(results[i].status, 1) << testsupport::Describe(results[i]);
    EXPECT_EQ(results[i].err, "ombrel-cli: cannot write " + paths[i] + ": " + whys[i] + "\n");
    EXPECT_EQ(results[i].out, "");
    const struct stat after = Lstat(paths[i]);
    EXPECT_EQ(after.st_mode, before[i].st_mode);
    EXPECT_EQ(after.st_ino, before[i].st_ino);
  }
}

// "-" writes the file's text to standard output; an empty name is a usage
// error, not a failure to write.
TEST(Output, DashIsStandardOutputAndAnEmptyNameIsUsage) {
  const testsupport::ScratchDir dir{"ombrel-output"};
  dir.CopyDatabase();
  for (const auto& command : kCommands) {
    SCOPED_TRACE(command);
    const std::string file = dir.File("out");
    const testsupport::RunResult toFile = testsupport::Run(CommandArgs(dir, command, file));
    ASSERT_EQ(toFile.status, 0) << testsupport::Describe(toFile);
    const testsupport::RunResult toOut = testsupport::Run(CommandArgs(dir, command, "-"));
    ASSERT_EQ(toOut.status, 0) << testsupport::Describe(toOut);
    EXPECT_EQ(toOut.err, "");
    EXPECT_FALSE(fs::exists(dir.File("-")));
    EXPECT_EQ(WithoutStamps(toOut.out), WithoutStamps(testsupport::ReadFile(file)));
    EXPECT_GT(toOut.out.size(), 1000u);

    const testsupport::RunResult empty = testsupport::Run(CommandArgs(dir, command, ""));
    EXPECT_EQ(empty.status, 2) << testsupport::Describe(empty);
    EXPECT_EQ(empty.err.find('\n'), empty.err.size() - 1) << empty.err;
    EXPECT_NE(empty.err.find("--output"), std::string::npos) << empty.err;
  }
}

// A rewrite keeps the file's permission bits, writes through to its other
// hard link as a plain save does, and clears the temporary files a killed
// writer left beside it.
TEST(Output, RewriteKeepsModeAndLinksAndClearsStaleTemporaries) {
  const testsupport::ScratchDir dir{"ombrel-output"};
  dir.CopyDatabase();
  const pid_t ended = ::fork();
  if (ended == 0) ::_exit(0);
  ::waitpid(ended, nullptr, 0);
  std::vector<testsupport::Invocation> runs;
  for (const auto& command : kCommands) {
    const std::string name = command.substr(0, command.find(' '));
    const std::string path = dir.Write(name + ".out", "old\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(::link(path.c_str(), dir.File(name + ".other").c_str()), 0);
    const std::string left = dir.Write(name + ".out.~ombrel-part-" + std::to_string(ended) + "-0", "half a file");
    ASSERT_EQ(::setxattr(left.c_str(), "user.ombrel.temporary", "1", 1, 0), 0);
    runs.push_back({CommandArgs(dir, command, path), ""});
  }
  const std::vector<testsupport::RunResult> results = testsupport::RunAll(runs, testsupport::kRunLimit, 2);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const std::string name = kCommands[i].substr(0, kCommands[i].find(' '));
    SCOPED_TRACE(name);
    ASSERT_EQ(results[i].status, 0) << testsupport::Describe(results[i]);
    const std::string path = dir.File(name + ".out");
    const std::string text = testsupport::ReadFile(path);
    EXPECT_GT(text.size(), 1000u);
    EXPECT_EQ(testsupport::ReadFile(dir.File(name + ".other")), text);
    EXPECT_EQ(Lstat(path).st_mode & 07777, 0640u);
    EXPECT_EQ(Lstat(path).st_nlink, 2u);
    EXPECT_FALSE(fs::exists(dir.File(name + ".out.~ombrel-part-" + std::to_string(ended) + "-0")));
  }
}
