// The month calendar's cells, colours, signs and click grid, on the built
// calendar database.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <limits>
#include <string>

#include "astro/Clock.h"
#include "astro/TimeScales.h"
#include "caldb/MonthCalendar.h"
#include "core/Text.h"
#include "signs/Signs.h"

#include "tests/support/TestSupport.h"

namespace {

using namespace monthcal;

class MonthCalendarTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_cwd.Entered()); }
  testsupport::WorkingDirectory m_cwd{testsupport::DatabaseDir()};
};

constexpr CalendarRule kMixed = CalendarRule::JulianThenGregorian;

JulianDay Noon(double y, double m, double d) { return DayNoon(y, m, d, kMixed); }

const MonthCalendarCell* CellOf(const MonthCalendarModel& model, JulianDay j) {
  for (const MonthCalendarCell& c : model.cells)
    if (c.julianDay == j) return &c;
  return nullptr;
}

// Every pixel a cell's texts can cover (a two-digit number, a two-kanji sign,
// one font height each) selects that cell, and the grid's edges select nothing.
TEST(MonthCalendarGrid, DrawnTextsLieInsideTheirClickCells) {
  const JulianDay first = 2451000.625;
  for (int row = 0; row < kRows; ++row)
    for (int column = 0; column < kColumns; ++column) {
      const Point number = DayNumberOrigin(row, column), sign = SignOrigin(row, column);
      const Point corners[] = {number, {number.x + 11, number.y + kFontHeight - 1}, sign,
                               {sign.x + 23, sign.y + kFontHeight - 1}};
      for (Point p : corners) {
        JulianDay jd = 0;
        ASSERT_TRUE(HitTest(p.x + kControlLeft, p.y + kControlTop, first, jd)) << row << "," << column;
        EXPECT_EQ(jd, first + column + 7 * row) << row << "," << column << " at " << p.x << "," << p.y;
      }
    }
  struct Click {
    int x, y;
    bool hit;
    int offset;
  } clicks[] = {{525 + 2 * 31, 300 + 30, true, 9}, {510, 310, false, 0}, {525, 300, true, 0},
                {741, 479, true, 6 + 35},          {742, 300, false, 0}, {525, 480, false, 0}, {524, 299, false, 0}};
  for (const Click& c : clicks) {
    JulianDay jd = -1;
    EXPECT_EQ(HitTest(c.x, c.y, first, jd), c.hit) << c.x << "," << c.y;
    if (c.hit) {
      EXPECT_EQ(jd, first + c.offset);
    }
  }
}

TEST_F(MonthCalendarTest, GreyNeighboursRedSelectedDayBlackRest) {
  struct Case {
    double year, month, day;
    int cells, leadingGrey, trailingGrey;
  } cases[] = {
      {2009, 2, 14, 42, 7, 7},  // Sunday to Saturday: a grey week on either side, six rows
      {2009, 6, 1, 35, 1, 4},   // begins on a Monday: one grey day before it
      {2009, 3, 1, 42, 7, 4},   // 1 April, grey, stays grey although day 1 is selected
      {2005, 12, 31, 42, 4, 7}, // December, ending on a Saturday: a grey week of January
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.year << "-" << c.month);
    MonthCalendarModel m = BuildMonthCalendar(c.year, c.month, c.day, 0, kMixed);
    ASSERT_EQ(static_cast<int>(m.cells.size()), c.cells);
    EXPECT_TRUE(m.error.empty()) << m.error;
    ASSERT_EQ(m.firstCellJulianDay, m.cells.front().julianDay);
    EXPECT_EQ(WeekdayRow(*m.firstCellJulianDay), 1);  // Sunday's row
    int selected = 0;
    for (std::size_t i = 0; i < m.cells.size(); ++i) {
      const MonthCalendarCell& cell = m.cells[i];
      EXPECT_EQ(cell.julianDay, *m.firstCellJulianDay + cell.column + 7 * cell.row);
      const bool grey = static_cast<int>(i) < c.leadingGrey || static_cast<int>(i) >= c.cells - c.trailingGrey;
      if (grey) {
        EXPECT_EQ(cell.tone, MonthCellTone::OtherMonth) << i;
      } else if (cell.tone == MonthCellTone::Selected) {
        ++selected;
        EXPECT_EQ(cell.dayText, text::SjisFormat("%2d", static_cast<int>(c.day)));
      } else {
        EXPECT_EQ(cell.tone, MonthCellTone::Current) << i;
      }
    }
    EXPECT_EQ(selected, 1);
  }
}

TEST_F(MonthCalendarTest, TitleNamesTheCalendarInForce) {
  struct Case {
    int mode;
    double year, month;
    const char* title;
  } cases[] = {{0, 1582, 10, "1582年 10月(ユリウス暦)"}, {0, 1582, 11, "1582年 11月(グレゴリオ暦)"},
               {0, 1583, 1, "1583年  1月(グレゴリオ暦)"}, {1, 1500, 3, "1500年  3月(グレゴリオ暦)"},
               {0, -660, 2, "-660年  2月(ユリウス暦)"}};
  for (const Case& c : cases) {
    EXPECT_EQ(BuildMonthCalendar(c.year, c.month, 1, 0, CalendarRuleOfMode(c.mode)).title, c.title);
  }
  // October 1582 under the Julian rule: 4 October is followed by 15 October.
  MonthCalendarModel oct = BuildMonthCalendar(1582, 10, 4, 0, kMixed);
  const MonthCalendarCell* fourth = CellOf(oct, Noon(1582, 10, 4));
  ASSERT_NE(fourth, nullptr);
  EXPECT_EQ(CellOf(oct, fourth->julianDay + 1)->dayText, "15");
}

TEST_F(MonthCalendarTest, SignsFromTheDatabase) {
  struct Case {
    int signDisplay;
    double year, month;  // the month shown
    double y, m, d;      // a drawn day, grey ones included
    const char* sign;
  } cases[] = {
      {0, 2000, 1, 2000, 1, 1, "戊午"},
      {1, 2033, 1, 2033, 1, 31, "先勝"},   // 1/1
      {1, 2033, 12, 2033, 12, 22, "大安"}, // 閏11/1 counts as month 11
      // February 2014 has no new moon; its neighbours' grey days still get
      // their own months: 2014-01-30 is 12/30, 01-31 is 1/1, 03-01 is 2/1.
      {1, 2014, 2, 2014, 1, 30, "大安"},
      {1, 2014, 2, 2014, 1, 31, "先勝"},
      {1, 2014, 2, 2014, 2, 28, "大安"},
      {1, 2014, 2, 2014, 3, 1, "友引"},
      {1, 2014, 3, 2014, 2, 23, "赤口"},  // 1/24, grey in March
      {1, 2014, 3, 2014, 3, 31, "先負"},  // 3/1
  };
  for (const Case& c : cases) {
    MonthCalendarModel m = BuildMonthCalendar(c.year, c.month, 1, c.signDisplay, kMixed);
    EXPECT_TRUE(m.error.empty()) << m.error;
    const MonthCalendarCell* cell = CellOf(m, Noon(c.y, c.m, c.d));
    ASSERT_NE(cell, nullptr) << c.y << "-" << c.m << "-" << c.d;
    EXPECT_EQ(cell->signText, c.sign) << c.y << "-" << c.m << "-" << c.d;
  }
}

TEST_F(MonthCalendarTest, AbsurdDatesDrawNoCells) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  for (double y : {nan, inf, -inf, 1e300, -1e300, 1e18}) {
    const MonthCalendarModel m = BuildMonthCalendar(y, 5, 1, 1, kMixed);
    EXPECT_TRUE(m.cells.empty()) << y;
    // Clicking the empty calendar picks no day.
    JulianDay jd = 0;
    EXPECT_FALSE(HitTest(525 + 31, 300 + 30, m.firstCellJulianDay, jd)) << y;
  }
  EXPECT_TRUE(BuildMonthCalendar(2000, nan, 1, 0, kMixed).cells.empty());
  // Month 13 carries into the next year, as the spinners do.
  EXPECT_EQ(BuildMonthCalendar(2004, 13, 1, 0, kMixed).title.substr(0, 4), "2004");
  EXPECT_FALSE(BuildMonthCalendar(2004, 13, 1, 0, kMixed).cells.empty());
}

TEST_F(MonthCalendarTest, MissingDatabaseKeepsTheDayNumbers) {
  testsupport::ScratchDir dir("monthcal_nodb");
  const testsupport::WorkingDirectory inside(dir.Path());
  ASSERT_TRUE(inside.Entered());
  MonthCalendarModel m = BuildMonthCalendar(2033, 12, 1, 1, kMixed);
  EXPECT_FALSE(m.error.empty());
  ASSERT_EQ(m.cells.size(), 42u);
  for (const MonthCalendarCell& c : m.cells) {
    EXPECT_FALSE(c.dayText.empty());
    EXPECT_TRUE(c.signText.empty());
  }
}

}  // namespace
