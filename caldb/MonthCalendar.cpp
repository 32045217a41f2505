// The month calendar's cells, texts and click grid.
#include "caldb/MonthCalendar.h"

#include <cmath>
#include <cstdlib>

#include "astro/TimeScales.h"
#include "caldb/Dao.h"
#include "caldb/DataTable.h"
#include "caldb/Lunisolar.h"
#include "core/Text.h"
#include "holidays/Holidays.h"
#include "signs/Signs.h"

namespace monthcal {

Point CellOrigin(int row, int column) { return {kGridLeft + kCellWidth * column, kGridTop + kCellHeight * row}; }

Point DayNumberOrigin(int row, int column) {
  Point p = CellOrigin(row, column);
  return {p.x + kDayNumberDx, p.y + kDayNumberDy};
}

Point SignOrigin(int row, int column) {
  Point p = CellOrigin(row, column);
  return {p.x + kSignDx, p.y + kSignDy};
}

Point HeadingOrigin(int column) { return {CellOrigin(0, column).x + kHeadingDx, kHeadingTop}; }

bool CellAt(int formX, int formY, int& row, int& column) {
  const int x = formX - kControlLeft - kGridLeft;
  const int y = formY - kControlTop - kGridTop;
  if (x < 0 || y < 0 || x >= kColumns * kCellWidth || y >= kRows * kCellHeight) return false;
  column = x / kCellWidth;
  row = y / kCellHeight;
  return true;
}

bool HitTest(int formX, int formY, std::optional<JulianDay> firstCellJulianDay, JulianDay& julianDay) {
  int row = 0, column = 0;
  // A month that could not be drawn has no days to pick.
  if (!firstCellJulianDay || !CellAt(formX, formY, row, column)) return false;
  julianDay = *firstCellJulianDay + column + 7 * row;
  return true;
}

}  // namespace monthcal

void MarkHolidays(MonthCalendarModel& model, double year, double month, const Ephemeris& ephemeris) {
  if (!(year >= holidays::kFirstYear && year < holidays::kLastYear + 1)) return;
  const int y = static_cast<int>(year), m = static_cast<int>(month);
  for (const holidays::Holiday& h : holidays::HolidaysOfYear(y, ephemeris)) {
    if (h.month != m) continue;
    for (MonthCalendarCell& c : model.cells)
      if (c.tone != MonthCellTone::OtherMonth && std::atoi(c.dayText.c_str()) == h.day) c.holiday = true;
  }
}

std::string MonthCalendarCalendarName(double year, double month, CalendarRule calendar) {
  const int y = TruncToInt(year), m = TruncToInt(month);
  const bool julian = calendar == CalendarRule::JulianThenGregorian && y <= 1582 && !(y == 1582 && (m == 11 || m == 12));
  return julian ? "(ユリウス暦)" : "(グレゴリオ暦)";
}

namespace {

// Weekday index, 0 for Sunday.
int WeekdayIndex(JulianDay j) { return CycleIndex(j, 2, 7); }

// The signs of one drawing: one connection, and each Data row read once.
class SignReader {
 public:
  SignReader(int signDisplay, CalendarRule calendar) : m_nSignDisplay(signDisplay), m_calendar(calendar) {
    m_db.Open(kCalendarDatabase, true, true, kCalendarConnect);
  }

  std::string SignOf(JulianDay j, double y, double m, double d) {
    if (m_nSignDisplay == 0)
      return m_data.Text(DayStemRow(j), DataTable::kStem) + m_data.Text(DayBranchRow(j), DataTable::kBranch);
    return SixDaySignOf(y, m, d);
  }

 private:
  std::string SixDaySignOf(double y, double m, double d) {
    // A lunisolar month has at least 29 days, so between the days near a
    // month's start the day number is counted on instead of looked up.
    if (m_dPreviousLunarDay < 2 || m_dPreviousLunarDay > 27) {
      // Anchored on the day's own month: the lookup finds the month holding
      // any day of its anchor month, grey days of the neighbours included.
      const LunisolarResult r = LunisolarLookup(m_db, y, m, d, y, m, m_calendar);
      m_bHaveLunar = r.found;
      m_dLunarMonth = r.lunarMonth;
      m_dLunarDay = r.found ? r.lunarDay : 0;
    } else {
      m_dLunarDay += 1;
    }
    m_dPreviousLunarDay = m_dLunarDay;
    return m_bHaveLunar ? m_data.Text(SixDaySignRow(m_dLunarMonth, m_dLunarDay), DataTable::kSixDay) : std::string();
  }

  int m_nSignDisplay;
  CalendarRule m_calendar;
  CDaoDatabase m_db;
  DataTable m_data{m_db};
  bool m_bHaveLunar = false;
  double m_dLunarMonth = 0;
  double m_dLunarDay = 0;
  double m_dPreviousLunarDay = 0;
};

MonthCellTone ToneOf(int p, int n, double d, double selectedDay) {
  if (p < 1 || p > n) return MonthCellTone::OtherMonth;
  return TruncToInt(d) == TruncToInt(selectedDay) ? MonthCellTone::Selected : MonthCellTone::Current;
}

}  // namespace

MonthCalendarModel BuildMonthCalendar(double year, double month, double day, int signDisplay,
                                      CalendarRule calendar) {
  const auto NoonJulianDay = [calendar](double y, double m, double d) { return DayNoon(y, m, d, calendar); };
  MonthCalendarModel model;
  model.title = text::SjisFormat("%4d年 %2d月", TruncToInt(year), TruncToInt(month)) +
                MonthCalendarCalendarName(year, month, calendar);
  for (const char* w : {"日", "月", "火", "水", "木", "金", "土"}) model.headings.push_back(text::SjisFormat("%3s", w));

  const JulianDay jNext = NoonJulianDay(year, month + 1, 1);
  const JulianDay jFirst = NoonJulianDay(year, month, 1);
  const JulianDay jLast0 = NoonJulianDay(year, month, 0);
  if (!std::isfinite(jNext) || !std::isfinite(jFirst) || !std::isfinite(jLast0)) return model;
  const double length = std::trunc(jNext - jFirst);
  // Only a real month (21 days for October 1582 under the Julian rule) is
  // drawn; absurd years lose the day in the double's precision.
  if (!(length >= 1 && length <= 31) || std::fabs(jLast0 + 1 - jFirst) > 0.5) return model;
  const int n = static_cast<int>(length);
  const int lead = WeekdayIndex(jLast0);
  model.firstCellJulianDay = jLast0 - lead;

  for (int p = -lead; p <= n - WeekdayIndex(jNext) + 7; ++p) {
    const int cell = p + lead;
    if (cell / monthcal::kColumns >= monthcal::kRows) break;
    MonthCalendarCell c;
    c.row = cell / monthcal::kColumns;
    c.column = cell % monthcal::kColumns;
    c.julianDay = jLast0 + p;
    const double d = JulianDayToDate(c.julianDay, DayCountClock(calendar)).day;
    c.dayText = text::SjisFormat("%2d", TruncToInt(d));
    c.tone = ToneOf(p, n, d, day);
    model.cells.push_back(c);
  }
  // The day numbers stand without the database; its failure only stops the
  // signs from that day on.
  try {
    SignReader signs(signDisplay, calendar);
    for (MonthCalendarCell& c : model.cells) {
      const LocalTime t = JulianDayToDate(c.julianDay, DayCountClock(calendar));
      c.signText = signs.SignOf(c.julianDay, t.year, t.month, t.day);
    }
  } catch (const CDaoException& e) {
    model.error = e.what();
  }
  return model;
}
