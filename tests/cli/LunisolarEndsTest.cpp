// lunar and western are each other's inverse over the whole calendar table:
// at its first month (which begins before its lunisolar year does), at its
// last row (which only ends the month before it), and on months sampled
// through the table, first and last day. A date the table does not hold is
// refused by both, as an argument out of range.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <vector>

#include "astro/TimeScales.h"
#include "tests/support/TestSupport.h"

namespace {

using Result = testsupport::RunResult;

struct Month {
  int year, month, day, flag, lunarMonth;
};

std::vector<Month> TableRows() {
  std::vector<Month> rows;
  sqlite3* db = nullptr;
  sqlite3_open_v2(OMBREL_DB_PATH, &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT 西暦, 月, 日, 指標, 旧暦 FROM Kyuureki ORDER BY ID", -1, &st, nullptr);
  while (sqlite3_step(st) == SQLITE_ROW)
    rows.push_back({sqlite3_column_int(st, 0), sqlite3_column_int(st, 1), sqlite3_column_int(st, 2),
                    sqlite3_column_int(st, 3), sqlite3_column_int(st, 4)});
  sqlite3_finalize(st);
  sqlite3_close(db);
  return rows;
}

// Dates as the commands write them (Julian before 1582-10-15, as the table).
std::string DateText(double jd) {
  const LocalTime t = JulianDayToDate(jd, DayCountClock(CalendarRule::JulianThenGregorian));
  const int y = static_cast<int>(t.year);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%04d-%02d-%02d", y < 0 ? "-" : "", y < 0 ? -y : y, static_cast<int>(t.month),
                static_cast<int>(t.day));
  return buf;
}

double Start(const Month& m) { return DayNoon(m.year, m.month, m.day, CalendarRule::JulianThenGregorian); }

// The lunisolar year of a month: a twelfth month beginning in January or
// February still belongs to the year before.
int LunisolarYearOf(const Month& m) { return m.lunarMonth == 12 && m.month <= 2 ? m.year - 1 : m.year; }

struct Query {
  std::vector<std::string> lunar, western;
  std::string date, lunarText;
};

}  // namespace

TEST(LunisolarEnds, TheTablesEndsAgreeAndBeyondIsRefused) {
  const testsupport::ScratchDir dir("ends");
  dir.CopyDatabase();
  auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--workdir", dir.Path()});
    return testsupport::RunCli(args);
  };
  const struct {
    std::vector<std::string> args;
    int status;
    const char* out;  // or, refused, what the message says
  } cases[] = {
      {{"lunar", "-667-12-9"}, 0, "　11月1日\n"},
      {{"western", "-667", "11", "1"}, 0, "-0667-12-09\n"},
      {{"western", "-667", "12", "1"}, 0, "-0666-01-08\n"},
      {{"lunar", "-666-1-8"}, 0, "　12月1日\n"},
      {{"lunar", "-667-12-8"}, 2, "outside the calendar table"},
      {{"western", "-667", "10", "1"}, 2, "outside the calendar table"},
      {{"western", "-668", "1", "1"}, 2, "outside the calendar table"},
      {{"lunar", "2101-1-28"}, 0, "　12月29日\n"},
      {{"western", "2100", "12", "29"}, 0, "2101-01-28\n"},
      {{"western", "2100", "12", "30"}, 2, "has no day 30"},
      {{"lunar", "2101-1-29"}, 2, "outside the calendar table"},
      {{"western", "2101", "1", "1"}, 2, "beyond the end of the calendar table"},
      {{"western", "2102", "1", "1"}, 2, "outside the calendar table"},
      {{"western", "2024", "5", "1", "--leap"}, 2, "has no leap month 5"},
  };
  for (const auto& c : cases) {
    const Result r = run(c.args);
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    EXPECT_EQ(r.status, c.status) << testsupport::Describe(r);
    if (c.status == 0) {
      EXPECT_EQ(r.out, c.out);
      continue;
    }
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_NE(r.err.find(c.out), std::string::npos) << r.err;
  }
}

TEST(LunisolarEnds, SampledMonthsGoBothWays) {
  const std::vector<Month> rows = TableRows();
  ASSERT_GT(rows.size(), 30000u);
  std::vector<std::size_t> picks = {0, 1, 2, rows.size() - 3, rows.size() - 2};
  for (std::size_t i = 97; i + 2 < rows.size(); i += 1013) picks.push_back(i);
  std::vector<Query> queries;
  for (std::size_t i : picks) {
    const Month& m = rows[i];
    const int length = static_cast<int>(Start(rows[i + 1]) - Start(m));
    for (int day : {1, length}) {
      Query q;
      q.date = DateText(Start(m) + day - 1);
      q.lunarText = std::string(m.flag == 2 ? "閏" : "　") + std::to_string(m.lunarMonth) + "月" + std::to_string(day) + "日";
      q.lunar = {"lunar", q.date};
      q.western = {"western", std::to_string(LunisolarYearOf(m)), std::to_string(m.lunarMonth), std::to_string(day)};
      if (m.flag == 2) q.western.push_back("--leap");
      queries.push_back(q);
    }
  }
  const testsupport::ScratchDir dir("ends_sample");
  dir.CopyDatabase();
  std::vector<testsupport::Invocation> runs;
  for (const Query& q : queries)
    for (const auto* args : {&q.lunar, &q.western}) {
      std::vector<std::string> argv = {OMBREL_CLI, "--workdir", dir.Path()};
      argv.insert(argv.end(), args->begin(), args->end());
      runs.push_back({argv, dir.Path()});
    }
  const std::vector<Result> got = testsupport::RunAll(runs, testsupport::kRunLimit, 2);
  for (std::size_t k = 0; k < queries.size(); ++k) {
    SCOPED_TRACE(queries[k].date);
    EXPECT_EQ(got[2 * k].out, queries[k].lunarText + "\n") << testsupport::Describe(got[2 * k]);
    EXPECT_EQ(got[2 * k + 1].out, queries[k].date + "\n") << testsupport::Describe(got[2 * k + 1]);
  }
}
