// The eclipses in the day's 暦注 list and sky readout (an addition behind
// "eclipses=1" in ombrel.conf), and the precise model's "warning", through
// the real command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/TestSupport.h"

namespace {

namespace ts = testsupport;

// The text lines with this label ("暦注\t…"), in order.
std::vector<std::string> Labelled(const std::string& out, const std::string& label) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < out.size();) {
    const std::size_t end = out.find('\n', at);
    const std::string line = out.substr(at, end - at);
    if (line.rfind(label + "\t", 0) == 0) lines.push_back(line.substr(label.size() + 1));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return lines;
}

// The last line of the text output (the readout's last, or the eclipse's).
std::string LastLine(const std::string& out) {
  const std::size_t end = out.find_last_not_of('\n');
  const std::size_t begin = out.rfind('\n', end);
  return out.substr(begin == std::string::npos ? 0 : begin + 1, end - (begin == std::string::npos ? 0 : begin + 1) + 1);
}

// Keys kept in the document's order.
using Doc = nlohmann::ordered_json;
Doc Json(const ts::RunResult& r) {
  EXPECT_EQ(r.status, 0) << ts::Describe(r);
  return Doc::parse(r.out, nullptr, false);
}

struct Dir {
  ts::ScratchDir dir{"ombrel-day-eclipses"};
  Dir() { dir.CopyDatabase(); }
  ts::RunResult Run(const std::string& conf, std::vector<std::string> args) const {
    dir.Write("ombrel.conf", conf);
    args.insert(args.begin(), {"--workdir", dir.Path()});
    return ts::RunCli(args);
  }
};

// The total lunar eclipse of 2025-09-08 (visible in Tokyo) and the solar
// eclipse of 2035-09-02 seen from 139.7 E, 35.6 N (the settings' default
// place): named on their day with their greatest time with the switch on,
// the same as the eclipses command's; with it off, or on a day without an
// eclipse, the day's output is the designed one byte for byte.
TEST(DayEclipses, NamedOnTheirDayOnlyWithTheSwitch) {
  const Dir d;
  const struct {
    const char* date;
    const char* hour;
    const char* item;       // the 暦注 line
    const char* readout;    // the eclipse in progress at the hour
    const char* type;
    const char* year;
  } cases[] = {
      {"2025-09-08", "3", "皆既月食 03:11:49", "皆既月食 皆既食中", "lunar", "2025"},
      {"2035-09-02", "10", "部分日食 10:08:52", "部分日食 部分食中", "solar", "2035"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.date);
    const ts::RunResult designed = d.Run("", {"day", c.date, c.hour});
    ASSERT_EQ(designed.status, 0) << ts::Describe(designed);
    EXPECT_EQ(d.Run("eclipses=0\n", {"day", c.date, c.hour}).out, designed.out);

    const ts::RunResult on = d.Run("eclipses=1\n", {"day", c.date, c.hour});
    ASSERT_EQ(on.status, 0) << ts::Describe(on);
    EXPECT_EQ(on.err, "");
    std::vector<std::string> seasonal = Labelled(designed.out, "暦注");
    seasonal.insert(seasonal.begin(), c.item);
    EXPECT_EQ(Labelled(on.out, "暦注"), seasonal);
    EXPECT_EQ(LastLine(on.out), c.readout);
    // Nothing else moves: without its two lines the output is the designed one.
    const std::string line = std::string("暦注\t") + c.item + "\n";
    std::string without = on.out;
    ASSERT_NE(without.find(line), std::string::npos);
    without.erase(without.find(line), line.size());
    EXPECT_EQ(without, designed.out + c.readout + "\n");

    // The JSON document's entry is the eclipses command's eclipse.
    const Doc day = Json(d.Run("eclipses=1\n", {"--json", "day", c.date, c.hour}));
    ASSERT_EQ(day["eclipses"].size(), 1u);
    Doc entry = day["eclipses"][0];
    EXPECT_EQ(entry["text"], c.item);
    EXPECT_EQ(entry["type"], c.type);
    EXPECT_EQ(day["seasonal_days"][0], c.item);
    EXPECT_EQ(day["readout"].back(), c.readout);
    const Doc year = Json(d.Run("", {"--json", "eclipses", c.year}));
    bool found = false;
    for (const auto& e : year[c.type]) found |= e["peak"] == entry["peak"];
    entry.erase("text");
    entry.erase("type");
    for (const auto& e : year[c.type]) {
      if (e["peak"] == entry["peak"]) {
        EXPECT_EQ(e, entry);
      }
    }
    EXPECT_TRUE(found) << entry;
    EXPECT_FALSE(Json(d.Run("", {"--json", "day", c.date, c.hour})).contains("eclipses"));
  }
  // A day without an eclipse, and an hour outside one, show nothing more.
  EXPECT_EQ(d.Run("eclipses=1\n", {"day", "2025-09-09"}).out, d.Run("", {"day", "2025-09-09"}).out);
  EXPECT_EQ(Labelled(d.Run("eclipses=1\n", {"day", "2025-09-08", "12"}).out, "暦注").front(), "皆既月食 03:11:49");
  EXPECT_EQ(LastLine(d.Run("eclipses=1\n", {"day", "2025-09-08", "12"}).out), LastLine(d.Run("", {"day", "2025-09-08", "12"}).out));
  EXPECT_EQ(Json(d.Run("eclipses=1\n", {"--json", "day", "2025-09-09"}))["eclipses"], Doc::array());
}

// The phases of the lunar eclipse through the night, and those not visible
// at the place (2025-03-14: the moon below Tokyo's horizon all through;
// 2026-08-28 at noon).
TEST(DayEclipses, PhasesInProgressAndInvisibleLunarEclipses) {
  const Dir d;
  const struct {
    const char* date;
    const char* hour;
    const char* last;
  } cases[] = {
      {"2025-09-08", "1", "皆既月食 半影食中"},
      {"2025-09-08", "2", "皆既月食 部分食中"},
      {"2025-09-08", "4.5", "皆既月食 部分食中"},
      // In progress with the moon below Tokyo's horizon, as the 暦注 list says it.
      {"2026-08-28", "12", "部分月食 部分食中 見えず"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LastLine(d.Run("eclipses=1\n", {"day", c.date, c.hour}).out), c.last) << c.date << " " << c.hour;
  }
  EXPECT_EQ(Labelled(d.Run("eclipses=1\n", {"day", "2025-03-14"}).out, "暦注").front(), "皆既月食 15:58:47 見えず");
}

// The precise model's series outside their validated spans: a "warning"
// key in the JSON documents whose answer used them there, absent otherwise;
// a stderr line beside the text output.
TEST(ModelWarning, FarYearsCarryItNormalYearsDoNot) {
  const Dir d;
  const std::string earth = "the earth's series (eraEpv00) is validated for the years 1900-2100 only";
  const std::string planets = "the planets' series (eraPlan94) is validated for 1000-3000 only";
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> warned;  // the series named and what rests on them, in order; none: no key
  } cases[] = {
      {{"--precise", "--json", "terms", "-600"}, {earth, "the solar terms' moments are extrapolated"}},
      {{"--precise", "--json", "phases", "3000"}, {earth, "the moon phases' moments are extrapolated"}},
      {{"--precise", "--json", "terms", "2025"}, {}},
      {{"--json", "terms", "-600"}, {}},  // the design's formulas
      {{"--json", "eclipses", "3000"}, {earth, "the eclipses' moments are extrapolated"}},
      {{"--json", "eclipses", "1899"}, {earth}},
      {{"--json", "eclipses", "2025"}, {}},
      {{"--json", "eclipses", "1900"}, {}},  // the span's first and last years are inside it
      {{"--json", "eclipses", "2100"}, {}},
      {{"--precise", "--json", "day", "1800-06-01"}, {earth}},
      {{"--precise", "--json", "day", "2025-06-01"}, {}},
      {{"--precise", "--json", "bodies", "1500-06-01"}, {earth}},
      {{"--precise", "--json", "bodies", "900-06-01"}, {earth, planets}},
      {{"--json", "bodies", "900-06-01"}, {}},
      {{"--precise", "--json", "holidays", "2100"}, {}},
      {{"--precise", "--json", "holidays", "1948"}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[c.args.size() - 2] + " " + c.args.back());
    const Doc doc = Json(d.Run("", c.args));
    if (c.warned.empty()) {
      EXPECT_FALSE(doc.contains("warning")) << doc["warning"];
      continue;
    }
    ASSERT_TRUE(doc.contains("warning"));
    EXPECT_EQ(std::prev(doc.end()).key(), "warning");
    const std::string text = doc["warning"];
    std::size_t at = 0;
    for (const std::string& w : c.warned) {
      at = text.find(w, at);
      EXPECT_NE(at, std::string::npos) << text;
    }
    EXPECT_EQ(std::count(c.warned.begin(), c.warned.end(), planets) == 1,
              text.find("extrapolated. the planets") != std::string::npos)
        << text;
  }
  // The text output is the same, with one warning line on stderr.
  const ts::RunResult far = d.Run("", {"--precise", "terms", "-600"});
  EXPECT_EQ(far.status, 0);
  EXPECT_EQ(far.err.rfind("ombrel-cli: warning: " + earth, 0), 0u) << far.err;
  EXPECT_EQ(far.err.find('\n'), far.err.size() - 1) << far.err;
  EXPECT_EQ(d.Run("", {"--precise", "terms", "2025"}).err, "");
  // With eclipses=1 the day's eclipse search uses the earth's series in the design's model too.
  EXPECT_TRUE(Json(d.Run("eclipses=1\n", {"--json", "day", "1800-06-01"})).contains("warning"));
  EXPECT_FALSE(Json(d.Run("", {"--json", "day", "1800-06-01"})).contains("warning"));
}

}  // namespace
