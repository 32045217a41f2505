#include "caldb/Schema.h"

#include <sqlite3.h>

#include <cctype>
#include <cstring>

#include "caldb/Dao.h"

namespace {

constexpr ColumnClass kInt = ColumnClass::kInteger;
constexpr ColumnClass kText = ColumnClass::kText;

std::string Upper(const char* s) {
  std::string out;
  for (const char* p = s ? s : ""; *p; ++p) out += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
  return out;
}

bool SameName(const char* a, const char* b) { return sqlite3_stricmp(a ? a : "", b ? b : "") == 0; }

// A statement over the file's own catalogue; finalized on scope exit.
class Query {
 public:
  Query(sqlite3* db, const std::string& sql) {
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &m_stmt, nullptr) != SQLITE_OK) {
      sqlite3_finalize(m_stmt);
      m_stmt = nullptr;
    }
  }
  ~Query() { sqlite3_finalize(m_stmt); }
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;
  bool Ok() const { return m_stmt != nullptr; }
  sqlite3_stmt* Get() const { return m_stmt; }

 private:
  sqlite3_stmt* m_stmt = nullptr;
};

const char* Text(sqlite3_stmt* st, int i) {
  const unsigned char* t = sqlite3_column_text(st, i);
  return t ? reinterpret_cast<const char*>(t) : "";
}

// What the catalogue says the name is: "table", "view", "virtual" or "" when
// there is no such object.
std::string ObjectKind(sqlite3* db, const char* table, std::string& engineError) {
  Query q(db, "SELECT type, sql FROM main.sqlite_schema WHERE name = ?1 COLLATE NOCASE AND type IN ('table','view')");
  if (!q.Ok()) {
    engineError = sqlite3_errmsg(db);
    return "";
  }
  sqlite3_bind_text(q.Get(), 1, table, -1, SQLITE_STATIC);
  int rc = sqlite3_step(q.Get());
  if (rc == SQLITE_DONE) return "";
  if (rc != SQLITE_ROW) {
    engineError = sqlite3_errmsg(db);
    return "";
  }
  std::string kind = Text(q.Get(), 0);
  if (kind == "table" && Upper(Text(q.Get(), 1)).rfind("CREATE VIRTUAL", 0) == 0) kind = "virtual";
  return kind;
}

// The columns as declared: every column, generated ones included (they have
// no place in the calendar's tables).
std::string ColumnsProblem(sqlite3* db, const CalendarTable& t) {
  const std::string where = std::string("table ") + t.name + ": ";
  Query q(db, std::string("PRAGMA main.table_xinfo(\"") + t.name + "\")");
  if (!q.Ok()) return where + sqlite3_errmsg(db);
  std::size_t i = 0;
  int rc;
  while ((rc = sqlite3_step(q.Get())) == SQLITE_ROW) {
    const char* name = Text(q.Get(), 1);
    const char* declared = Text(q.Get(), 2);
    if (i >= t.columns.size()) return where + "unexpected column " + name + " at position " + std::to_string(i);
    const CalendarColumn& c = t.columns[i];
    if (!SameName(name, c.name))
      return where + "column " + std::to_string(i) + " is " + name + ", expected " + c.name;
    if (sqlite3_column_int(q.Get(), 6) != 0) return where + "column " + name + " is generated";
    if (!DeclaredTypeFits(declared, c.kind))
      return where + "column " + name + " is declared '" + declared + "', expected " + c.declared;
    ++i;
  }
  if (rc != SQLITE_DONE) return where + sqlite3_errmsg(db);
  if (i < t.columns.size())
    return where + std::to_string(i) + " columns, expected " + std::to_string(t.columns.size());
  return "";
}

}  // namespace

const std::vector<CalendarTable>& CalendarTables() {
  static const std::vector<CalendarTable> tables = {
      {"Kyuureki",
       {{"ID", "INTEGER PRIMARY KEY", kInt}, {"西暦", "INTEGER NOT NULL", kInt}, {"月", "SMALLINT NOT NULL", kInt},
        {"日", "SMALLINT NOT NULL", kInt}, {"指標", "SMALLINT NOT NULL", kInt}, {"旧暦", "SMALLINT NOT NULL", kInt}}},
      {"History",
       {{"西暦", "INTEGER PRIMARY KEY", kInt}, {"皇紀", "INTEGER NOT NULL", kInt}, {"年号", "TEXT NOT NULL", kText},
        {"年号読", "TEXT NOT NULL", kText}, {"年", "INTEGER NOT NULL", ColumnClass::kTextOrInteger},
        {"天皇", "TEXT NOT NULL", kText}, {"北朝天皇", "TEXT NOT NULL", kText}, {"北朝年号", "TEXT NOT NULL", kText},
        {"年干", "TEXT NOT NULL", kText}, {"年支", "TEXT NOT NULL", kText}}},
      {"Data",
       {{"No", "INTEGER PRIMARY KEY", kInt}, {"宿", "TEXT NOT NULL", kText}, {"宿読", "TEXT NOT NULL", kText},
        {"六曜", "TEXT NOT NULL", kText}, {"六曜読", "TEXT NOT NULL", kText}, {"曜日", "TEXT NOT NULL", kText},
        {"十干", "TEXT NOT NULL", kText}, {"十干読", "TEXT NOT NULL", kText}, {"十二支", "TEXT NOT NULL", kText},
        {"十二支読", "TEXT NOT NULL", kText}}},
      {"七十二候", {{"ID", "INTEGER PRIMARY KEY", kInt}, {"名", "TEXT NOT NULL", kText}, {"読み", "TEXT NOT NULL", kText}}},
      {"Memory",
       {{"ID", "INTEGER PRIMARY KEY", kInt}, {"date", "INTEGER NOT NULL", kInt}, {"月", "SMALLINT NOT NULL", kInt},
        {"日", "SMALLINT NOT NULL", kInt}, {"予備1", "TEXT NOT NULL", kText}, {"予備2", "TEXT NOT NULL", kText},
        {"予備3", "TEXT NOT NULL", kText}, {"予備4", "TEXT NOT NULL", kText}, {"節気", "TEXT NOT NULL", kText},
        {"月相", "TEXT NOT NULL", kText}}},
  };
  return tables;
}

const CalendarColumn* FindCalendarColumn(const char* table, const char* column) {
  if (!table || !column) return nullptr;
  for (const CalendarTable& t : CalendarTables()) {
    if (!SameName(t.name, table)) continue;
    for (const CalendarColumn& c : t.columns)
      if (SameName(c.name, column)) return &c;
  }
  return nullptr;
}

std::string CalendarSchemaSql() {
  std::string sql;
  for (const CalendarTable& t : CalendarTables()) {
    sql += std::string("CREATE TABLE \"") + t.name + "\" (";
    for (std::size_t i = 0; i < t.columns.size(); ++i)
      sql += std::string(i ? ", \"" : "\"") + t.columns[i].name + "\" " + t.columns[i].declared;
    sql += ");\n";
  }
  return sql;
}

bool DeclaredTypeFits(const char* declared, ColumnClass kind) {
  const std::string d = Upper(declared);
  auto has = [&](const char* w) { return d.find(w) != std::string::npos; };
  // SQLite's affinity: INT first, then CHAR/CLOB/TEXT.
  const bool integer = has("INT");
  const bool text = !integer && (has("CHAR") || has("CLOB") || has("TEXT"));
  if (!PrintsPlainly(declared)) return false;
  switch (kind) {
    case ColumnClass::kInteger: return integer;
    case ColumnClass::kText: return text;
    case ColumnClass::kTextOrInteger: return integer || text;
  }
  return false;
}

std::string CalendarSchemaProblem(sqlite3* db) {
  for (const CalendarTable& t : CalendarTables()) {
    std::string engineError;
    const std::string kind = ObjectKind(db, t.name, engineError);
    if (!engineError.empty()) return engineError;
    if (kind.empty()) return std::string("table ") + t.name + " is missing";
    if (kind == "view") return std::string("table ") + t.name + " is a view, not a table";
    if (kind != "table") return std::string("table ") + t.name + " is a virtual table, not an ordinary one";
    std::string problem = ColumnsProblem(db, t);
    if (!problem.empty()) return problem;
  }
  return "";
}
