#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "astrodata/AstroRequest.h"
#include "caldb/Schema.h"
#include "core/Text.h"
#include "tests/support/TestMoment.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

using testsupport::ReadFile;

void Exec(sqlite3* db, const std::string& sql) {
  char* err = nullptr;
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
}

// A scratch directory holding a calendar database with the Memory table the
// yearly file needs (366 rows, date = 100 * month + day of a leap year, the
// term and phase texts at positions 8 and 9). The test runs inside it.
class ScratchDirectory : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_.emplace("ombrel-astrodata");
    dir_ = scratch_->Path();
    start_ = fs::current_path();
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(start_);
    scratch_.reset();
  }

  void MakeDatabase(int missingId = 0) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open("History.mdb", &db), SQLITE_OK);
    // The calendar's tables, empty but for Memory: every file is checked for them.
    Exec(db, CalendarSchemaSql() + "BEGIN;");
    const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int id = 0;
    for (int m = 1; m <= 12; ++m)
      for (int d = 1; d <= days[m - 1]; ++d)
        if (++id != missingId)
          Exec(db, "INSERT INTO Memory VALUES (" + std::to_string(id) + "," + std::to_string(100 * m + d) + "," +
                       std::to_string(m) + "," + std::to_string(d) + ",'','','','','old','old');");
    Exec(db, "COMMIT;");
    sqlite3_close(db);
  }

  std::string MemoryText(int date, const char* column) {
    sqlite3* db = nullptr;
    sqlite3_open("History.mdb", &db);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, (std::string("SELECT ") + column + " FROM Memory WHERE date=" + std::to_string(date)).c_str(),
                       -1, &st, nullptr);
    std::string value = "<no row>";
    if (sqlite3_step(st) == SQLITE_ROW) value = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return value;
  }

  testsupport::RunResult RunCli(const std::string& args) {
    return testsupport::RunShell(testsupport::Quote(OMBREL_CLI) + " --workdir " + testsupport::Quote(dir_.string()) +
                                 " " + args);
  }

  std::optional<testsupport::ScratchDir> scratch_;
  fs::path dir_;
  fs::path start_;
};

// The settings' moment (Asia/Tokyo, the default calendar rule and model).
Moment Settings() { return testsupport::TokyoMoment(2000, 1, 1, 12.0); }

AstroInput TokyoNoon(const std::string& year) { return {year, "1", "1", "12", "139.7", "35.6", Settings()}; }

// A request that is never asked: the file stops before any day is computed.
AstroTable NoDay(double, double) { return AstroTable{}; }

// Golden yearly files, written by the command line exactly as the window's
// FILE出力 writes them: a leap year with 366 day lines, a common year with 365.
TEST_F(ScratchDirectory, YearlyFileMatchesTheGoldenFiles) {
  MakeDatabase();
  const struct {
    const char* year;
    int dayLines;
  } cases[] = {{"2000", 366}, {"2001", 365}};
  for (const auto& c : cases) {
    const fs::path out = dir_ / (std::string(c.year) + ".csv");
    const testsupport::RunResult run = RunCli(std::string("astrodata ") + c.year + " --output " + out.string());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string written = ReadFile(out);
    const std::string golden = ReadFile(fs::path(OMBREL_FIXTURES) / "astrodata" / (std::string(c.year) + ".csv"));
    {
      SCOPED_TRACE(c.year);
      testsupport::ExpectSameLines(written, golden, text::FromCp932);
    }

    std::istringstream lines(text::FromCp932(written));
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, YearlyHeaderLine());
    int count = 0;
    while (std::getline(lines, line)) ++count;
    EXPECT_EQ(count, c.dayLines);
  }
  EXPECT_NE(ReadFile(dir_ / "2000.csv").find("\n20000229 , "), std::string::npos);
  EXPECT_EQ(ReadFile(dir_ / "2000.csv").find("\n20010101"), std::string::npos);
}

// Years whose solar terms or moon phases fall in a minute's last half second:
// the file carries those seconds into the minute, so no time reads :60.
TEST_F(ScratchDirectory, NoTimeInTheYearlyFileHasSixtySeconds) {
  MakeDatabase();
  for (const char* year : {"2010", "2027", "2034"}) {
    const fs::path out = dir_ / (std::string(year) + ".csv");
    const testsupport::RunResult run = RunCli(std::string("astrodata ") + year + " --output " + out.string());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string written = text::FromCp932(ReadFile(out));
    EXPECT_EQ(written.find(":60"), std::string::npos) << year;
  }
}

TEST_F(ScratchDirectory, MemoryKeepsOnlyTheYearsEvents) {
  MakeDatabase();
  const AstroYearEvents events = CollectYearEvents(2000, Settings(), EphemerisOf(Settings().model));
  std::string error;
  ASSERT_TRUE(StoreYearEvents(2000, events, ListClock(Settings()), error)) << error;
  EXPECT_EQ(MemoryText(320, "節気"), " 春分 16:25:05");
  EXPECT_EQ(MemoryText(320, "月相"), " 満月 13:38:57");
  EXPECT_EQ(MemoryText(101, "節気"), " ");
  // Only 2000's events are stored, so 2001's 小寒 does not land on 6 January.
  EXPECT_EQ(MemoryText(106, "節気"), " 小寒 09:51:51");
  EXPECT_EQ(MemoryText(229, "月相"), " ");
}

TEST_F(ScratchDirectory, DatabaseFaultsAreReportedAndChangeNothing) {
  // Row 200 is missing: the rewrite stops, and the transaction leaves every
  // other row as it was.
  MakeDatabase(200);
  const AstroYearEvents events = CollectYearEvents(2000, Settings(), EphemerisOf(Settings().model));
  std::string error;
  EXPECT_FALSE(StoreYearEvents(2000, events, ListClock(Settings()), error));
  EXPECT_NE(error.find("Memory"), std::string::npos) << error;
  EXPECT_EQ(MemoryText(101, "節気"), "old");

  // The yearly file stops at the missing row; a file already there survives.
  std::ofstream("kept.csv") << "earlier output\n";
  const AstroDayRequest request = NoDay;
  EXPECT_FALSE(WriteYearlyFile("kept.csv", TokyoNoon("2000"), request, true, error));
  EXPECT_EQ(ReadFile("kept.csv"), "earlier output\n");

  fs::remove("History.mdb");
  error.clear();
  EXPECT_FALSE(StoreYearEvents(2000, events, ListClock(Settings()), error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(WriteYearlyFile("new.csv", TokyoNoon("2000"), request, true, error));
  EXPECT_FALSE(fs::exists("new.csv"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);  // only kept.csv
}

TEST_F(ScratchDirectory, UnwritableOutputIsAFailure) {
  MakeDatabase();
  std::string error;
  const AstroDayRequest request = NoDay;
  EXPECT_FALSE(WriteYearlyFile((dir_ / "no-such-dir" / "x.csv").string(), TokyoNoon("2000"), request, true, error));
  EXPECT_NE(error.find("no-such-dir"), std::string::npos) << error;

  const testsupport::RunResult unwritable = RunCli("astrodata 2000 --output " + (dir_ / "no-such-dir" / "x.csv").string());
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.err.find("cannot"), std::string::npos);
  EXPECT_EQ(RunCli("astrodata 2000").status, 2);
  EXPECT_EQ(RunCli("astrodata 2000 --output x.csv --encoding latin1").status, 2);
}

TEST(AstroCellText, TimesAndAngles) {
  const struct {
    double hours;
    const char* text;
  } times[] = {{6.5, "06:30:00"}, {23.0, "23:00:00"}, {6.0 + 59.0 / 60 + 59.4 / 3600, "06:59:59"},
               {6.0 + 59.0 / 60 + 59.6 / 3600, "07:00:00"}, {12.0 + 10.0 / 60 + 59.7 / 3600, "12:11:00"}};
  for (const auto& t : times) EXPECT_EQ(AstroTimeText(t.hours), t.text) << t.hours;

  AstroTable table{};
  table.times[BodyMoon].rise = 23.0;  // a real event at 23:00
  table.bodies[BodyMoon].rightAscension = 350.5;
  table.bodies[BodyMoon].declination = -5.25;
  EXPECT_EQ(AstroCellText(table, 1, ColumnRise), "23:00:00");
  EXPECT_EQ(AstroCellText(table, 1, ColumnSet), "--");  // no moonset that day
  EXPECT_EQ(AstroCellText(table, 1, ColumnRightAscension), "  350.50");
  EXPECT_EQ(AstroCellText(table, 1, ColumnDeclination), "   -5.25");
}

TEST(YearlyDayLine, PiecesAndEventColumns) {
  AstroTable table{};
  for (BodyTimes& t : table.times) {
    t.rise = 6.5;
    t.set = 23.0;
  }
  table.times[BodyMercury].set.reset();  // a day without the event: "--"
  table.bodies[BodySun].longitude = 5.126;
  table.bodies[BodyMoon].longitude = 350.5;
  const DateClock placeClock = PlaceClock(testsupport::TokyoMoment(2000, 3, 5, 12.0));
  auto at = [&](double hour) { return DateToJulianDay(2000, 3, 5, hour, placeClock); };
  table.tides.high[0] = at(1 + 7 / 60.0);
  table.tides.low[0] = at(7 + 7 / 60.0);
  table.tides.low[1] = at(20 + 34 / 60.0);
  const std::string head =
      "20000305 , 06:30 ,23:00 ,  5.13,06:30 ,23:00 ,350.50 ,06:30 ,-- ,06:30 ,23:00 ,06:30 ,23:00 ,"
      "06:30 ,23:00 ,06:30 ,23:00 ,  01:07 ,   -- ,07:07 ,20:34 ,";
  const struct {
    const char* term;
    const char* phase;
    std::string tail;
  } cases[] = {
      {" ", " ", ","},
      {" ", " 新月 03:09:55", ", 新月 03:09:55 ,"},
      {" 啓蟄 10:42:00", " ", " 啓蟄 10:42:00 ,"},
      {" 春分 16:25:05", " 満月 13:38:57", " 春分 16:25:05 , 満月 13:38:57 ,"},
  };
  for (const auto& c : cases) EXPECT_EQ(YearlyDayLine(2000, 3, 5, table, placeClock, c.term, c.phase), head + c.tail);
}

}  // namespace
