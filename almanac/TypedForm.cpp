#include "almanac/TypedForm.h"

#include <cmath>

#include "core/Args.h"
#include "core/CalendarDays.h"
#include "core/Text.h"

namespace {

// The largest year the form's "%4.0f" field and the almanac's arithmetic take.
constexpr long long kLargestYear = 999999;

}  // namespace

std::string PlainFormText(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    // U+FF0D..U+FF19 (－．／０..９) are EF BC 8D..99; U+3000 is E3 80 80.
    if (c == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBC) {
      const unsigned char low = static_cast<unsigned char>(text[i + 2]);
      if (low == 0x8D || low == 0x8E || (low >= 0x90 && low <= 0x99)) {
        out += static_cast<char>(low - 0x8D + '-');
        i += 2;
        continue;
      }
    }
    if (text.compare(i, 3, "\xE3\x80\x80") == 0) {
      out += ' ';
      i += 2;
      continue;
    }
    out += static_cast<char>(c);
  }
  const std::size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

namespace {

std::string Quoted(const std::string& text) { return "（「" + text + "」）"; }

}  // namespace

std::optional<TypedMoment> ReadTypedMoment(const std::string& yearText, const std::string& monthText,
                                           const std::string& dayText, const std::string& hourText,
                                           CalendarRule rule, FormRefusal& refusal) {
  long long year = 0, month = 0, day = 0;
  double hour = 0;
  if (!args::ParseInt(PlainFormText(yearText), -kLargestYear, kLargestYear, year)) {
    refusal = {FormField::kYear, "年は" + std::to_string(-kLargestYear) + "から" + std::to_string(kLargestYear) +
                                     "までの整数で入力してください" + Quoted(yearText) + "。"};
    return std::nullopt;
  }
  if (!args::ParseInt(PlainFormText(monthText), 1, 12, month)) {
    refusal = {FormField::kMonth, "月は1から12の整数で入力してください" + Quoted(monthText) + "。"};
    return std::nullopt;
  }
  if (!args::ParseInt(PlainFormText(dayText), 1, 31, day)) {
    refusal = {FormField::kDay, "日は1から31の整数で入力してください" + Quoted(dayText) + "。"};
    return std::nullopt;
  }
  if (!DateExists({year, static_cast<int>(month), static_cast<int>(day)}, rule)) {
    refusal = {FormField::kDay, std::to_string(year) + "年" + std::to_string(month) + "月" + std::to_string(day) +
                                    "日という日はありません（" +
                                    (rule == CalendarRule::JulianThenGregorian ? "1582年10月15日より前はユリウス暦、以後はグレゴリオ暦"
                                                       : "グレゴリオ暦") +
                                    "）。"};
    return std::nullopt;
  }
  if (!args::ParseDouble(PlainFormText(hourText), 0.0, 24.0, hour) || hour >= 24.0) {
    refusal = {FormField::kHour, "時間は0以上24未満の数で入力してください" + Quoted(hourText) + "。"};
    return std::nullopt;
  }
  return TypedMoment{static_cast<double>(year), static_cast<double>(month), static_cast<double>(day), hour};
}

std::string HourFieldText(double hour) {
  std::string shown = text::SjisFormat("%2.1f", hour);
  if (shown == "24.0" && hour < 24.0) shown = "23.9";
  return shown;
}
