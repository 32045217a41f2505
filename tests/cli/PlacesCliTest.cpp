// --place and `places` through the built ombrel-cli: a place by name answers
// as its coordinates (and abroad its zone) typed out would.
#include <gtest/gtest.h>

#include <algorithm>

#include <nlohmann/json.hpp>

#include "tests/support/TestSupport.h"

namespace {

using Args = std::vector<std::string>;

testsupport::RunResult Cli(const testsupport::ScratchDir& dir, const Args& args) {
  Args all = {"--workdir", dir.Path()};
  all.insert(all.end(), args.begin(), args.end());
  return testsupport::RunCli(all);
}

TEST(PlacesCli, ANameAnswersAsItsCoordinates) {
  const testsupport::ScratchDir dir("places");
  dir.CopyDatabase();
  const Args sapporo = {"--lon", "141.346944", "--lat", "43.064167"};
  const Args newYork = {"--lon", "-74.0064", "--lat", "40.7142"};
  const struct {
    Args byName, byNumbers;
  } cases[] = {
      {{"--place", "札幌市", "bodies", "2026-06-21"}, {"bodies", "2026-06-21", sapporo[0], sapporo[1], sapporo[2], sapporo[3]}},
      {{"--place", "北海道", "--json", "bodies", "2026-12-21", "5"},
       {"--json", "bodies", "2026-12-21", "5", sapporo[0], sapporo[1], sapporo[2], sapporo[3]}},
      {{"--place", "札幌", "day", "2026-06-21", "9"}, {"day", "2026-06-21", "9", sapporo[0], sapporo[1], sapporo[2], sapporo[3]}},
      {{"--json", "--place=北海道", "day", "2026-03-20"},
       {"--json", "day", "2026-03-20", sapporo[0], sapporo[1], sapporo[2], sapporo[3]}},
      {{"--place", "America/New_York", "bodies", "2026-07-01"},
       {"--zone", "America/New_York", "bodies", "2026-07-01", newYork[0], newYork[1], newYork[2], newYork[3]}},
      {{"--place", "New_York", "--json", "day", "2026-07-01"},
       {"--zone", "America/New_York", "--json", "day", "2026-07-01", newYork[0], newYork[1], newYork[2], newYork[3]}},
      // What is typed out wins over the place's.
      {{"--place", "札幌", "--zone", "Europe/London", "bodies", "2026-07-01", "--lat", "51.5"},
       {"--zone", "Europe/London", "bodies", "2026-07-01", "--lon", "141.346944", "--lat", "51.5"}},
      {{"--place", "札幌", "eclipses", "2026"}, {"eclipses", "2026", sapporo[0], sapporo[1], sapporo[2], sapporo[3]}},
  };
  for (const auto& c : cases) {
    const testsupport::RunResult a = Cli(dir, c.byName), b = Cli(dir, c.byNumbers);
    EXPECT_EQ(a.status, 0) << c.byName[1] << testsupport::Describe(a);
    EXPECT_EQ(a.out, b.out) << c.byName[1];
    EXPECT_FALSE(a.out.empty());
  }
}

// An unknown or ambiguous name is a usage error naming the places it may
// have meant; no output.
TEST(PlacesCli, UnknownAndAmbiguousNamesListTheNearest) {
  const testsupport::ScratchDir dir("places");
  const struct {
    const char* name;
    const char* named;
  } cases[] = {{"福", "福井県 福井市"}, {"札晃", "北海道 札幌市"}, {"New_Yrok", "America/New_York"}, {"", "ombrel-cli places"}};
  for (const auto& c : cases) {
    const testsupport::RunResult r = Cli(dir, {"--place", c.name, "bodies", "2026-01-01"});
    EXPECT_EQ(r.status, 2) << c.name;
    EXPECT_TRUE(r.out.empty()) << c.name;
    EXPECT_NE(r.err.find(c.named), std::string::npos) << c.name << ": " << r.err;
  }
}

TEST(PlacesCli, PlacesListsNamesWithTheirPlaceAndZone) {
  const testsupport::ScratchDir dir("places");
  testsupport::RunResult r = Cli(dir, {"places", "鹿児島"});
  EXPECT_EQ(r.status, 0) << testsupport::Describe(r);
  EXPECT_EQ(r.out, "鹿児島県 鹿児島市\t31.560278\t130.558056\t-\n");
  r = Cli(dir, {"--json", "places", "new_york"});
  const nlohmann::json doc = nlohmann::json::parse(r.out);
  ASSERT_EQ(doc["places"].size(), 1u) << r.out;
  EXPECT_EQ(doc["places"][0]["zone"], "America/New_York");
  EXPECT_EQ(doc["places"][0]["latitude"], 40.7142);
  EXPECT_TRUE(doc["places"][0]["city"].is_null());
  r = Cli(dir, {"places"});
  EXPECT_GT(std::count(r.out.begin(), r.out.end(), '\n'), 47 + 200) << "the tz database's places are missing";
}

}  // namespace
