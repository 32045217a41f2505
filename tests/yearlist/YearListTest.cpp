// The year list without its window: the grid as the file shows it (golden
// CP932 files), the accepted range, the markers, the list items, the
// conversion rows and the file writer.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "astro/Clock.h"
#include "astro/TimeScales.h"
#include "caldb/Dao.h"
#include "core/Text.h"
#include "tests/support/TestMoment.h"
#include "tests/support/TestSupport.h"
#include "yearlist/YearList.h"

namespace {

using testsupport::ReadFile;

using testsupport::DatabaseDir;

class YearListTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_cwd.Entered()); }
  testsupport::WorkingDirectory m_cwd{DatabaseDir()};
};

// The main view's settings: Asia/Tokyo, the design's model.
Moment Settings() { return testsupport::TokyoMoment(2000, 1, 1, 12.0); }

constexpr CalendarRule kJulianThenGregorian = CalendarRule::JulianThenGregorian;

YearListState Shown(int year, int layout, int signDisplay = 0) {
  YearListState s;
  s.m_nYear = year;
  s.m_strMonth = " 1";
  s.m_strDay = " 1";
  s.m_nSignDisplay = signDisplay;
  s.m_settings = Settings();
  std::string error;
  EXPECT_TRUE(ShowYear(s, layout, EphemerisOf(s.m_settings.model), error)) << error;
  return s;
}

TEST_F(YearListTest, FileMatchesGoldenCp932Bytes) {
  struct Case {
    int year;
    int layout;
    const char* golden;
  } cases[] = {
      {2033, kLunisolarLayout, "year-2033-lunisolar.csv"},  // 閏11: thirteen columns
      {2033, kWesternLayout, "year-2033-western.csv"},
      {2005, kLunisolarLayout, "year-2005-lunisolar.csv"},  // no leap month
      {2005, kWesternLayout, "year-2005-western.csv"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.golden);
    YearListState s = Shown(c.year, c.layout);
    const std::string bytes = text::ToCp932(YearFileText(s.m_strGrid, s.m_nDisplayMode, s.m_nYear, kJulianThenGregorian));
    EXPECT_EQ(bytes, ReadFile(std::string(OMBREL_FIXTURES) + "/yearlist/" + c.golden));
  }
}

TEST_F(YearListTest, LunisolarGridShapeFollowsTheLeapMonth) {
  YearListState leap = Shown(2033, kLunisolarLayout);
  EXPECT_EQ(YearGridColumnCount(leap.m_strGrid, kLunisolarLayout), 13);
  EXPECT_EQ(leap.m_strGrid[0][12], "閏11");
  YearListState plain = Shown(2005, kLunisolarLayout);
  EXPECT_EQ(YearGridColumnCount(plain.m_strGrid, kLunisolarLayout), 12);
  EXPECT_TRUE(plain.m_strGrid[0][13].empty());
  // A 29-day month (2005's first) shows seven blanks on day 30.
  EXPECT_EQ(plain.m_strGrid[30][1], "       ");
}

TEST_F(YearListTest, SixDaySignsStartEachMonthFromItsNumber) {
  // 1/1 is 先勝, 2/1 友引; the Western layout shows the lunisolar date.
  YearListState s = Shown(2033, kLunisolarLayout, 1);
  EXPECT_EQ(s.m_strGrid[1][1].substr(0, 6), "先勝");
  EXPECT_EQ(s.m_strGrid[1][2].substr(0, 6), "友引");
  YearListState w = Shown(2033, kWesternLayout, 1);
  EXPECT_EQ(w.m_strGrid[31][1], "先勝　 1  1●");  // 2033-01-31 = 1/1, a new moon
}

TEST_F(YearListTest, RangeIsFromMinus666To2041) {
  const std::pair<int, bool> cases[] = {{-667, false}, {-666, true}, {2041, true}, {2042, false}};
  for (auto [year, ok] : cases) EXPECT_EQ(YearInListRange(year), ok) << year;
  YearListState s;
  s.m_nYear = 2042;
  std::string error;
  EXPECT_FALSE(ShowYear(s, kLunisolarLayout, EphemerisOf(s.m_settings.model), error));
  EXPECT_EQ(error, kYearRangeMessage);
  EXPECT_EQ(s.m_nDisplayMode, 0);
  // The ends of the range fill without running off the table.
  for (int y : {-666, 2041})
    for (int layout : {kLunisolarLayout, kWesternLayout}) Shown(y, layout);
}

TEST(YearListLegend, CalendarNameFollowsModeAndYear) {
  const struct {
    CalendarRule rule;
    int year;
    const char* name;
  } cases[] = {{kJulianThenGregorian, 1582, "ユリウス暦"},
               {kJulianThenGregorian, 1583, "グレゴリオ暦"},
               {CalendarRule::Gregorian, 1582, "グレゴリオ暦"},
               {kJulianThenGregorian, -666, "ユリウス暦"}};
  for (const auto& c : cases) EXPECT_EQ(YearCalendarName(c.rule, c.year), c.name) << c.year;
}

TEST(YearListMarkers, PhasesAndMajorTerms) {
  CalendarEvent phases[] = {{2005, 1, 10, 21, 0, 0, {}}, {2005, 1, 17, 6, 0, 90, {}}, {2005, 1, 25, 19, 0, 180, {}},
                            {2005, 12, 22, 1, 0, 0, {}}};
  CalendarEvent terms[] = {{2005, 1, 17, 0, 0, 285, {}}, {2005, 3, 20, 0, 0, 0, {}}, {2005, 12, 22, 0, 0, 270, {}}};
  const YearEvents ev{{phases, phases + 4}, {terms, terms + 3}, kJulianThenGregorian};
  struct Case {
    double m, d;
    const char* markers;
  } cases[] = {{1, 10, "●"}, {1, 17, ""}, {1, 25, "○"}, {3, 20, "*"}, {12, 22, "●*"}, {6, 1, ""}};
  for (const Case& c : cases) EXPECT_EQ(DateMarkers(2005, c.m, c.d, ev), c.markers) << c.m << "/" << c.d;
  // Only the events given are read.
  EXPECT_EQ(DateMarkers(2005, 12, 22, YearEvents{{phases, phases + 3}, {terms, terms + 2}, kJulianThenGregorian}),
            "");
}

TEST(YearListItems, NameDateAndClockTime) {
  const DateClock lists = ListClock(Settings());
  struct Case {
    double y, m, d, hour;
    double angle;
    bool phase;
    const char* item;
  } cases[] = {
      {2000, 1, 21, 13 + 40 / 60.0 + 20 / 3600.0, 180, true, " 満月 2000/ 1/21 13:40:20"},
      {2000, 3, 20, 16.5, 0, false, " 春分 2000/ 3/20 16:30:00"},
      // Seconds rounded to 60 carry into the minute, and at midnight into the date.
      {2000, 1, 21, 13 + 40 / 60.0 + 59.6 / 3600.0, 0, true, " 新月 2000/ 1/21 13:41:00"},
      {2000, 12, 31, 23 + 59 / 60.0 + 59.7 / 3600.0, 270, true, " 下弦 2001/ 1/ 1 00:00:00"},
      {2000, 12, 31, 23 + 59 / 60.0 + 59.2 / 3600.0, 270, false, " 冬至 2000/12/31 23:59:59"},
  };
  for (const Case& c : cases) {
    CalendarEvent e{c.y, c.m, c.d, c.hour, DateToJulianDay(c.y, c.m, c.d, c.hour, lists), c.angle, {}};
    EXPECT_EQ(YearEventItem(e, c.phase, lists), c.item);
  }
}

TEST_F(YearListTest, YearSexagenaryText) {
  CDaoDatabase db;
  db.Open(kCalendarDatabase, true, true, kCalendarConnect);
  EXPECT_EQ(YearSexagenaryText(db, 2005), "年干支  乙酉");
  EXPECT_EQ(YearSexagenaryText(db, 2000), "年干支  庚辰");
  EXPECT_EQ(YearSexagenaryText(db, -666), "年干支  甲寅");
}

TEST_F(YearListTest, ConversionRows) {
  YearConversions c;
  std::string error;
  // 2033-11-15 is 10/24; 11/15 falls on 12-06, and 閏11/15 on 2034-01-05.
  ASSERT_TRUE(ConvertYearListDate(2033, "11", "15", kLunisolarLayout, kJulianThenGregorian, c, error)) << error;
  EXPECT_EQ(c.lunisolar.month + "/" + c.lunisolar.day, "10/24");
  EXPECT_EQ(c.lunisolar.eraName, "令和");
  EXPECT_EQ(c.yearSign, "年干支  癸丑");
  EXPECT_EQ(c.western.leapMark + c.western.month + "/" + c.western.day, "　12/6");
  EXPECT_EQ(c.leapWestern.leapMark + c.leapWestern.month + "/" + c.leapWestern.day, "閏1/5");
  // 2000-01-01: 11/25, 土, 大安, 戊午, 胃; no leap eleventh month that year.
  ASSERT_TRUE(ConvertYearListDate(2000, " 1", " 1", kWesternLayout, kJulianThenGregorian, c, error)) << error;
  const ConversionRow& r = c.lunisolar;
  EXPECT_EQ(r.leapMark + r.month + "/" + r.day + r.weekday + r.sixDaySign + r.sexagenary + r.mansion,
            "　11/25土大安戊午胃");
  EXPECT_TRUE(c.leapWestern.month.empty());
  // Before the first era name the reigns answer, "%3d" years.
  ASSERT_TRUE(ConvertYearListDate(-666, "1", "1", kLunisolarLayout, kJulianThenGregorian, c, error)) << error;
  EXPECT_EQ(c.lunisolar.eraName + c.lunisolar.eraYear, "(神武即位前天皇)  1");
}

TEST_F(YearListTest, TypedTextsNeverReachTheQueries) {
  for (const char* month : {"1 OR 1=1", "1;DROP TABLE Kyuureki", "abc", ""}) {
    YearConversions c;
    std::string error;
    EXPECT_FALSE(ConvertYearListDate(2033, month, "1", kLunisolarLayout, kJulianThenGregorian, c, error)) << month;
    EXPECT_FALSE(error.empty());
  }
  // The table is still there.
  YearConversions c;
  std::string error;
  EXPECT_TRUE(ConvertYearListDate(2033, "1", "1", kLunisolarLayout, kJulianThenGregorian, c, error)) << error;
}

TEST_F(YearListTest, MissingDatabaseIsAnErrorNotACrash) {
  const testsupport::ScratchDir scratch("ombrel-yearlist");
  const testsupport::WorkingDirectory inside(scratch.Path());
  ASSERT_TRUE(inside.Entered());
  YearListState s;
  s.m_nYear = 2033;
  s.m_strMonth = "1";
  s.m_strDay = "1";
  s.m_settings = Settings();
  std::string error;
  EXPECT_FALSE(ShowYear(s, kLunisolarLayout, EphemerisOf(s.m_settings.model), error));
  EXPECT_FALSE(error.empty());
  struct stat st {};
  EXPECT_NE(stat("History.mdb", &st), 0) << "no database file may be created";
}

TEST(YearListFile, WrittenWholeOrNotAtAll) {
  const testsupport::ScratchDir scratch("ombrel-yearlist");
  const std::string dir = scratch.Path();
  const std::string path = dir + "/y.csv";
  std::string error;
  {
    std::ofstream old(path);
    old << "old";
  }
  ASSERT_TRUE(WriteTextFileAtomically(path, "日,\n", true, error)) << error;
  EXPECT_EQ(ReadFile(path), "\x93\xfa,\n");
  ASSERT_TRUE(WriteTextFileAtomically(path, "日,\n", false, error)) << error;
  EXPECT_EQ(ReadFile(path), "日,\n");
  // Nothing but the file is left behind.
  int entries = 0;
  DIR* d = opendir(dir.c_str());
  while (dirent* e = readdir(d)) entries += e->d_name[0] != '.';
  closedir(d);
  EXPECT_EQ(entries, 1);

  for (const std::string& bad : {dir + "/missing/y.csv", dir, std::string("/proc/ombrel-y.csv"), std::string()}) {
    error.clear();
    EXPECT_FALSE(WriteTextFileAtomically(bad, "x", true, error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

TEST(YearListTyped, AtoiAndAtofWithoutOverflow) {
  EXPECT_EQ(TypedInt(" 2033"), 2033);
  EXPECT_EQ(TypedInt("2033abc"), 2033);
  EXPECT_EQ(TypedInt("abc"), 0);
  EXPECT_EQ(TypedInt("99999999999999999999"), 2147483647);
  EXPECT_EQ(TypedInt("-99999999999999999999"), -2147483647 - 1);
  EXPECT_EQ(TypedDouble("1e999"), 0.0);
  EXPECT_EQ(TypedDouble("nan"), 0.0);
}

TEST(YearListCli, WritesTheWindowsFile) {
  const testsupport::WorkingDirectory cwd(DatabaseDir());
  ASSERT_TRUE(cwd.Entered());
  const testsupport::ScratchDir scratch("ombrel-yearlist");
  const std::string dir = scratch.Path();
  const std::string out = dir + "/y.csv";
  const std::string cli = testsupport::Quote(OMBREL_CLI) + " --workdir " + testsupport::Quote(DatabaseDir()) + " yearlist ";
  ASSERT_EQ(testsupport::RunShell(cli + "2033 --layout lunisolar --signs sexagenary --calendar julian --output " + out).status, 0);
  const std::string bytes = ReadFile(out);
  EXPECT_EQ(bytes, ReadFile(std::string(OMBREL_FIXTURES) + "/yearlist/year-2033-lunisolar.csv"));
  // UTF-8 on request; a year out of range and an unwritable file fail.
  ASSERT_EQ(testsupport::RunShell(cli + "2033 --encoding utf-8 --signs sexagenary --calendar julian --output " + out).status, 0);
  EXPECT_EQ(ReadFile(out), text::FromCp932(bytes));
  EXPECT_EQ(testsupport::RunShell(cli + "2042 --output " + out).status, 2);
  EXPECT_EQ(testsupport::RunShell(cli + "2033 --output " + dir + "/no/y.csv").status, 1);
}

}  // namespace
