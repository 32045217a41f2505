// The settings file: what a read takes from it (and what it leaves alone), and
// what a write leaves on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/Text.h"
#include "tests/support/TestSupport.h"
#include "almanac/Settings.h"

namespace fs = std::filesystem;

namespace {

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_.emplace(std::string("ombrel-settings-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    dir_ = scratch_->Path();
    path_ = scratch_->File("ombrel.dat");
  }
  void TearDown() override { scratch_.reset(); }

  void Write(const std::string& bytes) { scratch_->Write("ombrel.dat", bytes); }
  std::string Read() const { return testsupport::ReadFile(path_); }

  std::optional<testsupport::ScratchDir> scratch_;
  fs::path dir_;
  std::string path_;
};

// A record with every member away from its default, to see what a read keeps.
SettingsRecord Marked() {
  SettingsRecord s;
  s.m_strLongitude = std::string("1");
  s.m_strLatitude = std::string("2");
  s.m_strAzimuth = std::string("3");
  s.m_nCalendarMode = 4;
  s.m_nSignDisplay = 5;
  s.m_bAutoUpdate = 6;
  s.m_strInterval = std::string("7");
  s.m_bConstellations = 8;
  s.m_bMansions = 9;
  return s;
}

std::string Lines(const SettingsRecord& s) {
  std::ostringstream o;
  o << s.m_strLongitude << '|' << s.m_strLatitude << '|' << s.m_strAzimuth << '|' << s.m_nCalendarMode << '|'
    << s.m_nSignDisplay << '|' << s.m_bAutoUpdate << '|' << s.m_strInterval << '|' << s.m_bConstellations << '|'
    << s.m_bMansions;
  return o.str();
}

TEST_F(SettingsFile, ReadTakesNonEmptyLinesAndKeepsTheRest) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string expected;  // Lines() after reading into Marked()
    int nonEmpty;
  };
  const std::string longLine(150, '0');  // a number of no size: nothing falls back
  const Case cases[] = {
      {"as written", "139.7\n35.6\n0\n0\n0\n0\n1\n1\n0\n", "139.7|35.6|0|0|0|0|1|1|0", 9},
      {"CRLF line ends", "135.5\r\n35\r\n-90\r\n1\r\n1\r\n1\r\n5\r\n0\r\n1\r\n", "135.5|35|-90|1|1|1|5|0|1", 9},
      {"CR line ends", "135.5\r35\r-90\r1\r1\r1\r5\r0\r1\r", "135.5|35|-90|1|1|1|5|0|1", 9},
      {"byte order mark", "\xEF\xBB\xBF" "135.5\n35\n-90\n1\n", "135.5|35|-90|1|5|6|7|8|9", 4},
      {"mark and mixed line ends", "\xEF\xBB\xBF" "135.5\r\n35\r-90\n1\r\n\r1\n", "135.5|35|-90|1|5|1|7|8|9", 5},
      {"no final line end", "135.5\n35", "135.5|35|3|4|5|6|7|8|9", 2},
      {"empty line 4 keeps the mode", "10\n20\n30\n\n1\n", "10|20|30|4|1|6|7|8|9", 4},
      {"lines after the ninth unread", "1\n2\n3\n0\n0\n0\n1\n1\n0\n99\n99\n", "1|2|3|0|0|0|1|1|0", 9},
      {"overlong line cut, rest unread", longLine + "\n20\n", std::string(99, '0') + "|2|3|4|5|6|7|8|9", 1},
      {"99 bytes is not overlong", std::string(99, '0') + "\r\n20\n",
       std::string(99, '0') + "|20|3|4|5|6|7|8|9", 2},
      {"empty file", "", "1|2|3|4|5|6|7|8|9", 0},
      {"NUL ends a line's text", std::string("12\0junk\n", 8) + "34\n", "12|34|3|4|5|6|7|8|9", 2},
      {"not numbers read as 0", "abc\nx\ny\nz\nq\n", "abc|x|y|0|0|6|7|8|9", 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write(c.bytes);
    SettingsRecord s = Marked();
    const SettingsReadResult r = LoadSettings(s, path_.c_str());
    EXPECT_EQ(Lines(s), c.expected);
    EXPECT_EQ(r.nonEmptyLines, c.nonEmpty);
  }
}

TEST_F(SettingsFile, MissingFileChangesNothing) {
  SettingsRecord s = Marked();
  const SettingsReadResult r = LoadSettings(s, (dir_ / "absent.dat").string().c_str());
  EXPECT_EQ(r.nonEmptyLines, 0);
  EXPECT_EQ(Lines(s), Lines(Marked()));
}

TEST_F(SettingsFile, ReadsCp932AndUtf8Texts) {
  for (const std::string& encoded : {text::ToCp932("東経１３９"), std::string("東経１３９")}) {
    Write(encoded + "\n");
    SettingsRecord s;
    LoadSettings(s, path_.c_str());
    EXPECT_EQ(s.m_strLongitude, "東経１３９");
  }
}

TEST_F(SettingsFile, SurvivesGarbageAndHugeFiles) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 7919) & 0xff));
  Write(garbage);
  SettingsRecord s;
  LoadSettings(s, path_.c_str());  // must not crash; the values are whatever the bytes say

  // 64 MiB without a line end: beyond the bound, refused with a warning
  // without reading it, and never rewritten.
  {
    std::ofstream out(path_, std::ios::binary);
    const std::string block(1 << 20, '0');
    for (int i = 0; i < 64; ++i) out << block;
  }
  SettingsRecord h = Marked();
  const SettingsReadResult r = LoadSettings(h, path_.c_str());
  EXPECT_EQ(r.nonEmptyLines, 0);
  EXPECT_EQ(Lines(h), Lines(Marked()));
  EXPECT_EQ(SettingsWarningLines(r), std::vector<std::string>{path_ + ": larger than 1 MiB (67108864 bytes); settings not read"});
  std::string error;
  EXPECT_FALSE(SaveSettings(h, error, path_.c_str()));
  EXPECT_EQ(error, path_ + ": larger than 1 MiB (67108864 bytes); not rewritten");
  EXPECT_EQ(fs::file_size(path_), 64u << 20);
}

// A file that cannot be read is named in a warning and never replaced; one
// that decodes with doubt is read by the rule and named once.
TEST_F(SettingsFile, UnreadableOrDoubtfulFilesAreReported) {
  Write("130\n30\n");
  ASSERT_EQ(::chmod(path_.c_str(), 0200), 0);
  const std::string path = path_;
  EXPECT_TRUE(testsupport::AsUnprivilegedUser(dir_.string(), [&path] {
    SettingsRecord s = Marked();
    const SettingsReadResult r = LoadSettings(s, path.c_str());
    std::string error;
    return Lines(s) == Lines(Marked()) &&
           SettingsWarningLines(r) == std::vector<std::string>{path + ": cannot be read: Permission denied; settings not read"} &&
           !SaveSettings(s, error, path.c_str()) &&
           error == path + ": cannot be read: Permission denied; not rewritten";
  }));
  ASSERT_EQ(::chmod(path_.c_str(), 0600), 0);
  EXPECT_EQ(Read(), "130\n30\n");

  struct Case {
    std::string bytes;
    bool doubtful;
  } cases[] = {
      {"139.7\n35.6\n", false},
      {text::ToCp932("東経\n"), false},
      {"東経\n北緯\n", false},
      {"東経\n北\xE7\n", true},              // UTF-8 with a damaged character
      {"\x81\x7F\n", true},                   // not CP932 either
      {"東経\nabc\n0\n0\n0\n0\n1\n1\n0\n\xFF", false},  // what the nine lines do not reach
  };
  for (const Case& c : cases) {
    Write(c.bytes);
    SettingsRecord s;
    const SettingsReadResult r = LoadSettings(s, path_.c_str());
    EXPECT_EQ(r.warnings.size(), c.doubtful ? 1u : 0u) << c.bytes;
    if (c.doubtful) {
      EXPECT_EQ(SettingsWarningLines(r)[0], path_ + ": neither clean CP932 nor UTF-8; read as CP932");
    }
  }
}

TEST_F(SettingsFile, WritesNineCp932LinesAndReadsThemBack) {
  SettingsRecord s;
  s.m_strLongitude = "139.7";
  s.m_strLatitude = "35.6";
  s.m_strAzimuth = "0";
  std::string error;
  ASSERT_TRUE(SaveSettings(s, error, path_.c_str())) << error;
  EXPECT_EQ(Read(), "139.7\n35.6\n0\n0\n0\n0\n1\n1\n0\n");

  s.m_strInterval = "１０";  // full-width digits as a user might type them
  s.m_nCalendarMode = 1;
  ASSERT_TRUE(SaveSettings(s, error, path_.c_str())) << error;
  EXPECT_EQ(Read(), "139.7\n35.6\n0\n1\n0\n0\n" + text::ToCp932("１０") + "\n1\n0\n");
  SettingsRecord back = Marked();
  LoadSettings(back, path_.c_str());
  EXPECT_EQ(Lines(back), Lines(s));
  // Replaced by rename: no temporary file stays behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(SettingsFile, EveryValueStaysOneReadableLine) {
  SettingsRecord s;
  s.m_strLongitude = "139.7\n35";               // a pasted line break
  s.m_strLatitude = std::string(120, '0');       // longer than a line may be
  s.m_strAzimuth = std::string(98, '1') + "東";  // the kanji would straddle the limit
  s.m_strInterval = "5";
  std::string error;
  ASSERT_TRUE(SaveSettings(s, error, path_.c_str())) << error;
  SettingsRecord back;
  const SettingsReadResult r = LoadSettings(back, path_.c_str());
  EXPECT_EQ(r.nonEmptyLines, 9);
  EXPECT_EQ(back.m_strLongitude, "139.7 35");
  EXPECT_EQ(back.m_strLatitude, std::string(99, '0'));
  EXPECT_EQ(back.m_strAzimuth, std::string(98, '1'));
  EXPECT_EQ(back.m_strInterval, "5");  // the lines after them still read
}

TEST_F(SettingsFile, UnwritableFileIsReportedAndTheOldOneKept) {
  Write("old\n");
  SettingsRecord s;
  std::string error;
  // The directory holding the file has gone: the write cannot even start.
  EXPECT_FALSE(SaveSettings(s, error, (dir_ / "gone" / "ombrel.dat").string().c_str()));
  EXPECT_NE(error.find("ombrel.dat"), std::string::npos) << error;
  // A directory where the file should be: the rename fails, nothing is clobbered.
  fs::create_directories(dir_ / "blocked.dat");
  error.clear();
  EXPECT_FALSE(SaveSettings(s, error, (dir_ / "blocked.dat").string().c_str()));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(fs::is_directory(dir_ / "blocked.dat"));
  EXPECT_FALSE(fs::exists(dir_ / "blocked.dat.tmp"));
  EXPECT_EQ(Read(), "old\n");
}

}  // namespace

// Texts written through the real file read back as written: every half-width
// katakana pair (a per-line guess read ﾘｿ as Arabic and saved it as '?' the
// next time), and a kanji followed by half-width katakana, whose CP932 bytes
// look like one UTF-8 character.
TEST_F(SettingsFile, WhatIsWrittenReadsBackUnchanged) {
  std::vector<std::string> kana;
  for (int b = 0xA1; b <= 0xDF; ++b) kana.push_back(text::FromCp932(std::string(1, static_cast<char>(b))));
  std::vector<std::string> values;
  for (const std::string& a : kana) {
    std::string line;
    for (const std::string& b : kana) {
      if (text::Cp932Width(line + a + b) > 99) {
        values.push_back(line);
        line.clear();
      }
      line += a + b;
    }
    values.push_back(line);
  }
  values.push_back("縲｡ｱ");
  values.push_back("東経ﾃｽ１３９");
  std::string error;
  for (std::size_t i = 0; i < values.size(); i += 2) {
    SettingsRecord s;
    s.m_strAzimuth = values[i];
    s.m_strInterval = i + 1 < values.size() ? values[i + 1] : "1";
    ASSERT_TRUE(SaveSettings(s, error, path_.c_str())) << error;
    SettingsRecord back;
    LoadSettings(back, path_.c_str());
    ASSERT_EQ(Lines(back), Lines(s));
  }
  // The ordinary case stays CP932 on disk.
  SettingsRecord s;
  s.m_strInterval = "ﾘｿ";
  ASSERT_TRUE(SaveSettings(s, error, path_.c_str())) << error;
  EXPECT_NE(Read().find("\xd8\xbf\n"), std::string::npos);
}

// The design's reading stays (text reads as 0, any calendar mode other than 0
// is Gregorian); only values that give plainly wrong places fall back to the
// window's default, one warning each.
TEST_F(SettingsFile, UnusablePlacesFallBackWithOneWarningEach) {
  struct Case {
    const char* file;
    const char* longitude;
    const char* latitude;
    const char* azimuth;
    int warnings;
  } cases[] = {
      {"abc\n35.6xyz\n-45\n7\n", "abc", "35.6xyz", "-45", 0},
      {"nan\ninf\n-inf\n", "139.7", "35.6", "0", 3},
      {"1e308\n999\n1e308\n", "139.7", "35.6", "1e308", 2},
      {"-180\n-90.0\n720\n", "-180", "-90.0", "720", 0},
      {"180.5\n-90.01\nNAN\n", "139.7", "35.6", "0", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Write(c.file);
    SettingsRecord s;
    const SettingsReadResult r = LoadSettings(s, path_.c_str());
    EXPECT_EQ(s.m_strLongitude, c.longitude);
    EXPECT_EQ(s.m_strLatitude, c.latitude);
    EXPECT_EQ(s.m_strAzimuth, c.azimuth);
    EXPECT_EQ(static_cast<int>(r.warnings.size()), c.warnings);
    for (const std::string& w : SettingsWarningLines(r)) EXPECT_EQ(w.find("ombrel.dat line "), 0u) << w;
  }
  Write("1\n2\n3\n7\n");
  SettingsRecord s;
  LoadSettings(s, path_.c_str());
  EXPECT_EQ(s.m_nCalendarMode, 7);
}
