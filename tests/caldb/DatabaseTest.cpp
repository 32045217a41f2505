// The built calendar database against its sources, the builder's refusal of
// bad input, and the lunar and western commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "caldb/Dao.h"
#include "tests/support/TestSupport.h"

using testsupport::Quote;
using testsupport::RunShell;
using testsupport::ScratchDir;
namespace fs = std::filesystem;

namespace {

const std::string kDataDir = std::string(OMBREL_FIXTURES) + "/../../data";
const std::string kBuilder = (fs::path(OMBREL_DB_PATH).parent_path() / "tools" / "ombrel-dbbuilder").string();

// The whole Kyuureki table equals kyuureki.tsv, row for row, as integers.
TEST(CalendarDatabase, KyuurekiIsTheSourceTable) {
  std::ifstream tsv(kDataDir + "/kyuureki.tsv");
  std::string line;
  std::getline(tsv, line);  // header
  CDaoDatabase db;
  db.Open(OMBREL_DB_PATH, true, true, kCalendarConnect);
  CDaoRecordset rs(&db);
  rs.Open(dbOpenDynaset, "SELECT * FROM [Kyuureki] ORDER BY [ID];");
  int rows = 0;
  for (; std::getline(tsv, line) && !line.empty(); ++rows, rs.MoveNext()) {
    ASSERT_FALSE(rs.IsEOF()) << line;
    std::string fromDb;
    for (int i = 0; i < 6; ++i) {
      if (i) fromDb += '\t';
      fromDb += VariantToText(rs.GetFieldValue(i));
    }
    ASSERT_EQ(fromDb, line);
  }
  EXPECT_TRUE(rs.IsEOF());
  EXPECT_EQ(rows, 34226);
}

TEST(CalendarDatabase, TableShapes) {
  struct Case { const char* query; const char* count; } cases[] = {
      {"SELECT COUNT(*), MIN([西暦]), MAX([西暦]) FROM [History];", "1513"},
      {"SELECT COUNT(*) FROM [Data] WHERE [No] BETWEEN 0 AND 27;", "28"},
      {"SELECT COUNT(*) FROM [七十二候] WHERE [ID] BETWEEN 1 AND 72;", "72"},
      {"SELECT COUNT(*) FROM [Memory] WHERE [ID] BETWEEN 1 AND 366 AND [節気]=' ' AND [月相]=' ';", "366"},
      // exactly one first month per Western year
      {"SELECT COUNT(*) FROM (SELECT [西暦] FROM [Kyuureki] WHERE [指標]=1 GROUP BY [西暦] HAVING COUNT(*)>1);", "0"},
  };
  CDaoDatabase db;
  db.Open(OMBREL_DB_PATH, true, true, kCalendarConnect);
  CDaoRecordset rs(&db);
  for (const auto& c : cases) {
    rs.Open(dbOpenDynaset, c.query);
    EXPECT_EQ(VariantToText(rs.GetFieldValue(0)), c.count) << c.query;
  }
  // The sign rows the day panel reads for 2000-01-01 (weekday 0, stem 6,
  // branch 6, mansion 17) and the year 2005 (stem 3, branch 9).
  struct Sign { int row, pos; const char* text; } signs[] = {
      {0, 5, "土"}, {6, 6, "戊"}, {6, 8, "午"}, {17, 1, "胃"}, {3, 6, "乙"}, {9, 8, "酉"},
      {6, 7, "つちのえ"}, {6, 9, "うま"}, {1, 3, "先勝"}, {5, 3, "大安"}, {27, 1, "翼"}, {12, 8, ""},
  };
  for (const auto& s : signs) {
    rs.Open(dbOpenDynaset, "SELECT * FROM [Data] WHERE  [No]=" + std::to_string(s.row) + ";");
    EXPECT_EQ(VariantToText(rs.GetFieldValue(s.pos)), s.text) << s.row << "/" << s.pos;
  }
  rs.Open(dbOpenDynaset, "SELECT * FROM [History] WHERE  [西暦]=2005;");
  EXPECT_EQ(VariantToText(rs.GetFieldValue(8)) + VariantToText(rs.GetFieldValue(9)), "乙酉");
}

// The queries with a number hit an index, never a scan of the table; the
// list by reading walks its index instead of sorting.
TEST(CalendarDatabase, LookupsUseIndexes) {
  const char* queries[] = {
      "SELECT * FROM [Kyuureki] WHERE [月]=   2 AND [西暦]=2005;",
      "SELECT * FROM [Kyuureki] WHERE [ID]=  12;",
      "SELECT * FROM [Kyuureki] WHERE [旧暦]=1 AND [西暦]=2005;",
      "SELECT * FROM [History] WHERE  [西暦]=2005;",
      "SELECT * FROM [History] ORDER BY [History].[年号読],[History].[西暦];",
      "SELECT * FROM [Data] WHERE  [No]=1;",
      "SELECT * FROM [七十二候] WHERE [ID]=  1;",
      "SELECT * FROM [Memory] WHERE  [date]=229;",
  };
  CDaoDatabase db;
  db.Open(OMBREL_DB_PATH, true, true, kCalendarConnect);
  CDaoRecordset rs(&db);
  for (const char* q : queries) {
    rs.Open(dbOpenDynaset, std::string("EXPLAIN QUERY PLAN ") + q);
    std::string plan;
    for (; !rs.IsEOF(); rs.MoveNext()) plan += VariantToText(rs.GetFieldValue(3)) + "; ";
    bool plainScan = plan.find("SCAN") != std::string::npos && plan.find("USING INDEX") == std::string::npos;
    EXPECT_FALSE(plainScan || plan.find("TEMP B-TREE") != std::string::npos) << q << " -> " << plan;
  }
}

TEST(DatabaseBuilder, BadInputFailsAndLeavesTheOldFile) {
  if (!fs::exists(kBuilder)) GTEST_SKIP() << "builder not built";
  ScratchDir dir("builder");
  const std::string good = testsupport::ReadFile(kDataDir + "/kyuureki.tsv");
  struct Case { const char* file; std::string content; const char* message; } cases[] = {
      {"kyuureki.tsv", good.substr(0, good.find('\n') + 1) + "1\t-667\t12\t9\t0\n", "kyuureki.tsv:2"},
      {"kyuureki.tsv", good.substr(0, good.find('\n') + 1) + "1\t-667\t12\tx9\t0\t11\n", "kyuureki.tsv:2"},
      {"kyuureki.tsv", good.substr(0, good.find('\n') + 1) + "1\t-667\t12\t9\t0\t11\n3\t-666\t1\t8\t0\t12\n",
       "kyuureki.tsv:3"},
      {"kyuureki.tsv", "", "kyuureki.tsv: empty"},
      {"kyuureki.tsv", good.substr(0, good.find("\n33500\t")), "must cover"},  // ends in May 2042
      {"pentads.tsv", "ID\t名\t読み\n1\t雀始巣\tすずめ\n", "pentads.tsv"},
      {"emperors.tsv", "", "emperors.tsv"},
  };
  for (const auto& c : cases) {
    const std::string data = dir.File("data");
    fs::remove_all(data);
    fs::copy(kDataDir, data);
    std::ofstream(data + "/" + c.file, std::ios::binary) << c.content;
    dir.Write("out.mdb", "previous");
    auto r = RunShell(Quote(kBuilder) + " " + Quote(data) + " " + Quote(dir.File("out.mdb")));
    EXPECT_NE(r.status, 0) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(testsupport::ReadFile(dir.File("out.mdb")), "previous");
    for (const auto& e : fs::directory_iterator(dir.Path()))
      EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
  }
  auto missing = RunShell(Quote(kBuilder) + " " + Quote(dir.File("nowhere")) + " " + Quote(dir.File("x.mdb")));
  EXPECT_EQ(missing.status, 1);
  EXPECT_FALSE(fs::exists(dir.File("x.mdb")));
}

TEST(LunarCommands, ConvertBothWays) {
  ScratchDir dir("cli");
  dir.CopyDatabase();
  struct Case { const char* args; int status; const char* out; } cases[] = {
      {"lunar 2033-12-22", 0, "閏11月1日\n"},
      {"lunar 2005-02-09", 0, "　1月1日\n"},
      {"lunar 1582-06-21", 0, "　6月2日\n"},
      {"lunar 2200-01-01", 2, ""},  // beyond the table: an argument out of range
      {"lunar 2005-13-01", 2, ""},
      {"lunar yesterday", 2, ""},
      {"western 2033 11 1 --leap", 0, "2033-12-22\n"},
      {"western 2033 11 1", 0, "2033-11-22\n"},
      {"western 2017 5 29 --leap", 0, "2017-07-22\n"},
      {"western 2017 5 30 --leap", 2, ""},   // the leap fifth month has 29 days
      {"western 2018 5 1 --leap", 2, ""},
      {"western 2005 1 1", 0, "2005-02-09\n"},
      {"western 2005 x 1", 2, ""},
      {"western 2005 1", 2, ""},
  };
  for (const auto& c : cases) {
    auto r = RunShell(Quote(OMBREL_CLI) + " --workdir " + Quote(dir.Path()) + " " + c.args);
    EXPECT_EQ(r.status, c.status) << c.args << ": " << r.err;
    EXPECT_EQ(r.out, c.out) << c.args;
  }
  // A directory of the user's files without the database (an empty one
  // would be given a copy of it).
  ScratchDir empty("cli_nodb");
  empty.Write("notes.txt", "mine");
  for (const char* args : {"lunar 2000-01-01", "western 2000 1 1"}) {
    auto r = RunShell(Quote(OMBREL_CLI) + " --workdir " + Quote(empty.Path()) + " " + args);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(fs::exists(empty.File("History.mdb")));
  }
}

}  // namespace
