// The zone's clock where it changes, through the real ombrel-cli: rise,
// transit and set on the days summer time begins and ends and at Japan's
// switch to standard time, summer time after the last change a zone's file
// lists, typed hours the clock skipped or showed twice, and the tz
// database's files read defensively.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/TestSupport.h"

namespace {

namespace ts = testsupport;
namespace fs = std::filesystem;

class Dir : public ts::ScratchDir {
 public:
  Dir() : ScratchDir("cli_clock_change") { CopyDatabase(); }
  ts::RunResult Run(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--workdir", Path()});
    return ts::RunCli(args);
  }
};

// A body's row of `bodies`: rise, transit, set ("--:--:--" where none).
std::vector<std::string> Times(const std::string& out, const std::string& name) {
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(name + " ", 0) != 0) continue;
    std::istringstream in(line);
    std::vector<std::string> fields(4);
    for (std::string& f : fields) in >> f;
    return {fields[1], fields[2], fields[3]};
  }
  return {};
}

int Seconds(const std::string& hms) {
  int h = 0, m = 0, s = 0;
  if (std::sscanf(hms.c_str(), "%d:%d:%d", &h, &m, &s) != 3) return -1;
  return h * 3600 + m * 60 + s;
}

// The text after "<label>\t" on `day`'s line of that label.
std::string Field(const std::string& out, const std::string& label) {
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind(label + "\t", 0) == 0) return line.substr(label.size() + 1);
  return "<no " + label + ">";
}

struct DayCase {
  const char* zone;
  const char* date;
  const char* lon;
  const char* lat;
};

// The days a clock changes (New York, London, Sydney in 2026, both ways) and
// Japan's switch from mean time to JST: the precise model's rise, transit and
// set of the sun and the moon are the design model's to a minute, on the
// day's own clock (before, they were an hour or 18 minutes off, and a rise
// after midnight showed on the day before).
TEST(ClockChange, RiseTransitSetOnTheDaysClock) {
  const Dir dir;
  const DayCase cases[] = {
      {"America/New_York", "2026-03-08", "-74.006", "40.7128"},  {"America/New_York", "2026-11-01", "-74.006", "40.7128"},
      {"Europe/London", "2026-03-29", "-0.1276", "51.5072"},     {"Europe/London", "2026-10-25", "-0.1276", "51.5072"},
      {"Australia/Sydney", "2026-04-05", "151.2093", "-33.8688"}, {"Australia/Sydney", "2026-10-04", "151.2093", "-33.8688"},
      {"Asia/Tokyo", "1888-01-01", "139.7", "35"},
  };
  for (const DayCase& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + " " + c.date);
    const std::vector<std::string> args = {"--zone", c.zone, "bodies", c.date, "--lon", c.lon, "--lat", c.lat};
    std::vector<std::string> preciseArgs = args;
    preciseArgs.insert(preciseArgs.begin(), "--precise");
    const ts::RunResult design = dir.Run(args), precise = dir.Run(preciseArgs);
    ASSERT_EQ(design.status, 0) << ts::Describe(design);
    ASSERT_EQ(precise.status, 0) << ts::Describe(precise);
    for (const char* body : {"太陽", "月"}) {
      const std::vector<std::string> d = Times(design.out, body), p = Times(precise.out, body);
      ASSERT_EQ(d.size(), 3u) << design.out;
      ASSERT_EQ(p.size(), 3u) << precise.out;
      for (int i = 0; i < 3; ++i) {
        // The design's transit is the crossing of the south, which a body
        // culminating in the north (Sydney) never makes.
        if (i == 1 && Seconds(d[i]) < 0 && std::string(c.zone) == "Australia/Sydney") continue;
        if (Seconds(d[i]) < 0 || Seconds(p[i]) < 0) {
          EXPECT_EQ(p[i], d[i]) << body << " event " << i;
        } else {
          EXPECT_NEAR(Seconds(p[i]), Seconds(d[i]), 60) << body << " event " << i << ": " << p[i] << " vs " << d[i];
        }
      }
    }
  }
  // The instants themselves, in the precise model.
  const struct {
    DayCase day;
    const char* body;
    int event;  // 0 rise, 1 transit, 2 set
    const char* time;
  } pinned[] = {
      {{"America/New_York", "2026-03-08", "-74.006", "40.7128"}, "太陽", 0, "07:18:46"},
      {{"America/New_York", "2026-03-08", "-74.006", "40.7128"}, "太陽", 2, "18:55:17"},
      {{"America/New_York", "2026-03-08", "-74.006", "40.7128"}, "月", 0, "--:--:--"},  // 00:41:48 on the 9th
      {{"America/New_York", "2026-03-09", "-74.006", "40.7128"}, "月", 0, "00:41:48"},
      {{"America/New_York", "2026-11-01", "-74.006", "40.7128"}, "太陽", 0, "06:26:20"},
      {{"America/New_York", "2026-11-01", "-74.006", "40.7128"}, "月", 0, "23:13:52"},
      {{"Asia/Tokyo", "1888-01-01", "139.7", "35"}, "太陽", 0, "06:49:16"},
  };
  for (const auto& c : pinned) {
    const ts::RunResult r =
        dir.Run({"--precise", "--zone", c.day.zone, "bodies", c.day.date, "--lon", c.day.lon, "--lat", c.day.lat});
    ASSERT_EQ(r.status, 0) << ts::Describe(r);
    const std::vector<std::string> t = Times(r.out, c.body);
    ASSERT_EQ(t.size(), 3u) << r.out;
    if (Seconds(c.time) < 0) {
      EXPECT_EQ(t[c.event], c.time) << c.day.date << " " << c.body;
    } else {
      EXPECT_NEAR(Seconds(t[c.event]), Seconds(c.time), 2) << c.day.date << " " << c.body << " " << t[c.event];
    }
  }
}

// After 2037, the last year the system's zone files list, summer time goes on
// by the rule at each file's end: sunrise in New York in July is EDT in both
// models, and the 2045 eclipse seen from Dallas is stamped CDT.
TEST(ClockChange, SummerTimeAfterTheZoneFilesLastChange) {
  const Dir dir;
  for (const bool precise : {false, true}) {
    std::vector<std::string> args = {"--zone", "America/New_York", "bodies", "2038-07-01", "--lon", "-74.006", "--lat", "40.7128"};
    if (precise) args.insert(args.begin(), "--precise");
    const ts::RunResult r = dir.Run(args);
    ASSERT_EQ(r.status, 0) << ts::Describe(r);
    const std::vector<std::string> sun = Times(r.out, "太陽");
    ASSERT_EQ(sun.size(), 3u) << r.out;
    EXPECT_NEAR(Seconds(sun[0]), Seconds("05:28:40"), 60) << sun[0] << (precise ? " precise" : " design");
  }
  const ts::RunResult eclipses =
      dir.Run({"--zone", "America/Chicago", "--json", "eclipses", "2045", "--lon", "-96.80", "--lat", "32.78"});
  ASSERT_EQ(eclipses.status, 0) << ts::Describe(eclipses);
  const nlohmann::json doc = nlohmann::json::parse(eclipses.out);
  ASSERT_FALSE(doc["solar"].empty()) << eclipses.out;
  EXPECT_EQ(doc["solar"][0]["peak"].get<std::string>().substr(0, 10), "2045-08-12");
  for (const char* key : {"begin", "peak", "end"}) {
    const std::string stamp = doc["solar"][0][key];
    EXPECT_EQ(stamp.substr(stamp.size() - 6), "-05:00") << stamp;
  }
}

// A typed hour the clock skipped is taken as far past the change as it was
// typed, a repeated one as the earlier; either is said on stderr and in the
// JSON document's "warning". An hour the clock shows once says nothing.
TEST(ClockChange, SkippedAndRepeatedHoursAreSaid) {
  const Dir dir;
  const struct {
    const char* date;
    const char* hour;
    const char* said;   // in the warning; "" for none
    const char* taken;  // the moment named, "" for none
  } cases[] = {
      {"2026-03-08", "2.5", "does not exist", "2026-03-08T03:30:00-04:00"},
      {"2026-11-01", "1.5", "happens twice", "2026-11-01T01:30:00-04:00"},
      {"2026-11-01", "3", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.date) + " " + c.hour);
    const ts::RunResult text = dir.Run({"--zone", "America/New_York", "day", c.date, c.hour});
    const ts::RunResult json = dir.Run({"--zone", "America/New_York", "--json", "day", c.date, c.hour});
    ASSERT_EQ(text.status, 0) << ts::Describe(text);
    ASSERT_EQ(json.status, 0) << ts::Describe(json);
    const nlohmann::json doc = nlohmann::json::parse(json.out);
    if (!*c.said) {
      EXPECT_EQ(text.err, "");
      EXPECT_FALSE(doc.contains("warning"));
      continue;
    }
    EXPECT_EQ(text.err.rfind("ombrel-cli: warning: ", 0), 0u) << text.err;
    for (const std::string& part : {std::string(c.said), std::string(c.taken), std::string("America/New_York")}) {
      EXPECT_NE(text.err.find(part), std::string::npos) << text.err;
      EXPECT_NE(doc.value("warning", "").find(part), std::string::npos) << doc.dump();
    }
  }
}

// Japan, a name of Asia/Tokyo's file, keeps JST in the summer of 1950 as
// Asia/Tokyo does.
TEST(ClockChange, JapanIsAsiaTokyo) {
  const Dir dir;
  const ts::RunResult tokyo = dir.Run({"--zone", "Asia/Tokyo", "day", "1950-06-15", "12"});
  const ts::RunResult japan = dir.Run({"--zone", "Japan", "day", "1950-06-15", "12"});
  ASSERT_EQ(japan.status, 0) << ts::Describe(japan);
  EXPECT_EQ(japan.out, tokyo.out);
  EXPECT_EQ(Field(japan.out, "日の出").empty(), false);
}

// A tz directory ($TZDIR) with damaged files under zone names: each is one
// clear refusal naming the zone (exit 2), never a crash, an abort or a wait
// on a FIFO; a good copy of a zone works, and a copy of Asia/Tokyo's file
// keeps Japan's rules. An empty --zone is refused too.
TEST(ClockChange, DamagedTzDirectoryFilesAreRefused) {
  const Dir dir;
  const ts::ScratchDir tz("fake_tzdir");
  const fs::path root = tz.Path();
  const std::string tokyo = ts::ReadFile("/usr/share/zoneinfo/Asia/Tokyo");
  ASSERT_GT(tokyo.size(), 44u);
  auto write = [&](const std::string& name, const std::string& bytes) {
    fs::create_directories((root / name).parent_path());
    std::ofstream(root / name, std::ios::binary) << bytes;
  };
  write("Asia/Tokyo", tokyo);
  write("Good/Tokyo", tokyo);
  write("America/New_York", ts::ReadFile("/usr/share/zoneinfo/America/New_York"));
  write("Bad/Cut", tokyo.substr(0, 60));
  write("Bad/Empty", "");
  write("Bad/Text", "Asia/Tokyo\n");
  // A header whose counts claim gigabytes.
  write("Bad/Counts", "TZif2" + std::string(15, '\0') + std::string(24, '\x7f'));
  fs::create_directories(root / "Bad/Directory");
  ASSERT_EQ(::mkfifo((root / "Bad/Fifo").c_str(), 0600), 0);
  const ts::ScopedEnvironment tzdir("TZDIR", root.string());

  for (const char* name : {"Bad/Cut", "Bad/Empty", "Bad/Text", "Bad/Counts", "Bad/Directory", "Bad/Fifo"}) {
    const ts::RunResult r = dir.Run({"--zone", name, "day", "2026-01-01", "12"});
    EXPECT_EQ(r.status, 2) << name << ": " << ts::Describe(r);
    EXPECT_NE(r.err.find(std::string("'") + name + "'"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  }
  const ts::RunResult good = dir.Run({"--zone", "America/New_York", "day", "2026-07-01", "12"});
  EXPECT_EQ(good.status, 0) << ts::Describe(good);
  const ts::RunResult japan = dir.Run({"--zone", "Good/Tokyo", "day", "1950-06-15", "12"});
  const ts::RunResult asiaTokyo = dir.Run({"--zone", "Asia/Tokyo", "day", "1950-06-15", "12"});
  ASSERT_EQ(japan.status, 0) << ts::Describe(japan);
  EXPECT_EQ(japan.out, asiaTokyo.out);

  const ts::RunResult empty = dir.Run({"--zone", "", "day"});
  EXPECT_EQ(empty.status, 2) << ts::Describe(empty);
  EXPECT_NE(empty.err.find("--zone: the time zone name is empty"), std::string::npos) << empty.err;
}

}  // namespace
