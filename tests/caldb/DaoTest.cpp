#include <gtest/gtest.h>
#include <sqlite3.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

#include "caldb/Dao.h"
#include "caldb/Lunisolar.h"
#include "tests/support/TestSupport.h"

using testsupport::ScratchDir;

namespace {

// Makes a small database with one column per declared type the access layer
// distinguishes, and one row of values.
std::string MakeTypedDatabase(const ScratchDir& dir) {
  const std::string path = dir.File("typed.db");
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db,
               "CREATE TABLE T (s SMALLINT, i INTEGER, neg INTEGER, r REAL, f SINGLE, cy CURRENCY, "
               "dt DATETIME, t TEXT, yes BOOLEAN, no BOOLEAN, b BYTE, bl BLOB, n INTEGER, big INTEGER, "
               "wide SMALLINT, expr);"
               "INSERT INTO T VALUES (2005, 2005, -666, 2005.0, 0.5, 12.34, '2005-01-31', '旧暦 閏11月', "
               "1, 0, 5, x'0102', NULL, 5000000000, 70000, 7);",
               nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return path;
}

TEST(VariantToText, EachStoredTypeGivesItsText) {
  ScratchDir dir("typed");
  CDaoDatabase db;
  db.Open(MakeTypedDatabase(dir), true, true, kCalendarConnect, false);
  CDaoRecordset rs(&db);
  rs.Open(dbOpenDynaset, "SELECT * FROM [T];");
  ASSERT_FALSE(rs.IsEOF());
  struct Case { int pos; const char* text; } cases[] = {
      {0, "2005"}, {1, "2005"}, {2, "-666"},
      {3, "2.005000e+003"},  // the three-digit exponent the stored texts expect
      {4, "5.000000e-001"}, {5, "12.34"}, {6, "01 31 05"}, {7, "旧暦 閏11月"},
      {8, "TRUE"}, {9, "FALSE"}, {10, "0x05"}, {11, "Array of VT_UI1"}, {12, "NULL"},
      {13, "VT_I8"},  // wider than 32 bits: named, never cut to a wrong number
      {14, "70000"},  // a 16-bit column holding more is printed whole
      {15, "7"},      // a computed column without a declared type
  };
  for (const auto& c : cases) EXPECT_EQ(VariantToText(rs.GetFieldValue(c.pos)), c.text) << "position " << c.pos;
  // How consumers read numbers back: atoi stops at the decimal point.
  EXPECT_EQ(std::atoi(VariantToText(rs.GetFieldValue(3)).c_str()), 2);
  EXPECT_DOUBLE_EQ(std::atof(VariantToText(rs.GetFieldValue(3)).c_str()), 2005.0);
}

TEST(VariantToText, TypesWithoutAPrintableValueGiveTheirNames) {
  struct Case { unsigned short vt; const char* text; } cases[] = {
      {VT_EMPTY, "NULL"}, {VT_DISPATCH, "VT_DISPATCH"}, {VT_CLSID, "VT_CLSID"},
      {VT_UI4, "VT_UI4"}, {VT_ARRAY | VT_I2, "Array of VT_I2"}, {99, "Fish"}, {VT_ARRAY | 99, "Fish"},
  };
  for (const auto& c : cases) {
    DaoVariant v;
    v.vt = c.vt;
    EXPECT_EQ(VariantToText(v), c.text) << c.vt;
  }
  EXPECT_EQ(BoolToText(true), "TRUE");
}

TEST(CDaoDatabase, EngineErrorsBecomeExceptionsAndNoFileIsMade) {
  ScratchDir dir("broken");
  const std::string good = testsupport::ReadFile(OMBREL_DB_PATH);
  dir.Write("empty.mdb", "");
  dir.Write("text.mdb", std::string(4096, 'x'));
  dir.Write("truncated.mdb", good.substr(0, good.size() / 3));
  std::filesystem::create_directory(dir.File("folder.mdb"));
  ASSERT_EQ(::mkfifo(dir.File("pipe.mdb").c_str(), 0600), 0);  // opening it must not block
  struct Case { std::string file; const char* query; } cases[] = {
      {"missing.mdb", "SELECT * FROM [Kyuureki] WHERE [ID]=1;"},
      {"empty.mdb", "SELECT * FROM [Kyuureki] WHERE [ID]=1;"},
      {"text.mdb", "SELECT * FROM [Kyuureki] WHERE [ID]=1;"},
      {"truncated.mdb", "SELECT * FROM [Kyuureki] WHERE [ID]=34000;"},
      {"folder.mdb", "SELECT 1;"},
      {"pipe.mdb", "SELECT 1;"},
      {"", "SELECT * FROM [NoSuchTable];"},
      {"", "SELECT * FROM [Kyuureki] WHERE [ID]=abc;"},
  };
  for (const auto& c : cases) {
    const std::string path = c.file.empty() ? std::string(OMBREL_DB_PATH) : dir.File(c.file);
    std::string message;
    try {
      CDaoDatabase db;
      db.Open(path, true, true, kCalendarConnect);
      CDaoRecordset rs(&db);
      rs.Open(dbOpenDynaset, c.query);
      KyuurekiRow row = ReadKyuurekiRow(rs);
      (void)row;
    } catch (const CDaoException& e) {
      message = e.what();
    }
    EXPECT_FALSE(message.empty()) << path << ": " << c.query;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing.mdb")));
}

TEST(CDaoRecordset, ReadingPastTheResultThrows) {
  CDaoDatabase db;
  db.Open(OMBREL_DB_PATH, true, true, kCalendarConnect);
  CDaoRecordset rs(&db);
  rs.Open(dbOpenDynaset, "SELECT * FROM [Kyuureki] WHERE [ID]=0;");
  EXPECT_TRUE(rs.IsEOF());
  EXPECT_THROW(rs.GetFieldValue(0), CDaoException);
  rs.Open(dbOpenDynaset, "SELECT * FROM [Data] WHERE  [No]=   3;");
  EXPECT_THROW(rs.GetFieldValue(10), CDaoException);
  rs.MoveNext();
  EXPECT_TRUE(rs.IsEOF());
  EXPECT_THROW(rs.MoveNext(), CDaoException);
}

// Every query text the almanac runs, unchanged, with the number formats the
// callers use (leading blanks included).
TEST(CDaoRecordset, TheAlmanacsQueriesRunUnchanged) {
  struct Case { const char* query; int pos; const char* first; } cases[] = {
      {"SELECT * FROM [Kyuureki] WHERE [月]=   2 AND [西暦]=2005;", 0, "33039"},
      {"SELECT * FROM [Kyuureki] WHERE [ID]=   12;", 0, "12"},
      {"SELECT * FROM [Kyuureki] WHERE [旧暦]=1 AND [西暦]=2033;", 2, "1"},
      {"SELECT * FROM [Kyuureki] WHERE [指標]=1 AND [西暦]=2033;", 3, "31"},
      {"SELECT * FROM [History] WHERE  [西暦]=2005;", 2, "平成"},
      {"SELECT * FROM [History] WHERE [西暦]= 645;", 2, "大化"},
      {"SELECT * FROM [History]", 0, "588"},
      {"SELECT * FROM [History] ORDER BY [History].[年号読],[History].[西暦];", 3, "あんえい"},
      {"SELECT * FROM [Data] WHERE  [No]=0;", 5, "土"},
      {"SELECT * FROM [七十二候] WHERE [ID]=  1;", 1, "雀始巣"},
      {"SELECT * FROM [Memory] WHERE  [date]=229;", 0, "60"},
      {"SELECT * FROM [Memory] WHERE  [ID]=366;", 1, "1231"},
  };
  CDaoDatabase db;
  db.Open(OMBREL_DB_PATH, true, true, kCalendarConnect);
  CDaoRecordset rs(&db);
  for (const auto& c : cases) {
    rs.Open(dbOpenDynaset, c.query);
    ASSERT_FALSE(rs.IsEOF()) << c.query;
    EXPECT_EQ(VariantToText(rs.GetFieldValue(c.pos)), c.first) << c.query;
  }
  rs.Close();
  db.Close();
}

// The month calendar keeps one connection while each lookup opens another.
TEST(CDaoDatabase, TwoConnectionsToOneFile) {
  CDaoDatabase outer;
  outer.Open(OMBREL_DB_PATH, true, true, kCalendarConnect);
  CDaoRecordset rs(&outer);
  rs.Open(dbOpenDynaset, "SELECT * FROM [Data] WHERE  [No]=1;");
  CDaoDatabase inner;
  inner.Open(OMBREL_DB_PATH, true, true, kCalendarConnect);
  KyuurekiRow row;
  EXPECT_TRUE(QueryKyuurekiRow(inner, "SELECT * FROM [Kyuureki] WHERE [ID]=5;", row));
  inner.Close();
  EXPECT_EQ(VariantToText(rs.GetFieldValue(3)), "先勝");
}

TEST(CDaoRecordset, EditedTextsAreWrittenAndReadBack) {
  ScratchDir dir("memory");
  const std::string path = dir.CopyDatabase();
  {
    CDaoDatabase db;
    db.Open(path, false, false, kCalendarConnect);
    db.BeginTrans();
    CDaoRecordset rs(&db);
    for (int id : {1, 60, 366}) {
      rs.Open(dbOpenDynaset, "SELECT * FROM [Memory] WHERE  [ID]=" + std::to_string(id) + ";");
      rs.Edit();
      rs.SetFieldValue(8, " 春分 06:33:00");
      rs.SetFieldValue(9, "新月'); DROP TABLE Memory; --");
      rs.Update();
      EXPECT_EQ(VariantToText(rs.GetFieldValue(8)), " 春分 06:33:00");
      rs.Close();
    }
    db.CommitTrans();
  }
  CDaoDatabase db;
  db.Open(path, true, true, kCalendarConnect);
  CDaoRecordset rs(&db);
  rs.Open(dbOpenDynaset, "SELECT * FROM [Memory] WHERE [節気]<>' ';");
  int edited = 0;
  for (; !rs.IsEOF(); rs.MoveNext(), ++edited)
    EXPECT_EQ(VariantToText(rs.GetFieldValue(9)), "新月'); DROP TABLE Memory; --");
  EXPECT_EQ(edited, 3);
  rs.Open(dbOpenDynaset, "SELECT COUNT(*) FROM [Memory];");
  EXPECT_EQ(VariantToText(rs.GetFieldValue(0)), "366");
}

TEST(CDaoRecordset, AnEditWhoseRowIsGoneFails) {
  ScratchDir dir("gone");
  CDaoDatabase db;
  db.Open(dir.CopyDatabase(), false, false, kCalendarConnect);
  CDaoRecordset rs(&db), other(&db);
  rs.Open(dbOpenDynaset, "SELECT * FROM [Memory] WHERE  [ID]=5;");
  other.Open(dbOpenDynaset, "DELETE FROM [Memory] WHERE [ID]=5;");
  rs.Edit();
  rs.SetFieldValue(8, "lost");
  EXPECT_THROW(rs.Update(), CDaoException);
}

// Connections are reused between operations; a reopened database must still
// show the file as it is now: written, replaced or gone.
TEST(CDaoDatabase, ReopeningSeesTheFileAsItIsNow) {
  ScratchDir dir("reopen");
  const std::string path = dir.CopyDatabase();
  auto readTerm = [&] {
    CDaoDatabase db;
    db.Open(path, true, true, kCalendarConnect);
    CDaoRecordset rs(&db);
    rs.Open(dbOpenDynaset, "SELECT * FROM [Memory] WHERE  [ID]=1;");
    return VariantToText(rs.GetFieldValue(8));
  };
  EXPECT_EQ(readTerm(), " ");
  {
    CDaoDatabase db;
    db.Open(path, false, false, kCalendarConnect);
    CDaoRecordset rs(&db);
    rs.Open(dbOpenDynaset, "SELECT * FROM [Memory] WHERE  [ID]=1;");
    rs.Edit();
    rs.SetFieldValue(8, "written");
    rs.Update();
  }
  EXPECT_EQ(readTerm(), "written");
  dir.CopyDatabase("fresh.mdb");
  std::filesystem::rename(dir.File("fresh.mdb"), path);
  EXPECT_EQ(readTerm(), " ");
  std::filesystem::remove(path);
  EXPECT_THROW(readTerm(), CDaoException);
}

// A file overwritten in place (same inode) with another database whose change
// counter happens to match: SQLite would trust its cached pages, so a kept
// connection must not be reused for it.
TEST(CDaoDatabase, ReopeningSeesAFileOverwrittenInPlace) {
  ScratchDir dir("overwrite");
  auto writeTerm = [](const std::string& path, const char* text) {
    CDaoDatabase db;
    db.Open(path, false, false, kCalendarConnect);
    CDaoRecordset rs(&db);
    rs.Open(dbOpenDynaset, "SELECT * FROM [Memory] WHERE  [ID]=1;");
    rs.Edit();
    rs.SetFieldValue(8, text);
    rs.Update();
  };
  auto readTerm = [](const std::string& path) {
    CDaoDatabase db;
    db.Open(path, true, true, kCalendarConnect);
    CDaoRecordset rs(&db);
    rs.Open(dbOpenDynaset, "SELECT * FROM [Memory] WHERE  [ID]=1;");
    return VariantToText(rs.GetFieldValue(8));
  };
  const std::string path = dir.CopyDatabase();
  const std::string other = dir.CopyDatabase("other.mdb");
  // One write each: the same change counter and the same size, other bytes.
  writeTerm(path, "aaaa");
  writeTerm(other, "bbbb");
  EXPECT_EQ(readTerm(path), "aaaa");
  const std::string bytes = testsupport::ReadFile(other);
  std::ofstream(path, std::ios::binary | std::ios::in | std::ios::out) << bytes;
  EXPECT_EQ(readTerm(path), "bbbb");
}

TEST(CDaoDatabase, ReadOnlyConnectionsCannotWrite) {
  ScratchDir dir("readonly");
  const std::string path = dir.CopyDatabase();
  CDaoDatabase db;
  db.Open(path, true, true, kCalendarConnect);
  CDaoRecordset rs(&db);
  rs.Open(dbOpenDynaset, "SELECT * FROM [Memory] WHERE  [ID]=1;");
  rs.Edit();
  rs.SetFieldValue(8, "x");
  EXPECT_THROW(rs.Update(), CDaoException);
}

// No query runs longer than the limit, whatever the file makes it do.
TEST(CDaoDatabase, AnEndlessQueryIsStopped) {
  CDaoDatabase db;
  db.Open(OMBREL_DB_PATH, true, true, kCalendarConnect);
  CDaoRecordset rs(&db);
  // Measured on the limits' own clock (the thread's CPU time: a busy machine does not change it).
  const auto start = QueryClock::now();
  EXPECT_THROW(rs.Open(dbOpenDynaset,
                       "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT count(*) FROM c;"),
               CDaoException);
  EXPECT_LT(QueryClock::now() - start, std::chrono::milliseconds(kQueryTimeLimitMs) * 3);
  // The connection is still good for the next query.
  rs.Open(dbOpenDynaset, "SELECT * FROM [Data] WHERE  [No]=0;");
  EXPECT_EQ(VariantToText(rs.GetFieldValue(5)), "土");
}

// The limit holds for a query as a whole: one that gives rows quickly but
// without end is stopped as well, however the rows are read.
TEST(CDaoDatabase, AnEndlessStreamOfRowsIsStopped) {
  CDaoDatabase db;
  db.Open(OMBREL_DB_PATH, true, true, kCalendarConnect);
  CDaoRecordset rs(&db);
  const auto start = QueryClock::now();
  long long rows = 0;
  EXPECT_THROW(
      {
        rs.Open(dbOpenDynaset, "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x FROM c;");
        for (; !rs.IsEOF(); rs.MoveNext()) ++rows;
      },
      CDaoException);
  EXPECT_GT(rows, 1000);
  EXPECT_LT(QueryClock::now() - start, std::chrono::milliseconds(kQueryTimeLimitMs) * 3);
}

TEST(ParseTypedNumber, OnlyNumbersPass) {
  struct Case { const char* typed; bool ok; int value; } cases[] = {
      {"2005", true, 2005}, {" 645", true, 645}, {" 1 ", true, 1}, {"-666", true, -666}, {"+3", true, 3},
      {"", false, 0}, {"  ", false, 0}, {"-", false, 0}, {"1.5", false, 0}, {"12abc", false, 0},
      {"1; DROP TABLE Kyuureki", false, 0}, {"1 OR 1=1", false, 0}, {"9999999", false, 0}, {"１２", false, 0},
  };
  for (const auto& c : cases) {
    int v = -1;
    EXPECT_EQ(ParseTypedNumber(c.typed, v), c.ok) << c.typed;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.typed;
    }
  }
}

}  // namespace
