#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

using testsupport::ExpectSameLines;
using testsupport::ReadFile;
using Result = testsupport::RunResult;

Result RunCli(const std::string& args) { return testsupport::RunShell(testsupport::Quote(OMBREL_CLI) + " " + args); }

// A working directory with the built database and the anniversaries fixture.
class WorkDir : public testsupport::ScratchDir {
 public:
  explicit WorkDir(bool withDatabase) : ScratchDir(withDatabase ? "ombrel-day-a" : "ombrel-day-b") {
    if (withDatabase) CopyDatabase();
    fs::copy_file(fs::path(OMBREL_FIXTURES) / "signs" / "kinenbi-cp932.dat", File("kinenbi.dat"),
                  fs::copy_options::overwrite_existing);
  }
  std::string Arg() const { return "--workdir " + testsupport::Quote(Path()); }
};

}  // namespace

// The whole output for a fixed moment, byte for byte.
TEST(DayCommand, GoldenOutput) {
  WorkDir wd(true);
  // Across the calendar table: its first years, the last Julian day, the
  // first year of the Western calendar, 2033's leap eleventh month, today.
  for (const char* date : {"2005-01-31 12", "2000-01-01 0", "-660-02-11 12", "1582-10-04 12", "1873-01-01 12",
                           "2033-12-22 12", "2026-12-10 12"}) {
    SCOPED_TRACE(date);
    std::string name = std::string("day-") + std::string(date).substr(0, 10) + ".txt";
    Result r = RunCli(wd.Arg() + " day " + date);
    EXPECT_EQ(r.status, 0);
    ExpectSameLines(r.out, ReadFile(fs::path(OMBREL_FIXTURES) / "view" / name));
  }
}

TEST(DayCommand, ExitStatuses) {
  WorkDir wd(true);
  WorkDir empty(false);
  struct Case {
    std::string args;
    int status;
  } cases[] = {
      {wd.Arg() + " day", 0},
      {wd.Arg() + " day 2005-13-01", 2},
      {wd.Arg() + " day 2005-01-31 25", 2},
      {wd.Arg() + " day 2005-01-31 noon", 2},
      {wd.Arg() + " day 2005-01-31 12 3", 2},
      {empty.Arg() + " day 2005-01-31", 1},  // no calendar database
  };
  for (const Case& c : cases) EXPECT_EQ(RunCli(c.args).status, c.status) << c.args;
}
