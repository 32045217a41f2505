// The calendar database access layer: a thin layer over SQLite with exactly
// the operations the almanac's readers use (open, run a query, walk its rows,
// read a field by position, edit text fields in place, close), and the one
// conversion of a field value to text, VariantToText.
//
// Every engine error (missing or damaged file, missing table, a field read
// without a current row) is thrown as CDaoException carrying the engine's
// text; the window's event entry point shows it in a message box.
#pragma once

#include <chrono>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
struct DaoConnection;
class CDaoRecordset;

// The calendar database's file name, opened in the current directory.
inline constexpr const char* kCalendarDatabase = "History.mdb";
// The connect string the readers pass; SQLite has no password, so it is
// accepted and not enforced.
inline constexpr const char* kCalendarConnect = ";PWD=Qz.Lumo_Ray";

// The type codes a field value carries; VariantToText prints by them.
enum DaoVarType : unsigned short {
  VT_EMPTY = 0, VT_NULL = 1, VT_I2 = 2, VT_I4 = 3, VT_R4 = 4, VT_R8 = 5, VT_CY = 6,
  VT_DATE = 7, VT_BSTR = 8, VT_DISPATCH = 9, VT_ERROR = 10, VT_BOOL = 11, VT_VARIANT = 12,
  VT_UNKNOWN = 13, VT_I1 = 16, VT_UI1 = 17, VT_UI2 = 18, VT_UI4 = 19, VT_I8 = 20, VT_UI8 = 21,
  VT_INT = 22, VT_UINT = 23, VT_VOID = 24, VT_HRESULT = 25, VT_PTR = 26, VT_SAFEARRAY = 27,
  VT_CARRAY = 28, VT_USERDEFINED = 29, VT_LPSTR = 30, VT_LPWSTR = 31, VT_FILETIME = 64,
  VT_BLOB = 65, VT_STREAM = 66, VT_STORAGE = 67, VT_STREAMED_OBJECT = 68, VT_STORED_OBJECT = 69,
  VT_BLOB_OBJECT = 70, VT_CF = 71, VT_CLSID = 72,
  VT_ARRAY = 0x2000,  // or-ed with the element type
};

// One field value as read: its type code and the payload that type uses.
// Integers (I1 to UI8, BOOL, INT, UINT) live in `integer`, R4/R8/CY in `real`
// (currency as a decimal amount), DATE as a text "YYYY-MM-DD[ HH:MM:SS]" or a
// Julian day number in `real`, BSTR and blobs in `text`.
struct DaoVariant {
  unsigned short vt = VT_EMPTY;
  long long integer = 0;
  double real = 0.0;
  std::string text;
};

// True when values of a column declared so print as plain numbers or texts
// (none of the boolean, byte, date, currency or single-precision forms).
bool PrintsPlainly(const char* declared);

// "TRUE" or "FALSE".
std::string BoolToText(bool value);
// The text of a field value by its type: "%hd" for 16-bit, "%d" for 32-bit,
// "%e" with a three-digit exponent for floats (2005.0 gives "2.005000e+003"),
// the text itself, "TRUE"/"FALSE", "0x%02hX" for a byte, "NULL" for null, the
// type's constant name for the types that carry no printable value, and
// "Array of " + the element type's name for arrays.
std::string VariantToText(const DaoVariant& value);

// The engine's error, carrying its text (what()) and its result code.
class CDaoException : public std::runtime_error {
 public:
  CDaoException(int code, const std::string& text);
  int Code() const { return m_nCode; }

 private:
  int m_nCode;
};

// The error's text naming the database file ("History.mdb: ..."), unless it
// names it already.
std::string DatabaseErrorText(const std::string& database, const CDaoException& e);

// The longest any one query may run, from its opening to its last row read,
// however many rows it reads; the calendar's queries take well under a
// millisecond, so only a hostile file comes near it. Counted on QueryClock.
inline constexpr int kQueryTimeLimitMs = 1000;

// The clock of the query limits: the CPU time of the thread that runs the
// query, so that a busy machine does not make a good file's queries look
// endless (a query runs on the thread that opened it).
struct QueryClock {
  using duration = std::chrono::nanoseconds;
  using rep = duration::rep;
  using period = duration::period;
  using time_point = std::chrono::time_point<QueryClock>;
  static constexpr bool is_steady = true;
  static time_point now() noexcept;
};

// Limits the time all the process's queries may take together from now on:
// the command-line tool gives one run kQueryTimeLimitMs in all, so that a
// swollen table cannot make a command of many queries run for minutes. A
// query stopped by it throws as one stopped by its own limit.
void LimitTotalQueryTime(std::chrono::milliseconds total);

// The longest the whole-file check may run.
inline constexpr int kIntegrityTimeLimitMs = 20000;

// What the access layer knows about one result column of a query.
struct DaoColumn {
  unsigned char kind = 0;      // how its declared type prints
  signed char expect = -1;     // the ColumnClass a calendar column's values need, -1 none
  std::string where;           // "table T, column C" for messages
};

class CDaoDatabase {
 public:
  CDaoDatabase() = default;
  ~CDaoDatabase();
  CDaoDatabase(const CDaoDatabase&) = delete;
  CDaoDatabase& operator=(const CDaoDatabase&) = delete;

  // Opens an existing file, never creating one. Read-only unless readOnly is
  // false. Several connections to one file may be open at once; `exclusive`
  // and the connect string are accepted for the callers' sake and not
  // enforced. Throws CDaoException when the file cannot be opened.
  // Read-only connections are cheap to open again: a closed one is kept,
  // with its prepared queries, and reused while the file stays the same.
  //
  // The file is not trusted: triggers and views in it never run, every query
  // is stopped after kQueryTimeLimitMs, and unless checkSchema is false the
  // calendar's five tables must have the shape caldb/Schema.h describes
  // (else CDaoException naming the table). On a checked connection a field
  // whose value does not fit its column's type throws when it is read.
  void Open(const std::string& name, bool exclusive = false, bool readOnly = false,
            const std::string& connect = "", bool checkSchema = true);
  bool IsOpen() const { return m_pConn != nullptr; }
  // Closes the connection (and finishes any transaction still open by
  // rolling it back). Safe to call twice.
  void Close();

  // One transaction around many edits, so a whole table rewrite is one write
  // to disk instead of one per row.
  void BeginTrans();
  void CommitTrans();
  void Rollback();

  sqlite3* Handle() const;

  // The engine's own check of the whole file (PRAGMA integrity_check): empty
  // when it finds the file whole, else its first finding. Given
  // kIntegrityTimeLimitMs, since it reads every page.
  std::string IntegrityProblem();
  // The content check of the calendar (caldb/Digest.h), on its own clock of
  // kQueryTimeLimitMs.
  std::string ContentProblem();

 private:
  friend class CDaoRecordset;
  void Exec(const char* sql);
  sqlite3_stmt* AcquireStatement(const std::string& sql, std::vector<DaoColumn>& columns);
  void ReleaseStatement(sqlite3_stmt* stmt, std::vector<DaoColumn>&& columns, CDaoRecordset* owner);
  void StartClock();
  // The running query's end: a recordset keeps the one its opening set.
  QueryClock::time_point Deadline() const;
  void SetDeadline(QueryClock::time_point deadline);
  DaoConnection* m_pConn = nullptr;
  bool m_bInTrans = false;
  std::vector<CDaoRecordset*> m_openRecordsets;  // closed with the database
};

// Several queries read as one snapshot of the file: the file is locked and
// checked for changes once instead of at every query. Does nothing inside a
// transaction already open.
class CDaoReadScope {
 public:
  explicit CDaoReadScope(CDaoDatabase& db);
  ~CDaoReadScope();
  CDaoReadScope(const CDaoReadScope&) = delete;
  CDaoReadScope& operator=(const CDaoReadScope&) = delete;

 private:
  CDaoDatabase& m_database;
  sqlite3* m_db = nullptr;  // set while this scope holds the snapshot
};

// A number the user typed, read for a query: blanks around it are allowed,
// then an optional sign and digits only, within +-999999. Anything else is
// not a number, and no typed text ever goes into a query as text.
bool ParseTypedNumber(const std::string& typed, int& out);

// The only recordset type the almanac opens.
inline constexpr int dbOpenDynaset = 2;

class CDaoRecordset {
 public:
  explicit CDaoRecordset(CDaoDatabase* pDatabase);
  ~CDaoRecordset();
  CDaoRecordset(const CDaoRecordset&) = delete;
  CDaoRecordset& operator=(const CDaoRecordset&) = delete;

  // Runs the query; the recordset is then on its first row, or at its end.
  // A recordset still open is closed first.
  void Open(int nOpenType, const std::string& sql);
  // The same with whole numbers bound to the query's parameters ?1, ?2...:
  // one query text, prepared once, for any number.
  void Open(int nOpenType, const std::string& sql, std::initializer_list<long long> numbers);
  bool IsOpen() const { return m_pStmt != nullptr; }
  // True when there is no current row.
  bool IsEOF() const;
  // The value of a column (0-based) of the current row. Throws without a
  // current row or with a column that does not exist.
  DaoVariant GetFieldValue(int nIndex) const;
  // Moves to the next row; at the end IsEOF becomes true. Throws at the end.
  void MoveNext();

  // Editing the current row in place: Edit, SetFieldValue for each changed
  // column, Update. Works on a query over one table.
  void Edit();
  void SetFieldValue(int nIndex, const std::string& value);
  void Update();

  void Close();

 private:
  void Step();
  void Fail() const;
  void CheckValue(int nIndex) const;
  sqlite3* Db() const;

  CDaoDatabase* m_pDatabase;
  sqlite3_stmt* m_pStmt = nullptr;
  bool m_bEOF = true;
  QueryClock::time_point m_deadline{};  // set by Open, for every row after
  std::vector<DaoVariant> m_row;  // the current row, so edits can find it again
  std::vector<DaoColumn> m_columns;  // what each column's declared type says
  bool m_bEditing = false;
  std::vector<std::pair<int, std::string>> m_edits;
};
