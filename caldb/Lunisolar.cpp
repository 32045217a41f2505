#include "caldb/Lunisolar.h"

#include <cmath>
#include <cstdlib>

#include "astro/TimeScales.h"
#include "core/Text.h"

namespace {

using text::SjisFormat;

// A lunisolar month has 29 or 30 days; a day number beyond that means the
// table could not place the date.
constexpr double kLongestMonth = 30.0;

bool WholeNumber(double v, int& out) {
  if (!std::isfinite(v) || std::fabs(v) > 999999.0) return false;
  out = static_cast<int>(v);
  return true;
}


bool RowById(CDaoDatabase& db, int id, const char* format, KyuurekiRow& row) {
  return QueryKyuurekiRow(db, SjisFormat(format, id), row);
}

bool RowByMonth(CDaoDatabase& db, int month, int year, KyuurekiRow& row) {
  return QueryKyuurekiRow(db, SjisFormat("SELECT * FROM [Kyuureki] WHERE [月]=%4d AND [西暦]=%4d;", month, year), row);
}

// The search shared by both lookups: the month found from the anchor, one step
// back when the target lies before it, one step on when the next month has
// already begun.
LunisolarResult Locate(CDaoDatabase& db, int anchorYear, int anchorMonth, int fallbackYear, int fallbackMonth,
                       JulianDay target) {
  const auto rowStart = KyuurekiRowStart;
  LunisolarResult r;
  r.noonJulianDay = target;
  KyuurekiRow cur, next;
  if (!RowByMonth(db, anchorMonth, anchorYear, cur) && !RowByMonth(db, fallbackMonth, fallbackYear, cur)) return r;
  bool hasNext = RowById(db, cur.id + 1, "SELECT * FROM [Kyuureki] WHERE [ID]=%4d;", next);
  JulianDay jc = rowStart(cur);
  double day;
  if (jc > target) {
    KyuurekiRow prev;
    // Before the table's first month there is nothing to count from.
    if (!RowById(db, cur.id - 1, "SELECT * FROM [Kyuureki] WHERE [ID]=%5d;", prev)) return r;
    cur = prev;
    day = std::floor(target) - std::floor(rowStart(prev)) + 1.0;
  } else if (hasNext && rowStart(next) <= target) {
    day = std::floor(target) - std::floor(rowStart(next)) + 1.0;
    cur = next;
  } else {
    day = std::floor(target) - std::floor(jc) + 1.0;
  }
  // Past the last month, or too far from the anchor for one step: no date.
  if (day < 1.0 || day > kLongestMonth) return r;
  r.found = true;
  r.row = cur;
  r.lunarMonth = cur.lunarMonth;
  r.lunarDay = day;
  return r;
}

}  // namespace

JulianDay KyuurekiRowStart(const KyuurekiRow& row) {
  return DayNoon(row.year, row.month, row.day, CalendarRule::JulianThenGregorian);
}

namespace {

// The values a month row may hold. Bounding the ID keeps every ID ± a few
// months far from the int range; the rest keeps a damaged row from passing
// for a date.
void CheckKyuurekiRow(const KyuurekiRow& row) {
  // A leap month repeats a numbered month, so it cannot be "no date" (0).
  struct Bound { const char* column; int value, lo, hi; } bounds[] = {
      {"ID", row.id, 1, kMaxKyuurekiId}, {"西暦", row.year, -100000, 100000}, {"月", row.month, 1, 12},
      {"日", row.day, 1, 31}, {"指標", row.flag, 0, 2}, {"旧暦", row.lunarMonth, row.flag == 2 ? 1 : 0, 12},
  };
  for (const Bound& b : bounds)
    if (b.value < b.lo || b.value > b.hi)
      throw CDaoException(0, "table Kyuureki, row ID " + std::to_string(row.id) + ": " + b.column + " " +
                                 std::to_string(b.value) + " is outside " + std::to_string(b.lo) + ".." +
                                 std::to_string(b.hi));
}

}  // namespace

KyuurekiRow ReadKyuurekiRow(const CDaoRecordset& rs) {
  auto field = [&](int i) { return std::atoi(VariantToText(rs.GetFieldValue(i)).c_str()); };
  KyuurekiRow row;
  row.id = field(0);
  row.year = field(1);
  row.month = field(2);
  row.day = field(3);
  row.flag = field(4);
  row.lunarMonth = field(5);
  CheckKyuurekiRow(row);
  return row;
}

bool QueryKyuurekiRow(CDaoDatabase& db, const std::string& sql, KyuurekiRow& row) {
  CDaoRecordset rs(&db);
  rs.Open(dbOpenDynaset, sql);
  if (rs.IsEOF()) return false;
  row = ReadKyuurekiRow(rs);
  return true;
}

LunisolarResult LunisolarLookup(CDaoDatabase& db, double year, double month, double day, double anchorYear,
                                double anchorMonth, CalendarRule calendar) {
  JulianDay j = DayNoon(year, month, day, calendar);
  int ay = 0, am = 0;
  if (!std::isfinite(j) || !WholeNumber(anchorYear, ay) || !WholeNumber(anchorMonth, am)) {
    LunisolarResult none;
    return none;
  }
  // The target normalised: a day past the month's end is a day of the next.
  const LocalTime date = JulianDayToDate(j, DayCountClock(calendar));
  j = DayNoon(date.year, date.month, date.day, calendar);
  int wy = 0, wm = 0;
  WholeNumber(date.year, wy);
  WholeNumber(date.month, wm);
  return Locate(db, ay, am, wy, wm - 1, j);
}

LunisolarResult LunisolarLookup(double year, double month, double day, double anchorYear, double anchorMonth,
                                CalendarRule calendar) {
  CDaoDatabase db;
  db.Open(kCalendarDatabase, true, true, kCalendarConnect);
  LunisolarResult r = LunisolarLookup(db, year, month, day, anchorYear, anchorMonth, calendar);
  db.Close();
  return r;
}

LunisolarResult LunisolarLookup(CDaoDatabase& db, const std::string& yearText, const std::string& monthText,
                                const std::string& dayText, CalendarRule calendar) {
  int y = 0, m = 0, d = 0;
  if (!ParseTypedNumber(yearText, y) || !ParseTypedNumber(monthText, m) || !ParseTypedNumber(dayText, d)) {
    LunisolarResult bad;
    bad.notANumber = true;
    return bad;
  }
  return Locate(db, y, m, y, m - 1, DayNoon(y, m, d, calendar));
}

std::string LunisolarDateText(int flag, double lunarMonth, double lunarDay) {
  int month = 0, day = 0;
  if (!WholeNumber(lunarMonth, month) || !WholeNumber(lunarDay, day) || month == 0) return "";
  return SjisFormat("%s%d月%d日", flag == 2 ? "閏" : "　", month, day);
}

int LunisolarYear(const KyuurekiRow& row) {
  bool lateTwelfth = row.lunarMonth == 12 && (row.month == 1 || row.month == 2);
  return lateTwelfth ? row.year - 1 : row.year;
}

namespace {

LunisolarWestern WesternOfRow(const KyuurekiRow& row, int lunarDay, CalendarRule calendar) {
  LunisolarWestern w;
  w.found = true;
  w.row = row;
  w.lunarDay = lunarDay;
  w.julianDay = KyuurekiRowStart(row) + lunarDay - 1.0;
  const LocalTime date = JulianDayToDate(w.julianDay, DayCountClock(calendar));
  w.year = date.year, w.month = date.month, w.day = date.day;
  return w;
}

bool ParseMonthDay(const std::string& monthText, const std::string& dayText, int& m, int& d) {
  return ParseTypedNumber(monthText, m) && ParseTypedNumber(dayText, d);
}

}  // namespace

LunisolarWestern LunisolarToWestern(CDaoDatabase& db, int startId, const std::string& monthText,
                                    const std::string& dayText, CalendarRule calendar) {
  LunisolarWestern none;
  int m = 0, d = 0;
  if (!ParseMonthDay(monthText, dayText, m, d)) {
    none.notANumber = true;
    return none;
  }
  const char* byId = "SELECT * FROM [Kyuureki] WHERE [ID]=%5d;";
  KyuurekiRow row;
  if (!RowById(db, startId, byId, row)) return none;
  for (int step = 0; step < 3 && row.lunarMonth != m; ++step)
    if (!RowById(db, row.id + 1, byId, row)) return none;
  return WesternOfRow(row, d, calendar);
}

LunisolarWestern LunisolarToWesternLeap(CDaoDatabase& db, const LunisolarWestern& regular,
                                        const std::string& monthText, const std::string& dayText,
                                        CalendarRule calendar) {
  LunisolarWestern none;
  int m = 0, d = 0;
  if (!ParseMonthDay(monthText, dayText, m, d)) {
    none.notANumber = true;
    return none;
  }
  if (!regular.found) return none;
  CDaoRecordset rs(&db);
  rs.Open(dbOpenDynaset, SjisFormat("SELECT * FROM [Kyuureki] WHERE [ID]=%5d;", regular.row.id + 1));
  if (rs.IsEOF()) return none;
  KyuurekiRow next = ReadKyuurekiRow(rs);
  // The leap mark is compared as text, as the table stores it.
  bool leap = VariantToText(rs.GetFieldValue(4)) == "2";
  if (next.lunarMonth != m || !leap) return none;
  return WesternOfRow(next, d, calendar);
}
