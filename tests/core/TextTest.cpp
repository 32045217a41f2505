#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Text.h"

using text::SjisFormat;

TEST(SjisFormat, WidthsCountShiftJisBytes) {
  struct Case { std::string got, want; } cases[] = {
      {SjisFormat("%5s", "春分"), " 春分"},              // two kanji = 4 bytes
      {SjisFormat("%10s", "閏11"), "      閏11"},        // 閏 is 2 bytes, 11 two
      {SjisFormat("%-6s|", "ｶﾅ"), "ｶﾅ    |"},          // half-width kana are 1 byte
      {SjisFormat("%5s %2.0f/%2.0f", "立春", 2.0, 4.0), " 立春  2/ 4"},
      {SjisFormat("%d年", 2000), "2000年"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(Encoding, RoundTripAndDetection) {
  const std::string utf8 = "旧暦 ﾌｧｲﾙ 七十二候";
  const std::string sjis = text::ToCp932(utf8);
  EXPECT_NE(sjis, utf8);
  EXPECT_EQ(text::FromCp932(sjis), utf8);
  EXPECT_EQ(text::DecodeCp932OrUtf8(sjis), utf8);
  EXPECT_EQ(text::DecodeCp932OrUtf8(utf8), utf8);
  EXPECT_EQ(text::Cp932Width("閏11"), 4u);
}

TEST(Encoding, InvalidBytesNeverStopTheConversion) {
  const std::string broken = std::string("ab\x81", 3);  // a lead byte cut off
  std::string out = text::FromCp932(broken);
  EXPECT_EQ(out.substr(0, 2), "ab");
  EXPECT_FALSE(text::IsValidUtf8("\xC0\x80"));
  EXPECT_FALSE(text::IsValidUtf8("\xE3\x81"));
  EXPECT_EQ(text::ToCp932("a\xF0\x9F\x98\x80z"), "a?z");  // no CP932 form
}

namespace {
// One sample of each class of CP932 characters.
const char* const kCp932Classes[] = {
    "A1",    "ｱﾝｶｰ",  "ひらがな", "カタカナ", "亜唖",  "腕弌",     "熙縲",      "　、。「」・ー々",
    "ＡＢ１２", "①Ⅰ㍉", "纊褜",   "ⅰⅱ髙",  "￢∵",  "○●◎※",  "Ωα",
};

std::vector<std::string> HalfWidthKatakana() {
  std::vector<std::string> out;
  for (int b = 0xA1; b <= 0xDF; ++b) out.push_back(text::FromCp932(std::string(1, static_cast<char>(b))));
  return out;
}
}  // namespace

// What the program writes in CP932 reads back as written, one decision for
// the whole text: every pair of half-width katakana (some, like ﾘｿ and ﾃｽ,
// are well-formed UTF-8 of other scripts), each class of CP932 characters,
// and each class next to half-width katakana. Ordinary UTF-8 Japanese stays
// UTF-8.
TEST(Encoding, OneRulePerFileReadsBackWhatWasWritten) {
  const std::vector<std::string> kana = HalfWidthKatakana();
  ASSERT_EQ(kana.size(), 63u);
  for (const std::string& a : kana)
    for (const std::string& b : kana) EXPECT_EQ(text::DecodeCp932OrUtf8(text::ToCp932(a + b)), a + b);
  EXPECT_EQ(text::DecodeCp932OrUtf8("\xd8\xbf\xf0"), "ﾘｿ\xEF\xBF\xBD") << "the minimal misread input";
  for (const char* cls : kCp932Classes) {
    SCOPED_TRACE(cls);
    const std::string s = cls;
    EXPECT_EQ(text::FromCp932(text::ToCp932(s)), s) << "the sample must be CP932";
    EXPECT_EQ(text::DecodeCp932OrUtf8(text::ToCp932(s)), s);
    EXPECT_EQ(text::DecodeCp932OrUtf8(text::ToCp932(s + "ﾃｽ" + s)), s + "ﾃｽ" + s);
  }
  for (const char* utf8 : {"元日,1,1", "ﾀﾛｳの誕生日", "　５月１０日「初午」", "𠮷野家", "abc"})
    EXPECT_EQ(text::DecodeCp932OrUtf8(utf8), utf8) << utf8;
}

TEST(Encoding, ControlCharactersAreEscaped) {
  struct Case { const char* in; const char* out; } cases[] = {
      {"令和", "令和"}, {"a\nb", "a\\x0Ab"}, {"\t\r\x1b[2J", "\\x09\\x0D\\x1B[2J"},
      {"x\x7fy", "x\\x7Fy"}, {"\xc2\x85\xc2\xa0", "\\x85\xc2\xa0"},  // NEL escaped, NBSP kept
  };
  for (const Case& c : cases) EXPECT_EQ(text::EscapeControls(c.in), c.out) << c.in;
}

TEST(Text, TrimPaddingDropsBlanksOfBothWidthsAtTheEnds) {
  const std::pair<const char*, const char*> cases[] = {
      {"  11月2日", "11月2日"},        {"\u300011月2日", "11月2日"}, {"長月\u3000", "長月"},
      {" \u3000 閏 1月\u3000 ", "閏 1月"}, {"血忌日\u3000ちいみにち", "血忌日\u3000ちいみにち"},
      {"\u3000 ", ""},                {"", ""}};
  for (const auto& [in, want] : cases) EXPECT_EQ(text::TrimPadding(in), want) << in;
}
