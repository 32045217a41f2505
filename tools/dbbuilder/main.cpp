// ombrel-dbbuilder DATA_DIR OUT.mdb: builds the calendar database from the
// tab-separated facts in DATA_DIR. The file is written under a temporary name
// next to OUT and renamed into place only when complete, so a failed build
// never leaves a half-written database behind. Bad input stops the build with
// "file:line: message" and exit status 1.
#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "caldb/Digest.h"
#include "caldb/Schema.h"

namespace {

// The temporary file being written, removed when the build fails.
std::string g_tmpPath;

[[noreturn]] void Fail(const std::string& text) {
  if (!g_tmpPath.empty()) std::remove(g_tmpPath.c_str());
  std::fprintf(stderr, "ombrel-dbbuilder: %s\n", text.c_str());
  std::exit(1);
}

// ---- TSV input ----

struct Table {
  std::string path;
  std::vector<std::vector<std::string>> rows;  // without the header
  std::vector<int> lines;                      // source line of each row

  std::string Where(std::size_t r) const { return path + ":" + std::to_string(lines[r]); }
};

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> cells;
  std::size_t start = 0;
  for (;;) {
    std::size_t tab = line.find('\t', start);
    cells.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return cells;
    start = tab + 1;
  }
}

// Reads a TSV whose header must be exactly `header`.
Table ReadTable(const std::string& dir, const char* name, const std::vector<std::string>& header) {
  Table t;
  t.path = dir + "/" + name;
  std::ifstream in(t.path, std::ios::binary);
  if (!in) Fail(t.path + ": cannot open: " + std::strerror(errno));
  std::string line;
  int number = 0;
  bool haveHeader = false;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);  // an editor's BOM
    if (line.empty()) continue;
    std::vector<std::string> cells = SplitTabs(line);
    if (!haveHeader) {
      if (cells != header) Fail(t.path + ":" + std::to_string(number) + ": unexpected header");
      haveHeader = true;
      continue;
    }
    if (cells.size() != header.size())
      Fail(t.path + ":" + std::to_string(number) + ": expected " + std::to_string(header.size()) + " fields, found " +
           std::to_string(cells.size()));
    t.rows.push_back(std::move(cells));
    t.lines.push_back(number);
  }
  if (in.bad()) Fail(t.path + ": read error");
  if (!haveHeader) Fail(t.path + ": empty file");
  return t;
}

long Int(const Table& t, std::size_t r, std::size_t c, long lo, long hi) {
  const std::string& s = t.rows[r][c];
  char* end = nullptr;
  errno = 0;
  long v = s.empty() ? 0 : std::strtol(s.c_str(), &end, 10);
  if (s.empty() || errno != 0 || *end != '\0' || v < lo || v > hi)
    Fail(t.Where(r) + ": field " + std::to_string(c + 1) + " '" + s + "' is not a whole number in " +
         std::to_string(lo) + ".." + std::to_string(hi));
  return v;
}

const std::string& Text(const Table& t, std::size_t r, std::size_t c, bool mayBeEmpty = false) {
  const std::string& s = t.rows[r][c];
  if (!mayBeEmpty && s.empty()) Fail(t.Where(r) + ": field " + std::to_string(c + 1) + " is empty");
  return s;
}

// Day number of a Western date, Julian calendar before 1582-10-15.
long DayNumber(long y, long m, long d) {
  long a = (14 - m) / 12, yy = y + 4800 - a, mm = m + 12 * a - 3;
  bool gregorian = y > 1582 || (y == 1582 && (m > 10 || (m == 10 && d >= 15)));
  long base = d + (153 * mm + 2) / 5 + 365 * yy;
  // Floor divisions keep negative years right.
  auto fdiv = [](long n, long k) { return n >= 0 ? n / k : -((-n + k - 1) / k); };
  return gregorian ? base + fdiv(yy, 4) - fdiv(yy, 100) + fdiv(yy, 400) - 32045 : base + fdiv(yy, 4) - 32083;
}

// ---- SQLite output ----

class Db {
 public:
  explicit Db(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
      Fail(path + ": " + (m_db ? sqlite3_errmsg(m_db) : "cannot create"));
  }
  ~Db() {
    for (auto& [sql, st] : m_stmts) sqlite3_finalize(st);
    sqlite3_close_v2(m_db);
  }
  void Exec(const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
      std::string text = err ? err : "error";
      sqlite3_free(err);
      Fail("sqlite: " + text);
    }
  }
  std::string SchemaProblem() { return CalendarSchemaProblem(m_db); }
  // Stores the digest of the read-only tables' rows in the header, which the
  // programs check the file against.
  void StoreDigest() {
    std::uint32_t digest = 0;
    std::string error;
    if (!CalendarDigest(m_db, digest, error)) Fail(error);
    Exec("PRAGMA user_version = " + std::to_string(static_cast<std::int32_t>(digest)));
  }
  // Inserts one row through a prepared statement kept per table.
  void Insert(const std::string& table, const std::vector<std::string>& values, const std::vector<bool>& isInt) {
    std::string sql = "INSERT INTO \"" + table + "\" VALUES (";
    for (std::size_t i = 0; i < values.size(); ++i) sql += i ? ",?" : "?";
    sql += ")";
    sqlite3_stmt*& st = m_stmts[sql];
    if (!st && sqlite3_prepare_v2(m_db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
      Fail("sqlite: " + std::string(sqlite3_errmsg(m_db)));
    for (std::size_t i = 0; i < values.size(); ++i) {
      int pos = static_cast<int>(i) + 1;
      if (isInt[i])
        sqlite3_bind_int64(st, pos, std::strtoll(values[i].c_str(), nullptr, 10));
      else
        sqlite3_bind_text(st, pos, values[i].c_str(), static_cast<int>(values[i].size()), SQLITE_TRANSIENT);
    }
    if (sqlite3_step(st) != SQLITE_DONE) Fail("sqlite: " + std::string(sqlite3_errmsg(m_db)));
    sqlite3_reset(st);
  }

 private:
  sqlite3* m_db = nullptr;
  std::map<std::string, sqlite3_stmt*> m_stmts;
};

// The tables come from the one description the program checks files
// against; the indexes serve the month, reading and date queries.
const char* kIndexes = R"(
CREATE INDEX Kyuureki_西暦_月 ON Kyuureki (西暦, 月);
CREATE INDEX History_年号読 ON History (年号読, 西暦);
CREATE UNIQUE INDEX Memory_date ON Memory (date);
)";

void BuildKyuureki(Db& db, const std::string& dir) {
  Table t = ReadTable(dir, "kyuureki.tsv", {"ID", "西暦", "月", "日", "指標", "旧暦"});
  if (t.rows.empty()) Fail(t.path + ": no rows");
  std::map<long, long> firstMonths;  // Western year -> rows flagged 1
  long previousStart = 0;
  for (std::size_t r = 0; r < t.rows.size(); ++r) {
    long id = Int(t, r, 0, 1, 10000000);
    long y = Int(t, r, 1, -100000, 100000), m = Int(t, r, 2, 1, 12), d = Int(t, r, 3, 1, 31);
    long flag = Int(t, r, 4, 0, 2);
    Int(t, r, 5, 0, 12);
    if (id != static_cast<long>(r) + 1) Fail(t.Where(r) + ": ID " + std::to_string(id) + " breaks the sequence");
    long start = DayNumber(y, m, d);
    if (r > 0 && (start - previousStart < 29 || start - previousStart > 30))
      Fail(t.Where(r) + ": the previous month is " + std::to_string(start - previousStart) + " days long");
    previousStart = start;
    if (flag == 1 && ++firstMonths[y] > 1) Fail(t.Where(r) + ": a second first month in " + std::to_string(y));
    db.Insert("Kyuureki", t.rows[r], std::vector<bool>(6, true));
  }
  // The year list reaches from 1 January −666 to the months beginning in the
  // first half of 2042.
  const auto& first = t.rows.front();
  const auto& last = t.rows.back();
  if (DayNumber(std::stol(first[1]), std::stol(first[2]), std::stol(first[3])) > DayNumber(-666, 1, 1) ||
      DayNumber(std::stol(last[1]), std::stol(last[2]), std::stol(last[3])) < DayNumber(2042, 7, 1))
    Fail(t.path + ": the months must cover -666-01-01 to 2042-06-30");
}

struct YearEntry {
  long from;
  std::string name;
  long first;  // the era's first year, for counting
};

// The entry in force in `year` from a list sorted by `from`; null before it.
const YearEntry* InForce(const std::vector<YearEntry>& list, long year) {
  const YearEntry* found = nullptr;
  for (const YearEntry& e : list)
    if (e.from <= year) found = &e;
  return found;
}

std::vector<YearEntry> ReadEmperors(const std::string& dir) {
  Table t = ReadTable(dir, "emperors.tsv", {"西暦", "天皇"});
  std::vector<YearEntry> list;
  for (std::size_t r = 0; r < t.rows.size(); ++r) {
    long y = Int(t, r, 0, -100000, 100000);
    if (!list.empty() && y <= list.back().from) Fail(t.Where(r) + ": years must increase");
    list.push_back({y, Text(t, r, 1), 0});
  }
  return list;
}

void ReadNorthernCourt(const std::string& dir, std::vector<YearEntry>& emperors, std::vector<YearEntry>& eras) {
  Table t = ReadTable(dir, "northern-court.tsv", {"西暦", "種別", "名", "元年"});
  for (std::size_t r = 0; r < t.rows.size(); ++r) {
    long y = Int(t, r, 0, -100000, 100000);
    const std::string& kind = Text(t, r, 1);
    const std::string& name = Text(t, r, 2, true);
    std::vector<YearEntry>& list = kind == "天皇" ? emperors : eras;
    if (kind != "天皇" && kind != "年号") Fail(t.Where(r) + ": kind must be 天皇 or 年号");
    long first = (kind == "年号" && !name.empty()) ? Int(t, r, 3, -100000, y) : 0;
    if (!list.empty() && y <= list.back().from) Fail(t.Where(r) + ": years must increase");
    list.push_back({y, name, first});
  }
}

void BuildHistory(Db& db, const std::string& dir) {
  static const char* kStems[] = {"甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬", "癸"};
  static const char* kBranches[] = {"子", "丑", "寅", "卯", "辰", "巳", "午", "未", "申", "酉", "戌", "亥"};
  std::vector<YearEntry> emperors = ReadEmperors(dir), northEmperors, northEras;
  ReadNorthernCourt(dir, northEmperors, northEras);
  Table t = ReadTable(dir, "era-years.tsv", {"西暦", "年号", "年号読", "年"});
  for (std::size_t r = 0; r < t.rows.size(); ++r) {
    long y = Int(t, r, 0, -100000, 100000);
    if (r > 0 && y != Int(t, r - 1, 0, -100000, 100000) + 1) Fail(t.Where(r) + ": years must be consecutive");
    const std::string& era = Text(t, r, 1);
    Int(t, r, 3, 1, 1000);
    const YearEntry* emperor = InForce(emperors, y);
    if (!emperor) Fail(t.Where(r) + ": no emperor listed for " + std::to_string(y));
    // Years without an era name carry the sovereign's name: both lists must agree.
    if (era.front() == '(' && era != "(" + emperor->name + ")")
      Fail(t.Where(r) + ": " + era + " but emperors.tsv lists " + emperor->name);
    const YearEntry* northEmperor = InForce(northEmperors, y);
    const YearEntry* northEra = InForce(northEras, y);
    std::string northEraText;
    if (northEra && !northEra->name.empty())
      northEraText = "北朝" + northEra->name + std::to_string(y - northEra->first + 1) + "年";
    long cycle = ((y - 4) % 60 + 60) % 60;  // 甲子 = 4 AD
    db.Insert("History",
              {std::to_string(y), std::to_string(y + 660), era, Text(t, r, 2), t.rows[r][3], emperor->name,
               northEmperor ? northEmperor->name : "", northEraText, kStems[cycle % 10], kBranches[cycle % 12]},
              {true, true, false, false, true, false, false, false, false, false});
  }
}

void BuildData(Db& db, const std::string& dir) {
  Table t = ReadTable(dir, "signs.tsv",
                      {"No", "宿", "宿読", "六曜", "六曜読", "曜日", "十干", "十干読", "十二支", "十二支読"});
  if (t.rows.size() != 28) Fail(t.path + ": expected the 28 rows 0 to 27");
  for (std::size_t r = 0; r < t.rows.size(); ++r) {
    if (Int(t, r, 0, 0, 27) != static_cast<long>(r)) Fail(t.Where(r) + ": rows must be numbered 0 to 27");
    std::vector<bool> isInt(10, false);
    isInt[0] = true;
    db.Insert("Data", t.rows[r], isInt);
  }
}

void BuildPentads(Db& db, const std::string& dir) {
  Table t = ReadTable(dir, "pentads.tsv", {"ID", "名", "読み"});
  if (t.rows.size() != 72) Fail(t.path + ": expected 72 pentads");
  for (std::size_t r = 0; r < t.rows.size(); ++r) {
    if (Int(t, r, 0, 1, 72) != static_cast<long>(r) + 1) Fail(t.Where(r) + ": pentads must be numbered 1 to 72");
    Text(t, r, 1);
    Text(t, r, 2);
    db.Insert("七十二候", t.rows[r], {true, false, false});
  }
}

// 366 scratch rows, one per day of a leap year, terms and phases blank.
void BuildMemory(Db& db) {
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int id = 0;
  for (int m = 1; m <= 12; ++m)
    for (int d = 1; d <= kDays[m - 1]; ++d)
      db.Insert("Memory",
                {std::to_string(++id), std::to_string(100 * m + d), std::to_string(m), std::to_string(d), "", "",
                 "", "", " ", " "},
                {true, true, true, true, false, false, false, false, false, false});
}

void Build(const std::string& dir, const std::string& path) {
  Db db(path);
  // A fresh temporary file: no rollback journal needed; one transaction.
  db.Exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=FULL; BEGIN;");
  db.Exec(CalendarSchemaSql());
  db.Exec(kIndexes);
  BuildKyuureki(db, dir);
  BuildHistory(db, dir);
  BuildData(db, dir);
  BuildPentads(db, dir);
  BuildMemory(db);
  db.Exec("COMMIT; PRAGMA journal_mode=DELETE;");
  db.StoreDigest();
  const std::string problem = db.SchemaProblem();
  if (!problem.empty()) Fail("the built database does not pass the program's own check: " + problem);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: ombrel-dbbuilder DATA_DIR OUT.mdb\n");
    return 2;
  }
  const std::string dir = argv[1], out = argv[2];
  const std::string tmp = out + ".~ombrel-part-" + std::to_string(getpid());
  std::remove(tmp.c_str());
  g_tmpPath = tmp;
  Build(dir, tmp);
  if (std::rename(tmp.c_str(), out.c_str()) != 0) {
    std::fprintf(stderr, "ombrel-dbbuilder: cannot rename %s to %s: %s\n", tmp.c_str(), out.c_str(),
                 std::strerror(errno));
    std::remove(tmp.c_str());
    return 1;
  }
  return 0;
}
