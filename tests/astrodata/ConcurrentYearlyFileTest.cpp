// Yearly files written by several programs at once from one calendar
// database: each run's Memory rewrite and read-back must not see another's
// year, and a database another program keeps locked is waited for a bounded
// time, then reported.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "core/Text.h"
#include "tests/support/TestSupport.h"

using namespace testsupport;

namespace {

std::string Golden(const std::string& year) {
  return ReadFile(fs::path(OMBREL_FIXTURES) / "astrodata" / (year + ".csv"));
}

// The written file against the golden one, differing lines shown readable.
void ExpectGolden(const ScratchDir& dir, const std::string& year) {
  ExpectSameLines(ReadFile(dir.File(year + ".csv")), Golden(year),
                  [](const std::string& line) { return text::FromCp932(line); });
}

Invocation AstroData(const ScratchDir& dir, const std::string& year) {
  return {{OMBREL_CLI, "--workdir", dir.Path(), "astrodata", year, "--output", dir.File(year + ".csv")}, ""};
}

TEST(ConcurrentYearlyFiles, TwoYearsAtOnceEachGetTheirOwnEvents) {
  ScratchDir dir("concurrent_years");
  dir.CopyDatabase();
  const std::string years[] = {"2000", "2001"};
  constexpr int kRounds = 10;
  for (int round = 1; round <= kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::vector<RunResult> runs =
        RunAll({AstroData(dir, years[0]), AstroData(dir, years[1])}, std::chrono::seconds(60), 2);
    for (int i = 0; i < 2; ++i) {
      SCOPED_TRACE(years[i]);
      ASSERT_EQ(runs[i].status, 0) << Describe(runs[i]);
      ExpectGolden(dir, years[i]);
    }
  }
}

// Another program holding the database's write lock: a short hold is waited
// out, a long one is reported after a bounded wait and writes no file.
TEST(ConcurrentYearlyFiles, ALockedDatabaseIsWaitedForThenReported) {
  const struct {
    int holdMs;
    int exitStatus;
  } cases[] = {{500, 0}, {30000, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.holdMs);
    ScratchDir dir("locked_database");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dir.CopyDatabase().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    RunResult run;
    std::atomic<bool> done{false};
    const auto start = std::chrono::steady_clock::now();
    std::thread cli([&] {
      run = RunAll({AstroData(dir, "2000")}).front();
      done = true;
    });
    // Held until the time is up or the run has given up.
    while (!done && std::chrono::steady_clock::now() - start < std::chrono::milliseconds(c.holdMs))
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    cli.join();
    sqlite3_close(db);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(run.status, c.exitStatus) << Describe(run);
    if (c.exitStatus == 0) {
      ExpectGolden(dir, "2000");
    } else {
      EXPECT_NE(run.err.find("locked"), std::string::npos) << run.err;
      EXPECT_FALSE(fs::exists(dir.File("2000.csv")));
    }
  }
}

// Every Memory row as text, in ID order.
std::string MemoryDump(sqlite3* db) {
  std::string dump;
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT ID, date, 節気, 月相 FROM Memory ORDER BY ID", -1, &st, nullptr);
  while (sqlite3_step(st) == SQLITE_ROW)
    for (int i = 0; i < 4; ++i) dump += reinterpret_cast<const char*>(sqlite3_column_text(st, i)) + std::string("|");
  sqlite3_finalize(st);
  return dump;
}

// The rewrite succeeds but a day cannot be read back: the run fails, writes
// no file, and Memory keeps the year an earlier run left in it.
TEST(ConcurrentYearlyFiles, AFailedReadBackLeavesMemoryAsItWas) {
  ScratchDir dir("failed_read_back");
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(dir.CopyDatabase().c_str(), &db), SQLITE_OK);
  ASSERT_EQ(RunAll({AstroData(dir, "2001")}).front().status, 0);
  fs::remove(dir.File("2001.csv"));
  // 31 December has no event in 2000, so only its reading finds no row.
  ASSERT_EQ(sqlite3_exec(db, "UPDATE Memory SET date = 9999 WHERE date = 1231", nullptr, nullptr, nullptr), SQLITE_OK);
  const std::string before = MemoryDump(db);
  const RunResult run = RunAll({AstroData(dir, "2000")}).front();
  EXPECT_EQ(run.status, 1) << Describe(run);
  EXPECT_NE(run.err.find("1231"), std::string::npos) << run.err;
  EXPECT_EQ(MemoryDump(db), before);
  EXPECT_FALSE(fs::exists(dir.File("2000.csv")));
  sqlite3_close(db);
}

}  // namespace
