// The Data table of the calendar database: the names of the day and year
// signs, one row ([No]) per position of their cycles (the rows come from the
// *Row functions of signs/Signs.h). The one reader of the table: the day
// panel, the month calendar and the year list take their names from here.
#pragma once

#include <map>
#include <string>
#include <vector>

class CDaoDatabase;

class DataTable {
 public:
  // The columns of a row, as stored.
  enum Column {
    kMansion = 1,
    kMansionReading,
    kSixDay,
    kSixDayReading,
    kWeekday,
    kStem,
    kStemReading,
    kBranch,
    kBranchReading,
  };

  explicit DataTable(CDaoDatabase& db) : m_db(db) {}

  // Column `column` of row `row`, each row read once through the almanac's
  // query "SELECT * FROM [Data] WHERE  [No]=%1d;". The engine's error
  // (CDaoException) when the row does not exist.
  const std::string& Text(int row, Column column);

 private:
  CDaoDatabase& m_db;
  std::map<int, std::vector<std::string>> m_rows;
};
