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
  // first year of the Western calendar, 2033's leap eleventh month, today;
  // and years whose lists (1 January and the 366 days after it) end with
  // events of the next January.
  for (const char* date : {"2005-01-31 12", "2000-01-01 0", "-660-02-11 12", "1582-10-04 12", "1873-01-01 12",
                           "2033-12-22 12", "2026-12-10 12", "2009-06-15 12", "2017-06-15 12", "1990-06-15 12"}) {
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

// The panel's fields on days the design's searches used to get wrong, and
// on a day the two models put on either side of a term.
TEST(DayCommand, TermAndNineStarDays) {
  WorkDir wd(true);
  const struct {
    const char* args;
    const char* label;
    const char* want;
  } cases[] = {
      {"day 1950-01-20", "二十四節季", "\t大寒\n"},  // 大寒 at 23:48:54
      {"day 1953-03-06", "二十四節季", "\t啓蟄\n"},
      {"day 1577-01-15", "九星", "四緑"},  // after the winter solstice late on 1576-12-11
      {"day 2023-06-21", "二十四節季", "\t 芒種 + 15\n"},  // the formulas put 夏至 at 00:00 on the 22nd
      {"--precise day 2023-06-21", "二十四節季", "\t夏至\n"},  // 23:57:45
  };
  for (const auto& c : cases) {
    const std::string args = std::string(c.args);
    const bool precise = args.rfind("--precise", 0) == 0;
    const Result r = RunCli((precise ? "--precise " : "") + wd.Arg() + " " + args.substr(precise ? 10 : 0));
    ASSERT_EQ(r.status, 0) << c.args << r.err;
    const std::size_t at = r.out.find(std::string("\n") + c.label + "\t");
    ASSERT_NE(at, std::string::npos) << c.args;
    const std::string line = r.out.substr(at + 1, r.out.find('\n', at + 1) - at);
    EXPECT_NE(line.find(c.want), std::string::npos) << c.args << ": " << line;
  }
}
