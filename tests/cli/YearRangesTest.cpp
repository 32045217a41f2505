// FROM..TO for the year commands: one process prints what the single years
// print, in order, and with --json one document holding each year's.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/support/TestSupport.h"

namespace {

using Args = std::vector<std::string>;

testsupport::RunResult Cli(const testsupport::ScratchDir& dir, Args args) {
  args.insert(args.begin(), {"--workdir", dir.Path()});
  return testsupport::RunCli(args);
}

TEST(YearRanges, ARangeIsTheSingleYearsInOrder) {
  const testsupport::ScratchDir dir("ranges");
  dir.CopyDatabase();
  const struct {
    const char* command;
    int from, to;
  } cases[] = {{"terms", 2020, 2030}, {"phases", -1000, -999}, {"holidays", 2026, 2027}, {"eclipses", 2026, 2028}};
  for (const auto& c : cases) {
    const std::string range = std::to_string(c.from) + ".." + std::to_string(c.to);
    std::string singles;
    nlohmann::json documents = nlohmann::json::array();
    for (int year = c.from; year <= c.to; ++year) {
      singles += Cli(dir, {c.command, std::to_string(year)}).out;
      documents.push_back(nlohmann::json::parse(Cli(dir, {"--json", c.command, std::to_string(year)}).out));
    }
    const testsupport::RunResult text = Cli(dir, {c.command, range});
    EXPECT_EQ(text.status, 0) << c.command << testsupport::Describe(text);
    EXPECT_EQ(text.out, singles) << c.command;
    const nlohmann::json json = nlohmann::json::parse(Cli(dir, {"--json", c.command, range}).out);
    EXPECT_EQ(json["from"], c.from);
    EXPECT_EQ(json["to"], c.to);
    EXPECT_EQ(json["years"], documents) << c.command;
  }
}

TEST(YearRanges, RangesOutsideTheSpanOrBackwardsAreRefused) {
  const testsupport::ScratchDir dir("ranges");
  for (const Args& args : std::vector<Args>{{"terms", "2030..2020"},
                                            {"phases", "2999..3001"},
                                            {"holidays", "1947..1950"},
                                            {"eclipses", "2026.."},
                                            {"terms", "..2026"},
                                            {"terms", "2020...2021"}}) {
    const testsupport::RunResult r = Cli(dir, args);
    EXPECT_EQ(r.status, 2) << args[1];
    EXPECT_TRUE(r.out.empty()) << args[1];
  }
}

}  // namespace
