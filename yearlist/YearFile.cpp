// The year list's CSV file and the small readers of typed texts.
#include <climits>
#include <cmath>
#include <cstdlib>

#include "core/Text.h"
#include "yearlist/YearList.h"

int TypedInt(const std::string& text) {
  // strtol, not atoi: an overlong number must not be undefined behaviour.
  long v = std::strtol(text.c_str(), nullptr, 10);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

double TypedDouble(const std::string& text) {
  double v = std::strtod(text.c_str(), nullptr);
  return std::isfinite(v) ? v : 0.0;
}

bool YearInListRange(int year) { return year >= kFirstListedYear && year <= kLastListedYear; }

std::string YearCalendarName(CalendarRule calendar, int year) {
  return (calendar == CalendarRule::JulianThenGregorian && year <= 1582) ? "ユリウス暦" : "グレゴリオ暦";
}

int YearGridColumnCount(const YearGrid& grid, int layout) {
  return (layout == kLunisolarLayout && !grid[0][13].empty()) ? 13 : 12;
}

std::string YearFileText(const YearGrid& grid, int layout, int year, CalendarRule calendar) {
  const int columns = YearGridColumnCount(grid, layout);
  std::string out = "日,";
  for (int k = 1; k <= columns; ++k) out += text::SjisFormat("    %2s月", grid[0][k]) + ",";
  out += text::SjisFormat(layout == kLunisolarLayout ? " %4d年和暦表示" : " %4d年西暦表示", year) + ",";
  out += YearCalendarName(calendar, year) + ",\n";
  for (int r = 1; r < kYearGridRows; ++r) {
    out += text::SjisFormat("%2s", grid[r][0]) + ",";
    for (int k = 1; k <= columns; ++k) out += text::SjisFormat("%10s", grid[r][k]) + ",";
    out += "\n";
  }
  return out;
}
