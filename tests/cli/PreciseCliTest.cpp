// ombrel-cli with the precise model (--precise, or model=precise in
// ombrel.conf) against reference moments computed independently on the IAU
// SOFA routines (tests/fixtures/astro): whole years of solar terms and moon
// phases, and every sunrise, sunset, moonrise and moonset at Tokyo in 2025.
// Without it the design's formulas answer, with the searches' mends.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "tests/support/ReferenceTsv.h"

namespace {

namespace ts = testsupport;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// "HH:MM:SS" as seconds of the day (a seconds field may read 60).
int Seconds(const std::string& hms) {
  int h = 0, m = 0, s = 0;
  std::sscanf(hms.c_str(), "%d:%d:%d", &h, &m, &s);
  return h * 3600 + m * 60 + s;
}

// One event as the list prints it, " 小寒  1/ 5 14:00:01", or as the
// reference gives it: name, month, day and seconds of the JST day.
struct Event {
  std::string name;
  int month = 0, day = 0, seconds = 0;
};

Event Listed(const std::string& line) {
  Event e;
  const std::size_t blank = line.find(' ', 1);
  e.name = line.substr(1, blank - 1);
  std::sscanf(line.c_str() + blank, "%d/%d", &e.month, &e.day);
  e.seconds = Seconds(line.substr(line.size() - 8));
  return e;
}

Event Referenced(const std::vector<std::string>& row) {
  Event e;
  e.name = row[1];
  std::sscanf(row[3].c_str() + 5, "%d-%d", &e.month, &e.day);
  e.seconds = Seconds(row[3].substr(11));
  return e;
}

class PreciseCli : public ::testing::Test {
 protected:
  // Runs each argument list with --precise in a directory of its own.
  std::vector<ts::RunResult> RunPrecise(const std::vector<std::vector<std::string>>& runs) const {
    std::vector<ts::Invocation> all;
    for (const auto& args : runs) {
      std::vector<std::string> argv = {OMBREL_CLI, "--precise", "--workdir", dir_.Path()};
      argv.insert(argv.end(), args.begin(), args.end());
      all.push_back({argv, ""});
    }
    return ts::RunAll(all, ts::kRunLimit, 2);
  }
  ts::ScratchDir dir_{"precise_cli"};
};

// Every term within 10 s and every phase within 40 s, on the same JST day,
// for every year of the reference: the lists hold that year's events only.
TEST_F(PreciseCli, TermsAndPhasesOfEveryReferenceYear) {
  std::map<int, std::vector<Event>> want[2];  // terms, phases
  for (const auto& row : testsupport::ReadReferenceTsv("events.tsv")) want[row[0] == "phase"][std::stoi(row[3])].push_back(Referenced(row));
  std::vector<std::vector<std::string>> runs;
  std::vector<std::pair<int, int>> asked;  // kind, year
  for (int kind = 0; kind < 2; ++kind)
    for (const auto& [year, events] : want[kind]) {
      runs.push_back({kind ? "phases" : "terms", std::to_string(year)});
      asked.emplace_back(kind, year);
    }
  const std::vector<ts::RunResult> results = RunPrecise(runs);
  for (std::size_t r = 0; r < results.size(); ++r) {
    const auto [kind, year] = asked[r];
    ASSERT_EQ(results[r].status, 0) << year << ts::Describe(results[r]);
    std::vector<Event> got;
    for (const std::string& line : Lines(results[r].out)) got.push_back(Listed(line));
    const std::vector<Event>& expected = want[kind][year];
    ASSERT_EQ(got.size(), expected.size()) << year << (kind ? " phases" : " terms");
    for (std::size_t i = 0; i < got.size(); ++i) {
      const Event &g = got[i], &w = expected[i];
      const std::string where = std::to_string(year) + " " + w.name;
      EXPECT_EQ(g.name, w.name) << where;
      EXPECT_EQ(g.month * 100 + g.day, w.month * 100 + w.day) << where;
      EXPECT_LE(std::abs(g.seconds - w.seconds), kind ? 40 : 10) << where;
    }
  }
}

// The sun's and the moon's rise and set on every day of 2025 at 139.7 E,
// 35.6 N within 10 s; "-" (no such event that day) prints as --:--:--.
TEST_F(PreciseCli, RiseAndSetAtTokyoEveryDayOf2025) {
  const std::vector<std::vector<std::string>> rows = testsupport::ReadReferenceTsv("riseset-tokyo-2025.tsv");
  ASSERT_EQ(rows.size(), 730u);
  std::vector<std::vector<std::string>> runs;
  for (std::size_t i = 0; i < rows.size(); i += 2) runs.push_back({"bodies", rows[i][0]});
  const std::vector<ts::RunResult> results = RunPrecise(runs);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const ts::RunResult& r = results[i / 2];
    ASSERT_EQ(r.status, 0) << rows[i][0] << ts::Describe(r);
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_GE(lines.size(), 3u);
    // "太陽 06:50:37 11:44:.. 16:38:54 ...": rise, transit, set.
    std::istringstream line(lines[rows[i][1] == "太陽" ? 1 : 2]);
    std::string name, rise, transit, set;
    line >> name >> rise >> transit >> set;
    const int got[2] = {Seconds(rise), Seconds(set)};
    for (int k = 0; k < 2; ++k) {
      const std::string& want = rows[i][2 + k];
      const std::string where = rows[i][0] + " " + rows[i][1] + (k ? " set" : " rise");
      if (want == "-")
        EXPECT_EQ(k ? set : rise, "--:--:--") << where;
      else
        EXPECT_LE(std::abs(got[k] - Seconds(want)), 10) << where;
    }
  }
}

// The model from ombrel.conf: model=precise answers as --precise does; a
// missing file, a missing key or model=design answer with the design's
// formulas (春分 of 2000 at 16:25, as designed).
TEST(CliModel, OmbrelConfChoosesTheModel) {
  const ts::ScratchDir dir("cli_model");
  auto terms = [&](const std::vector<std::string>& options) {
    std::vector<std::string> args = options;
    for (const char* a : {"--workdir", "", "terms", "2000"}) args.push_back(a);
    args[args.size() - 3] = dir.Path();
    return ts::RunCli(args).out;
  };
  const std::string design = terms({}), precise = terms({"--precise"});
  EXPECT_NE(design.find(" 春分  3/20 16:25:05"), std::string::npos) << design;
  EXPECT_NE(design, precise);
  const struct {
    const char* conf;
    bool precise;
  } cases[] = {{"model=precise\n", true}, {"# mine\nmodel=design\nother=1\n", false}, {"other=1\n", false}};
  for (const auto& c : cases) {
    dir.Write("ombrel.conf", c.conf);
    EXPECT_EQ(terms({}), c.precise ? precise : design) << c.conf;
  }
  dir.Write("ombrel.conf", "model=design\n");
  EXPECT_EQ(terms({"--precise"}), precise);  // the option wins over the file
}

}  // namespace
