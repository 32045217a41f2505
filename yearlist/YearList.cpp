// The year grid in both layouts, its day markers, the event list items and
// the three conversion rows of the year list.
#include "yearlist/YearList.h"

#include <algorithm>
#include <cmath>

#include "astro/ClockText.h"
#include "astro/Model.h"
#include "astro/TimeScales.h"
#include "caldb/Dao.h"
#include "caldb/DataTable.h"
#include "caldb/Eras.h"
#include "caldb/Lunisolar.h"
#include "caldb/MonthCalendar.h"
#include "core/Text.h"
#include "signs/Signs.h"

namespace {

bool RowById(CDaoDatabase& db, int id, KyuurekiRow& row) {
  return QueryKyuurekiRow(db, text::SjisFormat("SELECT * FROM [Kyuureki] WHERE [ID]=%4d;", id), row);
}

// Month and day numbers of the grid: one leading blank for one digit.
std::string Number2(int n) { return text::SjisFormat("%2d", n); }

std::string LeapMark(const KyuurekiRow& row) { return row.flag == 2 ? "閏" : "　"; }

std::string CellSign(DataTable& data, int signDisplay, double lunarMonth, double lunarDay, JulianDay j) {
  if (signDisplay != 0) return data.Text(SixDaySignRow(lunarMonth, lunarDay), DataTable::kSixDay);
  return data.Text(DayStemRow(j), DataTable::kStem) + data.Text(DayBranchRow(j), DataTable::kBranch);
}

void EmptyCells(YearGrid& grid) {
  for (int r = 1; r <= 31; ++r)
    for (int k = 0; k <= 13; ++k) grid[r][k].clear();
}

bool SameDate(const CalendarEvent& e, double y, double m, double d) {
  return e.year == y && e.month == m && e.day == d;
}

// The table's months must follow one another by ID from a year's first month.
CDaoException NoFirstMonth(int year) {
  return CDaoException(kKyuurekiDamaged, "table Kyuureki: no first month of lunisolar year " + std::to_string(year));
}

CDaoException MonthsBreakOff(long long missingId) {
  return CDaoException(kKyuurekiDamaged, "table Kyuureki: the months break off, no row ID " + std::to_string(missingId));
}

CDaoDatabase& OpenCalendar(CDaoDatabase& db) {
  db.Open(kCalendarDatabase, true, true, kCalendarConnect);
  return db;
}

void FillLunisolarColumns(CDaoDatabase& db, YearGrid& grid, int year, int signDisplay, const YearEvents& events) {
  const DateClock days = DayCountClock(events.calendar);
  DataTable data(db);
  KyuurekiRow first;
  const std::string sql = text::SjisFormat("SELECT * FROM [Kyuureki] WHERE [旧暦]=1 AND [西暦]=%d;", year);
  if (!QueryKyuurekiRow(db, sql, first)) throw NoFirstMonth(year);
  CheckKyuurekiMatch(first, first.lunarMonth == 1 && first.year == year, sql);
  EmptyCells(grid);
  for (int k = 1; k <= 13; ++k) {
    KyuurekiRow row, next;
    if (!RowById(db, first.id + k - 1, row)) throw MonthsBreakOff(first.id + k - 1);
    if (!RowById(db, first.id + k, next)) throw MonthsBreakOff(first.id + k);
    const JulianDay js = KyuurekiRowStart(row);
    const int length = TruncToInt(KyuurekiRowStart(next) - js);
    if (k == 13 && row.lunarMonth != 12) {
      // No leap month: the thirteenth row is already next year's first month.
      for (int r = 0; r <= 30; ++r) grid[r][13].clear();
      break;
    }
    grid[0][k] = LeapMark(row) + Number2(row.lunarMonth);
    for (int r = 1; r <= 30; ++r) {
      const JulianDay j = js + r - 1;
      const LocalTime t = JulianDayToDate(j, days);
      const double y = t.year, m = t.month, d = t.day;
      grid[r][k] = CellSign(data, signDisplay, row.lunarMonth, r, j) + Number2(TruncToInt(m)) + " " +
                   Number2(TruncToInt(d)) + DateMarkers(y, m, d, events);
      if (r == 30 && length == 29) grid[r][k] = "       ";
    }
  }
  for (int r = 1; r <= 30; ++r) grid[r][0] = Number2(r);
}

// The lunisolar month holding j, walking from the current one; `start` and
// `nextStart` follow the row.
void FindMonth(CDaoDatabase& db, JulianDay j, int firstYear, bool haveRow, KyuurekiRow& row, JulianDay& start,
               JulianDay& nextStart) {
  KyuurekiRow found;
  if (!haveRow) {
    const std::string sql = text::SjisFormat("SELECT * FROM [Kyuureki] WHERE [指標]=1 AND [西暦]=%4d;", firstYear);
    if (!QueryKyuurekiRow(db, sql, found)) throw NoFirstMonth(firstYear);
    CheckKyuurekiMatch(found, found.flag == 1 && found.year == firstYear, sql);
  } else if (!RowById(db, row.id + 1, found)) {
    throw MonthsBreakOff(row.id + 1);
  }
  for (int back = 0; back < 2 && KyuurekiRowStart(found) > j; ++back) {
    KyuurekiRow before;
    if (!RowById(db, found.id - 1, before)) break;
    found = before;
  }
  KyuurekiRow after;
  if (!RowById(db, found.id + 1, after)) throw MonthsBreakOff(found.id + 1);
  row = found;
  start = KyuurekiRowStart(found);
  nextStart = KyuurekiRowStart(after);
}

void FillWesternColumns(CDaoDatabase& db, YearGrid& grid, int year, int signDisplay, const YearEvents& events) {
  DataTable data(db);
  EmptyCells(grid);
  const DateClock days = DayCountClock(events.calendar);
  const JulianDay j0 = DayNoon(year, 1, 1, events.calendar);
  KyuurekiRow row;
  bool haveRow = false;
  JulianDay start = 0, nextStart = 0;
  // A year has at most 366 days; the bound keeps a broken calendar from looping.
  for (int n = 1; n <= 400; ++n) {
    const JulianDay j = j0 + n - 1;
    const LocalTime t = JulianDayToDate(j, days);
    const double y = t.year, m = t.month, d = t.day;
    if (TruncToInt(y) != year) break;
    if (!haveRow || j < start || j >= nextStart) {
      FindMonth(db, j, TruncToInt(y), haveRow, row, start, nextStart);
      haveRow = true;
    }
    const int lunarDay = TruncToInt(j - start + 1);
    const int wm = TruncToInt(m), wd = TruncToInt(d);
    if (wm < 1 || wm > 12 || wd < 1 || wd > 31) continue;
    grid[wd][wm] = CellSign(data, signDisplay, row.lunarMonth, lunarDay, j) + LeapMark(row) + Number2(row.lunarMonth) +
                   " " + Number2(lunarDay) + DateMarkers(y, m, d, events);
  }
  for (int r = 1; r <= 31; ++r) grid[r][0] = Number2(r);
  for (int k = 0; k <= 12; ++k) grid[0][k] = std::to_string(k);
}

template <class Fill>
bool RunFill(Fill fill, YearGrid& grid, int year, int signDisplay, const YearEvents& events,
             std::string& error) {
  try {
    CDaoDatabase db;
    const CDaoReadScope snapshot(OpenCalendar(db));
    fill(db, grid, year, signDisplay, events);
    return true;
  } catch (const CDaoException& e) {
    error = DatabaseErrorText(kCalendarDatabase, e);
    return false;
  }
}

void FillSigns(CDaoDatabase& db, ConversionRow& out, JulianDay j, double lunarMonth, double lunarDay) {
  DataTable data(db);
  out.weekday = data.Text(WeekdayRow(j), DataTable::kWeekday);
  out.sixDaySign = data.Text(SixDaySignRow(lunarMonth, lunarDay), DataTable::kSixDay);
  out.sexagenary = data.Text(DayStemRow(j), DataTable::kStem) + data.Text(DayBranchRow(j), DataTable::kBranch);
  out.mansion = data.Text(LunarMansionRow(j), DataTable::kMansion);
}

void FillEra(ConversionRow& out, const EraTexts& era) {
  out.eraName = era.eraName;
  out.eraYear = era.eraYear;
  out.emperor = era.emperor;
  out.eraExtra = era.eraExtra;
}

void FillWesternRow(CDaoDatabase& db, ConversionRow& out, const LunisolarWestern& w) {
  FillEra(out, EraForYear(db, w.year, kHistoryQueryOneSpace));
  out.leapMark = LeapMark(w.row);
  out.month = std::to_string(TruncToInt(w.month));
  out.day = std::to_string(TruncToInt(w.day));
  FillSigns(db, out, w.julianDay, w.row.lunarMonth, w.lunarDay);
}

const char* kNotANumber = "月と日は数字で入力してください。";

}  // namespace

std::string DateMarkers(double year, double month, double day, const YearEvents& events) {
  std::string out;
  for (std::size_t i = 0; i < events.phases.size(); ++i) {
    const CalendarEvent& e = events.phases[i];
    if (!SameDate(e, year, month, day)) continue;
    if (e.angle == 180) out += "○";
    if (e.angle == 0) out += "●";
    break;
  }
  for (std::size_t i = 0; i < events.terms.size(); ++i) {
    const CalendarEvent& e = events.terms[i];
    if (SameDate(e, year, month, day) && std::fmod(e.angle, 30.0) == 0) {
      out += "*";
      break;
    }
  }
  return out;
}

std::string YearEventItem(const CalendarEvent& event, bool phase, const DateClock& lists) {
  const ClockMoment t = MomentToSecond(event.julianDay, lists);
  const std::optional<const char*> name = EventName(phase ? EventKind::MoonPhases : EventKind::SolarTerms, event.angle);
  return text::SjisFormat("%5s %4.0f/%2.0f/%2.0f ", name ? *name : "", t.year, t.month, t.day) + ClockText(t.time);
}

std::string YearSexagenaryText(CDaoDatabase& db, int year) {
  DataTable data(db);
  return "年干支  " + data.Text(YearStemRow(year), DataTable::kStem) + data.Text(YearBranchRow(year), DataTable::kBranch);
}

bool FillLunisolarGrid(YearGrid& grid, int year, int signDisplay, const YearEvents& events,
                       std::string& error) {
  return RunFill(FillLunisolarColumns, grid, year, signDisplay, events, error);
}

bool FillWesternGrid(YearGrid& grid, int year, int signDisplay, const YearEvents& events,
                     std::string& error) {
  return RunFill(FillWesternColumns, grid, year, signDisplay, events, error);
}

bool ConvertYearListDate(int year, const std::string& monthText, const std::string& dayText,
                         int layout, CalendarRule calendar, YearConversions& out, std::string& error) {
  try {
    CDaoDatabase db;
    const CDaoReadScope snapshot(OpenCalendar(db));
    const LunisolarResult found = LunisolarLookup(db, year, monthText, dayText, calendar);
    if (found.notANumber) {
      error = kNotANumber;
      return false;
    }
    ConversionRow& lunisolar = out.lunisolar;
    lunisolar = ConversionRow{};
    if (found.found) {
      const int eraYear = layout == kLunisolarLayout ? LunisolarYear(found.row) : found.row.year;
      FillEra(lunisolar, EraForYear(db, eraYear, year, kHistoryQueryTwoSpaces));
      lunisolar.leapMark = LeapMark(found.row);
      lunisolar.month = std::to_string(found.row.lunarMonth);
      lunisolar.day = std::to_string(TruncToInt(found.lunarDay));
      FillSigns(db, lunisolar, found.noonJulianDay, found.row.lunarMonth, found.lunarDay);
    }
    if (layout == kLunisolarLayout) out.yearSign = YearSexagenaryText(db, year);
    out.western = ConversionRow{};
    out.leapWestern = ConversionRow{};
    if (!found.found) return true;
    const LunisolarWestern western = LunisolarToWestern(db, found.row.id, monthText, dayText, calendar);
    if (western.notANumber) {
      error = kNotANumber;
      return false;
    }
    if (!western.found) return true;
    FillWesternRow(db, out.western, western);
    const LunisolarWestern leap = LunisolarToWesternLeap(db, western, monthText, dayText, calendar);
    if (leap.found) FillWesternRow(db, out.leapWestern, leap);
    return true;
  } catch (const CDaoException& e) {
    error = DatabaseErrorText(kCalendarDatabase, e);
    return false;
  }
}

void ComputeYearEvents(YearListState& state, const Ephemeris& ephemeris) {
  const double year = state.m_nYear;
  const CalendarRule calendar = state.m_settings.calendar;
  const DateClock lists = ListClock(state.m_settings);
  state.m_events = {YearEventTable(ephemeris, EventKind::MoonPhases, year, kYearEventDays, lists),
                    YearEventTable(ephemeris, EventKind::SolarTerms, year, kYearEventDays, lists), calendar};
}

bool ShowYear(YearListState& state, int layout, const Ephemeris& ephemeris, std::string& error) {
  if (!YearInListRange(state.m_nYear)) {
    error = kYearRangeMessage;
    return false;
  }
  if (!ConvertYearListDate(state.m_nYear, state.m_strMonth, state.m_strDay, layout,
                           state.m_settings.calendar, state.conversions, error))
    return false;
  ComputeYearEvents(state, ephemeris);
  const bool ok = layout == kLunisolarLayout
                      ? FillLunisolarGrid(state.m_strGrid, state.m_nYear, state.m_nSignDisplay, state.m_events, error)
                      : FillWesternGrid(state.m_strGrid, state.m_nYear, state.m_nSignDisplay, state.m_events, error);
  if (ok) state.m_nDisplayMode = layout;
  return ok;
}
