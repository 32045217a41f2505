// The year list's computation: the year grid in the lunisolar (和暦表示) and
// the Western (西暦表示) layouts, the three conversion rows, the year's sign,
// the accepted range and the text of the CSV file (the era list items are
// caldb/Eras.h's EraListItemTexts). The
// window (yearlist/ui/YearListDlg.h) only moves these texts to its controls.
// All texts are UTF-8; the file is converted to CP932 when written.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "astro/Model.h"
#include "astro/TermsPhases.h"
#include "core/Files.h"

class CDaoDatabase;

inline constexpr int kYearGridRows = 39;
inline constexpr int kYearGridColumns = 15;
// m_strGrid: row 0 the month headings, column 0 the day labels.
using YearGrid = std::array<std::array<std::string, kYearGridColumns>, kYearGridRows>;

// Layouts (m_nDisplayMode): 0 before the first fill.
inline constexpr int kLunisolarLayout = 1;
inline constexpr int kWesternLayout = 2;


// The years whose lunisolar months the calendar database covers.
inline constexpr int kFirstListedYear = -666;
inline constexpr int kLastListedYear = 2041;
inline constexpr const char* kYearRangeMessage = "西暦を-666年～2041年以内で入力してください。";
inline constexpr const char* kYearRangeCaption = "入力範囲";

// A typed number read the way atoi reads it (leading blanks, a sign, digits;
// anything else ends it; no digits read as 0), clamped to the int range.
int TypedInt(const std::string& text);
// A typed number read the way atof reads it; NaN and infinities read as 0.
double TypedDouble(const std::string& text);

bool YearInListRange(int year);
// "年干支  " followed by the year's stem and branch (from the Data table).
std::string YearSexagenaryText(CDaoDatabase& db, int year);
// "ユリウス暦" under JulianThenGregorian when the year is 1582 or less, else
// "グレゴリオ暦".
std::string YearCalendarName(CalendarRule calendar, int year);

// The events a fill marks days with (dates on the list clock), and the
// calendar rule the grid's Western dates are written in.
struct YearEvents {
  std::vector<CalendarEvent> phases;
  std::vector<CalendarEvent> terms;
  CalendarRule calendar = CalendarRule::JulianThenGregorian;
};

// "○" full moon / "●" new moon, then "*" for a major solar term on that date.
std::string DateMarkers(double year, double month, double day, const YearEvents& events);

// List items of the phase and term lists: "%5s %4.0f/%2.0f/%2.0f" and the
// clock time "hh:mm:ss" of the moment rounded to the second (a rounded 60
// carried, into the next day at midnight).
std::string YearEventItem(const CalendarEvent& event, bool phase, const DateClock& lists);

// Fill m_strGrid for the year (already range-checked) from the calendar
// database in the current directory. signDisplay nonzero shows 六曜.
// False with the engine's text in `error` when the database fails; what was
// filled stays.
bool FillLunisolarGrid(YearGrid& grid, int year, int signDisplay, const YearEvents& events,
                       std::string& error);
bool FillWesternGrid(YearGrid& grid, int year, int signDisplay, const YearEvents& events,
                     std::string& error);

// One conversion row: fields 1010..1022 (和暦変換), 1023..1036 (西暦変換) or
// 1037..1048 (the leap 西暦変換).
struct ConversionRow {
  std::string eraName, eraYear, emperor, eraExtra;
  std::string leapMark, month, day;
  std::string weekday, sixDaySign, sexagenary, mansion;
};

struct YearConversions {
  ConversionRow lunisolar;    // 和暦変換
  ConversionRow western;      // 西暦変換
  ConversionRow leapWestern;  // 西暦変換 of the leap month, empty when none
  std::string yearSign;       // field 1003 (和暦表示 only)
};

// The three conversion rows for the year and the typed month and day. layout is
// kLunisolarLayout (the era of the lunisolar year, field 1003 filled) or
// kWesternLayout. False with a reason in `error` when a month or day text is
// not a number or the database fails; rows already filled stay in `out`.
bool ConvertYearListDate(int year, const std::string& monthText, const std::string& dayText,
                         int layout, CalendarRule calendar, YearConversions& out, std::string& error);

// Number of month columns written and drawn: 13 for a lunisolar layout whose
// column 13 has a heading, else 12.
int YearGridColumnCount(const YearGrid& grid, int layout);
// The CSV text of the grid (UTF-8; 39 lines, every field followed by a comma).
std::string YearFileText(const YearGrid& grid, int layout, int year, CalendarRule calendar);

// Everything the window shows for a year, computed without a window: the
// events (when no main view supplies them), the conversions and the grid.
struct YearListState {
  int m_nYear = 0;                    // read from its field or argument
  std::string m_strMonth, m_strDay;  // the typed texts of the converted date
  int m_nSignDisplay = 0;
  int m_nDisplayMode = 0;
  // The calendar rule, zone and model of the main view.
  Moment m_settings;
  YearEvents m_events;
  YearGrid m_strGrid;
  YearConversions conversions;
};

// Computes the year's phases and terms the way the main view answers the list
// request (YearEventTable, kYearEventDays days), from `ephemeris` (the model
// of the state's settings).
void ComputeYearEvents(YearListState& state, const Ephemeris& ephemeris);
// Runs 和暦表示 (layout 1) or 西暦表示 (2) on the state, events included.
// False with a reason when the year is out of range or a step fails.
bool ShowYear(YearListState& state, int layout, const Ephemeris& ephemeris, std::string& error);
