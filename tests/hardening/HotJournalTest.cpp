// A writer killed in the middle of its transaction, after it wrote into the
// calendar database and before it removed its journal: every reader still
// answers as from the file before the write, whether or not it may write
// there itself, and a read-only place is named as what it is.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "HardeningSupport.h"

using namespace hardening;

namespace {

const std::vector<std::vector<std::string>> kReaders = {
    {"lunar", "2024-02-20"},
    {"western", "2024", "1", "11"},
    {"day", "2024-02-20", "12"},
    {"yearlist", "2024", "--output", "yearlist.csv"},
};

// A child process changes every lunisolar month and the yearly texts with a
// one-page cache, so the changed pages go into the file (after the journal
// holding the old ones is made whole), and is killed before it commits.
void KillWriterBeforeCommit(const std::string& path) {
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA cache_size = 1; BEGIN IMMEDIATE; UPDATE Kyuureki SET 旧暦 = 0; UPDATE Memory SET 節気 = 'x', 月相 = 'y';",
                 nullptr, nullptr, nullptr);
    ::raise(SIGKILL);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
}

// The run of the built tool as a user who may not write the scratch files
// (root writes everywhere, so it runs as nobody), with its own TMPDIR.
std::vector<std::string> AsReader(const std::string& tmpdir, const std::vector<std::string>& args, const WorkDir& dir) {
  std::vector<std::string> argv = {"/usr/bin/env", "TMPDIR=" + tmpdir};
  if (::geteuid() == 0) argv.insert(argv.end(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
  argv.insert(argv.end(), {OMBREL_CLI, "--workdir", dir.Path()});
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

std::vector<CliRun> RunAsReader(const WorkDir& dir, const std::string& tmpdir,
                                const std::vector<std::vector<std::string>>& argLists) {
  std::vector<testsupport::Invocation> invocations;
  for (const auto& args : argLists) invocations.push_back({AsReader(tmpdir, args, dir), dir.Path()});
  return testsupport::RunAll(invocations, testsupport::kRunLimit, 2);
}

}  // namespace

TEST(HotJournal, ReadersRollAKilledWriteBack) {
  WorkDir good("journal_good");
  good.CopyDatabase();
  const std::vector<CliRun> expected = RunCliAll(good, kReaders);
  WorkDir dir("journal");
  const std::string path = dir.CopyDatabase();
  KillWriterBeforeCommit(path);
  ASSERT_TRUE(fs::exists(path + "-journal")) << "the killed writer leaves its journal";
  ASSERT_NE(ReadFile(path), ReadFile(good.File("History.mdb"))) << "and a half-written file";

  const std::vector<CliRun> got = RunCliAll(dir, kReaders, testsupport::kRunLimit, 1);
  for (std::size_t i = 0; i < got.size(); ++i) {
    SCOPED_TRACE(kReaders[i][0]);
    EXPECT_EQ(got[i].status, 0) << Describe(got[i]);
    EXPECT_EQ(got[i].out, expected[i].out);
  }
  EXPECT_EQ(ReadFile(dir.File("yearlist.csv")), ReadFile(good.File("yearlist.csv")));
  EXPECT_FALSE(fs::exists(path + "-journal")) << "the first reader rolled the write back";
  EXPECT_EQ(ReadFile(path).size(), ReadFile(good.File("History.mdb")).size());
}

// Where the readers may not write, they read a private copy rolled back, and
// leave the file, its journal and their temporary directory as they found them.
TEST(HotJournal, ReadersInAReadOnlyPlaceReadPastIt) {
  WorkDir good("journal_ro_good");
  good.CopyDatabase();
  const std::vector<CliRun> expected = RunCliAll(good, {kReaders[0], kReaders[1], kReaders[2]});
  WorkDir dir("journal_ro");
  WorkDir tmp("journal_ro_tmp");
  ::chmod(tmp.Path().c_str(), 01777);
  const std::string path = dir.CopyDatabase();
  KillWriterBeforeCommit(path);
  const std::string damaged = ReadFile(path), journal = ReadFile(path + "-journal");
  ::chmod(path.c_str(), 0444);
  ::chmod(dir.Path().c_str(), 0555);

  const std::vector<CliRun> got = RunAsReader(dir, tmp.Path(), {kReaders[0], kReaders[1], kReaders[2]});
  ::chmod(dir.Path().c_str(), 0755);
  for (std::size_t i = 0; i < got.size(); ++i) {
    SCOPED_TRACE(kReaders[i][0]);
    EXPECT_EQ(got[i].status, 0) << Describe(got[i]);
    EXPECT_EQ(got[i].out, expected[i].out);
  }
  EXPECT_EQ(ReadFile(path), damaged);
  EXPECT_EQ(ReadFile(path + "-journal"), journal);
  EXPECT_TRUE(fs::is_empty(tmp.Path())) << "the private copies are removed";
}

// A write refused by a read-only directory says so, not "a read-only database".
TEST(HotJournal, AReadOnlyDirectoryIsNamed) {
  WorkDir dir("journal_rodir");
  WorkDir tmp("journal_rodir_tmp");
  ::chmod(tmp.Path().c_str(), 01777);
  const std::string path = dir.CopyDatabase();
  ::chmod(path.c_str(), 0666);
  ::chmod(dir.Path().c_str(), 0555);
  const CliRun r = RunAsReader(dir, tmp.Path(), {{"astrodata", "2024", "--output", tmp.File("a.csv")}}).front();
  ::chmod(dir.Path().c_str(), 0755);
  EXPECT_EQ(r.status, 1) << Describe(r);
  EXPECT_TRUE(IsOneLineError(r.err)) << r.err;
  EXPECT_NE(r.err.find("the directory " + dir.Path() + " is read-only"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("readonly database"), std::string::npos) << r.err;
}

