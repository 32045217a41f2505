// Generated input, from fixed seeds so that every run sees the same cases:
// the settings reader, the anniversaries reader, the date fields as the day
// panel reads them, and argument vectors through the built ombrel-cli.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "HardeningSupport.h"
#include "caldb/Dao.h"
#include "core/Text.h"
#include "signs/Observances.h"
#include "almanac/DayPanel.h"
#include "tests/support/TestMoment.h"
#include "almanac/Settings.h"

using namespace hardening;

namespace {

using Random = std::mt19937;

int Pick(Random& r, int n) { return static_cast<int>(r() % static_cast<unsigned>(n)); }

// Pieces the generated texts are made of: numbers good and bad, separators,
// line ends, CP932 and UTF-8 kanji, broken multibyte sequences, raw bytes.
std::string Piece(Random& r) {
  static const std::vector<std::string> pieces = {
      "0",     "1",     "12",   "2024", "139.7", "-35.6", "1e308", "99999999", "nan", "inf", "-",
      ".",     "e",     "+",    " ",    ",",     ":",     "\n",    "\r\n",     "\r",  "\t",  std::string(1, '\0'),
      "祝",    "日",    "\x93\xfa", "\x82\xa0", "\x81", "\xef\xbb\xbf", "\xe6\x97", "\xff\xfe", "ﾀ",   "0x1p9",
  };
  if (Pick(r, 8) == 0) return std::string(1, static_cast<char>(r()));
  if (Pick(r, 40) == 0) return std::string(static_cast<std::size_t>(Pick(r, 300)), static_cast<char>('0' + Pick(r, 10)));
  return pieces[static_cast<std::size_t>(Pick(r, static_cast<int>(pieces.size())))];
}

std::string RandomText(Random& r, int maxPieces) {
  std::string s;
  for (int n = Pick(r, maxPieces + 1); n > 0; --n) s += Piece(r);
  return s;
}

// A file of lines of random pieces, sometimes in the anniversaries' layout.
std::string RandomFile(Random& r) {
  std::string s;
  for (int lines = Pick(r, 14); lines > 0; --lines) {
    if (Pick(r, 2) == 0)
      s += RandomText(r, 3) + ":" + RandomText(r, 4) + "," + std::to_string(Pick(r, 14)) + "," +
           std::to_string(Pick(r, 33));
    else
      s += RandomText(r, 8);
    s += Pick(r, 4) == 0 ? "\r\n" : "\n";
  }
  return s;
}

// True when a line of a saved file cannot read back as it was saved: its
// bytes beyond ASCII also spell UTF-8 (read so, as either encoding is
// accepted), or it ends in a CR (read as part of a CRLF line end).
bool ReadsDifferently(const std::string& cp932) {
  std::size_t start = 0;
  while (start < cp932.size()) {
    std::size_t end = cp932.find('\n', start);
    if (end == std::string::npos) end = cp932.size();
    const std::string_view line(cp932.data() + start, end - start);
    const bool ascii = std::all_of(line.begin(), line.end(), [](char c) { return (c & 0x80) == 0; });
    if ((!ascii && text::IsValidUtf8(line)) || (!line.empty() && line.back() == '\r')) return true;
    start = end + 1;
  }
  return false;
}

bool FitsALine(const std::string& utf8) { return text::IsValidUtf8(utf8) && text::Cp932Width(utf8) <= 99; }

}  // namespace

// Whatever the file holds, the read gives at most nine lines of printable
// text that fit a line, and what is saved reads back as it was saved.
TEST(Randomized, SettingsReader) {
  WorkDir dir("rsettings");
  Random r(20261210);
  for (int i = 0; i < 400; ++i) {
    const std::string bytes = RandomFile(r);
    dir.Write("ombrel.dat", bytes);
    SettingsRecord s;
    const SettingsReadResult read = LoadSettings(s, dir.File("ombrel.dat").c_str());
    ASSERT_LE(read.nonEmptyLines, 9);
    for (const std::string* t : {&s.m_strLongitude, &s.m_strLatitude, &s.m_strAzimuth, &s.m_strInterval})
      ASSERT_TRUE(FitsALine(*t)) << testing::PrintToString(bytes);
    if (i % 10 != 0) continue;  // saving syncs the disk: a sample is enough

    std::string error;
    ASSERT_TRUE(SaveSettings(s, error, dir.File("ombrel.dat").c_str())) << error;
    const std::string saved = ReadFile(dir.File("ombrel.dat"));
    SettingsRecord again;
    LoadSettings(again, dir.File("ombrel.dat").c_str());
    ASSERT_TRUE(SaveSettings(again, error, dir.File("ombrel.dat").c_str())) << error;
    if (!ReadsDifferently(saved)) {
      ASSERT_EQ(ReadFile(dir.File("ombrel.dat")), saved) << testing::PrintToString(bytes);
    }
  }
}

// At most 600 anniversaries of printable text that fits a line, and each one
// is found again on its own month and day.
TEST(Randomized, AnniversariesReader) {
  WorkDir dir("ranniv");
  Random r(7001);
  for (int i = 0; i < 400; ++i) {
    const std::string bytes = RandomFile(r);
    const std::vector<Anniversary> list = ReadAnniversaries(dir.Write("kinenbi.dat", bytes));
    ASSERT_LE(list.size(), 600u);
    for (const Anniversary& a : list) {
      ASSERT_TRUE(FitsALine(a.text)) << testing::PrintToString(bytes);
      if (a.month != a.month) continue;  // a line without two commas never matches
      const std::vector<std::string> on = AnniversariesOn(list, a.month, a.day);
      ASSERT_NE(std::find(on.begin(), on.end(), a.text), on.end()) << testing::PrintToString(bytes);
    }
  }
}

// Date texts as a user may leave them in the form: the panel, its lists and
// its fields come out printable, quickly, or the database's error ends it.
TEST(Randomized, DateFieldsThroughTheDayPanel) {
  Random r(42);
  const Ephemeris& ephemeris = EphemerisOf(AstroModel::Design);
  auto field = [&](const char* sensible) {
    switch (Pick(r, 4)) {
      case 0: return std::string(sensible);
      case 1: return std::to_string(static_cast<int>(r() % 4000) - 1000);
      case 2: return std::to_string(static_cast<double>(static_cast<int>(r())) / 1e3);
      default: return RandomText(r, 4);
    }
  };
  for (int i = 0; i < 150; ++i) {
    DayPanel p;
    p.m_strYear = field("2024");
    p.m_strMonth = field(" 6");
    p.m_strDay = field("15");
    p.m_strHour = field("12.5");
    SCOPED_TRACE(testing::PrintToString(std::vector<std::string>{p.m_strYear, p.m_strMonth, p.m_strDay, p.m_strHour}));
    const auto start = std::chrono::steady_clock::now();
    try {
      FillDayPanel(p, ReadFormMoment(p, p.m_strHour, testsupport::TokyoMoment(2000, 1, 1, 12.0)), ephemeris,
                   OMBREL_DB_PATH);
    } catch (const CDaoException&) {
    }
    FillSelectedDays(p);
    FillSeasonalDays(p, ephemeris, std::string(OMBREL_FIXTURES) + "/signs/kinenbi-cp932.dat", {});
    FillPhaseList(p, ephemeris);
    FillTermList(p, ephemeris);
    ASSERT_LT(std::chrono::steady_clock::now() - start, testsupport::kHangLimit);
    for (const auto& [label, value] : DayPanelFields(p)) ASSERT_TRUE(text::IsValidUtf8(value)) << label;
  }
}

// Random argument vectors through the real tool: each ends by itself with
// 0, 1 or 2, within the time limit, never by a signal, and a failure is one
// line on stderr.
TEST(Randomized, CliArguments) {
  WorkDir dir("rcli");
  dir.CopyDatabase();
  Random r(1234567);
  const std::vector<std::string> commands = {"terms", "phases", "lunar", "western",  "bodies", "day",
                                             "yearlist", "astrodata", "help", "--help", "--version", "nosuch"};
  const std::vector<std::string> options = {"--lon",    "--lat",      "--hour",  "--output", "--month", "--day",
                                            "--leap",   "--layout",   "western", "lunisolar", "--signs", "six-day",
                                            "--calendar", "julian",   "--encoding", "utf-8", "cp932",  "--help",
                                            "out.csv",  "sub/out.csv", ".",      "--output=out.csv", "--",   "-h"};
  auto argument = [&]() -> std::string {
    switch (Pick(r, 6)) {
      case 0: return std::to_string(Pick(r, 2400) - 200);
      case 1:
        return std::to_string(Pick(r, 3000) - 500) + "-" + std::to_string(Pick(r, 15) - 1) + "-" +
               std::to_string(Pick(r, 34) - 1);
      case 2: return std::to_string(Pick(r, 2600) / 100.0 - 1);
      case 3: {
        std::string t = RandomText(r, 3);
        t.erase(std::remove(t.begin(), t.end(), '\0'), t.end());  // an argument cannot hold a NUL
        return t;
      }
      default: return options[static_cast<std::size_t>(Pick(r, static_cast<int>(options.size())))];
    }
  };
  std::vector<std::vector<std::string>> argLists;
  for (int i = 0; i < 250; ++i) {
    std::vector<std::string> args = {commands[static_cast<std::size_t>(Pick(r, static_cast<int>(commands.size())))]};
    for (int n = Pick(r, 7); n > 0; --n) args.push_back(argument());
    argLists.push_back(args);
  }
  const std::vector<CliRun> runs = RunCliAll(dir, argLists, std::chrono::seconds(20));
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const CliRun& run = runs[i];
    ASSERT_TRUE(run.Exited() && run.status <= 2) << testing::PrintToString(argLists[i]) << " " << Describe(run);
    if (run.status != 0) {
      ASSERT_TRUE(IsOneLineError(run.err)) << testing::PrintToString(argLists[i]) << run.err;
    }
  }
}
