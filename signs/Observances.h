// The observances of a day: the selected days (list "下段"), the seasonal days
// and the user's anniversaries (list "暦注"). The rules are plain functions of
// the day's values; the day panel (almanac/DayPanel.h) gathers those values.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The selected days of a day in solar-term month M (1..12) with branch b
// (子 1 … 亥 0) and stem s (甲 1 … 癸 0), in list order.
std::vector<std::string> SelectedDays(int solarMonth, int branch, int stem);

// The seasonal days, 八専, 十方暮, 天一天上, the three 伏 days and 三隣亡, in list
// order. sunDegree is SunDegreeOfDay's whole degree (0..359; none when the
// day crosses none), daysSinceSpring DaysSinceSpringBegins' result, and j the
// JulianDay of the day's noon (Japan Standard Time).
std::vector<std::string> SeasonalDays(std::optional<double> sunDegree, std::optional<int> daysSinceSpring,
                                      int stem, int branch, double j);

// One line of the anniversaries file "kinenbi.dat": prefix ":" text "," month "," day.
struct Anniversary {
  std::string text;   // UTF-8
  double month = 0;   // atof of the month text (NaN when the line lacks two commas: never matches)
  double day = 0;
};

// Reads the anniversaries file (CP932 or UTF-8, decided once for the whole
// file; a UTF-8 byte order mark; CR, LF or CR LF line ends). At most 600 lines
// are read; reading stops at the first empty line, and a line longer than 99
// characters (counted in CP932 bytes) is cut there and ends the reading. A
// missing or unreadable file gives no anniversaries.
struct AnniversaryFile {
  std::vector<Anniversary> list;
  // Non-empty when the text decodes with doubt (text::DecodesCleanly): read
  // by the rule all the same, and worth telling the user.
  std::string warning;
};
AnniversaryFile ReadAnniversaryFile(const std::string& path);
std::vector<Anniversary> ReadAnniversaries(const std::string& path);
// Parses one line (UTF-8, without its line end).
Anniversary ParseAnniversaryLine(const std::string& line);
// The texts of the anniversaries on the Western month and day, in file order.
std::vector<std::string> AnniversariesOn(const std::vector<Anniversary>& list, double month, double day);
