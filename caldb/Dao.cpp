#include "caldb/Dao.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <optional>

#include <sys/stat.h>

#include "caldb/Digest.h"
#include "caldb/HotJournal.h"
#include "caldb/Schema.h"
#include "core/CalendarDays.h"

// What identifies a file's content for reusing a connection to it.
struct FileIdentity {
  std::string path;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  long long mtimeNs = 0;
};

namespace {

bool Identify(const std::string& path, FileIdentity& out) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  char* real = ::realpath(path.c_str(), nullptr);
  out.path = real ? real : path;
  std::free(real);
  out.dev = st.st_dev;
  out.ino = st.st_ino;
  out.size = st.st_size;
  out.mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  return true;
}

bool SameFile(const FileIdentity& a, const FileIdentity& b) {
  return a.dev == b.dev && a.ino == b.ino && a.size == b.size && a.mtimeNs == b.mtimeNs;
}

// How long a connection waits for another process's write lock before the
// engine reports the file as busy.
constexpr int kBusyTimeoutMs = 2000;

const char* TypeName(unsigned short vt) {
  switch (vt) {
    case VT_EMPTY: return "VT_EMPTY";
    case VT_NULL: return "VT_NULL";
    case VT_I2: return "VT_I2";
    case VT_I4: return "VT_I4";
    case VT_R4: return "VT_R4";
    case VT_R8: return "VT_R8";
    case VT_CY: return "VT_CY";
    case VT_DATE: return "VT_DATE";
    case VT_BSTR: return "VT_BSTR";
    case VT_DISPATCH: return "VT_DISPATCH";
    case VT_ERROR: return "VT_ERROR";
    case VT_BOOL: return "VT_BOOL";
    case VT_VARIANT: return "VT_VARIANT";
    case VT_UNKNOWN: return "VT_UNKNOWN";
    case VT_I1: return "VT_I1";
    case VT_UI1: return "VT_UI1";
    case VT_UI2: return "VT_UI2";
    case VT_UI4: return "VT_UI4";
    case VT_I8: return "VT_I8";
    case VT_UI8: return "VT_UI8";
    case VT_INT: return "VT_INT";
    case VT_UINT: return "VT_UINT";
    case VT_VOID: return "VT_VOID";
    case VT_HRESULT: return "VT_HRESULT";
    case VT_PTR: return "VT_PTR";
    case VT_SAFEARRAY: return "VT_SAFEARRAY";
    case VT_CARRAY: return "VT_CARRAY";
    case VT_USERDEFINED: return "VT_USERDEFINED";
    case VT_LPSTR: return "VT_LPSTR";
    case VT_LPWSTR: return "VT_LPWSTR";
    case VT_FILETIME: return "VT_FILETIME";
    case VT_BLOB: return "VT_BLOB";
    case VT_STREAM: return "VT_STREAM";
    case VT_STORAGE: return "VT_STORAGE";
    case VT_STREAMED_OBJECT: return "VT_STREAMED_OBJECT";
    case VT_STORED_OBJECT: return "VT_STORED_OBJECT";
    case VT_BLOB_OBJECT: return "VT_BLOB_OBJECT";
    case VT_CF: return "VT_CF";
    case VT_CLSID: return "VT_CLSID";
  }
  return nullptr;
}

// "%e" with the exponent widened to three digits, the almanac's historical
// form (2005.0 prints as 2.005000e+003); stored texts depend on it.
std::string ScientificText(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%e", v);
  std::string s = buf;
  std::size_t e = s.find('e');
  if (e == std::string::npos || e + 2 > s.size()) return s;  // inf, nan
  // Padded by appending: GCC 12 at -O3 warns (falsely) on inserting in front.
  const std::string digits = s.substr(e + 2);
  std::string out = s.substr(0, e + 2);
  out.append(digits.size() < 3 ? 3 - digits.size() : 0, '0');
  return out + digits;
}

// A currency amount in the plain locale form: up to four decimals, trailing
// zeros dropped.
std::string CurrencyText(double v) {
  if (!std::isfinite(v)) return ScientificText(v);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.4f", v);
  std::string s = buf;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  return s;
}

// "%m %d %y" of a date held as ISO text or as a Julian day number.
std::string DateText(const DaoVariant& v) {
  int y = 0, m = 0, d = 0;
  if (!v.text.empty()) {
    if (std::sscanf(v.text.c_str(), "%d-%d-%d", &y, &m, &d) != 3) return v.text;
  } else {
    if (!std::isfinite(v.real) || std::fabs(v.real) > 1e9) return ScientificText(v.real);
    // Gregorian date of a Julian day number (the engine's own date scale).
    const CalendarDate date =
        DateOfJulianDayNumber(static_cast<long long>(std::floor(v.real + 0.5)), CalendarRule::Gregorian);
    y = static_cast<int>(date.year), m = date.month, d = date.day;
  }
  char buf[48];
  int yy = ((y % 100) + 100) % 100;
  std::snprintf(buf, sizeof buf, "%02d %02d %02d", m, d, yy);
  return buf;
}

std::string ScalarText(const DaoVariant& v) {
  char buf[64];
  switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL: return "NULL";
    case VT_I2: std::snprintf(buf, sizeof buf, "%hd", static_cast<short>(v.integer)); return buf;
    case VT_I4: std::snprintf(buf, sizeof buf, "%d", static_cast<int>(v.integer)); return buf;
    case VT_R4: return ScientificText(static_cast<double>(static_cast<float>(v.real)));
    case VT_R8: return ScientificText(v.real);
    case VT_CY: return CurrencyText(v.real);
    case VT_DATE: return DateText(v);
    case VT_BSTR: return v.text;
    case VT_BOOL: return BoolToText(v.integer != 0);
    case VT_UI1:
      std::snprintf(buf, sizeof buf, "0x%02hX", static_cast<unsigned short>(v.integer & 0xFF));
      return buf;
  }
  const char* name = TypeName(v.vt);
  return name ? name : "Fish";
}

// What a column's declared type says about its values, worked out once per
// prepared query (the declared types of the almanac's tables).
enum DeclKind : unsigned char { kDeclPlain, kDeclDate, kDeclCurrency, kDeclSingle, kDeclBool, kDeclByte, kDeclShort };

DeclKind KindOf(const char* declared) {
  std::string decl;
  for (const char* p = declared ? declared : ""; *p; ++p)
    decl += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
  auto has = [&](const char* word) { return decl.find(word) != std::string::npos; };
  if (has("DATE")) return kDeclDate;
  if (has("CURRENCY") || has("MONEY")) return kDeclCurrency;
  if (has("SINGLE") || has("FLOAT4")) return kDeclSingle;
  if (has("BOOL") || has("BIT") || has("YESNO")) return kDeclBool;
  if (has("BYTE") || has("TINYINT")) return kDeclByte;
  if (has("SMALLINT") || has("SHORT") || has("INT2")) return kDeclShort;
  return kDeclPlain;
}

// The type a stored value reads as: its storage class, refined by the
// column's declared type.
unsigned short TypeOf(int storage, unsigned char kind) {
  switch (storage) {
    case SQLITE_NULL: return VT_NULL;
    case SQLITE_TEXT: return kind == kDeclDate ? VT_DATE : VT_BSTR;
    case SQLITE_BLOB: return VT_ARRAY | VT_UI1;
    case SQLITE_FLOAT:
      if (kind == kDeclCurrency) return VT_CY;
      if (kind == kDeclDate) return VT_DATE;
      if (kind == kDeclSingle) return VT_R4;
      return VT_R8;
  }
  switch (kind) {  // integers
    case kDeclBool: return VT_BOOL;
    case kDeclCurrency: return VT_CY;
    case kDeclDate: return VT_DATE;
    case kDeclByte: return VT_UI1;
    case kDeclShort: return VT_I2;
  }
  return VT_I4;
}

// 16- and 32-bit columns holding a value too large for them read at the next
// width, so no number is ever cut.
unsigned short WidenForValue(unsigned short vt, long long v) {
  if (vt == VT_UI1 && (v < 0 || v > 255)) vt = VT_I2;
  if (vt == VT_I2 && (v < -32768 || v > 32767)) vt = VT_I4;
  if (vt == VT_I4 && (v < -2147483648LL || v > 2147483647LL)) vt = VT_I8;
  return vt;
}

// What a value that does not belong in its column is, for the message.
const char* Misfit(unsigned short vt) {
  switch (vt) {
    case VT_NULL: return "an empty value (NULL)";
    case VT_R4:
    case VT_R8: return "a fraction";
    case VT_BSTR: return "text";
    case VT_I8: return "a number out of range";
  }
  return (vt & VT_ARRAY) ? "binary data" : "a value of another type";
}

bool Fits(unsigned short vt, signed char expect) {
  const bool integer = vt == VT_I2 || vt == VT_I4;
  switch (static_cast<ColumnClass>(expect)) {
    case ColumnClass::kInteger: return integer;
    case ColumnClass::kText: return vt == VT_BSTR;
    case ColumnClass::kTextOrInteger: return integer || vt == VT_BSTR;
  }
  return true;
}

DaoVariant ReadColumn(sqlite3_stmt* stmt, int i, unsigned char kind) {
  DaoVariant v;
  int storage = sqlite3_column_type(stmt, i);
  v.vt = TypeOf(storage, kind);
  switch (storage) {
    case SQLITE_INTEGER:
      v.integer = sqlite3_column_int64(stmt, i);
      v.real = static_cast<double>(v.integer);  // currency and dates read it as a number
      v.vt = WidenForValue(v.vt, v.integer);
      break;
    case SQLITE_FLOAT: v.real = sqlite3_column_double(stmt, i); break;
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
      const void* p = storage == SQLITE_TEXT ? static_cast<const void*>(sqlite3_column_text(stmt, i))
                                             : sqlite3_column_blob(stmt, i);
      int n = sqlite3_column_bytes(stmt, i);
      if (p && n > 0) v.text.assign(static_cast<const char*>(p), static_cast<std::size_t>(n));
      break;
    }
    default: break;
  }
  return v;
}

[[noreturn]] void Throw(sqlite3* db, int rc) {
  const char* msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  std::string text = msg ? msg : "database error";
  // "attempt to write a readonly database" also stands for a read-only
  // directory: say which it is.
  if ((rc & 0xFF) == SQLITE_READONLY && db) {
    const char* file = sqlite3_db_filename(db, "main");
    const std::string reason = ReadOnlyReason(file ? file : "");
    if (!reason.empty()) text = std::string(file) + " cannot be written: " + reason;
  }
  throw CDaoException(rc, text);
}

void RemoveRecoveredCopyIfAny(const std::string& copy) {
  if (!copy.empty()) RemoveRecoveredCopy(copy);
}

// Quotes a name for SQL, doubling embedded quotes.
std::string QuoteName(const char* name) {
  std::string s = "\"";
  for (const char* p = name; *p; ++p) {
    if (*p == '"') s += '"';
    s += *p;
  }
  return s + "\"";
}

void BindVariant(sqlite3_stmt* stmt, int pos, const DaoVariant& v) {
  switch (v.vt) {
    case VT_NULL:
    case VT_EMPTY: sqlite3_bind_null(stmt, pos); break;
    case VT_R4:
    case VT_R8:
    case VT_CY: sqlite3_bind_double(stmt, pos, v.real); break;
    case VT_BSTR: sqlite3_bind_text(stmt, pos, v.text.data(), static_cast<int>(v.text.size()), SQLITE_TRANSIENT); break;
    case VT_DATE:
      if (!v.text.empty())
        sqlite3_bind_text(stmt, pos, v.text.data(), static_cast<int>(v.text.size()), SQLITE_TRANSIENT);
      else
        sqlite3_bind_double(stmt, pos, v.real);
      break;
    case VT_ARRAY | VT_UI1:
      sqlite3_bind_blob(stmt, pos, v.text.data(), static_cast<int>(v.text.size()), SQLITE_TRANSIENT);
      break;
    default: sqlite3_bind_int64(stmt, pos, v.integer); break;
  }
}

}  // namespace

bool PrintsPlainly(const char* declared) {
  DeclKind k = KindOf(declared);
  return k == kDeclPlain || k == kDeclShort;
}

std::string BoolToText(bool value) { return value ? "TRUE" : "FALSE"; }

std::string VariantToText(const DaoVariant& value) {
  if (value.vt & VT_ARRAY) {
    const char* name = TypeName(static_cast<unsigned short>(value.vt & ~VT_ARRAY));
    return name ? std::string("Array of ") + name : "Fish";
  }
  return ScalarText(value);
}

bool ParseTypedNumber(const std::string& typed, int& out) {
  std::size_t i = 0, n = typed.size();
  auto blank = [&](std::size_t k) { return typed[k] == ' ' || typed[k] == '\t'; };
  while (i < n && blank(i)) ++i;
  while (n > i && blank(n - 1)) --n;
  bool negative = false;
  if (i < n && (typed[i] == '+' || typed[i] == '-')) negative = typed[i++] == '-';
  if (i >= n) return false;
  long value = 0;
  for (; i < n; ++i) {
    if (typed[i] < '0' || typed[i] > '9') return false;
    value = value * 10 + (typed[i] - '0');
    if (value > 999999) return false;
  }
  out = static_cast<int>(negative ? -value : value);
  return true;
}

CDaoException::CDaoException(int code, const std::string& text) : std::runtime_error(text), m_nCode(code) {}

std::string DatabaseErrorText(const std::string& database, const CDaoException& e) {
  const std::string text = e.what();
  return text.find(database) != std::string::npos ? text : database + ": " + text;
}

// ---- connections ----

// One SQLite connection with the statements prepared on it. Statements are
// reset and kept after use, keyed by their query text, since the almanac runs
// the same few dozen texts on every refresh.
struct DaoConnection {
  struct Cached {
    std::string sql;
    sqlite3_stmt* stmt;
    std::vector<DaoColumn> columns;
  };
  sqlite3* db = nullptr;
  bool readOnly = true;
  bool checked = false;  // the calendar's shape was checked on opening
  // When the query running now must stop.
  QueryClock::time_point deadline{};
  FileIdentity file{};
  std::vector<Cached> cache;  // statements not in use, oldest first

  ~DaoConnection() {
    for (Cached& c : cache) sqlite3_finalize(c.stmt);
    sqlite3_close_v2(db);
  }
};

namespace {

constexpr std::size_t kStatementCacheSize = 64;
constexpr std::size_t kPoolSize = 4;

// Read-only connections closed by their users, kept for the next Open of the
// same file. The almanac opens the database for every lookup; reusing the
// connection saves reading the schema again each time.
struct ConnectionPool {
  std::mutex mutex;
  std::vector<DaoConnection*> idle;
  // What is left of the time all queries together may take (LimitTotalQueryTime).
  std::optional<QueryClock::duration> budget;
};

// Never destroyed, so a database closed late during exit still finds it; the
// idle connections hold no lock and end with the process.
ConnectionPool& Pool() {
  static ConnectionPool* pool = new ConnectionPool;
  return *pool;
}

DaoConnection* TakePooled(const FileIdentity& file) {
  ConnectionPool& pool = Pool();
  std::lock_guard<std::mutex> lock(pool.mutex);
  for (std::size_t i = 0; i < pool.idle.size(); ++i) {
    if (!SameFile(pool.idle[i]->file, file)) continue;
    DaoConnection* c = pool.idle[i];
    pool.idle.erase(pool.idle.begin() + static_cast<std::ptrdiff_t>(i));
    return c;
  }
  return nullptr;
}

// The end of the running step: the query's own, or sooner when the whole
// run's time for queries runs out first.
QueryClock::time_point StepDeadline(QueryClock::time_point own, QueryClock::time_point now) {
  ConnectionPool& pool = Pool();
  std::lock_guard<std::mutex> lock(pool.mutex);
  return pool.budget ? std::min(own, now + *pool.budget) : own;
}

void Charge(QueryClock::duration spent) {
  ConnectionPool& pool = Pool();
  std::lock_guard<std::mutex> lock(pool.mutex);
  if (pool.budget) pool.budget = std::max(*pool.budget - spent, QueryClock::duration::zero());
}

bool BudgetSpent() {
  ConnectionPool& pool = Pool();
  std::lock_guard<std::mutex> lock(pool.mutex);
  return pool.budget && *pool.budget <= QueryClock::duration::zero();
}

void ReturnToPool(DaoConnection* c) {
  FileIdentity now;
  // A file replaced or changed since the connection was opened is not kept.
  if (!c->readOnly || !c->checked || !Identify(c->file.path, now) || !SameFile(c->file, now)) {
    delete c;
    return;
  }
  ConnectionPool& pool = Pool();
  DaoConnection* evicted = nullptr;
  {
    std::lock_guard<std::mutex> lock(pool.mutex);
    if (pool.idle.size() >= kPoolSize) {
      evicted = pool.idle.front();
      pool.idle.erase(pool.idle.begin());
    }
    pool.idle.push_back(c);
  }
  delete evicted;
}

}  // namespace

void LimitTotalQueryTime(std::chrono::milliseconds total) {
  ConnectionPool& pool = Pool();
  std::lock_guard<std::mutex> lock(pool.mutex);
  pool.budget = total;
}

// ---- CDaoDatabase ----

CDaoDatabase::~CDaoDatabase() { Close(); }

namespace {

// Stops the query running on a connection once its time is up.
int PastDeadline(void* conn) {
  return QueryClock::now() > static_cast<DaoConnection*>(conn)->deadline ? 1 : 0;
}

// Nothing stored in the file runs with the program's rights: no trigger, no
// view, no schema function, and the file's own catalogue cannot be written.
void Harden(sqlite3* db, DaoConnection* conn) {
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  // No field of the calendar comes near this; a huge one is an error, not memory.
  sqlite3_limit(db, SQLITE_LIMIT_LENGTH, 1 << 20);
  sqlite3_progress_handler(db, 1000, PastDeadline, conn);
}

}  // namespace

QueryClock::time_point QueryClock::now() noexcept {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return time_point(std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec));
}

void CDaoDatabase::StartClock() {
  if (m_pConn) m_pConn->deadline = QueryClock::now() + std::chrono::milliseconds(kQueryTimeLimitMs);
}

QueryClock::time_point CDaoDatabase::Deadline() const {
  return m_pConn ? m_pConn->deadline : QueryClock::time_point{};
}

void CDaoDatabase::SetDeadline(QueryClock::time_point deadline) {
  if (m_pConn) m_pConn->deadline = deadline;
}

namespace {

// Opens the engine's connection; throws with the engine's text and the name.
sqlite3* OpenConnection(const std::string& name, bool readOnly) {
  // Never SQLITE_OPEN_CREATE: a missing file is an error, not a new empty one.
  int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(name.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    std::string text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close_v2(db);
    throw CDaoException(rc, text + ": " + name);
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  return db;
}

// A read-only connection to the file as its last finished write left it. A
// writer killed before removing its journal leaves the file half written: the
// journal is rolled back in place when the file and its directory may be
// written, else in a private copy that is read instead. `copy` names that copy
// (to be removed once opened), or is empty.
sqlite3* OpenForReading(const std::string& name, std::string& copy) {
  sqlite3* db = OpenConnection(name, true);
  if (sqlite3_exec(db, "PRAGMA main.schema_version", nullptr, nullptr, nullptr) == SQLITE_OK || !MetHotJournal(db))
    return db;  // other errors show on the first real query, with their own texts
  sqlite3_close_v2(db);
  if (RollBackInPlace(name)) return OpenConnection(name, true);
  copy = RecoveredCopy(name);
  if (copy.empty())
    throw CDaoException(SQLITE_READONLY_ROLLBACK,
                        name + ": a write that did not finish left its journal, and it cannot be rolled back (" +
                            (ReadOnlyReason(name).empty() ? std::string("no copy could be made") : ReadOnlyReason(name)) +
                            ")");
  return OpenConnection(copy, true);
}

}  // namespace

void CDaoDatabase::Open(const std::string& name, bool /*exclusive*/, bool readOnly, const std::string& /*connect*/,
                        bool checkSchema) {
  Close();
  // Only regular files: opening a pipe or a device could block forever.
  struct stat st;
  if (::stat(name.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
    throw CDaoException(SQLITE_CANTOPEN, "unable to open database file (not a regular file): " + name);
  FileIdentity file;
  bool known = Identify(name, file);
  // A kept connection would meet a journal left since with an error: a
  // journal beside the file means a fresh connection, which deals with it.
  if (readOnly && known && checkSchema && !HasJournal(name)) m_pConn = TakePooled(file);
  if (m_pConn) return;
  std::string copy;
  sqlite3* db = readOnly ? OpenForReading(name, copy) : OpenConnection(name, false);
  m_pConn = new DaoConnection;
  m_pConn->db = db;
  m_pConn->readOnly = readOnly && known;
  m_pConn->file = file;
  Harden(db, m_pConn);
  if (!checkSchema) return RemoveRecoveredCopyIfAny(copy);
  StartClock();
  const std::string problem = CalendarSchemaProblem(db);
  RemoveRecoveredCopyIfAny(copy);
  if (!problem.empty()) {
    delete m_pConn;
    m_pConn = nullptr;
    throw CDaoException(SQLITE_CORRUPT, name + ": " + problem);
  }
  m_pConn->checked = true;
}

void CDaoDatabase::Close() {
  while (!m_openRecordsets.empty()) m_openRecordsets.back()->Close();
  if (!m_pConn) return;
  // Also a read snapshot still open: a kept connection holds no lock.
  if (m_bInTrans || !sqlite3_get_autocommit(m_pConn->db)) sqlite3_exec(m_pConn->db, "ROLLBACK", nullptr, nullptr, nullptr);
  m_bInTrans = false;
  ReturnToPool(m_pConn);
  m_pConn = nullptr;
}

sqlite3* CDaoDatabase::Handle() const { return m_pConn ? m_pConn->db : nullptr; }

std::string CDaoDatabase::IntegrityProblem() {
  if (!m_pConn) throw CDaoException(SQLITE_MISUSE, "the database is not open");
  SetDeadline(QueryClock::now() + std::chrono::milliseconds(kIntegrityTimeLimitMs));
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(m_pConn->db, "PRAGMA main.integrity_check(1)", -1, &stmt, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_step(stmt);
  const unsigned char* text = rc == SQLITE_ROW ? sqlite3_column_text(stmt, 0) : nullptr;
  std::string finding = text ? reinterpret_cast<const char*>(text) : sqlite3_errmsg(m_pConn->db);
  sqlite3_finalize(stmt);
  return finding == "ok" ? "" : finding;
}

std::string CDaoDatabase::ContentProblem() {
  if (!m_pConn) throw CDaoException(SQLITE_MISUSE, "the database is not open");
  StartClock();
  return CalendarContentProblem(m_pConn->db);
}

void CDaoDatabase::Exec(const char* sql) {
  if (!m_pConn) throw CDaoException(SQLITE_MISUSE, "the database is not open");
  StartClock();
  int rc = sqlite3_exec(m_pConn->db, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) Throw(m_pConn->db, rc);
}

void CDaoDatabase::BeginTrans() {
  Exec("BEGIN IMMEDIATE");
  m_bInTrans = true;
}

void CDaoDatabase::CommitTrans() {
  Exec("COMMIT");
  m_bInTrans = false;
}

void CDaoDatabase::Rollback() {
  if (!m_bInTrans) return;
  m_bInTrans = false;
  Exec("ROLLBACK");
}

namespace {

std::vector<DaoColumn> ColumnsOf(sqlite3_stmt* stmt, bool checked) {
  std::vector<DaoColumn> columns;
  for (int i = 0, n = sqlite3_column_count(stmt); i < n; ++i) {
    DaoColumn c;
    c.kind = KindOf(sqlite3_column_decltype(stmt, i));
    const char* table = sqlite3_column_table_name(stmt, i);
    const CalendarColumn* known = checked ? FindCalendarColumn(table, sqlite3_column_origin_name(stmt, i)) : nullptr;
    if (known) {
      c.expect = static_cast<signed char>(known->kind);
      c.where = std::string("table ") + table + ", column " + known->name;
    }
    columns.push_back(std::move(c));
  }
  return columns;
}

}  // namespace

sqlite3_stmt* CDaoDatabase::AcquireStatement(const std::string& sql, std::vector<DaoColumn>& columns) {
  if (!m_pConn) throw CDaoException(SQLITE_MISUSE, "the database is not open");
  StartClock();  // preparing may read the file's catalogue
  auto& cache = m_pConn->cache;
  for (std::size_t i = cache.size(); i-- > 0;) {
    if (cache[i].sql != sql) continue;
    sqlite3_stmt* stmt = cache[i].stmt;
    columns = std::move(cache[i].columns);
    cache.erase(cache.begin() + static_cast<std::ptrdiff_t>(i));
    return stmt;
  }
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(m_pConn->db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(stmt);
    Throw(m_pConn->db, rc);
  }
  if (!stmt) throw CDaoException(SQLITE_MISUSE, "the query is empty: " + sql);
  columns = ColumnsOf(stmt, m_pConn->checked);
  return stmt;
}

void CDaoDatabase::ReleaseStatement(sqlite3_stmt* stmt, std::vector<DaoColumn>&& columns, CDaoRecordset* owner) {
  auto it = std::find(m_openRecordsets.begin(), m_openRecordsets.end(), owner);
  if (it != m_openRecordsets.end()) m_openRecordsets.erase(it);
  // Reset ends the statement's read, so no lock outlives the recordset.
  sqlite3_reset(stmt);
  if (!m_pConn) {
    sqlite3_finalize(stmt);
    return;
  }
  auto& cache = m_pConn->cache;
  if (cache.size() >= kStatementCacheSize) {
    sqlite3_finalize(cache.front().stmt);
    cache.erase(cache.begin());
  }
  cache.push_back({sqlite3_sql(stmt), stmt, std::move(columns)});
}

// ---- CDaoReadScope ----

CDaoReadScope::CDaoReadScope(CDaoDatabase& db) : m_database(db) {
  sqlite3* handle = db.Handle();
  if (handle && sqlite3_get_autocommit(handle) && sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK)
    m_db = handle;
}

CDaoReadScope::~CDaoReadScope() {
  // Ending a read-only snapshot cannot lose anything; an error only means it ended already.
  // A database closed meanwhile has ended it with its connection.
  if (m_db && m_database.Handle() == m_db && !sqlite3_get_autocommit(m_db))
    sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
}

// ---- CDaoRecordset ----

CDaoRecordset::CDaoRecordset(CDaoDatabase* pDatabase) : m_pDatabase(pDatabase) {}

CDaoRecordset::~CDaoRecordset() { Close(); }

sqlite3* CDaoRecordset::Db() const {
  sqlite3* db = m_pDatabase ? m_pDatabase->Handle() : nullptr;
  if (!db) throw CDaoException(SQLITE_MISUSE, "the database is not open");
  return db;
}

void CDaoRecordset::Fail() const { Throw(Db(), sqlite3_errcode(Db())); }

void CDaoRecordset::Open(int nOpenType, const std::string& sql) { Open(nOpenType, sql, {}); }

void CDaoRecordset::Open(int /*nOpenType*/, const std::string& sql, std::initializer_list<long long> numbers) {
  Close();
  Db();
  m_pStmt = m_pDatabase->AcquireStatement(sql, m_columns);
  m_deadline = m_pDatabase->Deadline();
  m_pDatabase->m_openRecordsets.push_back(this);
  sqlite3_clear_bindings(m_pStmt);
  int index = 1;
  for (long long n : numbers)
    if (sqlite3_bind_int64(m_pStmt, index++, n) != SQLITE_OK) {
      const std::string text = sqlite3_errmsg(Db());
      Close();
      throw CDaoException(SQLITE_RANGE, text + ": " + sql);
    }
  Step();
}

void CDaoRecordset::Step() {
  // One clock for the whole query: a query of many rows is stopped as a whole.
  const auto start = QueryClock::now();
  m_pDatabase->SetDeadline(StepDeadline(m_deadline, start));
  int rc = sqlite3_step(m_pStmt);
  Charge(QueryClock::now() - start);
  m_row.clear();
  if (rc == SQLITE_ROW) {
    m_bEOF = false;
    int n = sqlite3_column_count(m_pStmt);
    m_row.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
      m_row.push_back(ReadColumn(m_pStmt, i, i < static_cast<int>(m_columns.size()) ? m_columns[i].kind : static_cast<unsigned char>(kDeclPlain)));
    return;
  }
  m_bEOF = true;
  if (rc != SQLITE_DONE) {
    std::string text = sqlite3_errmsg(Db());
    if (rc == SQLITE_INTERRUPT)
      text = BudgetSpent() ? "its queries took longer than this run allows in all; is the file swollen?"
                           : "a query took longer than " + std::to_string(kQueryTimeLimitMs) + " ms; is the file swollen?";
    Close();
    throw CDaoException(rc, text);
  }
}

bool CDaoRecordset::IsEOF() const { return m_bEOF; }

DaoVariant CDaoRecordset::GetFieldValue(int nIndex) const {
  if (!m_pStmt || m_bEOF) throw CDaoException(SQLITE_NOTFOUND, "No current record.");
  if (nIndex < 0 || nIndex >= static_cast<int>(m_row.size()))
    throw CDaoException(SQLITE_RANGE, "Item not found in this collection: field " + std::to_string(nIndex));
  CheckValue(nIndex);
  return m_row[static_cast<std::size_t>(nIndex)];
}

void CDaoRecordset::CheckValue(int nIndex) const {
  if (nIndex >= static_cast<int>(m_columns.size())) return;
  const DaoColumn& c = m_columns[static_cast<std::size_t>(nIndex)];
  const unsigned short vt = m_row[static_cast<std::size_t>(nIndex)].vt;
  if (c.expect >= 0 && !Fits(vt, c.expect))
    throw CDaoException(SQLITE_MISMATCH, c.where + " holds " + Misfit(vt) + " where " +
                                             (c.expect == static_cast<signed char>(ColumnClass::kText) ? "a text" : "a whole number") +
                                             " belongs");
}

void CDaoRecordset::MoveNext() {
  if (!m_pStmt || m_bEOF) throw CDaoException(SQLITE_NOTFOUND, "No current record.");
  m_bEditing = false;
  m_edits.clear();
  Step();
}

void CDaoRecordset::Edit() {
  if (!m_pStmt || m_bEOF) throw CDaoException(SQLITE_NOTFOUND, "No current record.");
  m_bEditing = true;
  m_edits.clear();
}

void CDaoRecordset::SetFieldValue(int nIndex, const std::string& value) {
  if (!m_bEditing) throw CDaoException(SQLITE_MISUSE, "Update or CancelUpdate without AddNew or Edit.");
  if (nIndex < 0 || nIndex >= static_cast<int>(m_row.size()))
    throw CDaoException(SQLITE_RANGE, "Item not found in this collection: field " + std::to_string(nIndex));
  m_edits.emplace_back(nIndex, value);
}

void CDaoRecordset::Update() {
  if (!m_bEditing) throw CDaoException(SQLITE_MISUSE, "Update or CancelUpdate without AddNew or Edit.");
  m_bEditing = false;
  if (m_edits.empty()) return;
  sqlite3* db = Db();
  const char* table = sqlite3_column_table_name(m_pStmt, m_edits.front().first);
  if (!table) throw CDaoException(SQLITE_MISUSE, "The field cannot be updated.");
  // The row is found again by its columns' current values; a column that is
  // its table's primary key alone is enough.
  std::string set, where;
  std::vector<std::pair<std::string, std::size_t>> keys;
  for (std::size_t i = 0; i < m_row.size(); ++i) {
    const char* t = sqlite3_column_table_name(m_pStmt, static_cast<int>(i));
    const char* origin = sqlite3_column_origin_name(m_pStmt, static_cast<int>(i));
    if (!t || !origin || std::strcmp(t, table) != 0) continue;
    int primary = 0;
    sqlite3_table_column_metadata(db, sqlite3_column_database_name(m_pStmt, static_cast<int>(i)), t, origin,
                                  nullptr, nullptr, nullptr, &primary, nullptr);
    if (primary) {
      keys.assign(1, {origin, i});
      break;
    }
    keys.emplace_back(origin, i);
  }
  for (std::size_t k = 0; k < keys.size(); ++k)
    where += (k ? " AND " : "") + QuoteName(keys[k].first.c_str()) + " IS ?";
  for (std::size_t k = 0; k < m_edits.size(); ++k) {
    const char* origin = sqlite3_column_origin_name(m_pStmt, m_edits[k].first);
    const char* t = sqlite3_column_table_name(m_pStmt, m_edits[k].first);
    if (!origin || !t || std::strcmp(t, table) != 0)
      throw CDaoException(SQLITE_MISUSE, "The field cannot be updated.");
    set += (k ? ", " : "") + QuoteName(origin) + " = ?";
  }
  std::string sql = "UPDATE " + QuoteName(table) + " SET " + set + " WHERE rowid = (SELECT rowid FROM " +
                    QuoteName(table) + " WHERE " + where + " LIMIT 1)";
  sqlite3_stmt* up = nullptr;
  m_pDatabase->StartClock();
  int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &up, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(up);
    Throw(db, rc);
  }
  int pos = 1;
  for (const auto& e : m_edits)
    sqlite3_bind_text(up, pos++, e.second.data(), static_cast<int>(e.second.size()), SQLITE_TRANSIENT);
  for (const auto& k : keys) BindVariant(up, pos++, m_row[k.second]);
  rc = sqlite3_step(up);
  sqlite3_finalize(up);
  if (rc != SQLITE_DONE) Throw(db, rc);
  // An edit that found no row must not pass for a written one.
  if (sqlite3_changes(db) == 0) throw CDaoException(SQLITE_NOTFOUND, "The record to update no longer exists.");
  for (const auto& e : m_edits) {
    DaoVariant v;
    v.vt = VT_BSTR;
    v.text = e.second;
    m_row[static_cast<std::size_t>(e.first)] = v;
  }
  m_edits.clear();
}

void CDaoRecordset::Close() {
  if (m_pStmt) m_pDatabase->ReleaseStatement(m_pStmt, std::move(m_columns), this);
  m_pStmt = nullptr;
  m_bEOF = true;
  m_bEditing = false;
  m_row.clear();
  m_edits.clear();
}
