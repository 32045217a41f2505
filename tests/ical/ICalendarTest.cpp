#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ical/AlmanacCalendar.h"
#include "ical/ICalendar.h"
#include "tests/support/TestSupport.h"

namespace {

// Reads a calendar file with Debian's python3-icalendar and reports what it
// found as JSON: the calendar's VERSION and PRODID and, per event, its UID,
// whether DTSTAMP is there, DTSTART as written, whether it is a DATE, and the
// SUMMARY as the parser unescaped it.
const char* const kParser = R"(
import sys, json, icalendar
cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
out = {'version': str(cal.get('VERSION')), 'prodid': str(cal.get('PRODID')), 'events': []}
for e in cal.walk('VEVENT'):
    s = e.get('DTSTART')
    out['events'].append({'uid': str(e.get('UID')), 'dtstamp': e.get('DTSTAMP') is not None,
                          'start': s.to_ical().decode() if s is not None else '',
                          'date': s is not None and s.params.get('VALUE') == 'DATE',
                          'summary': str(e.get('SUMMARY'))})
print(json.dumps(out, ensure_ascii=False))
)";

nlohmann::json ParseWithIcalendar(const std::string& file) {
  const testsupport::RunResult r = testsupport::Run({"/usr/bin/python3", "-c", kParser, file});
  EXPECT_EQ(r.status, 0) << testsupport::Describe(r);
  return nlohmann::json::parse(r.out, nullptr, false);
}

// Every physical line ends in CRLF, holds at most 75 octets and starts on a
// character boundary.
void ExpectFoldedLines(const std::string& text) {
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find("\r\n", at);
    ASSERT_NE(end, std::string::npos) << "a line without CRLF at " << at;
    const std::string line = text.substr(at, end - at);
    EXPECT_LE(line.size(), 75u) << line;
    EXPECT_EQ(line.find('\n'), std::string::npos) << line;
    const std::size_t first = line.rfind(' ', 0) == 0 ? 1 : 0;
    if (line.size() > first) {
      EXPECT_NE(static_cast<unsigned char>(line[first]) & 0xC0, 0x80) << line;
    }
    at = end + 2;
  }
}

TEST(ICalendar, LongSummaryIsFoldedAndEscapedAndReadsBackWhole) {
  std::string summary = "春分, 秋分; 夏至\\冬至\n";
  for (int i = 0; i < 12; ++i) summary += "二十四節気,七十二候;";
  ical::Event e;
  e.uid = ical::MakeUid("observance", 2026, 3, 20, summary);
  e.summary = summary;
  e.year = 2026, e.month = 3, e.day = 20;
  const std::string text = ical::WriteCalendar({e}, 0);
  ExpectFoldedLines(text);

  // Unfolded, the SUMMARY line is the escaped text.
  std::string unfolded;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find("\r\n", at);
    if (text[at] == ' ') unfolded += text.substr(at + 1, end - at - 1);
    else unfolded += "\n" + text.substr(at, end - at);
    at = end + 2;
  }
  EXPECT_NE(unfolded.find("\nSUMMARY:春分\\, 秋分\\; 夏至\\\\冬至\\n二十四節気\\,七十二候\\;"), std::string::npos) << unfolded;

  const testsupport::ScratchDir dir("ical");
  const nlohmann::json parsed = ParseWithIcalendar(dir.Write("long.ics", text));
  ASSERT_EQ(parsed["events"].size(), 1u);
  EXPECT_EQ(parsed["events"][0]["summary"], summary);
  EXPECT_EQ(parsed["events"][0]["start"], "20260320");
  EXPECT_EQ(parsed["version"], "2.0");
}

// Control characters and bytes that are not UTF-8 (a damaged database or
// anniversaries file) never reach the file: a reader sees them written out.
TEST(ICalendar, ControlCharactersAndInvalidUtf8AreWrittenOut) {
  const struct {
    std::string summary, read;
  } cases[] = {
      {"bell\x07 escape\x1b[31m", "bell\\x07 escape\\x1B[31m"},
      {"C1 \xC2\x85 DEL\x7F", "C1 \\x85 DEL\\x7F"},
      {"bad \xFF\xFE byte \xE6\x98", "bad \uFFFD\uFFFD byte \uFFFD\uFFFD"},
      {"line\r\nend", "line\nend"},
  };
  const testsupport::ScratchDir dir("icalctl");
  for (const auto& c : cases) {
    ical::Event e;
    e.uid = ical::MakeUid("anniversary", 2026, 1, 1, c.summary);
    e.summary = c.summary;
    e.year = 2026, e.month = 1, e.day = 1;
    const std::string text = ical::WriteCalendar({e}, 0);
    for (std::size_t i = 0; i < text.size(); ++i) {
      const unsigned char ch = static_cast<unsigned char>(text[i]);
      const bool lineEnd = text.compare(i, 2, "\r\n") == 0 || (i > 0 && text.compare(i - 1, 2, "\r\n") == 0);
      EXPECT_TRUE(ch >= 0x20 || lineEnd) << c.read << " byte " << i;
      EXPECT_NE(ch, 0x7F) << c.read;
    }
    const nlohmann::json parsed = ParseWithIcalendar(dir.Write("ctl.ics", text));
    ASSERT_EQ(parsed["events"].size(), 1u);
    EXPECT_EQ(parsed["events"][0]["summary"], c.read);
  }
}

TEST(ICalendar, KindsList) {
  unsigned kinds = 0;
  std::string bad;
  EXPECT_TRUE(ical::ParseKinds("holidays,terms", kinds, bad));
  EXPECT_EQ(kinds, ical::kHolidays | ical::kTerms);
  for (const char* wrong : {"", "terms,", "moons", "terms,,phases"}) {
    EXPECT_FALSE(ical::ParseKinds(wrong, kinds, bad)) << wrong;
  }
}

// The almanac's year through the real program: parsed by a real iCalendar
// reader with every required property, one event per kind and day where
// expected, and the same UIDs when the year is written again.
TEST(ICalendar, YearFileFromTheCli) {
  const testsupport::ScratchDir dir("icsyear");
  dir.CopyDatabase();
  const std::string file = dir.File("2026.ics");
  ASSERT_EQ(testsupport::RunCli({"--workdir", dir.Path(), "ics", "2026", "--output", file}).status, 0);
  const std::string text = testsupport::ReadFile(file);
  ExpectFoldedLines(text);
  const nlohmann::json cal = ParseWithIcalendar(file);
  EXPECT_EQ(cal["version"], "2.0");
  EXPECT_NE(cal["prodid"].get<std::string>().find("Ombrel"), std::string::npos);

  std::map<std::string, int> perKind;
  std::set<std::string> uids;
  bool newYear = false, spring = false, lunar = false;
  for (const auto& e : cal["events"]) {
    const std::string uid = e["uid"], start = e["start"], summary = e["summary"];
    EXPECT_TRUE(e["dtstamp"]) << uid;
    EXPECT_TRUE(uids.insert(uid).second) << "duplicate " << uid;
    const std::string kind = uid.substr(9, uid.find('-', 9) - 9);
    ++perKind[kind];
    const bool timed = kind == "term" || kind == "phase" || kind == "eclipse";
    EXPECT_EQ(e["date"].get<bool>(), !timed) << uid;
    if (timed) {
      EXPECT_EQ(start.size(), 16u) << start;  // YYYYMMDDTHHMMSSZ
    }
    newYear |= kind == "holiday" && start == "20260101" && summary == "元日";
    // The almanac's 春分 2026-03-20 23:30:52 JST is 14:30:52 UTC.
    spring |= kind == "term" && summary == "春分" && start == "20260320T143052Z";
    lunar |= kind == "lunar" && start == "20261210" && summary == "旧暦 11月2日";
  }
  EXPECT_TRUE(newYear && spring && lunar) << newYear << spring << lunar;
  EXPECT_EQ(perKind["term"], 24);
  EXPECT_GE(perKind["phase"], 48);
  EXPECT_EQ(perKind["holiday"], 18);
  EXPECT_EQ(perKind["sixday"], 365);
  EXPECT_EQ(perKind["lunar"], 365);
  EXPECT_EQ(perKind["eclipse"], 2);  // 2026-03-03 total and 2026-08-28 partial lunar; no solar one from Tokyo
  EXPECT_GT(perKind["observance"], 100);

  ASSERT_EQ(testsupport::RunCli({"--workdir", dir.Path(), "ics", "2026", "--output", file, "--what", "holidays,terms"}).status, 0);
  std::set<std::string> again;
  const nlohmann::json rewritten = ParseWithIcalendar(file);
  for (const auto& e : rewritten["events"]) again.insert(e["uid"].get<std::string>());
  EXPECT_EQ(again.size(), 24u + 18u);
  EXPECT_TRUE(std::includes(uids.begin(), uids.end(), again.begin(), again.end()));
}

// The eclipses as two independent readers see them (python3-icalendar and
// python3-vobject): per event its SUMMARY, DESCRIPTION and its start and
// end as UTC "YYYY-MM-DDTHH:MM:SS".
const char* const kEclipseReaders[] = {R"(
import sys, json, icalendar
cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
out = []
for e in cal.walk('VEVENT'):
    out.append({'summary': str(e.get('SUMMARY')), 'description': str(e.get('DESCRIPTION')),
                'start': e.decoded('DTSTART').strftime('%Y-%m-%dT%H:%M:%S%z'),
                'end': e.decoded('DTEND').strftime('%Y-%m-%dT%H:%M:%S%z')})
print(json.dumps(out, ensure_ascii=False))
)",
                                       R"(
import sys, json, vobject
cal = vobject.readOne(open(sys.argv[1], encoding='utf-8').read())
out = []
for e in cal.vevent_list:
    out.append({'summary': e.summary.value, 'description': e.description.value,
                'start': e.dtstart.value.strftime('%Y-%m-%dT%H:%M:%S%z'),
                'end': e.dtend.value.strftime('%Y-%m-%dT%H:%M:%S%z')})
print(json.dumps(out, ensure_ascii=False))
)"};

// "2025-09-08T01:26:48+09:00" as UTC "2025-09-07T16:26:48+0000" (whole-hour
// zones east of Greenwich, as the eclipses' test years have).
std::string AsUtc(const std::string& zoned) {
  std::tm t{};
  strptime(zoned.substr(0, 19).c_str(), "%Y-%m-%dT%H:%M:%S", &t);
  const int offset = std::stoi(zoned.substr(19, 3)) * 3600;
  std::time_t at = timegm(&t) - offset;
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S+0000", gmtime_r(&at, &t));
  return text;
}

// `ics --what eclipses` writes every lunar eclipse of the year and the solar
// eclipses `eclipses` lists for the settings' place, each from its first to
// its last contact; both readers read the same events, whose times are the
// eclipses command's.
TEST(ICalendar, EclipsesReadByTwoParsers) {
  const testsupport::ScratchDir dir("icsecl");
  dir.CopyDatabase();
  for (const char* year : {"2025", "2035"}) {
    SCOPED_TRACE(year);
    const std::string file = dir.File(std::string(year) + ".ics");
    ASSERT_EQ(testsupport::RunCli({"--workdir", dir.Path(), "ics", year, "--output", file, "--what", "eclipses"}).status, 0);
    ExpectFoldedLines(testsupport::ReadFile(file));
    const testsupport::RunResult listed = testsupport::RunCli({"--workdir", dir.Path(), "--json", "eclipses", year});
    const nlohmann::json eclipses = nlohmann::json::parse(listed.out, nullptr, false);
    std::vector<std::vector<std::string>> want;  // start, end, summary
    for (const auto& e : eclipses["lunar"])
      want.push_back({AsUtc(e["contacts"]["P1"]), AsUtc(e["contacts"]["P4"]), e["kind"]});
    for (const auto& e : eclipses["solar"]) want.push_back({AsUtc(e["begin"]), AsUtc(e["end"]), e["kind"]});
    ASSERT_FALSE(want.empty());
    nlohmann::json first;
    for (const char* reader : kEclipseReaders) {
      const testsupport::RunResult r = testsupport::Run({"/usr/bin/python3", "-c", reader, file});
      ASSERT_EQ(r.status, 0) << testsupport::Describe(r);
      const nlohmann::json events = nlohmann::json::parse(r.out, nullptr, false);
      if (first.is_null()) first = events;
      EXPECT_EQ(events, first);
      ASSERT_EQ(events.size(), want.size()) << r.out;
      for (std::size_t i = 0; i < want.size(); ++i) {
        const auto& e = events[i];
        EXPECT_EQ(e["start"], want[i][0]);
        EXPECT_EQ(e["end"], want[i][1]);
        const std::string summary = e["summary"], description = e["description"];
        const std::map<std::string, std::string> names = {
            {"total", "皆既"}, {"partial", "部分"}, {"penumbral", "半影"}, {"annular", "金環"}};
        EXPECT_EQ(summary.rfind(names.at(want[i][2]), 0), 0u) << summary;
        EXPECT_NE(description.find("食の最大 "), std::string::npos) << description;
        EXPECT_NE(description.find("食分 "), std::string::npos) << description;
      }
    }
  }
}

TEST(ICalendar, BadRequestsWriteNothing) {
  const testsupport::ScratchDir dir("icsbad");
  dir.CopyDatabase();
  const std::string file = dir.File("out.ics");
  const struct {
    std::vector<std::string> args;
    int status;
  } cases[] = {
      {{"ics", "1582", "--output", file}, 2},
      {{"ics", "2101", "--output", file}, 2},
      {{"ics", "2026", "--output", file, "--what", "terms,tides"}, 2},
      {{"ics", "2026"}, 2},
      {{"ics", "2026", "--output", dir.File("missing/out.ics")}, 1},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv = {"--workdir", dir.Path()};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const testsupport::RunResult r = testsupport::RunCli(argv);
    EXPECT_EQ(r.status, c.status) << c.args[1] << testsupport::Describe(r);
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_FALSE(std::filesystem::exists(file));
  }
}

}  // namespace
