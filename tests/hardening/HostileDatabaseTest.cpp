// Calendar databases made to harm: views in place of tables, endless views and
// triggers, triggers that write, values of the wrong type or range, columns in
// another order, IDs at the edge of the int range, control characters. Every
// command either answers as with the shipped file or fails with one line
// naming what is wrong, quickly, and the calendar's tables never change.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "caldb/Dao.h"
#include "caldb/Schema.h"
#include "HardeningSupport.h"

using namespace hardening;

namespace {

const std::vector<std::vector<std::string>> kCommands = {
    {"day", "2024-06-15", "12"},
    {"lunar", "2024-06-15"},
    {"western", "2024", "5", "10"},
    {"yearlist", "2024", "--output", "yearlist.csv"},
    {"astrodata", "2024", "--output", "astrodata.csv"},
};

// Everything in the file but the yearly output's scratch texts: the catalogue
// and every row of every table (views are not expanded: one may be endless).
std::string CalendarContent(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  std::string out;
  auto dump = [&](const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
    while (st && sqlite3_step(st) == SQLITE_ROW) {
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        const unsigned char* t = sqlite3_column_text(st, i);
        out += t ? reinterpret_cast<const char*>(t) : "<null>";
        out += '|';
      }
      out += '\n';
    }
    sqlite3_finalize(st);
  };
  dump("SELECT type, name, sql FROM sqlite_schema ORDER BY name");
  std::vector<std::string> tables;
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT name FROM sqlite_schema WHERE type='table' AND name<>'Memory'", -1, &st, nullptr);
  while (sqlite3_step(st) == SQLITE_ROW) tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  sqlite3_finalize(st);
  for (const std::string& t : tables) dump("SELECT * FROM \"" + t + "\"");
  sqlite3_close(db);
  return out;
}

struct Answer {
  CliRun run;
  std::string file;  // the output file, for the commands that write one
};

std::vector<Answer> RunAll(const WorkDir& dir, std::chrono::milliseconds limit) {
  const std::vector<CliRun> runs = RunCliAll(dir, kCommands, limit, 2);
  std::vector<Answer> answers;
  for (std::size_t i = 0; i < runs.size(); ++i)
    answers.push_back({runs[i], kCommands[i].size() > 3 ? ReadFile(dir.File(kCommands[i][3])) : ""});
  return answers;
}

// Rebuilds a table with other column declarations, keeping its rows.
std::string Redeclare(const std::string& table, const std::string& columns, const std::string& select = "*") {
  return "CREATE TABLE t_new (" + columns + "); INSERT INTO t_new SELECT " + select + " FROM [" + table +
         "]; DROP TABLE [" + table + "]; ALTER TABLE t_new RENAME TO [" + table + "];";
}

const std::string kKyuurekiColumns = "ID INTEGER PRIMARY KEY, 西暦 INTEGER, 月 SMALLINT, 日 SMALLINT, 指標 SMALLINT, ";

}  // namespace

TEST(HostileDatabase, RightAnswerOrOneClearError) {
  WorkDir good("hostile_good");
  good.CopyDatabase();
  const std::vector<Answer> expected = RunAll(good, testsupport::kRunLimit);
  for (const Answer& a : expected) ASSERT_EQ(a.run.status, 0) << Describe(a.run);

  struct Case {
    const char* name;
    std::string sql;
    const char* error;  // what every failing run's message holds; nullptr: no run may fail
  };
  const std::string endless = "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) ";
  const std::vector<Case> cases = {
      {"a view in place of a table",
       "CREATE TABLE k2 AS SELECT * FROM Kyuureki; DROP TABLE Kyuureki; CREATE VIEW Kyuureki AS SELECT * FROM k2;",
       "table Kyuureki is a view"},
      {"an endless view",
       "DROP TABLE Kyuureki; CREATE VIEW Kyuureki(ID, 西暦, 月, 日, 指標, 旧暦) AS " + endless +
           "SELECT x, 2024, 6, 6, 0, 5 FROM c;",
       "table Kyuureki is a view"},
      {"a trigger that damages the calendar when Memory is written",
       "CREATE TRIGGER harm AFTER UPDATE ON Memory BEGIN UPDATE Kyuureki SET 旧暦 = 0; DELETE FROM History; END;",
       nullptr},
      {"an endless trigger on Memory",
       "CREATE TRIGGER spin BEFORE UPDATE ON Memory BEGIN SELECT count(*) FROM (" + endless + "SELECT x FROM c); END;",
       nullptr},
      {"a boolean era year", Redeclare("History", "西暦 INTEGER PRIMARY KEY, 皇紀 INTEGER, 年号 TEXT, 年号読 TEXT, "
                                                  "年 BOOLEAN, 天皇 TEXT, 北朝天皇 TEXT, 北朝年号 TEXT, 年干 TEXT, 年支 TEXT"),
       "table History: column 年 is declared 'BOOLEAN'"},
      {"a byte month number", Redeclare("Kyuureki", kKyuurekiColumns + "旧暦 TINYINT"), "column 旧暦 is declared"},
      {"a floating-point year", Redeclare("Kyuureki", "ID INTEGER PRIMARY KEY, 西暦 REAL, 月 SMALLINT, 日 SMALLINT, "
                                                      "指標 SMALLINT, 旧暦 SMALLINT"),
       "column 西暦 is declared 'REAL'"},
      {"weekday and six-day sign swapped",
       "ALTER TABLE Data RENAME COLUMN 曜日 TO x; ALTER TABLE Data RENAME COLUMN 六曜 TO 曜日; "
       "ALTER TABLE Data RENAME COLUMN x TO 六曜;",
       "table Data: column 3 is 曜日, expected 六曜"},
      {"pentad columns in another order", Redeclare("七十二候", "ID INTEGER PRIMARY KEY, 読み TEXT, 名 TEXT"),
       "table 七十二候: column 1 is 読み"},
      {"a column too many", "ALTER TABLE Kyuureki ADD COLUMN extra INTEGER;", "unexpected column extra"},
      {"a generated column", "ALTER TABLE Memory ADD COLUMN g INTEGER AS (ID * 2);", "table Memory"},
      {"IDs at the end of the int range",
       "UPDATE Kyuureki SET ID = ID + 2147483647 - (SELECT max(ID) FROM Kyuureki);", "table Kyuureki, row ID 21474"},
      {"a year far beyond the calendar",
       "UPDATE Kyuureki SET 西暦 = 5881634 WHERE ID = (SELECT ID + 1 FROM Kyuureki WHERE 西暦 = 2024 AND 月 = 6);",
       "西暦 5881634"},
      {"a month 13", "UPDATE Kyuureki SET 月 = 13 WHERE 西暦 = 2024 AND 月 = 6;", "月 13 is outside 1..12"},
      {"a lunisolar month as text", "UPDATE Kyuureki SET 旧暦 = 'five' WHERE 西暦 = 2024;",
       "table Kyuureki, column 旧暦 holds text"},
      {"a lunisolar month NULL",
       Redeclare("Kyuureki", kKyuurekiColumns + "旧暦 SMALLINT") + "UPDATE Kyuureki SET 旧暦 = NULL WHERE 西暦 = 2024;",
       "column 旧暦 holds an empty value"},
      {"a leap mark of 2.5", "UPDATE Kyuureki SET 指標 = 2.5 WHERE 西暦 = 2024 AND 月 = 6;", "column 指標 holds a fraction"},
      {"a negative lunisolar month", "UPDATE Kyuureki SET 旧暦 = -1 WHERE 西暦 = 2024;", "旧暦 -1 is outside"},
      {"a leap month numbered 0", "UPDATE Kyuureki SET 指標 = 2, 旧暦 = 0 WHERE 西暦 = 2024 AND 月 = 6;",
       "旧暦 0 is outside 1..12"},
      {"an era year as binary data", "UPDATE History SET 年 = x'06' WHERE 西暦 = 2024;",
       "table History, column 年 holds binary data"},
      {"an era name NULL",
       Redeclare("History", "西暦 INTEGER PRIMARY KEY, 皇紀 INTEGER, 年号 TEXT, 年号読 TEXT, 年 INTEGER, 天皇 TEXT, "
                            "北朝天皇 TEXT, 北朝年号 TEXT, 年干 TEXT, 年支 TEXT") +
           "UPDATE History SET 年号 = NULL WHERE 西暦 = 2024;",
       "column 年号 holds an empty value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WorkDir dir("hostile");
    dir.CopyDatabase();
    ExecSql(dir.File("History.mdb"), c.sql);
    const std::string before = CalendarContent(dir.File("History.mdb"));
    // A run that hangs is killed and fails here; how long one query may take
    // is bounded and tested in the access layer's own tests.
    const std::vector<Answer> got = RunAll(dir, testsupport::kRunLimit);
    int failed = 0;
    for (std::size_t i = 0; i < got.size(); ++i) {
      SCOPED_TRACE(kCommands[i][0]);
      const CliRun& r = got[i].run;
      ASSERT_TRUE(r.Exited()) << Describe(r);
      if (r.status == 0) {
        EXPECT_EQ(r.out, expected[i].run.out) << "exit 0 must mean the right answer";
        EXPECT_TRUE(got[i].file == expected[i].file);
        continue;
      }
      ++failed;
      EXPECT_EQ(r.status, 1) << Describe(r);
      EXPECT_TRUE(IsOneLineError(r.err)) << r.err;
      EXPECT_NE(r.err.find(c.error ? c.error : "(no failure expected)"), std::string::npos) << r.err;
    }
    if (c.error) {
      EXPECT_GT(failed, 0);
    }
    EXPECT_EQ(CalendarContent(dir.File("History.mdb")), before) << "the calendar's tables changed";
  }
}

// Texts of the database with line breaks, tabs and escape sequences keep the
// day's output at one line per field, escaped.
TEST(HostileDatabase, ControlCharactersAreEscaped) {
  WorkDir good("hostile_good_ctl");
  good.CopyDatabase();
  WorkDir dir("hostile_ctl");
  dir.CopyDatabase();
  ExecSql(dir.File("History.mdb"),
          "UPDATE Data SET 曜日 = '土' || char(10) || '六曜' || char(9) || 'x' || char(27) || '[2J' || char(133) "
          "WHERE No = 0; UPDATE History SET 年号 = '令和' || char(13) WHERE 西暦 = 2024;");
  const CliRun ok = RunCli(good, {"day", "2024-06-15", "12"});
  const CliRun r = RunCli(dir, {"day", "2024-06-15", "12"});
  ASSERT_EQ(r.status, 0) << Describe(r);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), std::count(ok.out.begin(), ok.out.end(), '\n'));
  EXPECT_NE(r.out.find("\n曜日\t土\\x0A六曜\\x09x\\x1B[2J\\x85\n"), std::string::npos) << r.out.substr(0, 400);
  EXPECT_NE(r.out.find("\n和暦\t令和\\x0D 6\n"), std::string::npos);
  EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
}

// A month numbered 0 is the table's way of saying a day has no lunisolar
// date: lunar says so and fails, the day panel shows neither the date nor a
// six-day sign counted from it.
TEST(HostileDatabase, MonthZeroMeansNoLunisolarDate) {
  WorkDir dir("hostile_zero");
  dir.CopyDatabase();
  ExecSql(dir.File("History.mdb"), "UPDATE Kyuureki SET 旧暦 = 0 WHERE 西暦 = 2024 AND 月 = 6;");
  const std::vector<CliRun> runs = RunCliAll(dir, {{"lunar", "2024-06-15"}, {"day", "2024-06-15", "12"}});
  EXPECT_EQ(runs[0].status, 1) << Describe(runs[0]);
  EXPECT_NE(runs[0].err.find("no lunisolar date"), std::string::npos) << runs[0].err;
  EXPECT_EQ(runs[0].out, "");
  ASSERT_EQ(runs[1].status, 0) << Describe(runs[1]);
  EXPECT_NE(runs[1].out.find("\n旧暦\t\n"), std::string::npos);
  EXPECT_NE(runs[1].out.find("\n六曜\t\n"), std::string::npos);
}

// The shipped database passes the same check that refuses the files above.
TEST(HostileDatabase, TheShippedDatabaseHasTheCheckedShape) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(OMBREL_DB_PATH, &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  EXPECT_EQ(CalendarSchemaProblem(db), "");
  sqlite3_close(db);
}
