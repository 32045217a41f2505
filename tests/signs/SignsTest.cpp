#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "astro/astro.h"
#include "caldb/Dao.h"
#include "caldb/DataTable.h"
#include "signs/Signs.h"

namespace {

constexpr CalendarRule kMixed = CalendarRule::JulianThenGregorian;

double Noon(double y, double m, double d) { return DayNoon(y, m, d, kMixed); }

// The names the windows show: the calendar database's Data table at the rows.
struct Names {
  Names() { db.Open(OMBREL_DB_PATH, true, true, kCalendarConnect); }
  const std::string& operator()(int row, DataTable::Column column) { return data.Text(row, column); }
  CDaoDatabase db;
  DataTable data{db};
};

}  // namespace

// The day signs of known days, the Data rows that hold the same names, and
// the cycle position; 1582-10-04 and 1582-10-15 are consecutive days of the
// Julian/Gregorian switch.
TEST(DaySigns, KnownDays) {
  struct Case {
    int y, m, d;
    const char *weekday, *stem, *branch, *mansion;
    int position, weekdayRow, stemRow, branchRow, mansionRow;
  } cases[] = {
      {2000, 1, 1, "土", "戊", "午", "胃", 54, 0, 6, 6, 17},
      {2000, 1, 2, "日", "己", "未", "昴", 55, 1, 7, 7, 18},
      {2005, 1, 31, "月", "乙", "卯", "張", 51, 2, 3, 3, 26},
      {1582, 10, 4, "木", "癸", "酉", "斗", 9, 5, 1, 9, 8},
      {1582, 10, 15, "金", "甲", "戌", "牛", 10, 6, 2, 10, 9},
  };
  Names name;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.y << "-" << c.m << "-" << c.d);
    double j = Noon(c.y, c.m, c.d);
    EXPECT_EQ(name(WeekdayRow(j), DataTable::kWeekday), c.weekday);
    EXPECT_EQ(name(DayStemRow(j), DataTable::kStem), c.stem);
    EXPECT_EQ(name(DayBranchRow(j), DataTable::kBranch), c.branch);
    EXPECT_EQ(name(LunarMansionRow(j), DataTable::kMansion), c.mansion);
    EXPECT_EQ(SexagenaryPosition(j), c.position);
    EXPECT_EQ(WeekdayRow(j), c.weekdayRow);
    EXPECT_EQ(DayStemRow(j), c.stemRow);
    EXPECT_EQ(DayBranchRow(j), c.branchRow);
    EXPECT_EQ(LunarMansionRow(j), c.mansionRow);
  }
  EXPECT_DOUBLE_EQ(Noon(2000, 1, 1), 2451545 - 0.375);
}

TEST(YearSigns, SexagenaryAndImperialYear) {
  struct Case {
    double year;
    const char *stem, *branch;
    int stemRow, branchRow, imperial;
  } cases[] = {
      {2004, "甲", "申", 2, 8, 2664}, {2005, "乙", "酉", 3, 9, 2665}, {1984, "甲", "子", 2, 0, 2644},
      {1, "辛", "酉", 9, 9, 661},     {-660, "庚", "申", 8, 8, 0},     {-659, "辛", "酉", 9, 9, 1},    {2005.9, "乙", "酉", 3, 9, 2665},
  };
  Names name;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.year);
    EXPECT_EQ(name(YearStemRow(c.year), DataTable::kStem), c.stem);
    EXPECT_EQ(name(YearBranchRow(c.year), DataTable::kBranch), c.branch);
    EXPECT_EQ(YearStemRow(c.year), c.stemRow);
    EXPECT_EQ(YearBranchRow(c.year), c.branchRow);
    EXPECT_EQ(ImperialYear(c.year), c.imperial);
  }
}

// Numbers from a form can be anything: every sign still comes from its table
// or names a row of the Data table.
TEST(DaySigns, AbsurdNumbersStayInsideTheTables) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (double x : {-1e6, -2.5, nan, inf, -inf, 1e300, -1e300}) {
    SCOPED_TRACE(x);
    EXPECT_FALSE(NineStar(x, x, x, kMixed).empty());
    int rows[] = {WeekdayRow(x),    DayStemRow(x),         DayBranchRow(x),    LunarMansionRow(x), YearStemRow(x),
                  YearBranchRow(x), SixDaySignRow(x, x),   SexagenaryPosition(x), RoundedLongitude(x)};
    for (int r : rows) EXPECT_GE(r, 0);
  }
  // Before 4713 BC the cycles run on: one day earlier is one step back.
  EXPECT_EQ(DayStemRow(-0.375), (DayStemRow(0.625) + 9) % 10);
  EXPECT_EQ(ImperialYear(nan), 0);
  EXPECT_EQ(ImperialYear(1e300), INT_MAX);
}

TEST(SixDaySign, FromTheLunisolarDate) {
  struct Case {
    double month, day;
    const char* name;
    int row;
  } cases[] = {
      {1, 1, "先勝", 1}, {1, 2, "友引", 2}, {2, 1, "友引", 2}, {12, 30, "大安", 5}, {6, 7, "赤口", 0},
      {0, 0, "大安", 5},  // no lunisolar date: still a name, never a crash
  };
  Names name;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.month << "/" << c.day);
    EXPECT_EQ(name(SixDaySignRow(c.month, c.day), DataTable::kSixDay), c.name);
    EXPECT_EQ(SixDaySignRow(c.month, c.day), c.row);
  }
}

TEST(SoundSign, ElementOfThePair) {
  struct Case {
    int stem, branch;
    const char* element;
  } cases[] = {
      {1, 1, "金"}, {2, 2, "金"}, {3, 3, "火"}, {4, 4, "火"}, {5, 5, "木"}, {6, 6, "木"},
      {7, 7, "土"}, {1, 7, "金"}, {3, 1, "水"}, {9, 11, "水"}, {0, 0, "水"}, {-3, 25, "土"},
  };
  for (const Case& c : cases) EXPECT_EQ(SoundSign(c.stem, c.branch), c.element) << c.stem << " " << c.branch;
}

// 建 falls on the branch of the solar month; the month changes at 立春 (315°),
// 啓蟄 (345°) … 小寒 (285°), read from the noon longitude rounded to a degree.
TEST(TwelveDaySign, FollowsTheSolarMonth) {
  struct Case {
    double longitude;
    int month, branch;
    const char* sign;
  } cases[] = {
      {314.4, 12, 2, "建 たつ"}, {314.5, 1, 3, "建 たつ"}, {315.2, 1, 4, "除 のぞく"},
      {344.6, 2, 4, "建 たつ"},  {284.4, 11, 1, "建 たつ"}, {285.0, 12, 2, "建 たつ"},
      {285.0, 12, 1, "閉 とづ"}, {359.6, 2, 3, "閉 とづ"},  {-0.2, 2, 5, "除 のぞく"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.longitude);
    int s = SolarTermMonth(RoundedLongitude(c.longitude));
    EXPECT_EQ(s, c.month);
    EXPECT_EQ(TwelveDaySign(c.branch, s), c.sign);
  }
}

// Around both solstices: on the switch day (a 甲子 day) the cycle restarts,
// upwards from 一白 in winter and downwards from 九紫 in summer; until then the
// previous half year's cycle runs on (2000-01-07 is the winter switch day).
TEST(NineStar, SwitchesAtTheSolsticeCycleDays) {
  struct Case {
    int y, m, d;
    int firstStar;
  } cases[] = {{2005, 2, 1, 1}, {2005, 9, 1, 9}, {2000, 1, 6, 9}, {2000, 1, 7, 1}, {1700, 8, 1, 9}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.y << "-" << c.m << "-" << c.d);
    double j = Noon(c.y, c.m, c.d);
    const MomentPair days = design::SolsticeCycleStartDays(j, DayCountClock(kMixed));
    ASSERT_TRUE(days.first && days.second);
    const double s1 = *days.first, s2 = *days.second;
    double sel = s2 <= j ? s2 : s1;
    ASSERT_GT(sel, 0);
    ASSERT_LE(sel, j);
    EXPECT_EQ(SexagenaryPosition(sel), 0);  // the switch day is 甲子
    EXPECT_EQ(NineStarNumber(sel, s1, s2, kMixed), c.firstStar);
    int second = c.firstStar == 1 ? 2 : 8;
    if (sel + 1 <= j) {
      EXPECT_EQ(NineStarNumber(sel + 1, s1, s2, kMixed), second);
    }
    if (sel + 9 <= j) {
      EXPECT_EQ(NineStarNumber(sel + 9, s1, s2, kMixed), c.firstStar);
    }
  }
  const MomentPair days = design::SolsticeCycleStartDays(Noon(2000, 1, 7), DayCountClock(kMixed));
  ASSERT_TRUE(days.first && days.second);
  const double s1 = *days.first, s2 = *days.second;
  EXPECT_EQ(NineStar(Noon(2000, 1, 6), s1, s2, kMixed), "一白水星");  // 179 days into the summer cycle
  EXPECT_EQ(NineStar(Noon(2000, 1, 7), s1, s2, kMixed), "一白水星");
  EXPECT_EQ(NineStar(Noon(2000, 1, 8), s1, s2, kMixed), "二黒土星");
}

TEST(MonthName, WesternMonths) {
  EXPECT_EQ(MonthName(6), "水無月");
  EXPECT_EQ(MonthName(3), "弥生\u3000");
  EXPECT_EQ(MonthName(12), "師走\u3000");
  EXPECT_EQ(MonthName(0), "");
  EXPECT_EQ(MonthName(13), "");
}

// Each row is read once and keeps every column; a row that does not exist is
// the engine's error, not an empty name.
TEST(DataTable, ReadsEachRowWholeAndReportsAMissingRow) {
  Names name;
  EXPECT_EQ(name(17, DataTable::kMansion), "胃");
  EXPECT_FALSE(name(17, DataTable::kMansionReading).empty());
  EXPECT_EQ(name(6, DataTable::kStem) + name(6, DataTable::kBranch), "戊午");
  EXPECT_THROW(name(99, DataTable::kWeekday), CDaoException);
}
