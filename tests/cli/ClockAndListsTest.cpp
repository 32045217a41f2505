// What the clock, the zone and the year's lists mean for a user of the real
// ombrel-cli: today's date on the zone's clock whatever the system's TZ, the
// tz database's summer time, Japan Standard Time at every place in Japan,
// "no event" shown as such, each event of a year listed once, the list span
// refused with its range, the precise model's observances, the Gregorian
// calendar throughout agreeing with the year list, and no negative zero.
#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/Text.h"
#include "tests/support/TestSupport.h"

namespace {

namespace ts = testsupport;
using nlohmann::json;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A working directory with the built calendar database and, when given, an
// ombrel.dat.
class CliDir : public ts::ScratchDir {
 public:
  explicit CliDir(const std::string& settings = "") : ScratchDir("cli_clock") {
    CopyDatabase();
    if (!settings.empty()) Write("ombrel.dat", settings);
  }
  ts::RunResult Run(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--workdir", Path()});
    return ts::RunCli(args);
  }
  // The text after "<label>\t" on the first such line of `day`'s output.
  static std::string Field(const std::string& out, const std::string& label) {
    for (const std::string& line : Lines(out))
      if (line.rfind(label + "\t", 0) == 0) return line.substr(label.size() + 1);
    return "<no " + label + ">";
  }
};

// The bodies table's row of a body: its name and rise, transit, set.
std::vector<std::string> BodyRow(const std::string& out, const std::string& name) {
  for (const std::string& line : Lines(out)) {
    if (line.rfind(name + " ", 0) != 0) continue;
    std::istringstream in(line);
    std::vector<std::string> fields(4);
    for (std::string& f : fields) in >> f;
    return fields;
  }
  return {};
}

int Seconds(const std::string& hms) {
  int h = 0, m = 0, s = 0;
  std::sscanf(hms.c_str(), "%d:%d:%d", &h, &m, &s);
  return h * 3600 + m * 60 + s;
}

std::string JstDateNow() {
  const std::time_t jst = std::time(nullptr) + 9 * 3600;
  std::tm t{};
  gmtime_r(&jst, &t);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &t);
  return text;
}

// Without a date, `day` is today on the zone's clock (Asia/Tokyo), not on
// the system's TZ.
TEST(CliClock, DayWithoutDateIsTodayInJapan) {
  const CliDir dir;
  const std::string before = JstDateNow();
  const ts::RunResult r = ts::RunShell("TZ=UTC " + ts::Quote(OMBREL_CLI) + " --json --workdir " +
                                       ts::Quote(dir.Path()) + " day");
  const std::string after = JstDateNow();
  ASSERT_EQ(r.status, 0) << ts::Describe(r);
  const json doc = json::parse(r.out, nullptr, false);
  ASSERT_FALSE(doc.is_discarded()) << r.out;
  const std::string date = doc["date"];
  EXPECT_TRUE(date == before || date == after) << date << " vs " << before;
}

// Rise times on the clock of the zone: summer time in New York, JST at
// Ishigaki (not the design's whole-hour zone of its longitude), and a day
// without moonrise as --:--:-- and null.
TEST(CliClock, RiseTimesOnTheZonesClock) {
  const CliDir dir;
  const ts::RunResult ny =
      dir.Run({"--zone", "America/New_York", "bodies", "2026-07-01", "--lon", "-74", "--lat", "40.71"});
  ASSERT_EQ(ny.status, 0) << ts::Describe(ny);
  const std::vector<std::string> nySun = BodyRow(ny.out, "太陽");
  ASSERT_EQ(nySun.size(), 4u) << ny.out;
  EXPECT_EQ(nySun[1].substr(0, 4), "05:2") << ny.out;  // 05:2x EDT, not 04:2x EST

  const ts::RunResult ishigaki = dir.Run({"bodies", "2026-06-21", "--lon", "124.16", "--lat", "24.34"});
  ASSERT_EQ(ishigaki.status, 0) << ts::Describe(ishigaki);
  const std::vector<std::string> sun = BodyRow(ishigaki.out, "太陽");
  ASSERT_EQ(sun.size(), 4u) << ishigaki.out;
  EXPECT_LE(std::abs(Seconds(sun[1]) - Seconds("05:55:40")), 60) << sun[1];

  const ts::RunResult text = dir.Run({"bodies", "2025-01-21"});
  const ts::RunResult asJson = dir.Run({"--json", "bodies", "2025-01-21"});
  ASSERT_EQ(text.status, 0) << ts::Describe(text);
  ASSERT_EQ(asJson.status, 0) << ts::Describe(asJson);
  const std::vector<std::string> moon = BodyRow(text.out, "月");
  ASSERT_EQ(moon.size(), 4u) << text.out;
  EXPECT_EQ(moon[1], "--:--:--");
  const json doc = json::parse(asJson.out, nullptr, false);
  ASSERT_FALSE(doc.is_discarded()) << asJson.out;
  EXPECT_TRUE(doc["bodies"][1]["rise"].is_null()) << doc["bodies"][1];
  EXPECT_EQ(doc["bodies"][1]["name"], "月");
}

// The year's lists hold that year's events, each once: 1582 (the year the
// calendar skips ten days) and 1901 (whose list used to run into 1902).
TEST(CliLists, EachEventOfTheYearOnce) {
  const CliDir dir;
  for (const char* command : {"terms", "phases"}) {
    const ts::RunResult r = dir.Run({command, "1582"});
    ASSERT_EQ(r.status, 0) << ts::Describe(r);
    const std::vector<std::string> lines = Lines(r.out);
    const std::set<std::string> distinct(lines.begin(), lines.end());
    EXPECT_EQ(distinct.size(), lines.size()) << r.out;
    if (std::string(command) == "terms") {
      // 1582 loses ten days in October: its 小寒 fell on 1581-12-26, so the
      // year has 23 terms, 寒露 among them once.
      std::multiset<std::string> names;
      for (const std::string& line : lines) names.insert(line.substr(1, line.find(' ', 1) - 1));
      EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), lines.size()) << r.out;
      EXPECT_EQ(names.count("寒露"), 1u) << r.out;
      EXPECT_EQ(names.count("小寒"), 0u) << r.out;
    }
  }

  const ts::RunResult phases = dir.Run({"--json", "phases", "1901"});
  ASSERT_EQ(phases.status, 0) << ts::Describe(phases);
  const json doc = json::parse(phases.out, nullptr, false);
  ASSERT_FALSE(doc.is_discarded()) << phases.out;
  ASSERT_GE(doc["phases"].size(), 48u);
  for (const json& e : doc["phases"]) EXPECT_EQ(e["date"].get<std::string>().substr(0, 5), "1901-") << e;
}

TEST(CliLists, YearsOutsideTheListSpanAreRefused) {
  const CliDir dir;
  for (const char* year : {"999999", "-1001", "3001"}) {
    const ts::RunResult r = dir.Run({"terms", year});
    EXPECT_EQ(r.status, 2) << year;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("-1000 to 3000"), std::string::npos) << r.err;
  }
  for (const char* year : {"-1000", "3000"}) EXPECT_EQ(dir.Run({"phases", year}).status, 0) << year;
}

// The all-day events of one date in an iCalendar file, by summary.
std::set<std::string> SummariesOn(const std::string& ics, const std::string& yyyymmdd) {
  std::set<std::string> found;
  std::string start, summary;
  for (std::string line : Lines(ics)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "BEGIN:VEVENT") start.clear(), summary.clear();
    if (line.rfind("DTSTART", 0) == 0) start = line.substr(line.find(':') + 1);
    if (line.rfind("SUMMARY:", 0) == 0) summary = line.substr(8);
    if (line == "END:VEVENT" && start == yyyymmdd) found.insert(summary);
  }
  return found;
}

// The observances of the iCalendar file follow the model asked for: with the
// precise model's 春分 of 2022, 社日 (the 戊 day nearest it) is 03-26 alone.
TEST(CliLists, PreciseCalendarFileTakesItsObservancesFromThePreciseModel) {
  const CliDir dir;
  const ts::RunResult r = dir.Run({"--precise", "ics", "2022", "--what", "observances", "--output", dir.File("p.ics")});
  ASSERT_EQ(r.status, 0) << ts::Describe(r);
  const std::string ics = ts::ReadFile(dir.File("p.ics"));
  EXPECT_EQ(SummariesOn(ics, "20220316").count("社日"), 0u);  // the design's 春分 puts one there too
  EXPECT_EQ(SummariesOn(ics, "20220326").count("社日"), 1u);
}

// With the Gregorian calendar throughout (ombrel.dat line 4 = 1), the day
// panel and the year list read the calendar table alike, `lunar` and `day`
// answer as the default calendar does for the same day, and the term list
// and the day panel agree on 春分's day.
TEST(CliLists, GregorianThroughoutAgreesWithTheYearList) {
  const CliDir dir("139.7\n35.6\n0\n1\n");
  const ts::RunResult day = dir.Run({"day", "1500-03-20"});
  ASSERT_EQ(day.status, 0) << ts::Describe(day);
  const ts::RunResult list =
      dir.Run({"yearlist", "1500", "--layout", "western", "--encoding", "utf-8", "--output", dir.File("y.csv")});
  ASSERT_EQ(list.status, 0) << ts::Describe(list);
  // Row 20 (day 20), column 3 (March): "<sign>　 M  D<marks>".
  const std::vector<std::string> rows = Lines(ts::ReadFile(dir.File("y.csv")));
  ASSERT_GT(rows.size(), 20u);
  std::vector<std::string> cells;
  std::istringstream row(rows[20]);
  for (std::string cell; std::getline(row, cell, ',');) cells.push_back(cell);
  ASSERT_GT(cells.size(), 3u) << rows[20];
  int listMonth = 0, listDay = 0;
  const std::string cell = cells[3];
  ASSERT_EQ(std::sscanf(cell.c_str() + cell.find("　") + std::string("　").size(), "%d %d", &listMonth, &listDay), 2)
      << cell;
  int dayMonth = 0, dayDay = 0;
  const std::string lunar = CliDir::Field(day.out, "旧暦");
  ASSERT_EQ(std::sscanf(lunar.c_str() + lunar.find("　") + std::string("　").size(), "%d月%d日", &dayMonth, &dayDay), 2)
      << lunar;
  EXPECT_EQ(dayMonth * 100 + dayDay, listMonth * 100 + listDay) << lunar << " vs " << cell;

  // A day before 1582 named in the Gregorian calendar has the lunisolar date
  // of the same day named in the Julian (1500-06-05 is 1500-05-26 there).
  const CliDir mixed;
  const ts::RunResult lunarGregorian = dir.Run({"lunar", "1500-06-05"}), lunarJulian = mixed.Run({"lunar", "1500-05-26"});
  ASSERT_EQ(lunarGregorian.status, 0) << ts::Describe(lunarGregorian);
  EXPECT_EQ(lunarGregorian.out, lunarJulian.out);
  const ts::RunResult dayGregorian = dir.Run({"day", "1500-06-05"}), dayJulian = mixed.Run({"day", "1500-05-26"});
  for (const char* field : {"旧暦", "六曜"}) {
    EXPECT_NE(CliDir::Field(dayGregorian.out, field), "") << field;
    EXPECT_EQ(CliDir::Field(dayGregorian.out, field), CliDir::Field(dayJulian.out, field)) << field;
  }

  const ts::RunResult terms = dir.Run({"terms", "1500"});
  ASSERT_EQ(terms.status, 0) << ts::Describe(terms);
  int springMonth = 0, springDay = 0;
  for (const std::string& line : Lines(terms.out))
    if (line.rfind(" 春分 ", 0) == 0) std::sscanf(line.c_str() + std::string(" 春分 ").size(), "%d/%d", &springMonth, &springDay);
  ASSERT_EQ(springMonth, 3) << terms.out;
  char date[16];
  std::snprintf(date, sizeof date, "1500-03-%02d", springDay);
  const ts::RunResult onSpring = dir.Run({"day", date});
  ASSERT_EQ(onSpring.status, 0) << ts::Describe(onSpring);
  EXPECT_EQ(CliDir::Field(onSpring.out, "二十四節季"), "春分") << date;
}

// The sun at 0° on the day of 春分 2025 prints as 0.0度, never -0.0度.
TEST(CliClock, NoNegativeZeroLongitude) {
  const CliDir dir;
  const ts::RunResult r = dir.Run({"day", "2025-03-20"});
  ASSERT_EQ(r.status, 0) << ts::Describe(r);
  const std::string longitude = CliDir::Field(r.out, "黄経");
  EXPECT_EQ(text::TrimPadding(longitude), "0.0度") << longitude;
}

}  // namespace
