// The cyclical signs of days and years. The weekday, six-day sign, stems and
// branches and lunar mansion are named by the calendar database's Data table
// (caldb/DataTable.h): here are the rows that hold them. The nine star, sound
// sign, twelve-day sign, month name and imperial year come from the tables
// here. Every day sign is computed from J, the JulianDay of 12:00 Japan
// Standard Time of the day (DayNoon(y, m, d, calendar)).
//
// Names are UTF-8. Every index is wrapped into its table, so any J or year
// (negative, huge, NaN) yields a name or a row and never reads outside a table.
#pragma once

#include <string>

#include "astro/TimeScales.h"

// The index of x + k modulo n: the integer part of fmod(x + k, n), wrapped into
// 0 .. n-1 for negative dividends; NaN and infinities give 0.
int CycleIndex(double x, double k, int n);
// Truncation toward zero into int, clamped to the int range; NaN gives 0.
int TruncToInt(double x);

// The nine star number 1..9 of day j, given the two switch days of
// SolsticeCycleStartDays(j), the switch day's month read under `calendar`;
// NineStar returns its name ("一白水星" …), NineStarName a number's.
int NineStarNumber(double j, double s1, double s2, CalendarRule calendar);
std::string NineStar(double j, double s1, double s2, CalendarRule calendar);
std::string NineStarName(int number);
// Stem 甲 1 … 壬 9, 癸 0; branch 子 1 … 戌 11, 亥 0 (m_nDayStem, m_nDayBranch).
std::string SoundSign(int stem, int branch);
std::string TwelveDaySign(int branch, int solarMonth);
// The Western month's name, three full-width characters (6 bytes in CP932);
// a month outside 1..12 gives an empty text.
std::string MonthName(int month);
int ImperialYear(double year);

// The day's position in the sixty-day cycle, 甲子 = 0.
int SexagenaryPosition(double j);
// The solar-term month S 1..12 from the sun's noon longitude rounded to a
// whole degree (0..359): 1 from 立春 (315), 12 from 小寒 (285).
int SolarTermMonth(int roundedLongitude);
// R: the integer part of L + 0.5, less 360 when 360 or more.
int RoundedLongitude(double longitude);

// Rows ([No]) of the calendar database's Data table that hold the names.
int WeekdayRow(double j);
int SixDaySignRow(double lunarMonth, double lunarDay);
int DayStemRow(double j);
int DayBranchRow(double j);
int LunarMansionRow(double j);
int YearStemRow(double year);
int YearBranchRow(double year);
// m_nDayStem and m_nDayBranch from the Data rows.
int StemNumberOfRow(int stemRow);
int BranchNumberOfRow(int branchRow);
