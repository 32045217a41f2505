#include <gtest/gtest.h>

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
