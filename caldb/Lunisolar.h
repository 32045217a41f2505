// Lunisolar (旧暦) dates, read from the Kyuureki table: the month that holds a
// Western date and the day within it, the day panel's text of it, and the
// year list's reverse conversion from a lunisolar month and day.
//
// Every conversion runs at 12:00 on the 135° meridian, so differences of the
// Julian days involved are whole days.
#pragma once

#include <optional>
#include <string>

#include "astro/Clock.h"
#include "caldb/Dao.h"

// One Kyuureki row: the lunisolar month starting on year-month-day (Western).
struct KyuurekiRow {
  int id = 0;
  int year = 0;        // Western year of the month's first day
  int month = 0;       // Western month of the first day
  int day = 0;         // Western day of the first day
  int flag = 0;        // 2 leap month, 1 first month of the lunisolar year
  int lunarMonth = 0;  // 1..12, a leap month repeats its number; 0 no date
};

// What a lookup found. `found` is false for a date the table cannot place
// (before its first month or after its last) and for a typed text that is not
// a number; the month and day are then 0, which gives an empty date text.
struct LunisolarResult {
  bool found = false;
  bool notANumber = false;      // the year list's typed year, month or day
  bool outsideTable = false;    // before the table's first month or from its last row on
  KyuurekiRow row;              // the lunisolar month holding the target
  double lunarMonth = 0.0;      // m_dLunarMonth
  double lunarDay = 0.0;        // m_dLunarDay, 1 on the month's first day
  JulianDay noonJulianDay = 0.0;  // m_dNoonJulianDay: the target at 12:00 JST
};

// The day panel's and the month calendar's lookup. The target is the date
// (year, month, day), a day past the month's end counting on into the next;
// the anchor is the view's selected year and month. The target is read under
// `calendar`, the rows as the table stores them (Julian dates before
// 1582-10-15). The first form uses an open connection, the second opens
// "History.mdb" in the current directory for the one lookup.
LunisolarResult LunisolarLookup(CDaoDatabase& db, double year, double month, double day, double anchorYear,
                                double anchorMonth, CalendarRule calendar);
LunisolarResult LunisolarLookup(double year, double month, double day, double anchorYear, double anchorMonth,
                                CalendarRule calendar);

// The year list's lookup: its year, and the month and day as the user typed
// them. The texts are checked to be numbers before anything is queried
// (notANumber otherwise); the date is read under `calendar`, the rows as the
// table stores them.
LunisolarResult LunisolarLookup(CDaoDatabase& db, int year, const std::string& monthText, const std::string& dayText,
                                CalendarRule calendar);

// The days the table gives a lunisolar date, as the window says them (the
// first month begins on -667-12-09 in the Julian calendar; the last row only
// ends the month before it).
inline constexpr const char* kCalendarTableSpan = "-667年12月9日から2101年1月28日";

// A lunisolar date as the day panel shows it.
struct LunisolarDate {
  bool leap = false;
  int month = 0;  // 1..12, a leap month keeps its number
  int day = 0;
};
// The date of a lookup's flag, month and day (their whole parts); none when
// the month is 0 (the table gives the day no date, or the lookup found no
// row) or a number is not finite.
std::optional<LunisolarDate> LunisolarDateOf(int flag, double lunarMonth, double lunarDay);
// "閏" or "　", then month, "月", day, "日", all without padding.
std::string LunisolarDateText(const LunisolarDate& date);

// The lunisolar year a row belongs to: its Western year, one less for a
// twelfth month that begins in January or February.
int LunisolarYear(const KyuurekiRow& row);

// The Western date of lunisolar day D of month M, the year list's 西暦変換.
struct LunisolarWestern {
  bool found = false;
  bool notANumber = false;
  KyuurekiRow row;           // the row used
  double lunarDay = 0.0;     // D as read
  JulianDay julianDay = 0.0;  // the date at 12:00 JST
  double year = 0.0, month = 0.0, day = 0.0;  // under the calendar rule asked for
};

// From the row `startId` (the month the year list's lookup found), steps on
// at most three months to the one numbered M, and counts D − 1 days from its
// start. Past the end of the table it is not found.
LunisolarWestern LunisolarToWestern(CDaoDatabase& db, int startId, const std::string& monthText,
                                    const std::string& dayText, CalendarRule calendar);
// The leap variant: the row after `regular.row` when it is the leap month
// numbered M; otherwise not found (the year list leaves its leap row empty).
LunisolarWestern LunisolarToWesternLeap(CDaoDatabase& db, const LunisolarWestern& regular,
                                        const std::string& monthText, const std::string& dayText,
                                        CalendarRule calendar);

// The code of CDaoException for a calendar table that breaks its rules.
inline constexpr int kKyuurekiDamaged = 11;

// Runs a Kyuureki query and reads its first row; false when it has none. The
// row is checked with its neighbours in ID order: IDs consecutive, each month
// 29 or 30 days to the next one's first day, a leap month (指標 2) repeating
// the number before it and any other month counting on by one, 指標 1 on the
// first month (旧暦 1) alone, beginning in January or February. A row that
// breaks them throws CDaoException naming the table and the row. The table's
// last row has no month after it: it only ends the month before.
bool QueryKyuurekiRow(CDaoDatabase& db, const std::string& sql, KyuurekiRow& row);
// Throws naming the query when a row it gave does not hold what it asked for.
void CheckKyuurekiMatch(const KyuurekiRow& row, bool matches, const std::string& sql);
// The table's first and last rows in ID order (single-row checks only); an
// empty table throws.
void KyuurekiEnds(CDaoDatabase& db, KyuurekiRow& first, KyuurekiRow& last);
// True when lunisolar year `year` lies beyond the table's ends; within them,
// a year whose months were not found means a damaged table, and throws.
bool LunisolarYearOutsideTable(CDaoDatabase& db, int year);
// The largest month ID a table may hold.
inline constexpr int kMaxKyuurekiId = 100000000;

// Reads the recordset's current row. A value outside what a month row can
// hold (an ID past kMaxKyuurekiId, a month 13, a leap month numbered 0...)
// throws CDaoException naming the row and the column.
KyuurekiRow ReadKyuurekiRow(const CDaoRecordset& rs);
// Noon (JST) of the row's first day as the table stores it: Julian dates
// before 1582-10-15, whatever the calendar setting.
JulianDay KyuurekiRowStart(const KyuurekiRow& row);
