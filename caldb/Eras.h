// Era names (和暦) of Western years from the History table, with the legendary
// and early reigns of ReignTable for the years before the first era name, and
// the item texts of the year list's two era lists.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "caldb/Dao.h"

struct ReignRow {
  const char* name;  // with its parentheses, at most 20 Shift-JIS bytes
  int firstYear;     // astronomical numbering
};
// 34 reigns from −666; row i covers firstYear(i) <= y < firstYear(i + 1).
extern const std::array<ReignRow, 34> ReignTable;

// The two History queries; the year follows, written with "%4d", then ";".
inline constexpr const char* kHistoryQueryTwoSpaces = "SELECT * FROM [History] WHERE  [西暦]=";
inline constexpr const char* kHistoryQueryOneSpace = "SELECT * FROM [History] WHERE [西暦]=";

struct EraTexts {
  std::string eraName;
  std::string eraYear;
  std::string emperor;
  std::string eraExtra;
  bool fromHistory = false;  // false: from ReignTable, or empty
};

// The era of a Western year: History positions 2, 4, 5 and 7 when the table
// has the year; else the reign covering `reignYear` with its year "%3d" as
// both eraYear and eraExtra; else four empty texts. Years that are not finite
// or beyond +-999999 give empty texts.
EraTexts EraForYear(CDaoDatabase& db, double historyYear, double reignYear, const char* queryText);
// The day panel's and the 西暦変換 rows' form: one year for both.
EraTexts EraForYear(CDaoDatabase& db, double year, const char* queryText = kHistoryQueryTwoSpaces);

// The day panel's text: name, a blank and the year for a History row; the
// reign's name, "%3d" of its year and "年" for a reign; empty otherwise.
std::string EraPanelText(const EraTexts& era);

// The items of the year list's era lists: list 1050 in the reverse of the
// table order, with the item whose year text equals `yearText` selected;
// list 1051 by reading then year, its first item selected.
struct EraListItems {
  std::vector<std::string> byTable;
  std::string byTableSelected;
  std::vector<std::string> byReading;
  std::string byReadingSelected;
};
// Each of the two queries is bounded as a whole by the access layer's time
// limit, and a table of more than kMaxHistoryRows rows is refused
// (CDaoException naming the table) rather than listed.
inline constexpr std::size_t kMaxHistoryRows = 10000;
EraListItems EraListItemTexts(CDaoDatabase& db, const std::string& yearText);

// The year field's text after picking an item: its last four characters.
std::string EraPickYearText(const std::string& itemText);
