// Bad input of every class, through the real parts: typed date texts through
// the day panel, arguments through the built ombrel-cli, damaged settings and
// anniversary files and damaged calendar databases in a working directory.
// Nothing may crash or hang; the database's error ends in one line and exit 1.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "caldb/Dao.h"
#include "core/Text.h"
#include "HardeningSupport.h"
#include "almanac/DayPanel.h"
#include "sky/Readout.h"
#include "tests/support/TestMoment.h"

using namespace hardening;

namespace {

// Texts a user may type or pass where a number or a date belongs.
const std::vector<std::string> kBadNumbers = {
    "", " ", "abc", "1e308", "-1e308", "99999999", "-99999999", "999999999999999999999", "nan", "-nan", "inf",
    "-inf", "infinity", "0x7fffffff", "12abc", "2024-", "1,5", "１２", "\xff\xfe", "--", "-", "+", ".", "e5"};
// The same classes, one text each, for the slower runs of the built tool.
const std::vector<std::string> kBadArguments = {"",    "abc", "1e308", "99999999", "-99999999", "nan",
                                                "inf", "12abc", "１２", "\xff\xfe", "-",       "e5",
                                                " 1",  "1\n",  "+1",    "0x1",      "1e1"};

}  // namespace

// Any typed text in any of the four date fields: the panel and its lists are
// filled (or the database's own error ends the fill), quickly, and every text
// stays printable.
TEST(BadInput, FormDateTexts) {
  const char* valid[4] = {"2024", " 6", "15", "12.0"};
  const Ephemeris& ephemeris = EphemerisOf(AstroModel::Design);
  for (int field = 0; field < 4; ++field) {
    for (const std::string& bad : kBadNumbers) {
      SCOPED_TRACE("field " + std::to_string(field) + " text '" + bad + "'");
      DayPanel p;
      std::string* texts[4] = {&p.m_strYear, &p.m_strMonth, &p.m_strDay, &p.m_strHour};
      for (int i = 0; i < 4; ++i) *texts[i] = i == field ? bad : valid[i];
      const auto start = std::chrono::steady_clock::now();
      try {
        FillDayPanel(p, ReadFormMoment(p, p.m_strHour, testsupport::TokyoMoment(2000, 1, 1, 12.0)), ephemeris,
                     OMBREL_DB_PATH);
      } catch (const CDaoException& e) {
        EXPECT_STRNE(e.what(), "");
      }
      FillSelectedDays(p);
      // With every addition the lists may show (the holiday, the eclipses).
      FillSeasonalDays(p, ephemeris, std::string(OMBREL_FIXTURES) + "/signs/kinenbi-cp932.dat", {true, true});
      const std::optional<ReadoutText> eclipse =
          EclipseReadout(ReadFormMoment(p, p.m_strHour, testsupport::TokyoMoment(2000, 1, 1, 12.0)));
      EXPECT_TRUE(!eclipse || text::IsValidUtf8(eclipse->text));
      FillPhaseList(p, ephemeris);
      FillTermList(p, ephemeris);
      EXPECT_LT(std::chrono::steady_clock::now() - start, testsupport::kHangLimit);
      for (const auto& [label, value] : DayPanelFields(p)) EXPECT_TRUE(text::IsValidUtf8(value)) << label;
      EXPECT_LE(p.m_listPhases.size(), 60u);
      EXPECT_LE(p.m_listTerms.size(), 60u);
    }
  }
}

// Every numeric or date argument of every command refuses bad text as a usage
// error: exit 2, one line on stderr, nothing on stdout, no file written.
TEST(BadInput, CliArguments) {
  WorkDir dir("cliargs");
  dir.CopyDatabase();
  // Each command line with one slot ("@") where the bad text goes.
  const std::vector<std::vector<std::string>> lines = {
      {"terms", "@"},
      {"phases", "@"},
      {"lunar", "@"},
      {"lunar", "2024-@-01"},
      {"western", "@", "1", "1"},
      {"western", "2024", "@", "1"},
      {"western", "2024", "1", "@"},
      {"bodies", "@"},
      {"bodies", "2024-06-15", "@"},
      {"bodies", "2024-06-15", "--lon", "@"},
      {"bodies", "2024-06-15", "--lat", "@"},
      {"day", "@"},
      {"day", "2024-06-@"},
      {"day", "2024-06-15", "@"},
      {"yearlist", "@", "--output", "out.csv"},
      {"yearlist", "2024", "--output", "out.csv", "--month", "@", "--day", "1"},
      {"yearlist", "2024", "--output", "out.csv", "--month", "1", "--day", "@"},
      {"astrodata", "@", "--output", "out.csv"},
      {"astrodata", "2024", "--output", "out.csv", "--hour", "@"},
      {"astrodata", "2024", "--output", "out.csv", "--lon", "@"},
      {"astrodata", "2024", "--output", "out.csv", "--lat", "@"},
  };
  std::vector<std::vector<std::string>> argLists;
  for (const auto& line : lines) {
    for (const std::string& bad : kBadArguments) {
      std::vector<std::string> args;
      for (std::string a : line) {
        if (auto at = a.find('@'); at != std::string::npos) a.replace(at, 1, bad);
        args.push_back(a);
      }
      argLists.push_back(args);
    }
  }
  const std::vector<CliRun> runs = RunCliAll(dir, argLists);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    SCOPED_TRACE(testing::PrintToString(argLists[i]));
    EXPECT_EQ(runs[i].status, 2) << Describe(runs[i]);
    EXPECT_TRUE(IsOneLineError(runs[i].err)) << runs[i].err;
    EXPECT_EQ(runs[i].out, "");
  }
  EXPECT_FALSE(fs::exists(dir.File("out.csv")));
}

// A date the calendar in force lacks is a usage error, not another day; the
// calendar mode of ombrel.dat decides which days exist.
TEST(BadInput, DaysTheCalendarLacks) {
  WorkDir dir("nosuchday");
  dir.CopyDatabase();
  const std::vector<std::vector<std::string>> lines = {
      {"lunar", "2024-02-31"}, {"lunar", "2023-02-29"}, {"day", "1700-02-29"},
      {"day", "2100-02-29", "12"}, {"bodies", "1582-10-05"}, {"bodies", "1582-10-14"},
  };
  for (const CliRun& r : RunCliAll(dir, lines)) {
    EXPECT_EQ(r.status, 2) << Describe(r);
    EXPECT_TRUE(IsOneLineError(r.err)) << r.err;
    EXPECT_NE(r.err.find("no such day"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(RunCli(dir, {"lunar", "1500-02-29"}).status, 0) << "a Julian leap day";
  dir.Write("ombrel.dat", "139.7\n35.6\n0\n1\n");
  EXPECT_EQ(RunCli(dir, {"day", "1582-10-10", "12"}).status, 0) << "proleptic Gregorian";
  EXPECT_EQ(RunCli(dir, {"day", "1500-02-29", "12"}).status, 2);
}

// Places in ombrel.dat that give plainly wrong skies fall back to the
// default, one warning each on stderr; the answer is the default place's.
TEST(BadInput, UnusablePlacesInTheSettingsFile) {
  WorkDir plain("places_plain"), bad("places_bad");
  plain.CopyDatabase();
  bad.CopyDatabase();
  bad.Write("ombrel.dat", "nan\n999\n-inf\n");
  const CliRun want = RunCli(plain, {"day", "2024-06-15", "12"});
  const CliRun got = RunCli(bad, {"day", "2024-06-15", "12"});
  ASSERT_EQ(got.status, 0) << Describe(got);
  EXPECT_EQ(got.out, want.out);
  EXPECT_EQ(std::count(got.err.begin(), got.err.end(), '\n'), 3) << got.err;
  EXPECT_NE(got.err.find("ombrel-cli: warning: ombrel.dat line 2: the latitude '999'"), std::string::npos) << got.err;
}

// Damaged settings and anniversary files never stop the day's answer: the
// reader takes what it can and the panel is printed.
TEST(BadInput, DamagedSettingsAndAnniversaryFiles) {
  std::mt19937 random(11);
  std::string binary(64 * 1024, '\0');
  for (char& c : binary) c = static_cast<char>(random());
  // Far beyond what either reader looks at (a few hundred kilobytes at most).
  const std::string huge(4 * 1024 * 1024, '7');
  std::string manyLines;
  for (int i = 0; i < 200000; ++i) manyLines += "x:行,1,1\n";
  struct Case {
    const char* name;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"empty", ""},
      {"binary", binary},
      {"enormous single line", huge},
      {"enormous number of lines", manyLines},
      {"overlong lines", std::string(5000, '1') + "\n" + std::string(100, 'x') + "\r\n"},
      {"invalid Shift-JIS", "\x81\n\x82\x20\x82\n\xa0\xfd\xfe\xff,\xef,\x81\x7f\n\x80\x80\x80\n"},
      {"NUL bytes", std::string("13\0009.7\n\0\n\0,1,1\n", 15)},
      {"numbers out of range",
       "1e308\nnan\n-inf\n99999999999\n-99999999999\n99999999999\n1e308\n-99999999999\n99999999999\n"},
      {"garbage numbers", "abc\n35.6xyz\n\n\x82\xa0\n--\n1e\n0x10\n\t\n;\n"},
      {"only line ends", std::string(10000, '\n') + std::string(10000, '\r')},
  };
  for (const char* file : {"ombrel.dat", "kinenbi.dat"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(file) + ": " + c.name);
      WorkDir dir("files");
      dir.CopyDatabase();
      dir.Write(file, c.bytes);
      CliRun r = RunCli(dir, {"day", "2024-06-15", "12"});
      EXPECT_EQ(r.status, 0) << Describe(r);
      EXPECT_NE(r.out.find("神武天皇即位紀元\t2684年"), std::string::npos) << r.out.substr(0, 200);
      EXPECT_TRUE(text::IsValidUtf8(r.out));
      EXPECT_EQ(ReadFile(dir.File(file)), c.bytes) << "a read must not change the file";
    }
  }
}

// A file that is not a plain file in a reader's place: a directory, and a pipe
// that nobody writes (opening it for reading must not wait for a writer).
TEST(BadInput, SettingsAndAnniversaryPathsThatAreNotFiles) {
  for (const char* file : {"ombrel.dat", "kinenbi.dat"}) {
    for (const char* kind : {"directory", "pipe"}) {
      SCOPED_TRACE(std::string(file) + " is a " + kind);
      WorkDir dir("notfiles");
      dir.CopyDatabase();
      if (std::string(kind) == "directory")
        fs::create_directory(dir.File(file));
      else
        ASSERT_EQ(::mkfifo(dir.File(file).c_str(), 0600), 0);
      CliRun r = RunCli(dir, {"day", "2024-06-15", "12"}, std::chrono::seconds(10));
      EXPECT_EQ(r.status, 0) << Describe(r);
      EXPECT_NE(r.out.find("神武天皇即位紀元\t2684年"), std::string::npos);
    }
  }
}

// "History.mdb" that is a directory or a pipe nobody writes: the commands
// that read it fail at once instead of waiting.
TEST(BadInput, DatabasePathsThatAreNotFiles) {
  for (const char* kind : {"directory", "pipe"}) {
    SCOPED_TRACE(kind);
    WorkDir dir("dbnotfile");
    if (std::string(kind) == "directory")
      fs::create_directory(dir.File("History.mdb"));
    else
      ASSERT_EQ(::mkfifo(dir.File("History.mdb").c_str(), 0600), 0);
    const std::vector<CliRun> runs = RunCliAll(
        dir, {{"day", "2024-06-15"}, {"lunar", "2024-06-15"}, {"astrodata", "2024", "--output", "a.csv"}},
        std::chrono::seconds(10));
    for (const CliRun& r : runs) {
      EXPECT_EQ(r.status, 1) << Describe(r);
      EXPECT_TRUE(IsOneLineError(r.err)) << r.err;
    }
    EXPECT_FALSE(fs::exists(dir.File("a.csv")));
  }
}

// A calendar database that is missing, empty, truncated, not a database, or
// lacks a table or a row: every command that reads it reports the engine's
// error in one line with exit 1, writes no output file and leaves the
// database file exactly as it was.
TEST(BadInput, DamagedCalendarDatabase) {
  const std::string good = ReadFile(OMBREL_DB_PATH);
  ASSERT_GT(good.size(), 8192u);
  struct Case {
    const char* name;
    std::optional<std::string> sql;  // run on a good copy; none: use `bytes`
    std::string bytes;               // the file's content (when there is no sql)
    bool present = true;
  };
  std::vector<Case> cases = {
      {"missing", std::nullopt, "", false},
      {"empty", std::nullopt, ""},
      {"truncated to its first page", std::nullopt, good.substr(0, 4096)},
      {"truncated to half", std::nullopt, good.substr(0, good.size() / 2)},
      {"not a database", std::nullopt, "This is not a calendar database.\n" + std::string(5000, 'x')},
      {"header only, rest zeros", std::nullopt, good.substr(0, 100) + std::string(good.size() - 100, '\0')},
  };
  for (const char* table : {"Kyuureki", "History", "Data", "七十二候", "Memory"}) {
    cases.push_back({"lacks a table", std::string("DROP TABLE [") + table + "];", ""});
    cases.push_back({"a table without rows", std::string("DELETE FROM [") + table + "];", ""});
  }
  cases.push_back({"lacks the weekday row", "DELETE FROM [Data] WHERE [No]=1;", ""});
  cases.push_back({"lacks the pentads' rows", "DELETE FROM [七十二候] WHERE [ID]>20;", ""});
  cases.push_back({"lacks the year's era row", "DELETE FROM [History] WHERE [西暦]=2024;", ""});
  cases.push_back({"lacks the year's calendar rows", "DELETE FROM [Kyuureki] WHERE [西暦]=2024;", ""});

  // Each command that reads the database; the yearly data file also writes
  // its Memory table, so it runs only where that table or the file is
  // damaged, and must fail there.
  const std::vector<std::vector<std::string>> commands = {
      {"day", "2024-06-15", "12"},
      {"lunar", "2024-06-15"},
      {"western", "2024", "5", "10"},
      {"yearlist", "2024", "--output", "yearlist.csv"},
      {"astrodata", "2024", "--output", "astrodata.csv"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + c.sql.value_or(""));
    WorkDir dir("db");
    if (c.sql) {
      dir.CopyDatabase();
      ExecSql(dir.File("History.mdb"), *c.sql);
    } else if (c.present) {
      dir.Write("History.mdb", c.bytes);
    } else {
      // A directory of the user's files without the database (an empty one
      // would be given a copy).
      dir.Write("ombrel.dat", "139.7\n35.6\n");
    }
    const std::string before = c.present ? ReadFile(dir.File("History.mdb")) : "";
    std::vector<std::vector<std::string>> run = commands;
    if (c.sql && c.sql->find("Memory") == std::string::npos) run.pop_back();
    const std::vector<CliRun> runs = RunCliAll(dir, run);
    for (std::size_t i = 0; i < runs.size(); ++i) {
      const CliRun& r = runs[i];
      SCOPED_TRACE(run[i][0]);
      ASSERT_TRUE(r.Exited()) << Describe(r);
      // A table or row the command does not use may be damaged without harm;
      // a damaged file fails every command.
      if (r.status == 0 && c.sql) continue;
      EXPECT_EQ(r.status, 1) << Describe(r);
      EXPECT_TRUE(IsOneLineError(r.err)) << r.err;
      if (run[i].size() > 3) {
        EXPECT_FALSE(fs::exists(dir.File(run[i][3]))) << "no output file after a failure";
      }
    }
    EXPECT_EQ(fs::exists(dir.File("History.mdb")), c.present) << "no database may be made";
    if (c.present) {
      EXPECT_TRUE(ReadFile(dir.File("History.mdb")) == before) << "the database changed";
    }
  }
}
