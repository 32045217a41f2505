#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/Text.h"
#include "signs/Observances.h"
#include "signs/Signs.h"
#include "tests/support/TestSupport.h"

using Items = std::vector<std::string>;

namespace {

// A noon JulianDay whose sixty-day count d (甲子 1 … 癸亥 0) is the one given;
// 2000-01-01 (戊午) has d = 55.
double DayWithCount(int d) { return 2451544.625 + ((d - 55) % 60 + 60) % 60; }

}  // namespace

TEST(SelectedDays, RulesBySolarMonthBranchAndStem) {
  struct Case {
    int month, branch, stem;
    Items want;
  } cases[] = {
      {1, 11, 3, {"黒日 くろび"}},
      {12, 10, 2, {"黒日 くろび", "天火日　てんかにち"}},
      {5, 7, 0, {"復日　ふくにち"}},
      {11, 4, 0, {"黒日 くろび", "復日　ふくにち", "地火日　じかにち"}},
      {1, 1, 1, {"復日　ふくにち", "天火日　てんかにち", "天恩日 てんおんにち", "母倉日 ぼそうにち"}},
      {4, 10, 9, {"十死日　じゅうしにち", "復日　ふくにち", "天火日　てんかにち"}},
      {6, 2, 6, {"十死日　じゅうしにち", "復日　ふくにち"}},
      {7, 5, 3, {"血忌日　ちいみにち", "母倉日 ぼそうにち"}},
      {3, 1, 4, {"帰忌日　きこにち"}},
      {0, 1, 1, {"天恩日 てんおんにち"}},  // no solar month: only the pair rule can hold
      {-5, -3, 99, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SelectedDays(c.month, c.branch, c.stem), c.want) << c.month << " " << c.branch << " " << c.stem;
}

TEST(SeasonalDays, RulesBySunDegreeSpringAndCycle) {
  struct Case {
    std::optional<double> degree;
    std::optional<int> sinceSpring;
    int stem, branch, count;
    Items want;
  } cases[] = {
      {80, 130, 1, 1, 1, {"入梅"}},
      {100, 150, 1, 1, 1, {"半夏生"}},
      {297, 350, 1, 1, 1, {"土用"}},
      {357, 40, 5, 3, 1, {"彼岸", "社日", "三隣亡"}},
      {10, 50, 5, 1, 1, {}},  // 社日 ends before 10°
      {180, 230, 5, 1, 1, {"社日"}},
      {std::nullopt, 5, 5, 3, 1, {}},  // no whole degree crossed: nothing by the sun
      {300, std::nullopt, 1, 1, 1, {}},  // no 立春 found: nothing counted from it
      {300, -1, 1, 1, 1, {"節分"}},
      {315, 0, 1, 1, 1, {"立春"}},
      {42, 87, 1, 1, 1, {"八十八夜"}},
      {162, 209, 1, 1, 1, {"二百十日"}},
      {200, 300, 1, 1, 49, {"八せんはじめ"}},
      {200, 300, 1, 1, 50, {"ま日"}},
      {200, 300, 1, 1, 0, {"八せんおはり"}},
      {200, 300, 1, 1, 21, {"十方くれﾆ入る"}},
      {200, 300, 1, 1, 30, {"天一天上"}},
      {115, 160, 7, 1, 1, {"初伏"}},
      {125, 170, 7, 1, 1, {"中伏"}},
      {130, 175, 7, 1, 1, {}},
      {140, 185, 7, 1, 1, {"末伏"}},
      {359, 45, 1, 3, 1, {"三隣亡"}},  // the 寅 sector spans 0°
      {0, 45, 1, 3, 1, {"三隣亡"}},
      {15, 60, 1, 3, 1, {}},
      {15, 60, 1, 7, 1, {"三隣亡"}},
      {330, 15, 1, 0, 1, {"三隣亡"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.degree.value_or(-1) << " " << c.sinceSpring.value_or(-99) << " " << c.stem << " " << c.branch << " "
                                    << c.count);
    double j = DayWithCount(c.count);
    ASSERT_EQ((SexagenaryPosition(j) + 1) % 60, c.count);
    EXPECT_EQ(SeasonalDays(c.degree, c.sinceSpring, c.stem, c.branch, j), c.want);
  }
}

// The same anniversaries written in CP932 with "\n" and in UTF-8 with "\r\n".
TEST(Anniversaries, ReadInEitherEncodingAndLineEnd) {
  for (const char* name : {"kinenbi-cp932.dat", "kinenbi-utf8-crlf.dat"}) {
    SCOPED_TRACE(name);
    std::vector<Anniversary> list = ReadAnniversaries(std::string(OMBREL_FIXTURES) + "/signs/" + name);
    ASSERT_EQ(list.size(), 6u);  // the empty line ends the reading
    struct Case {
      double month, day;
      Items want;
    } cases[] = {
        {1, 1, {"元日"}},         {1, 10, {"成人の日"}}, {5, 5, {"ﾀﾛｳの誕生日"}}, {11, 3, {"文化の日"}},
        {2, 3, {"a:b"}},          {12, 25, {}},           {1, 0, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(AnniversariesOn(list, c.month, c.day), c.want) << c.month << "/" << c.day;
  }
  EXPECT_TRUE(ReadAnniversaries("/nonexistent/kinenbi.dat").empty());
}

// One decision per file: CP932 half-width katakana whose bytes are also
// well-formed UTF-8 (ﾃｽ is U+00FD's bytes) stay katakana, a UTF-8 file of
// ordinary Japanese stays UTF-8, and full-width digits date a line.
TEST(Anniversaries, OneEncodingPerFileAndFullWidthDigits) {
  testsupport::ScratchDir dir("kinenbi-encoding");
  struct Case {
    std::string bytes;
    double month, day;
    Items want;
  } cases[] = {
      {text::ToCp932("ﾃｽ:ﾃｽ,1,1\n"), 1, 1, {"ﾃｽ"}},
      {text::ToCp932("ﾘｿ,2,3\n元日,1,1\n"), 2, 3, {"ﾘｿ"}},
      {"元日,１,１\n誕生日:ﾀﾛｳの誕生日,５,５\n", 5, 5, {"ﾀﾛｳの誕生日"}},
      {"元日,１,１\n", 1, 1, {"元日"}},
      {text::ToCp932("成人の日,１,１０\n"), 1, 10, {"成人の日"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    const std::string path = dir.Write("kinenbi.dat", c.bytes);
    EXPECT_EQ(AnniversariesOn(ReadAnniversaries(path), c.month, c.day), c.want);
  }
}

TEST(Anniversaries, DamagedFilesNeverBreakTheReading) {
  const testsupport::ScratchDir dir("ombrel-signs");
  // An overlong line is cut at 99 CP932 bytes, never inside a character, and
  // ends the reading.
  std::string longLine = "祝:元日,1,1";
  for (int i = 0; i < 100; ++i) longLine += "あ";
  std::vector<Anniversary> list = ReadAnniversaries(dir.Write("long.dat", longLine + "\n祝:次,1,1\n"));
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(AnniversariesOn(list, 1, 1), Items{"元日"});

  std::string many;
  for (int i = 0; i < 700; ++i) many += "x:行" + std::to_string(i) + ",1,1\n";
  list = ReadAnniversaries(dir.Write("many.dat", text::ToCp932(many)));
  ASSERT_EQ(list.size(), 600u);
  EXPECT_EQ(list.back().text, "行599");

  const std::string missingFields = "no commas at all\n:,\n:x,,\n,,\n:y,1\n";
  list = ReadAnniversaries(dir.Write("fields.dat", missingFields));
  EXPECT_EQ(list.size(), 5u);
  EXPECT_EQ(AnniversariesOn(list, 0, 0), (Items{"x", ""}));  // the two lines with two empty numbers

  std::mt19937 random(7);
  std::string noise(300000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  list = ReadAnniversaries(dir.Write("noise.dat", noise));
  EXPECT_LE(list.size(), 600u);
  for (const Anniversary& a : list) EXPECT_TRUE(text::IsValidUtf8(a.text));

  EXPECT_TRUE(ReadAnniversaries(dir.Write("blank.dat", "\r\n祝:元日,1,1\r\n")).empty());
  // A byte-order mark is not part of the first line's text.
  EXPECT_EQ(AnniversariesOn(ReadAnniversaries(dir.Write("bom.dat", "\xEF\xBB\xBF元日,1,1\n")), 1, 1), Items{"元日"});
  EXPECT_TRUE(ReadAnniversaries(dir.Write("empty.dat", "")).empty());
}

// CR, LF and CR LF end lines alike, after a byte order mark or not; a file
// that decodes with doubt is read by the one-encoding rule and says so.
TEST(Anniversaries, EveryLineEndAndDoubtfulTextSaid) {
  const testsupport::ScratchDir dir("ombrel-signs");
  struct Case {
    const char* name;
    std::string bytes;
    Items onJanuaryEighth;
    bool doubtful;
  } cases[] = {
      {"CR", "元日,1,1\r祝:成人の日,1,8\r", {"成人の日"}, false},
      {"CP932 CR", text::ToCp932("元日,1,1\r祝:成人の日,1,8\r"), {"成人の日"}, false},
      {"mark and CR LF", "\xEF\xBB\xBF元日,1,1\r\n成人の日,1,8\r\n", {"成人の日"}, false},
      {"mixed", "元日,1,1\r\nx:y,2,2\r成人の日,1,8\n", {"成人の日"}, false},
      {"half-width katakana", text::ToCp932("ﾃｽ:ﾃｽ,1,8\n"), {"ﾃｽ"}, false},
      {"UTF-8 with a stray byte", "元日,1,1\n成人の日,1,8\n\x80:x,1,9\n", {}, true},
      {"invalid CP932", "\x81\x7F,1,8\n", {}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.Write("kinenbi.dat", c.bytes);
    const AnniversaryFile file = ReadAnniversaryFile(path);
    if (!c.doubtful) {
      EXPECT_EQ(AnniversariesOn(file.list, 1, 8), c.onJanuaryEighth);
    }
    EXPECT_EQ(file.warning, c.doubtful ? path + ": neither clean CP932 nor UTF-8; read as CP932" : "");
  }
}
