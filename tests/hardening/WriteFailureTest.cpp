// Nothing lost: every file the almanac writes ("ombrel.dat", the year list's
// and the yearly data's CSV files) replaces the old one whole or not at all,
// and a write that fails says so.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "HardeningSupport.h"
#include "almanac/Settings.h"

using namespace hardening;

namespace {

// One of the program's writers: writes `path` in `dir` and returns whether it
// says it succeeded, with its reason in `error`.
struct Writer {
  const char* name;
  std::function<bool(const WorkDir& dir, const std::string& path, std::string& error)> write;
};

bool ByCli(const WorkDir& dir, std::vector<std::string> args, std::string& error) {
  CliRun r = RunCli(dir, args);
  error = r.err;
  EXPECT_TRUE(r.status == 0 || r.status == 1) << Describe(r);
  if (r.status != 0) {
    EXPECT_TRUE(IsOneLineError(r.err)) << r.err;
  }
  return r.status == 0;
}

const std::vector<Writer>& Writers() {
  static const std::vector<Writer> writers = {
      {"settings",
       [](const WorkDir&, const std::string& path, std::string& error) {
         SettingsRecord s;
         s.m_strLongitude = "135.0";
         return SaveSettings(s, error, path.c_str());
       }},
      {"year list file",
       [](const WorkDir& dir, const std::string& path, std::string& error) {
         return ByCli(dir, {"yearlist", "2024", "--output", path}, error);
       }},
      {"yearly data file",
       [](const WorkDir& dir, const std::string& path, std::string& error) {
         return ByCli(dir, {"astrodata", "2024", "--output", path}, error);
       }},
  };
  return writers;
}

// The names in a directory, sorted.
std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

// A good write replaces the old file through a link and leaves nothing else.
TEST(NothingLost, WritesReplaceTheOldFileWhole) {
  for (const Writer& w : Writers()) {
    SCOPED_TRACE(w.name);
    WorkDir dir("write");
    dir.CopyDatabase();
    fs::create_directory(dir.File("out"));
    dir.Write("out/target.txt", "old contents\n");
    fs::create_symlink("target.txt", dir.File("out/link.txt"));
    std::string error;
    ASSERT_TRUE(w.write(dir, dir.File("out/link.txt"), error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir.File("out/link.txt")));
    const std::string written = ReadFile(dir.File("out/target.txt"));
    EXPECT_NE(written, "old contents\n");
    EXPECT_EQ(written.back(), '\n');
    EXPECT_EQ(Names(dir.File("out")), (std::vector<std::string>{"link.txt", "target.txt"}));
  }
}

// A write that cannot be made says so, and the old file (or whatever stands
// in its place) stays as it was, with no temporary file left behind.
TEST(NothingLost, FailedWritesSaySoAndKeepTheOldFile) {
  struct Fault {
    const char* name;
    std::function<void(const WorkDir& dir)> make;  // prepares dir/out/file
    bool needsUnprivileged;                         // permissions do not bind root
  };
  const std::vector<Fault> faults = {
      {"read-only directory",
       [](const WorkDir& dir) {
         dir.Write("out/file", "old contents\n");
         fs::permissions(dir.File("out"), fs::perms::owner_read | fs::perms::owner_exec);
       },
       true},
      {"read-only file",
       [](const WorkDir& dir) {
         dir.Write("out/file", "old contents\n");
         fs::permissions(dir.File("out/file"), fs::perms::owner_read);
       },
       true},
      {"directory in the file's place", [](const WorkDir& dir) { fs::create_directory(dir.File("out/file")); },
       false},
      {"missing directory", [](const WorkDir& dir) { fs::remove_all(dir.File("out")); }, false},
  };
  for (const Fault& f : faults) {
    if (f.needsUnprivileged && ::geteuid() == 0) continue;
    for (const Writer& w : Writers()) {
      SCOPED_TRACE(std::string(w.name) + ", " + f.name);
      WorkDir dir("fail");
      dir.CopyDatabase();
      fs::create_directory(dir.File("out"));
      f.make(dir);
      const bool existed = fs::exists(dir.File("out"));
      const std::vector<std::string> before = existed ? Names(dir.File("out")) : std::vector<std::string>{};
      const std::string old = fs::is_regular_file(dir.File("out/file")) ? ReadFile(dir.File("out/file")) : "";
      std::string error;
      EXPECT_FALSE(w.write(dir, dir.File("out/file"), error));
      EXPECT_NE(error.find("out/file"), std::string::npos) << "the reason names the file: " << error;
      if (!existed) continue;
      fs::permissions(dir.File("out"), fs::perms::owner_all, fs::perm_options::add);
      EXPECT_EQ(Names(dir.File("out")), before);
      if (fs::is_regular_file(dir.File("out/file"))) {
        EXPECT_TRUE(ReadFile(dir.File("out/file")) == old) << "the old file changed";
      }
      EXPECT_EQ(fs::is_directory(dir.File("out/file")), std::string(f.name) == "directory in the file's place");
    }
  }
  // Permissions do not bind the superuser, but the kernel's own directory
  // refuses every writer.
  if (::geteuid() != 0 || !fs::is_directory("/sys")) return;
  for (const Writer& w : Writers()) {
    SCOPED_TRACE(std::string(w.name) + " in /sys");
    WorkDir dir("sys");
    dir.CopyDatabase();
    const std::string target = "/sys/ombrel-hardening.csv";
    std::string error;
    EXPECT_FALSE(w.write(dir, target, error));
    EXPECT_NE(error.find(target), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(target));
  }
}

// The yearly data file first rewrites the Memory table in one transaction: a
// table it cannot finish leaves the database file as it was, and no file.
TEST(NothingLost, MemoryRewriteIsOneTransaction) {
  WorkDir dir("memory");
  dir.CopyDatabase();
  CliRun r = RunCli(dir, {"astrodata", "2023", "--output", dir.File("a.csv")});
  ASSERT_EQ(r.status, 0) << Describe(r);
  // Without row 300 the rewrite of the rows before it must be rolled back.
  ExecSql(dir.File("History.mdb"), "DELETE FROM [Memory] WHERE [ID]=300;");
  const std::string before = ReadFile(dir.File("History.mdb"));
  r = RunCli(dir, {"astrodata", "2024", "--output", dir.File("b.csv")});
  EXPECT_EQ(r.status, 1) << Describe(r);
  EXPECT_TRUE(IsOneLineError(r.err)) << r.err;
  EXPECT_TRUE(ReadFile(dir.File("History.mdb")) == before) << "the Memory table changed";
  EXPECT_FALSE(fs::exists(dir.File("b.csv")));
}

// Programs started together on a first run each copy the calendar database
// into the user's data directory: every one of them works on a whole copy,
// and one whole database is left, with no temporary file beside it.
TEST(NothingLost, FirstRunsTogetherShareOneWholeDatabase) {
  WorkDir dir("firstrun");
  const std::string data = dir.File("data");
  const testsupport::ScopedEnvironment dataHome("XDG_DATA_HOME", data);
  const std::vector<std::vector<std::string>> runs(6, {"day", "2024-06-15", "12"});
  for (int round = 0; round < 5; ++round) {
    fs::remove_all(data);
    for (const CliRun& r : RunCliAll(dir, runs, std::chrono::seconds(30), 6, false)) {
      EXPECT_EQ(r.status, 0) << Describe(r);
      EXPECT_EQ(r.err, "");
    }
    EXPECT_EQ(Names(data + "/ombrel"), std::vector<std::string>{"History.mdb"});
    EXPECT_TRUE(ReadFile(data + "/ombrel/History.mdb") == ReadFile(OMBREL_DB_PATH));
  }
}
