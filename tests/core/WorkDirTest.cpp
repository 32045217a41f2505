#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/WorkDir.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {
// Each case runs in a fresh sandbox: a start directory, a fake program
// directory holding a database, and a fake XDG data home.
struct Sandbox {
  const testsupport::ScratchDir scratch{"ombrel-wd"};
  const fs::path root = scratch.Path();
  const fs::path start = root / "start", bin = root / "bin", xdg = root / "xdg";
  const testsupport::ScopedEnvironment dataHome{"XDG_DATA_HOME", xdg.string()};
  const fs::path saved = fs::current_path();
  Sandbox() {
    fs::create_directories(start);
    fs::create_directories(bin);
    std::ofstream(bin / "History.mdb") << "db";
    fs::current_path(start);
  }
  ~Sandbox() { fs::current_path(saved); }
};
}  // namespace

TEST(WorkDir, ChoosesCurrentThenDataDirectoryCopyingTheDatabase) {
  Sandbox s;
  // No database here: the data directory is made and the database copied in.
  workdir::Choice c = workdir::Enter("", (s.bin / "ombrel").string());
  EXPECT_EQ(c.warning, "");
  EXPECT_EQ(fs::path(c.dir), s.xdg / "ombrel");
  EXPECT_EQ(fs::current_path(), s.xdg / "ombrel");
  EXPECT_TRUE(fs::exists(s.xdg / "ombrel" / "History.mdb"));
  EXPECT_FALSE(fs::exists(s.xdg / "ombrel" / "History.mdb.tmp"));
  // A relative output path still means the directory the user started in.
  EXPECT_EQ(fs::path(workdir::FromStartDirectory("out.csv")), s.start / "out.csv");

  // A start directory that holds a database is kept.
  fs::current_path(s.start);
  std::ofstream(s.start / "History.mdb") << "mine";
  c = workdir::Enter("", (s.bin / "ombrel").string());
  EXPECT_EQ(fs::path(c.dir), s.start);
  EXPECT_FALSE(c.changed);
}

TEST(WorkDir, ExplicitDirectoryAndFailuresAreReported) {
  Sandbox s;
  workdir::Choice c = workdir::Enter((s.root / "missing").string(), (s.bin / "ombrel").string());
  EXPECT_NE(c.warning, "");
  EXPECT_EQ(fs::current_path(), s.start);

  c = workdir::Enter(s.bin.string(), (s.bin / "ombrel").string());
  EXPECT_EQ(c.warning, "");
  EXPECT_EQ(fs::current_path(), s.bin);

  // Nowhere to copy a database from: the directory is still made and entered,
  // and the user hears why the almanac will lack its calendar.
  fs::current_path(s.start);
  c = workdir::Enter("", (s.root / "nowhere" / "ombrel").string());
  EXPECT_NE(c.warning.find("History.mdb"), std::string::npos);
}
