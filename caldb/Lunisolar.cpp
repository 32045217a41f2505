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
  const std::string sql = SjisFormat("SELECT * FROM [Kyuureki] WHERE [月]=%4d AND [西暦]=%4d;", month, year);
  if (!QueryKyuurekiRow(db, sql, row)) return false;
  CheckKyuurekiMatch(row, row.month == month && row.year == year, sql);
  return true;
}

// Whether an anchor month no row was found for lies outside the table, else
// the table is damaged: a month within it holds the first day of a lunisolar
// month, or the month before it does. A typed month outside 1..12 names no
// month and is neither.
bool OutsideTable(CDaoDatabase& db, JulianDay (*rowStart)(const KyuurekiRow&), int year, int month) {
  if (month < 1 || month > 12) return false;
  KyuurekiRow first, last, anchor;
  anchor.year = year;
  anchor.month = month;
  anchor.day = 1;
  const JulianDay start = rowStart(anchor);
  KyuurekiEnds(db, first, last);
  if (start < rowStart(first) || start >= rowStart(last)) return true;
  throw CDaoException(kKyuurekiDamaged, "table Kyuureki: no row for a month beginning in " + std::to_string(year) +
                                            "-" + std::to_string(month) + " or the month before");
}

// The search shared by both lookups: the month found from the anchor, one step
// back when the target lies before it, one step on when the next month has
// already begun.
LunisolarResult Locate(CDaoDatabase& db, int anchorYear, int anchorMonth, int fallbackYear, int fallbackMonth,
                       JulianDay target) {
  const auto rowStart = KyuurekiRowStart;
  CDaoReadScope snapshot(db);
  LunisolarResult r;
  r.noonJulianDay = target;
  KyuurekiRow cur, next;
  if (!RowByMonth(db, anchorMonth, anchorYear, cur) && !RowByMonth(db, fallbackMonth, fallbackYear, cur)) {
    r.outsideTable = OutsideTable(db, rowStart, anchorYear, anchorMonth);
    return r;
  }
  bool hasNext = RowById(db, cur.id + 1, "SELECT * FROM [Kyuureki] WHERE [ID]=%4d;", next);
  JulianDay jc = rowStart(cur);
  double day;
  if (jc > target) {
    KyuurekiRow prev;
    // Before the table's first month there is nothing to count from.
    if (!RowById(db, cur.id - 1, "SELECT * FROM [Kyuureki] WHERE [ID]=%5d;", prev)) {
      r.outsideTable = true;
      return r;
    }
    cur = prev;
    hasNext = true;
    day = std::floor(target) - std::floor(rowStart(prev)) + 1.0;
  } else if (hasNext && rowStart(next) <= target) {
    day = std::floor(target) - std::floor(rowStart(next)) + 1.0;
    cur = next;
    hasNext = RowById(db, cur.id + 1, "SELECT * FROM [Kyuureki] WHERE [ID]=%4d;", next);
  } else {
    day = std::floor(target) - std::floor(jc) + 1.0;
  }
  // The last row only ends the month before it: its own length is unknown.
  if (!hasNext) {
    r.outsideTable = true;
    return r;
  }
  // Past the last month, or too far from the anchor for one step: no date.
  if (day < 1.0 || day > kLongestMonth) return r;
  r.found = true;
  r.row = cur;
  r.lunarMonth = cur.lunarMonth;
  r.lunarDay = day;
  return r;
}

// The anchor and fallback months as the table names them. The table stores
// Julian dates before 1582-10-15; under the Gregorian rule throughout, a
// day's Gregorian month and its Julian month can differ, so both months move
// by the months between the target's month under the rule and its month in
// the table. Under the table's own rule nothing moves.
struct SearchMonths {
  int year, month, fallbackYear, fallbackMonth;
};

long long MonthIndex(double year, double month) {
  int y = 0, m = 0;
  WholeNumber(year, y);
  WholeNumber(month, m);
  return static_cast<long long>(y) * 12 + (m - 1);
}

void MonthOfIndex(long long index, int& year, int& month) {
  year = static_cast<int>(index >= 0 ? index / 12 : -((-index + 11) / 12));
  month = static_cast<int>(index - static_cast<long long>(year) * 12 + 1);
}

SearchMonths InTable(SearchMonths asked, JulianDay target, CalendarRule calendar) {
  const LocalTime named = JulianDayToDate(target, DayCountClock(calendar));
  const LocalTime stored = JulianDayToDate(target, DayCountClock(CalendarRule::JulianThenGregorian));
  const long long shift = MonthIndex(stored.year, stored.month) - MonthIndex(named.year, named.month);
  if (shift == 0) return asked;
  SearchMonths moved{};
  MonthOfIndex(MonthIndex(asked.year, asked.month) + shift, moved.year, moved.month);
  MonthOfIndex(MonthIndex(asked.fallbackYear, asked.fallbackMonth) + shift, moved.fallbackYear, moved.fallbackMonth);
  return moved;
}

LunisolarResult LocateUnder(CDaoDatabase& db, SearchMonths asked, JulianDay target, CalendarRule calendar) {
  const SearchMonths m = InTable(asked, target, calendar);
  return Locate(db, m.year, m.month, m.fallbackYear, m.fallbackMonth, target);
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

namespace {

// Reads the first row of a query with the single-row checks only.
bool ReadFirstRow(CDaoDatabase& db, const std::string& sql, KyuurekiRow& row,
                  std::initializer_list<long long> numbers = {}) {
  CDaoRecordset rs(&db);
  rs.Open(dbOpenDynaset, sql, numbers);
  if (rs.IsEOF()) return false;
  row = ReadKyuurekiRow(rs);
  return true;
}

[[noreturn]] void Damaged(const KyuurekiRow& row, const std::string& what) {
  throw CDaoException(kKyuurekiDamaged, "table Kyuureki, row ID " + std::to_string(row.id) + ": " + what);
}

std::string StartText(const KyuurekiRow& row) {
  return std::to_string(row.year) + "-" + std::to_string(row.month) + "-" + std::to_string(row.day);
}

// The rules between a month and the one after it in the table: consecutive
// IDs, 29 or 30 days from one first day to the next, and the numbering (a
// leap month repeats the number before it, any other month counts on by one;
// a month numbered 0, no date, is not counted).
void CheckSuccession(const KyuurekiRow& a, const KyuurekiRow& b) {
  if (b.id != a.id + 1) Damaged(b, "the row before it has ID " + std::to_string(a.id) + "; IDs are consecutive");
  const double days = KyuurekiRowStart(b) - KyuurekiRowStart(a);
  if (days != 29.0 && days != 30.0)
    Damaged(a, "the month from " + StartText(a) + " to " + StartText(b) + " is " + std::to_string(static_cast<int>(days)) +
                   " days long; a lunisolar month has 29 or 30");
  if (a.lunarMonth == 0 || b.lunarMonth == 0) return;
  if (b.flag == 2 && (a.flag == 2 || b.lunarMonth != a.lunarMonth))
    Damaged(b, "a leap month (指標 2) repeats the number of the month before it, here 旧暦 " +
                   std::to_string(a.lunarMonth) + ", not " + std::to_string(b.lunarMonth));
  if (b.flag != 2 && b.lunarMonth != a.lunarMonth % 12 + 1)
    Damaged(b, "旧暦 " + std::to_string(b.lunarMonth) + " does not follow 旧暦 " + std::to_string(a.lunarMonth));
}

// 指標 1 marks the first month of a lunisolar year (旧暦 1, not a leap month),
// and only it; it begins in January or February, so each Western year has one.
void CheckYearMark(const KyuurekiRow& row) {
  const bool first = row.lunarMonth == 1 && row.flag != 2;
  if ((row.flag == 1) != first)
    Damaged(row, "指標 " + std::to_string(row.flag) + " with 旧暦 " + std::to_string(row.lunarMonth) +
                     "; 指標 1 marks the first month (旧暦 1) and only it");
  if (first && row.month != 1 && row.month != 2)
    Damaged(row, "the first month begins on " + StartText(row) + ", not in January or February");
}

}  // namespace

bool QueryKyuurekiRow(CDaoDatabase& db, const std::string& sql, KyuurekiRow& row) {
  CDaoReadScope snapshot(db);
  if (!ReadFirstRow(db, sql, row)) return false;
  CheckYearMark(row);
  KyuurekiRow prev, next;
  if (ReadFirstRow(db, "SELECT * FROM [Kyuureki] WHERE [ID]<?1 ORDER BY [ID] DESC LIMIT 1;", prev, {row.id}))
    CheckSuccession(prev, row);
  if (ReadFirstRow(db, "SELECT * FROM [Kyuureki] WHERE [ID]>?1 ORDER BY [ID] LIMIT 1;", next, {row.id}))
    CheckSuccession(row, next);
  return true;
}

void CheckKyuurekiMatch(const KyuurekiRow& row, bool matches, const std::string& sql) {
  if (!matches) Damaged(row, "read for \"" + sql + "\" but does not match it (a damaged index)");
}

void KyuurekiEnds(CDaoDatabase& db, KyuurekiRow& first, KyuurekiRow& last) {
  if (!ReadFirstRow(db, "SELECT * FROM [Kyuureki] ORDER BY [ID] LIMIT 1;", first) ||
      !ReadFirstRow(db, "SELECT * FROM [Kyuureki] ORDER BY [ID] DESC LIMIT 1;", last))
    throw CDaoException(kKyuurekiDamaged, "table Kyuureki has no rows");
}

bool LunisolarYearOutsideTable(CDaoDatabase& db, int year) {
  KyuurekiRow first, last;
  KyuurekiEnds(db, first, last);
  if (year < LunisolarYear(first) || year > LunisolarYear(last)) return true;
  throw CDaoException(kKyuurekiDamaged, "table Kyuureki: the months of lunisolar year " + std::to_string(year) +
                                            " are missing or out of order");
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
  return LocateUnder(db, {ay, am, wy, wm - 1}, j, calendar);
}

LunisolarResult LunisolarLookup(double year, double month, double day, double anchorYear, double anchorMonth,
                                CalendarRule calendar) {
  CDaoDatabase db;
  db.Open(kCalendarDatabase, true, true, kCalendarConnect);
  LunisolarResult r = LunisolarLookup(db, year, month, day, anchorYear, anchorMonth, calendar);
  db.Close();
  return r;
}

LunisolarResult LunisolarLookup(CDaoDatabase& db, int y, const std::string& monthText, const std::string& dayText,
                                CalendarRule calendar) {
  int m = 0, d = 0;
  if (!ParseTypedNumber(monthText, m) || !ParseTypedNumber(dayText, d)) {
    LunisolarResult bad;
    bad.notANumber = true;
    return bad;
  }
  return LocateUnder(db, {y, m, y, m - 1}, DayNoon(y, m, d, calendar), calendar);
}

std::optional<LunisolarDate> LunisolarDateOf(int flag, double lunarMonth, double lunarDay) {
  LunisolarDate date;
  if (!WholeNumber(lunarMonth, date.month) || !WholeNumber(lunarDay, date.day) || date.month == 0) return std::nullopt;
  date.leap = flag == 2;
  return date;
}

std::string LunisolarDateText(const LunisolarDate& date) {
  return SjisFormat("%s%d月%d日", date.leap ? "閏" : "　", date.month, date.day);
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
  KyuurekiRow next;
  if (!RowById(db, regular.row.id + 1, "SELECT * FROM [Kyuureki] WHERE [ID]=%5d;", next)) return none;
  if (next.lunarMonth != m || next.flag != 2) return none;
  return WesternOfRow(next, d, calendar);
}
