// The calendar database checked whole before a command reads it: a change to
// its rows that every reader would take for a valid calendar (a month start
// moved by one day, the months after some date gone, an era row gone, the
// months renumbered, a damaged page) is one error naming History.mdb and the
// damage, never an answer with a blank or wrong field.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "HardeningSupport.h"

using namespace hardening;

namespace {

// Overwrites ten pages of the lunisolar months' rows with garbage.
void DamagePages(const std::string& path) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(30 * 4096);
  const std::string garbage(10 * 4096, '\xff');
  file.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
}

}  // namespace

TEST(CalendarContent, ChangedOrDamagedRowsAreAnError) {
  WorkDir good("content_good");
  good.CopyDatabase();
  const CliRun shipped = RunCli(good, {"lunar", "1759-05-26"});
  ASSERT_EQ(shipped.status, 0) << Describe(shipped);
  ASSERT_EQ(shipped.out, "　5月1日\n");

  const std::string built = "not those the file was built with";
  const struct {
    const char* name;
    std::string sql;  // "" for the damaged pages
    std::vector<std::string> args;
    const char* said;
  } cases[] = {
      {"a month start one day later", "UPDATE Kyuureki SET 日 = 27 WHERE ID = 30000", {"lunar", "1759-05-26"},
       built.c_str()},
      {"the months after 1759 gone", "DELETE FROM Kyuureki WHERE ID > 30005", {"day", "1800-06-01"}, built.c_str()},
      {"an era row gone", "DELETE FROM History WHERE 西暦 = 2024", {"day", "2024-06-01"}, "era rows are missing"},
      {"months renumbered", "UPDATE Kyuureki SET ID = ID + 1000000 WHERE ID > 30005", {"western", "1966", "7", "1"},
       "months are missing"},
      {"a month gone", "DELETE FROM Kyuureki WHERE ID = 30000", {"yearlist", "1759", "--output", "y.csv"},
       "months are missing"},
      {"damaged pages", "", {"day", "1542-04-15"}, "cannot be read whole"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WorkDir dir("content");
    const std::string db = dir.CopyDatabase();
    if (c.sql.empty())
      DamagePages(db);
    else
      DamageSql(db, c.sql);
    const CliRun r = RunCli(dir, c.args);
    EXPECT_EQ(r.status, 1) << Describe(r);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(IsOneLineError(r.err)) << r.err;
    EXPECT_NE(r.err.find("/History.mdb: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
  }
}

// A table swollen to a million rows without its index, in a file that
// carries no digest: each query stays under its limit, and the limit of the
// whole command stops the run of many. (The run is given 100 ms in all, so
// that the table need not be large enough to take the usual second.)
TEST(CalendarContent, OneTimeLimitCoversTheWholeCommand) {
  WorkDir dir("content_swollen");
  DamageSql(dir.CopyDatabase(),
            "PRAGMA user_version = 0; DROP INDEX Kyuureki_西暦_月; "
            "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000000) "
            "INSERT INTO Kyuureki SELECT 34226 + x, 9000, 1, 1, 0, 1 FROM c;");
  const CliRun r = testsupport::RunAll({{{"/usr/bin/env", "OMBREL_TEST_QUERY_BUDGET_MS=100", OMBREL_CLI, "--workdir",
                                          dir.Path(), "ics", "2024", "--what", "lunar", "--output", "lunar.ics"},
                                         dir.Path()}},
                                       testsupport::kRunLimit, 1)
                       .front();
  EXPECT_EQ(r.status, 1) << Describe(r);
  // Each query alone finishes well within its own second, so without the
  // whole run's limit the command would succeed. On a heavily loaded machine
  // one query's own second (wall time from its first row, or the content
  // check's) may run out first; that stop is said as such, never as damage.
  EXPECT_NE(r.err.find("/History.mdb: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("took longer than"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("is the file swollen?"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir.File("lunar.ics")));
}
