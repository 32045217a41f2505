// What ombrel-cli says when it refuses or warns: one English line that names
// the argument or file and the reason.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <iterator>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using testsupport::Describe;
using testsupport::RunResult;
using testsupport::ScratchDir;

RunResult RunIn(const ScratchDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), {"--workdir", dir.Path()});
  return testsupport::RunCli(args, testsupport::kRunLimit, dir.Path());
}

bool English(const std::string& text) {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return true;
}

// Each refused argument is named with why: its form, or the range it left.
TEST(Messages, RefusedArgumentsSayWhy) {
  const ScratchDir dir{"messages"};
  dir.CopyDatabase();
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> said;
  } cases[] = {
      {{"ics", "2024x", "--output", "-"}, {"not a year 1583 to 2100: '2024x' is not of the form a whole number"}},
      {{"holidays", "2024.5"}, {"not a year 1948 to 2100: '2024.5' has a fraction"}},
      {{"holidays", "2101"}, {"not a year 1948 to 2100: '2101' is out of range"}},
      {{"astrodata", "100000", "--output", "-"}, {"not a year -99999 to 99999: '100000' is out of range"}},
      {{"eclipses", "3001"}, {"'3001' is out of range"}},
      {{"yearlist", "2042", "--output", "y.csv"}, {"not a year -666 to 2041: '2042' is out of range"}},
      {{"terms", "３"}, {"'３' has characters other than ASCII digits"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    const RunResult r = RunIn(dir, c.args);
    EXPECT_EQ(r.status, 2) << Describe(r);
    for (const std::string& s : c.said) EXPECT_NE(r.err.find(s), std::string::npos) << r.err;
  }
}

// Standard output that cannot take the text is a failure, whatever printed it.
TEST(Messages, UnwritableStandardOutputFails) {
  for (const char* args : {"--help", "--version", "terms --help", "terms 2024"}) {
    const RunResult r = testsupport::RunShell(testsupport::Quote(OMBREL_CLI) + " " + std::string(args) + " >/dev/full");
    EXPECT_EQ(r.status, 1) << args << Describe(r);
    EXPECT_NE(r.err.find("cannot write to standard output"), std::string::npos) << r.err;
  }
}

// Warnings name what they concern; years inside a series' span have none.
TEST(Messages, WarningsNameTheirSubject) {
  const ScratchDir dir{"messages"};
  dir.CopyDatabase();
  const RunResult eclipses2100 = RunIn(dir, {"eclipses", "2100"});
  EXPECT_EQ(eclipses2100.status, 0);
  EXPECT_EQ(eclipses2100.err, "");
  const RunResult eclipses2101 = RunIn(dir, {"eclipses", "2101"});
  EXPECT_NE(eclipses2101.err.find("1900-2100 only; the eclipses' moments are extrapolated"), std::string::npos)
      << eclipses2101.err;
  // A planet the series gives no place for prints no "nan".
  const RunResult far = RunIn(dir, {"--precise", "bodies", "-999999-1-1"});
  EXPECT_EQ(far.status, 0) << Describe(far);
  EXPECT_EQ(far.out.find("nan"), std::string::npos) << far.out;
  EXPECT_NE(far.out.find("水星 --:--:-- --:--:-- --:--:--      ---"), std::string::npos) << far.out;
  // An ombrel.dat line past the reader's limit is cut with a warning naming it.
  dir.Write("ombrel.dat", "135.5" + std::string(100, '0') + "\n34.7\n");
  const RunResult longLine = RunIn(dir, {"day", "2024-02-10"});
  EXPECT_EQ(longLine.status, 0);
  EXPECT_NE(longLine.err.find("ombrel.dat line 1: longer than 99 bytes"), std::string::npos) << longLine.err;
}

// A damaged calendar database is named in English, whichever reader met it.
TEST(Messages, DatabaseErrorsNameTheFile) {
  const ScratchDir dir{"messages"};
  const std::string db = dir.CopyDatabase();
  // The months of lunisolar 1800 broken off in the middle, and the file cut short.
  sqlite3* handle = nullptr;
  ASSERT_EQ(sqlite3_open(db.c_str(), &handle), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(handle, "DELETE FROM Kyuureki WHERE 西暦 = 1800 AND 月 = 6", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(handle);
  const RunResult gap = RunIn(dir, {"yearlist", "1800", "--output", "y.csv"});
  EXPECT_EQ(gap.status, 1) << Describe(gap);
  EXPECT_TRUE(English(gap.err)) << gap.err;
  EXPECT_NE(gap.err.find("History.mdb"), std::string::npos) << gap.err;
  EXPECT_NE(gap.err.find("table Kyuureki"), std::string::npos) << gap.err;
  fs::resize_file(db, fs::file_size(db) / 2);
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"lunar", "2030-02-10"}, {"western", "2030", "1", "1"}, {"day", "2030-02-10"}}) {
    const RunResult r = RunIn(dir, args);
    EXPECT_EQ(r.status, 1) << args[0] << Describe(r);
    EXPECT_NE(r.err.find("History.mdb"), std::string::npos) << r.err;
  }
}

// --workdir names a directory to keep the files in: an empty one is given
// the database as the default directory is (also to programs started on it
// together); one that cannot be is named in the message.
TEST(Messages, WorkdirIsSeededOrNamed) {
  const ScratchDir dir{"messages"};
  fs::create_directory(dir.File("empty"));
  dir.Write("file", "x");
  fs::create_directory(dir.File("other"));
  dir.Write("other/notes.txt", "mine");
  const std::string fresh = dir.File("empty");
  const std::vector<testsupport::Invocation> together(
      6, testsupport::Invocation{{OMBREL_CLI, "--workdir", fresh, "lunar", "2024-02-10"}, ""});
  for (const RunResult& r : testsupport::RunAll(together, testsupport::kRunLimit, 6)) {
    EXPECT_EQ(r.status, 0) << Describe(r);
    EXPECT_EQ(r.out, "　1月1日\n");
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(fresh), fs::directory_iterator()), 1) << "one database, no copies left";
  for (const std::string& refused : {dir.File("other"), dir.File("file"), dir.File("file/sub"), dir.File("new")}) {
    const RunResult r = testsupport::RunCli({"--workdir", refused, "lunar", "2024-02-10"});
    EXPECT_EQ(r.status, 1) << refused << Describe(r);
    EXPECT_NE(r.err.find(refused), std::string::npos) << r.err;
  }
  EXPECT_FALSE(fs::exists(dir.File("other/History.mdb")));
  EXPECT_FALSE(fs::exists(dir.File("new")));
  EXPECT_EQ(testsupport::ReadFile(dir.File("other/notes.txt")), "mine");
}

}  // namespace
