// The month calendar of the main form: the selected Western month as a grid
// of weeks, each day with its number and its sign (六曜 or 干支), the days of
// the neighbouring months in grey and the selected day in red.
//
// The drawn cells and the click grid come from one set of constants below, so
// every pixel of a drawn day (number and sign) lies inside the click cell that
// selects that day. The Qt drawing lives in caldb/ui/MonthCalendarView.h.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "astro/Model.h"
#include "astro/Clock.h"

class CDaoDatabase;

namespace monthcal {

// The calendar's control on the main form, in form (view client) pixels.
inline constexpr int kControlLeft = 520;
inline constexpr int kControlTop = 270;
inline constexpr int kControlWidth = 230;
inline constexpr int kControlHeight = 250;

// The cell grid, in the control's own pixels: cell (row 0, column 0) starts
// here; in form pixels that is (525, 300), the click grid of the main view.
inline constexpr int kGridLeft = 5;
inline constexpr int kGridTop = 30;
inline constexpr int kCellWidth = 31;
inline constexpr int kCellHeight = 30;
inline constexpr int kColumns = 7;  // Sunday .. Saturday
inline constexpr int kRows = 6;

// Font height of every text (pixels) and the text offsets inside a cell.
// Column 0 keeps the drawing's own x (number 15, sign 10, heading 12); the
// columns follow the click grid's 31 px so the last column's sign still ends
// inside its cell.
inline constexpr int kFontHeight = 12;
inline constexpr int kDayNumberDx = 10;
inline constexpr int kDayNumberDy = 5;
inline constexpr int kSignDx = 5;
inline constexpr int kSignDy = 17;
// The rows stand higher than the drawing's 45 / 58 (number 35, sign one line
// under it at 47) so the sign's glyphs end where the next click row begins;
// the weekday headings move up from 30 to clear the first row, and the title
// bar's foot from 25 to clear the headings. The bar keeps its other edges;
// the title keeps its x and stays inside the shorter bar.
inline constexpr int kHeadingDx = 7;
inline constexpr int kHeadingTop = 21;
inline constexpr int kTitleBarLeft = 10;
inline constexpr int kTitleBarTop = 5;
inline constexpr int kTitleBarRight = 220;
inline constexpr int kTitleBarBottom = 21;
inline constexpr int kTitleLeft = 40;
inline constexpr int kTitleTop = 7;

struct Rgb {
  int r, g, b;
};
inline constexpr Rgb kBackground{255, 255, 200};
inline constexpr Rgb kTitleBar{0, 0, 255};
inline constexpr Rgb kTitleText{255, 255, 255};
inline constexpr Rgb kHeadingText{0, 0, 255};
inline constexpr Rgb kDayText{0, 0, 0};
inline constexpr Rgb kSelectedText{255, 0, 0};
inline constexpr Rgb kOtherMonthText{125, 125, 125};
// A holiday of the shown month, when the user shows holidays: the blue of
// the weekday headings (the design draws every day of the month black,
// Sunday included, so a holiday in that colour would not show).
inline constexpr Rgb kHolidayText = kHeadingText;

struct Point {
  int x, y;
};

// Control pixels of a cell's top-left corner, of its day number and of its
// sign; form pixels of the same corner.
Point CellOrigin(int row, int column);
Point DayNumberOrigin(int row, int column);
Point SignOrigin(int row, int column);
Point HeadingOrigin(int column);

// The click grid: the cell under a point in form pixels. False outside the
// 7 x 6 grid (row and column are then left alone).
bool CellAt(int formX, int formY, int& row, int& column);
// The day a click at (formX, formY) selects: firstCellJulianDay + column +
// 7 x row. False outside the grid, and without a first cell (a month that
// could not be drawn).
bool HitTest(int formX, int formY, std::optional<JulianDay> firstCellJulianDay, JulianDay& julianDay);

}  // namespace monthcal

// How a drawn day is coloured.
enum class MonthCellTone { Current, Selected, OtherMonth };

struct MonthCalendarCell {
  int row = 0;
  int column = 0;           // 0 Sunday .. 6 Saturday
  JulianDay julianDay = 0;  // noon on the 135 degree meridian
  std::string dayText;      // "%2d" of the Western day
  std::string signText;     // 六曜 or 干支 (UTF-8)
  MonthCellTone tone = MonthCellTone::Current;
  bool holiday = false;     // a national holiday (shown only when the user asks)
};

struct MonthCalendarModel {
  std::string title;                  // "2033年 12月(グレゴリオ暦)"
  std::vector<std::string> headings;  // "%3s" of 日 .. 土
  std::vector<MonthCalendarCell> cells;
  std::optional<JulianDay> firstCellJulianDay;  // the top-left cell (a Sunday); none without cells
  std::string error;                  // the database engine's text when the signs could not be read
};

// "(ユリウス暦)" or "(グレゴリオ暦)" for the month shown under `calendar`.
std::string MonthCalendarCalendarName(double year, double month, CalendarRule calendar);

// Builds the calendar of the month holding the selected date (year, month,
// day) with the signs SignDisplay chooses (nonzero 六曜, 0 干支), reading the
// calendar database "History.mdb" in the current directory, the days under
// `calendar`. A month the date conversions cannot place (NaN, absurd years)
// gives a model without cells. A database error stops the signs: every cell
// keeps its day number, the signs read so far stay, and the engine's text is
// in `error`.
MonthCalendarModel BuildMonthCalendar(double year, double month, double day, int signDisplay,
                                      CalendarRule calendar);

// Marks the days of the shown month that are national holidays.
void MarkHolidays(MonthCalendarModel& model, double year, double month, const Ephemeris& ephemeris);

