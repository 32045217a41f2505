#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "astro/astro.h"
#include "holidays/Holidays.h"

namespace {

using holidays::HolidayName;
using holidays::HolidaysOfYear;

const Ephemeris& Design() { return EphemerisOf(AstroModel::Design); }

std::string Listing(int year) {
  std::string out;
  for (const auto& h : HolidaysOfYear(year, Design())) out += holidays::IsoDate(h.year, h.month, h.day) + " " + h.name + "\n";
  return out;
}

// The published lists of three years that exercise most of the law at once:
// the accession days and their bridges (2019), no emperor's birthday (2019),
// the moved 海の日/スポーツの日/山の日 (2020, 2021), substitutes after a
// run of holidays (2020-05-06) and after a moved day (2021-08-09).
TEST(Holidays, PublishedYears) {
  EXPECT_EQ(Listing(2019),
            "2019-01-01 元日\n2019-01-14 成人の日\n2019-02-11 建国記念の日\n2019-03-21 春分の日\n"
            "2019-04-29 昭和の日\n2019-04-30 国民の休日\n2019-05-01 天皇の即位の日\n2019-05-02 国民の休日\n"
            "2019-05-03 憲法記念日\n2019-05-04 みどりの日\n2019-05-05 こどもの日\n2019-05-06 振替休日\n"
            "2019-07-15 海の日\n2019-08-11 山の日\n2019-08-12 振替休日\n2019-09-16 敬老の日\n"
            "2019-09-23 秋分の日\n2019-10-14 体育の日\n2019-10-22 即位礼正殿の儀\n2019-11-03 文化の日\n"
            "2019-11-04 振替休日\n2019-11-23 勤労感謝の日\n");
  EXPECT_EQ(Listing(2020),
            "2020-01-01 元日\n2020-01-13 成人の日\n2020-02-11 建国記念の日\n2020-02-23 天皇誕生日\n"
            "2020-02-24 振替休日\n2020-03-20 春分の日\n2020-04-29 昭和の日\n2020-05-03 憲法記念日\n"
            "2020-05-04 みどりの日\n2020-05-05 こどもの日\n2020-05-06 振替休日\n2020-07-23 海の日\n"
            "2020-07-24 スポーツの日\n2020-08-10 山の日\n2020-09-21 敬老の日\n2020-09-22 秋分の日\n"
            "2020-11-03 文化の日\n2020-11-23 勤労感謝の日\n");
  EXPECT_EQ(Listing(2021),
            "2021-01-01 元日\n2021-01-11 成人の日\n2021-02-11 建国記念の日\n2021-02-23 天皇誕生日\n"
            "2021-03-20 春分の日\n2021-04-29 昭和の日\n2021-05-03 憲法記念日\n2021-05-04 みどりの日\n"
            "2021-05-05 こどもの日\n2021-07-22 海の日\n2021-07-23 スポーツの日\n2021-08-08 山の日\n"
            "2021-08-09 振替休日\n2021-09-20 敬老の日\n2021-09-23 秋分の日\n2021-11-03 文化の日\n"
            "2021-11-23 勤労感謝の日\n");
}

// Each rule at the edges of its period, each derived rest day under the
// wording in force, and each one-off day. An empty name: no holiday.
TEST(Holidays, EachRuleAndOneOffDay) {
  const struct {
    int y, m, d;
    const char* name;
  } cases[] = {
      // The law begins on 1948-07-20.
      {1948, 5, 3, ""}, {1948, 9, 23, "秋分の日"}, {1948, 11, 23, "勤労感謝の日"}, {1949, 1, 1, "元日"},
      // Fixed days that became Mondays.
      {1999, 1, 15, "成人の日"}, {2000, 1, 15, ""}, {2000, 1, 10, "成人の日"},
      {1999, 10, 10, "体育の日"}, {2000, 10, 9, "体育の日"}, {2019, 10, 14, "体育の日"}, {2022, 10, 10, "スポーツの日"},
      {1995, 7, 20, ""}, {1996, 7, 20, "海の日"}, {2002, 7, 20, "海の日"}, {2003, 7, 21, "海の日"}, {2003, 7, 20, ""},
      {1965, 9, 15, ""}, {1966, 9, 15, "敬老の日"}, {1966, 10, 10, "体育の日"}, {2002, 9, 15, "敬老の日"},
      {2004, 9, 20, "敬老の日"}, {2004, 9, 15, ""},
      // Days added, moved and renamed.
      {1966, 2, 11, ""}, {1967, 2, 11, "建国記念の日"}, {2015, 8, 11, ""}, {2016, 8, 11, "山の日"},
      {1988, 4, 29, "天皇誕生日"}, {1989, 4, 29, "みどりの日"}, {1989, 12, 23, "天皇誕生日"},
      {2018, 12, 23, "天皇誕生日"}, {2019, 12, 23, ""}, {2019, 2, 23, ""}, {2020, 2, 23, "天皇誕生日"},
      {2006, 4, 29, "みどりの日"}, {2007, 4, 29, "昭和の日"}, {2007, 5, 4, "みどりの日"},
      // The equinoxes on the day of the sun's crossing.
      {2012, 9, 22, "秋分の日"}, {2025, 3, 20, "春分の日"}, {2044, 9, 22, "秋分の日"}, {2092, 3, 19, "春分の日"},
      // 振替休日: from 1973-04-12; from 2007 past a run of holidays.
      {1973, 2, 12, ""}, {1973, 4, 30, "振替休日"}, {1999, 10, 11, "振替休日"}, {2002, 9, 16, "振替休日"},
      {2018, 12, 24, "振替休日"}, {1987, 5, 4, "振替休日"}, {2008, 5, 6, "振替休日"},
      // 国民の休日: from 1985-12-27; until 2006 never on a Sunday.
      {1985, 5, 4, ""}, {1986, 5, 4, ""}, {1988, 5, 4, "国民の休日"}, {2009, 9, 22, "国民の休日"},
      {2015, 9, 22, "国民の休日"}, {2026, 9, 22, "国民の休日"},
      // One-off days.
      {1959, 4, 10, "皇太子・明仁親王の結婚の儀"}, {1989, 2, 24, "昭和天皇の大喪の礼"},
      {1990, 11, 12, "即位礼正殿の儀"}, {1993, 6, 9, "皇太子・徳仁親王の結婚の儀"},
      {2019, 4, 30, "国民の休日"}, {2019, 5, 1, "天皇の即位の日"}, {2019, 5, 2, "国民の休日"},
      {2019, 10, 22, "即位礼正殿の儀"}, {2020, 7, 20, ""}, {2021, 7, 19, ""}, {2021, 10, 11, ""},
      {2021, 8, 11, ""}, {2100, 1, 1, "元日"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HolidayName(c.y, c.m, c.d, Design()).value_or(""), c.name) << holidays::IsoDate(c.y, c.m, c.d);
}

TEST(Holidays, NothingOutsideTheLawsYears) {
  EXPECT_TRUE(HolidaysOfYear(1947, Design()).empty());
  EXPECT_TRUE(HolidaysOfYear(2101, Design()).empty());
  EXPECT_EQ(HolidaysOfYear(1948, Design()).front().month, 9);  // 秋分の日, the first holiday
}

// The almanac's sun against the well-known closed formula of the equinox
// days (valid 1900-2099), which is independent of any ephemeris here.
TEST(Holidays, EquinoxDaysAgreeWithTheClosedFormula) {
  for (int y = 1949; y <= 2099; ++y) {
    const bool early = y < 1980;
    const int shift = (y - (early ? 1983 : 1980)) / 4;  // truncated, as the formula's int()
    const double drift = 0.242194 * (y - 1980) - shift;
    EXPECT_EQ(holidays::EquinoxDay(Design(), y, 0), static_cast<int>((early ? 20.8357 : 20.8431) + drift)) << y;
    EXPECT_EQ(holidays::EquinoxDay(Design(), y, 180), static_cast<int>((early ? 23.2588 : 23.2488) + drift)) << y;
  }
}

// The equinox days match each model's solar-term list, and another model's
// days flow through the seam unchanged.
TEST(Holidays, EquinoxSeam) {
  const DateClock jst = DayCountClock(CalendarRule::JulianThenGregorian);
  for (AstroModel model : {AstroModel::Design, AstroModel::Precise}) {
    const Ephemeris& ephemeris = EphemerisOf(model);
    int found = 0;
    for (const CalendarEvent& e : YearEventTable(ephemeris, EventKind::SolarTerms, 2031, 364, jst)) {
      if (e.angle != 0.0 && e.angle != 180.0) continue;
      EXPECT_EQ(holidays::EquinoxDay(ephemeris, 2031, static_cast<int>(e.angle)), static_cast<int>(e.day))
          << AstroModelText(model) << " " << e.name;
      EXPECT_EQ(HolidayName(2031, static_cast<int>(e.month), static_cast<int>(e.day), ephemeris),
                e.angle == 0.0 ? "春分の日" : "秋分の日")
          << AstroModelText(model);
      ++found;
    }
    EXPECT_EQ(found, 2) << AstroModelText(model);
  }
  const auto other = [](int, int longitude) { return longitude == 0 ? 19 : 25; };
  EXPECT_EQ(HolidayName(2031, 3, 19, other), "春分の日");
  EXPECT_EQ(HolidayName(2031, 9, 25, other), "秋分の日");
  EXPECT_EQ(HolidayName(2031, 3, 21, other), std::nullopt);
  // A model that finds no equinox day gives the year no equinox holiday and
  // no day in its place; the other days stay.
  const auto none = [](int, int) { return std::optional<int>(); };
  const auto texts = [](const std::vector<holidays::Holiday>& list) {
    std::vector<std::string> out;
    for (const holidays::Holiday& h : list)
      if (h.name != "春分の日" && h.name != "秋分の日") out.push_back(holidays::IsoDate(h.year, h.month, h.day) + h.name);
    return out;
  };
  EXPECT_EQ(texts(HolidaysOfYear(2031, none)), texts(HolidaysOfYear(2031, Design())));
  EXPECT_EQ(HolidaysOfYear(2031, none).size() + 2, HolidaysOfYear(2031, Design()).size());
}

}  // namespace
