#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

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
    const std::optional<LunisolarDate> date = LunisolarDateOf(r.row.flag, r.lunarMonth, r.lunarDay);
    return date ? LunisolarDateText(*date) : "(none)";
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
    EXPECT_FALSE(LunisolarDateOf(r.row.flag, r.lunarMonth, r.lunarDay));
  }
  // The anchor a month before the target: the month calendar's grey days.
  EXPECT_EQ(LunisolarLookup(m_db, 2017, 7, 10, 2017, 6, kMixed).lunarDay, 17.0);
  EXPECT_FALSE(LunisolarLookup(m_db, 2017, 12, 31, 2017, 6, kMixed).found);
}

// The calendar rule only says how the date is written: the table's rows are
// read as it stores them (Julian before 1582-10-15), so a day has one
// lunisolar date whichever rule names it. Every day of 1000-1582 named under
// the Gregorian rule throughout gets the month and day the table holds for
// that day, as the default rule's lookup gives them (checked on every
// seventh day), in the day panel's lookup (also the month calendar's and
// `lunar`'s) and in the year list's (which reads the typed date under the
// rule; three days a month). No day is an exception.
TEST_F(Lunisolar, ADayHasOneLunisolarDateUnderEitherRule) {
  // The table's months from 999 to 1583, in ID order, as the oracle.
  std::vector<KyuurekiRow> months;
  {
    CDaoRecordset rs(&m_db);
    rs.Open(dbOpenDynaset, "SELECT * FROM [Kyuureki] WHERE [西暦] BETWEEN 999 AND 1583 ORDER BY [ID];");
    for (; !rs.IsEOF(); rs.MoveNext()) months.push_back(ReadKyuurekiRow(rs));
  }
  ASSERT_GT(months.size(), 7000u);
  const DateClock gregorian = DayCountClock(CalendarRule::Gregorian), mixed = DayCountClock(kMixed);
  const JulianDay first = DayNoon(1000, 1, 1, CalendarRule::Gregorian), last = DayNoon(1582, 12, 31, CalendarRule::Gregorian);
  std::size_t month = 0;
  int compared = 0;
  for (JulianDay j = first; j <= last; j += 1.0, ++compared) {
    while (month + 1 < months.size() && KyuurekiRowStart(months[month + 1]) <= j) ++month;
    ASSERT_LE(KyuurekiRowStart(months[month]), j);
    const int expectedId = months[month].id;
    const double expectedDay = j - KyuurekiRowStart(months[month]) + 1.0;
    const LocalTime g = JulianDayToDate(j, gregorian);
    std::vector<std::pair<const char*, LunisolarResult>> answers = {
        {"day panel", DayPanel(g.year, g.month, g.day, CalendarRule::Gregorian)}};
    if (g.day == 1 || g.day == 15 || g.day == 28)
      answers.emplace_back("year list", LunisolarLookup(m_db, static_cast<int>(g.year), text::SjisFormat("%.0f", g.month),
                                                        text::SjisFormat("%.0f", g.day), CalendarRule::Gregorian));
    if (compared % 7 == 0) {
      const LocalTime m = JulianDayToDate(j, mixed);
      answers.emplace_back("default rule", DayPanel(m.year, m.month, m.day, kMixed));
    }
    for (const auto& [who, r] : answers) {
      if (r.found && r.row.id == expectedId && r.lunarDay == expectedDay && r.noonJulianDay == j) continue;
      ADD_FAILURE() << "Gregorian " << g.year << "-" << g.month << "-" << g.day << " (" << who << "): row " << r.row.id
                    << " day " << r.lunarDay << ", the table: row " << expectedId << " day " << expectedDay;
      return;
    }
  }
  EXPECT_EQ(compared, 212'936);
  // 1500-01-15 Julian is the 15th of its lunisolar month, so 1500-01-15
  // Gregorian (1500-01-06 Julian) is the 6th.
  EXPECT_EQ(DayPanel(1500, 1, 15, kMixed).lunarDay, 15.0);
  EXPECT_EQ(DayPanel(1500, 1, 15, CalendarRule::Gregorian).lunarDay, 6.0);
  EXPECT_EQ(DayPanelText(1500, 1, 15), "　12月15日");
}

TEST_F(Lunisolar, YearListTypedTextsNeverReachTheEngine) {
  LunisolarResult r = LunisolarLookup(m_db, 2033, "12", "22", kMixed);
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.row.flag, 2);
  for (const char* bad : {"", "abc", "12;", "1 OR 1=1", "0); DELETE FROM Kyuureki; --"}) {
    EXPECT_TRUE(LunisolarLookup(m_db, 2033, bad, "1", kMixed).notANumber) << bad;
    EXPECT_TRUE(LunisolarLookup(m_db, 2033, "1", bad, kMixed).notANumber) << bad;
    EXPECT_TRUE(LunisolarToWestern(m_db, r.row.id, bad, "1", kMixed).notANumber) << bad;
  }
  KyuurekiRow last;
  EXPECT_TRUE(QueryKyuurekiRow(m_db, "SELECT * FROM [Kyuureki] WHERE [ID]=34226;", last));
}

TEST_F(Lunisolar, WesternDateOfALunisolarDate) {
  struct Case { int y; const char *m, *d; const char *month, *day; const char* regular; const char* leap; } cases[] = {
      // typed Western date (finds the start month), lunisolar month and day, results
      {2033, "11", "1", "11", "1", "2033-11-22", "2033-12-22"},
      {2017, "5", "30", "5", "1", "2017-05-26", "2017-06-24"},
      {2017, "6", "30", "6", "1", "2017-07-23", ""},
      {2033, "4", "15", "4", "30", "2033-05-28", ""},
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
      {0, 0, 5, nullptr}, {0, nan, 5, nullptr}, {0, 5, nan, nullptr},
  };
  for (const auto& c : cases) {
    const std::optional<LunisolarDate> date = LunisolarDateOf(c.flag, c.m, c.d);
    ASSERT_EQ(date.has_value(), c.text != nullptr) << c.m << "/" << c.d;
    if (date) {
      EXPECT_EQ(LunisolarDateText(*date), c.text);
    }
  }
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
