// The astronomical data table: the computation behind the window's request
// (rise, transit and set times and places of the seven bodies, the day's tides
// of Tokyo Bay), the texts of its table, and the yearly data file that runs the
// same request once per day, with the year's solar terms and moon phases kept
// in the calendar database's Memory table.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "astro/AstroTable.h"
#include "astro/TermsPhases.h"

// The window's six input texts, read with atof as the user typed them.
struct AstroInput {
  std::string year;
  std::string month;
  std::string day;
  std::string hour;       // decimal hours of the observer's clock
  std::string longitude;  // degrees east
  std::string latitude;   // degrees north
  // The calendar rule, zone and model the date is read and computed under
  // (the main view's); the other fields of this moment are not read.
  Moment settings;
};

// The moment the texts name, each read with atof.
Moment AstroInputMoment(const AstroInput& input);

// The request's computation (the main view's OnAstroRequest): the texts read
// with atof, then ComputeAstroTable in `ephemeris` (the settings' model).
AstroTable ComputeAstroRequest(const AstroInput& input, const Ephemeris& ephemeris);

// The table's columns, left to right, and their headings. The rows are
// kAstroTableRows (太陽, 月, 水星, 金星, 火星, 木星, 土星).
enum AstroColumn : int {
  ColumnRise, ColumnTransit, ColumnSet, ColumnLongitude, ColumnLatitude,
  ColumnRightAscension, ColumnDeclination, ColumnAzimuth, ColumnAltitude,
};
inline constexpr int kAstroRows = kBodyCount;
inline constexpr int kAstroColumns = 9;
extern const char* const AstroColumnNames[kAstroColumns];

// Tide fields: first and second high water, first and second low water.
inline constexpr int kTideCount = 4;

// One table cell's text: the time to the second ("--" where the body has no
// such event that day) or AstroAngleText for angles.
std::string AstroCellText(const AstroTable& table, int row, AstroColumn column);

// ---- The yearly data file ----

// A year's solar terms and moon phases, as the list request delivers them.
struct AstroYearEvents {
  std::vector<CalendarEvent> terms;
  std::vector<CalendarEvent> phases;
};

// The year's events computed here (for callers without a main view): the
// tables of kYearEventDays days from 1 January of `year`, from `ephemeris`
// (the settings' model), on the settings' list clock.
AstroYearEvents CollectYearEvents(int year, const Moment& settings, const Ephemeris& ephemeris);

// The text stored for an event: "%5s HH:MM:SS", its name and its clock time on
// `lists`.
std::string EventText(const char* name, JulianDay moment, const DateClock& lists);

// Rewrites the Memory table of the calendar database in the current directory
// for `year`: every row's term and phase text to " ", then the text of each
// event that falls in `year` into its day's row. One transaction: on failure
// nothing changes and `error` says why.
bool StoreYearEvents(int year, const AstroYearEvents& events, const DateClock& lists, std::string& error);

// Header line of the file, without its line end.
std::string YearlyHeaderLine();
// One day's line, without its line end: pieces 1 to 21 from the day's table,
// then the day's term and phase texts as read from Memory (" " means none).
std::string YearlyDayLine(double year, double month, double day, const AstroTable& table,
                          const DateClock& placeClock, const std::string& term, const std::string& phase);

// Computes the table of one day of the year into `table`; the window routes
// this through the main view, the command line computes directly.
using AstroDayRequest = std::function<AstroTable(double month, double day)>;

// Writes the yearly file to `path`: the header and one line per day of the
// input's year (at the input's hour, longitude and latitude), the term and
// phase of each day read from Memory. The file is replaced only when the whole
// year is computed and written (WriteTextFileAtomically), so a failure never
// leaves a half-written or clobbered file. Returns false with `error` set on
// any failure. Memory is read as it stands: after StoreYearEvents another
// program may already have rewritten it, so a caller that fills Memory and
// writes the file uses StoreAndWriteYearlyFile.
bool WriteYearlyFile(const std::string& path, const AstroInput& input, const AstroDayRequest& request,
                     bool cp932, std::string& error);

// The whole yearly output for `year`, safe against other runs on the same
// database: StoreYearEvents' rewrite and WriteYearlyFile's read-back happen in
// one transaction that holds the database's write lock from the rewrite until
// every day has been read back, so a run writing another year at the same time
// waits (a bounded time, then fails) instead of slipping its events into this
// year's file. The day tables are computed first, outside the lock. Memory is
// left holding `year`'s events; on any failure it is left as it was and
// `error` says why.
bool StoreAndWriteYearlyFile(int year, const AstroYearEvents& events, const std::string& path,
                             const AstroInput& input, const AstroDayRequest& request, bool cp932,
                             std::string& error);
