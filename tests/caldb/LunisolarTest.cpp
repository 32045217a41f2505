#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "astro/astro.h"
#include "caldb/Lunisolar.h"
#include "core/Text.h"

namespace {

constexpr CalendarRule kMixed = CalendarRule::JulianThenGregorian;

class Lunisolar : public ::testing::Test {
 protected:
  void SetUp() override { m_db.Open(OMBREL_DB_PATH, true, true, kCalendarConnect); }

  // The day panel's lookup of y-m-d with the view's year and month as anchor.
  LunisolarResult DayPanel(double y, double m, double d, CalendarRule calendar) {
    return LunisolarLookup(m_db, y, m, d, y, m, calendar);
  }
  std::string DayPanelText(double y, double m, double d) {
    LunisolarResult r = DayPanel(y, m, d, kMixed);
    return LunisolarDateText(r.row.flag, r.lunarMonth, r.lunarDay);
  }

  CDaoDatabase m_db;
};

TEST_F(Lunisolar, DayPanelDates) {
  struct Case { int y, m, d; const char* text; } cases[] = {
      {2000, 1, 1, "　11月25日"},
      {2033, 12, 21, "　11月30日"}, {2033, 12, 22, "閏11月1日"},  // 2033's leap eleventh month
      {2034, 1, 19, "閏11月29日"}, {2034, 1, 20, "　12月1日"},
      {2017, 6, 23, "　5月29日"}, {2017, 6, 24, "閏5月1日"}, {2017, 7, 22, "閏5月29日"}, {2017, 7, 23, "　6月1日"},
      {2005, 2, 8, "　12月30日"}, {2005, 2, 9, "　1月1日"},        // lunisolar new year
      {1582, 6, 21, "　6月2日"},                                  // a Julian-calendar date
      {2017, 5, 10, "　4月15日"},    // the month's only new moon comes later: previous row
      {1905, 8, 31, "　8月2日"},     // new moons on the 1st and the 30th: next row
      {2014, 2, 28, "　1月29日"},    // a February without a new moon: January's row
      {2033, 2, 27, "　1月28日"},
  };
  for (const auto& c : cases) EXPECT_EQ(DayPanelText(c.y, c.m, c.d), c.text) << c.y << "-" << c.m << "-" << c.d;
}

TEST_F(Lunisolar, DayPanelNormalisesTheDate) {
  LunisolarResult r = DayPanel(2033, 1, 32, kMixed);  // carries into February
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.lunarDay, 2.0);
  EXPECT_EQ(r.noonJulianDay, DayNoon(2033, 2, 1, kMixed));
}

// Outside the table, or with garbage, the date is empty rather than a day 0
// or a day counted from a month far away.
TEST_F(Lunisolar, DatesTheTableCannotPlaceAreEmpty) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case { double y, m, d; } cases[] = {
      {-667, 12, 8}, {-700, 6, 1}, {2101, 3, 1}, {2150, 1, 1}, {nan, 1, 1}, {2000, nan, 1}, {1e300, 1, 1},
  };
  for (const auto& c : cases) {
    LunisolarResult r = DayPanel(c.y, c.m, c.d, kMixed);
    EXPECT_FALSE(r.found) << c.y << "-" << c.m << "-" << c.d;
    EXPECT_EQ(LunisolarDateText(r.row.flag, r.lunarMonth, r.lunarDay), "");
  }
  // The anchor a month before the target: the month calendar's grey days.
  EXPECT_EQ(LunisolarLookup(m_db, 2017, 7, 10, 2017, 6, kMixed).lunarDay, 17.0);
  EXPECT_FALSE(LunisolarLookup(m_db, 2017, 12, 31, 2017, 6, kMixed).found);
}

// The calendar rule only says how the date is written: the table's rows are
// read as it stores them (Julian before 1582-10-15), so a day has one
// lunisolar date whichever rule names it, and the year list (which reads the
// typed date as the table does) agrees. Under the Gregorian rule throughout
// the rows used to be read as Gregorian dates, which put the day panel some
// nine days off the year list before 1582.
TEST_F(Lunisolar, ADayHasOneLunisolarDateUnderEitherRule) {
  const double gregorianDates[][3] = {{1500, 3, 20}, {1500, 1, 15}, {1000, 6, 15}, {1582, 10, 10}, {2033, 12, 22}};
  for (const auto& g : gregorianDates) {
    const LocalTime j = JulianDayToDate(DayNoon(g[0], g[1], g[2], CalendarRule::Gregorian), DayCountClock(kMixed));
    const LunisolarResult gregorian = DayPanel(g[0], g[1], g[2], CalendarRule::Gregorian);
    const LunisolarResult mixed = DayPanel(j.year, j.month, j.day, kMixed);
    const LunisolarResult yearList = LunisolarLookup(m_db, text::SjisFormat("%.0f", j.year),
                                                     text::SjisFormat("%.0f", j.month), text::SjisFormat("%.0f", j.day), kMixed);
    // The year list under the Gregorian rule reads the typed date as the day panel does.
    const LunisolarResult yearListGregorian =
        LunisolarLookup(m_db, text::SjisFormat("%.0f", g[0]), text::SjisFormat("%.0f", g[1]),
                        text::SjisFormat("%.0f", g[2]), CalendarRule::Gregorian);
    EXPECT_EQ(yearListGregorian.row.id, gregorian.row.id);
    EXPECT_EQ(yearListGregorian.lunarDay, gregorian.lunarDay);
    SCOPED_TRACE(testing::Message() << g[0] << "-" << g[1] << "-" << g[2]);
    ASSERT_TRUE(gregorian.found && mixed.found && yearList.found);
    EXPECT_EQ(gregorian.row.id, mixed.row.id);
    EXPECT_EQ(gregorian.lunarDay, mixed.lunarDay);
    EXPECT_EQ(gregorian.noonJulianDay, mixed.noonJulianDay);
    EXPECT_EQ(yearList.row.id, mixed.row.id);
    EXPECT_EQ(yearList.lunarDay, mixed.lunarDay);
  }
  // 1500-01-15 Julian is the 15th of its lunisolar month, so 1500-01-15
  // Gregorian (1500-01-06 Julian) is the 6th; the Gregorian rule used to give
  // the 15th for both.
  EXPECT_EQ(LunisolarLookup(m_db, "1500", " 1", "15", kMixed).lunarDay, 15.0);
  EXPECT_EQ(DayPanel(1500, 1, 15, kMixed).lunarDay, 15.0);
  EXPECT_EQ(DayPanel(1500, 1, 15, CalendarRule::Gregorian).lunarDay, 6.0);
  EXPECT_EQ(DayPanelText(1500, 1, 15), "　12月15日");
}

TEST_F(Lunisolar, YearListTypedTextsNeverReachTheEngine) {
  LunisolarResult r = LunisolarLookup(m_db, "2033", "12", "22", kMixed);
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.row.flag, 2);
  for (const char* bad : {"", "abc", "12;", "1 OR 1=1", "0); DELETE FROM Kyuureki; --"}) {
    EXPECT_TRUE(LunisolarLookup(m_db, "2033", bad, "1", kMixed).notANumber) << bad;
    EXPECT_TRUE(LunisolarLookup(m_db, bad, "1", "1", kMixed).notANumber) << bad;
    EXPECT_TRUE(LunisolarToWestern(m_db, r.row.id, bad, "1", kMixed).notANumber) << bad;
  }
  KyuurekiRow last;
  EXPECT_TRUE(QueryKyuurekiRow(m_db, "SELECT * FROM [Kyuureki] WHERE [ID]=34226;", last));
}

TEST_F(Lunisolar, WesternDateOfALunisolarDate) {
  struct Case { const char *y, *m, *d; const char *month, *day; const char* regular; const char* leap; } cases[] = {
      // typed Western date (finds the start month), lunisolar month and day, results
      {"2033", "11", "1", "11", "1", "2033-11-22", "2033-12-22"},
      {"2017", "5", "30", "5", "1", "2017-05-26", "2017-06-24"},
      {"2017", "6", "30", "6", "1", "2017-07-23", ""},
      {"2033", "4", "15", "4", "30", "2033-05-28", ""},
  };
  for (const auto& c : cases) {
    LunisolarResult start = LunisolarLookup(m_db, c.y, c.m, c.d, kMixed);
    ASSERT_TRUE(start.found);
    LunisolarWestern w = LunisolarToWestern(m_db, start.row.id, c.month, c.day, kMixed);
    LunisolarWestern leap = LunisolarToWesternLeap(m_db, w, c.month, c.day, kMixed);
    auto text = [](const LunisolarWestern& x) {
      return x.found ? text::SjisFormat("%04.0f-%02.0f-%02.0f", x.year, x.month, x.day) : std::string();
    };
    EXPECT_EQ(text(w), c.regular) << c.y << "-" << c.m << " " << c.month << "/" << c.day;
    EXPECT_EQ(text(leap), c.leap) << c.y << "-" << c.m << " " << c.month << "/" << c.day;
  }
  // Past the table's end there is no row to count from.
  EXPECT_FALSE(LunisolarToWestern(m_db, 34226, "5", "1", kMixed).found);
}

TEST(LunisolarText, LeapMarkAndNoPadding) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case { int flag; double m, d; const char* text; } cases[] = {
      {2, 11, 1, "閏11月1日"}, {0, 4, 15, "　4月15日"}, {1, 1, 1, "　1月1日"}, {0, 12.9, 30.2, "　12月30日"},
      {0, 0, 5, ""}, {0, nan, 5, ""}, {0, 5, nan, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(LunisolarDateText(c.flag, c.m, c.d), c.text);
}

TEST(LunisolarText, YearOfARow) {
  struct Case { int year, month, lunarMonth, want; } cases[] = {
      {2005, 1, 12, 2004}, {2014, 2, 12, 2013}, {2100, 12, 12, 2100}, {2005, 2, 1, 2005}, {2033, 1, 1, 2033},
  };
  for (const auto& c : cases) {
    KyuurekiRow row;
    row.year = c.year, row.month = c.month, row.lunarMonth = c.lunarMonth;
    EXPECT_EQ(LunisolarYear(row), c.want) << c.year << "-" << c.month;
  }
}

}  // namespace
