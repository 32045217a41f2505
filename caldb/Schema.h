// The shape of the calendar database: its five tables with their columns in
// order and the class of each column's declared type. The builder creates the
// tables from this description and the access layer checks every file it
// opens against it, so a file of another shape is refused with one message
// instead of giving wrong answers.
#pragma once

#include <string>
#include <vector>

struct sqlite3;

// What a column's values are read as.
enum class ColumnClass { kInteger, kText, kTextOrInteger };

struct CalendarColumn {
  const char* name;
  const char* declared;  // the type the builder declares
  ColumnClass kind;
};

struct CalendarTable {
  const char* name;
  std::vector<CalendarColumn> columns;
};

// The five tables, in the order they are checked.
const std::vector<CalendarTable>& CalendarTables();

// The table (and its column) a result column of a query comes from, or null.
const CalendarColumn* FindCalendarColumn(const char* table, const char* column);

// "CREATE TABLE ..." statements for the five tables.
std::string CalendarSchemaSql();

// Empty when every table has the expected columns (names, count, order and
// declared type class) and is an ordinary table; else one line naming the
// first table that does not, and how. Runs no query over the tables' rows.
std::string CalendarSchemaProblem(sqlite3* db);

// True when a declared type belongs to the class (SQLite's affinity rules,
// and none of the types the access layer prints in a special form).
bool DeclaredTypeFits(const char* declared, ColumnClass kind);
