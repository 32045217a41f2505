#include "caldb/Digest.h"

#include <sqlite3.h>

#include <string>

#include "caldb/Dao.h"
#include "caldb/Schema.h"

namespace {

// Why `table` could not be read to its end: a read stopped by the query's
// time limit (a swollen file) is said as such, not as damage.
std::string UnreadTable(sqlite3* db, const char* table, int rc) {
  if (rc == SQLITE_INTERRUPT)
    return std::string("table ") + table + " took longer than " + std::to_string(kQueryTimeLimitMs) +
           " ms to read; is the file swollen?";
  return std::string("table ") + table + " cannot be read whole: " + sqlite3_errmsg(db);
}

// FNV-1a over the bytes of every value with its type, 64 bits folded to 32.
class Fnv {
 public:
  void Add(const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) m_hash = (m_hash ^ p[i]) * 0x100000001b3ULL;
  }
  void Add(int type, sqlite3_stmt* stmt, int column) {
    const unsigned char tag = static_cast<unsigned char>(type);
    Add(&tag, 1);
    if (type == SQLITE_INTEGER) {
      const sqlite3_int64 v = sqlite3_column_int64(stmt, column);
      Add(&v, sizeof v);
    } else if (type == SQLITE_FLOAT) {
      const double v = sqlite3_column_double(stmt, column);
      Add(&v, sizeof v);
    } else if (type != SQLITE_NULL) {
      const void* bytes = type == SQLITE_BLOB ? sqlite3_column_blob(stmt, column) : sqlite3_column_text(stmt, column);
      const int size = sqlite3_column_bytes(stmt, column);
      Add(&size, sizeof size);
      if (bytes) Add(bytes, static_cast<std::size_t>(size));
    }
  }
  std::uint32_t Folded() const {
    const auto folded = static_cast<std::uint32_t>(m_hash ^ (m_hash >> 32));
    return folded == 0 ? 1 : folded;
  }

 private:
  std::uint64_t m_hash = 0xcbf29ce484222325ULL;
};

bool AddTable(sqlite3* db, const char* table, Fnv& fnv, std::string& error) {
  sqlite3_stmt* stmt = nullptr;
  const std::string sql = std::string("SELECT * FROM \"") + table + "\" ORDER BY rowid";
  int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
  if (rc == SQLITE_OK) {
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
      for (int c = 0, n = sqlite3_column_count(stmt); c < n; ++c) fnv.Add(sqlite3_column_type(stmt, c), stmt, c);
  }
  if (rc != SQLITE_DONE) error = UnreadTable(db, table, rc);
  sqlite3_finalize(stmt);
  return rc == SQLITE_DONE;
}

// Three whole numbers a query over `table` gives, or false when the table
// cannot be read (the reason in `error`).
bool Numbers(sqlite3* db, const char* table, const char* sql, long long (&out)[3], std::string& error) {
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_step(stmt);
  if (rc == SQLITE_ROW)
    for (int i = 0; i < 3; ++i) out[i] = sqlite3_column_int64(stmt, i);
  else
    error = UnreadTable(db, table, rc);
  sqlite3_finalize(stmt);
  return rc == SQLITE_ROW;
}

// What any calendar file must hold, digest or not: the lunisolar months
// numbered without a gap, and an era row for every year of the era table's
// span (read from the tables themselves, not their indexes).
std::string StructureProblem(sqlite3* db) {
  long long k[3] = {}, h[3] = {};
  std::string error;
  if (!Numbers(db, "Kyuureki", "SELECT MIN(ID), MAX(ID), COUNT(*) FROM Kyuureki NOT INDEXED", k, error)) return error;
  if (k[2] > 0 && k[1] - k[0] + 1 != k[2])
    return "table Kyuureki: months are missing (" + std::to_string(k[2]) + " rows for the IDs " + std::to_string(k[0]) +
           " to " + std::to_string(k[1]) + ")";
  if (!Numbers(db, "History", "SELECT MIN(西暦), MAX(西暦), COUNT(DISTINCT 西暦) FROM History NOT INDEXED", h, error))
    return error;
  if (h[2] > 0 && h[1] - h[0] + 1 != h[2])
    return "table History: era rows are missing (" + std::to_string(h[2]) + " years have one between " +
           std::to_string(h[0]) + " and " + std::to_string(h[1]) + ")";
  return "";
}

// The table whose rows the almanac rewrites.
constexpr const char* kRewrittenTable = "Memory";

}  // namespace

bool CalendarDigest(sqlite3* db, std::uint32_t& digest, std::string& error) {
  Fnv fnv;
  for (const CalendarTable& table : CalendarTables()) {
    if (std::string(table.name) == kRewrittenTable) continue;
    if (!AddTable(db, table.name, fnv, error)) return false;
  }
  digest = fnv.Folded();
  return true;
}

std::string CalendarContentProblem(sqlite3* db) {
  sqlite3_stmt* stmt = nullptr;
  std::uint32_t stored = 0;
  if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
    stored = static_cast<std::uint32_t>(sqlite3_column_int64(stmt, 0));
  sqlite3_finalize(stmt);
  if (std::string problem = StructureProblem(db); !problem.empty()) return problem;
  if (stored == 0) return "";
  std::uint32_t digest = 0;
  std::string error;
  if (!CalendarDigest(db, digest, error)) return error;
  if (digest == stored) return "";
  return "the rows of the tables Kyuureki, History, Data and 七十二候 are not those the file was built with "
         "(their digest differs): the file is damaged or was changed";
}
