#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "astro/astro.h"
#include "caldb/Dao.h"
#include "almanac/DayPanel.h"
#include "tests/support/TestMoment.h"

using Items = std::vector<std::string>;

namespace {

// The settings' moment: Asia/Tokyo, the default place, the Julian calendar
// before 1582-10-15, the design's model (its date is the form's).
Moment Settings() { return testsupport::TokyoMoment(2000, 1, 1, 12.0); }

DayPanel Filled(const std::string& year, const std::string& month, const std::string& day,
                const std::string& hour = "12.0") {
  DayPanel p;
  p.m_strYear = year;
  p.m_strMonth = month;
  p.m_strDay = day;
  p.m_strHour = hour;
  const Moment at = ReadFormMoment(p, hour, Settings());
  FillDayPanel(p, at, EphemerisOf(at.model), OMBREL_DB_PATH);
  FillSelectedDays(p);
  FillSeasonalDays(p, EphemerisOf(at.model), std::string(OMBREL_FIXTURES) + "/signs/kinenbi-cp932.dat", {});
  return p;
}

DayPanel Filled(int year, int month, int day) {
  DayPanel p;
  WriteFormDate(p, year, month, day, 12.0);
  return Filled(p.m_strYear, p.m_strMonth, p.m_strDay, p.m_strHour);
}

}  // namespace

TEST(DayPanel, Fields20050131) {
  DayPanel p = Filled(2005, 1, 31);
  EXPECT_EQ(p.m_strYear, "2005");
  EXPECT_EQ(p.m_strMonth, " 1");
  EXPECT_EQ(p.m_strImperialYear, "2665年 乙酉");
  EXPECT_EQ(p.m_strMonthName, "睦月　");
  EXPECT_EQ(p.m_strSolarTerm, " 大寒 + 11");
  EXPECT_EQ(p.m_strSolarLongitude, " 311.3度");
  EXPECT_EQ(p.m_strPentadName, "鶏始乳");  // R = 311: pentad 63
  EXPECT_EQ(p.m_strEra, "平成 17");
  EXPECT_EQ(p.m_strNineStar, " 七赤金星 ");
  EXPECT_EQ(p.m_strLunarDate, "　12月22日");
  EXPECT_EQ(p.m_strWeekday, "月");
  EXPECT_EQ(p.m_strSixDaySign, "先負");
  EXPECT_EQ(p.m_strSexagenary.substr(0, 7), "乙卯 ");
  EXPECT_EQ(p.m_strMansion.substr(0, 4), "張 ");
  EXPECT_EQ(p.m_strMoonAge, " 20.6  ");
  EXPECT_EQ(p.m_strSoundSign, "水");
  EXPECT_EQ(p.m_strTwelveDaySign, "満 みつ");
  EXPECT_DOUBLE_EQ(p.m_report.noon, 2453401.625);
  EXPECT_EQ(p.m_report.solarMonth, 12);
  EXPECT_EQ(p.m_report.stem, 2);    // 乙
  EXPECT_EQ(p.m_report.branch, 4);  // 卯
  EXPECT_EQ(p.m_report.lunarMonth, 12);
  EXPECT_EQ(p.m_report.lunarDay, 22);
  EXPECT_EQ(p.m_listSelectedDays, Items{});
  EXPECT_EQ(p.m_listSeasonalDays, Items{});
}

TEST(DayPanel, Fields20000101) {
  DayPanel p = Filled(2000, 1, 1);
  EXPECT_EQ(p.m_strImperialYear, "2660年 庚辰");
  EXPECT_EQ(p.m_strSolarTerm, " 冬至 + 10");  // from the previous year's list
  EXPECT_EQ(p.m_strEra, "平成 12");
  EXPECT_EQ(p.m_strNineStar, " 六白金星 ");  // the summer cycle runs until 2000-01-07
  EXPECT_EQ(p.m_strLunarDate, "　11月25日");
  EXPECT_EQ(p.m_strWeekday, "土");
  EXPECT_EQ(p.m_strSixDaySign, "大安");
  EXPECT_EQ(p.m_strSexagenary.substr(0, 7), "戊午 ");
  EXPECT_EQ(p.m_strMansion.substr(0, 4), "胃 ");
  EXPECT_EQ(p.m_strMoonAge, " 24.2  ");
  EXPECT_EQ(p.m_strSoundSign, "火");
  EXPECT_EQ(p.m_strTwelveDaySign, "破 やぶる");
  EXPECT_EQ(p.m_report.stem, 5);
  EXPECT_EQ(p.m_report.branch, 7);
  EXPECT_EQ(p.m_report.solarMonth, 11);
  EXPECT_EQ(p.m_listSeasonalDays, (Items{"元日", "ま日"}));  // the fixture's anniversary first; 戊午 is a ま日
}

// The term field on a term day, the day after, and the January boundary,
// with the report's numbers behind it (the term's index and days since it).
TEST(DayPanel, SolarTermAndEraEdges) {
  struct Case {
    int y, m, d;
    const char* term;
    int index, days;
    const char *era, *imperial;
  } cases[] = {
      {2005, 3, 20, "春分", 0, 0, "平成 17", "2665年 乙酉"},
      {2005, 3, 21, " 春分 +  1", 0, 1, "平成 17", "2665年 乙酉"},
      {2005, 1, 9, " 小寒 +  4", 19, 4, "平成 17", "2665年 乙酉"},
      {2005, 1, 10, " 小寒 +  5", 19, 5, "平成 17", "2665年 乙酉"},
      {-660, 6, 1, nullptr, 0, 0, "(神武即位前天皇)  7年", "   0年 庚申"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.y << "-" << c.m << "-" << c.d);
    DayPanel p = Filled(c.y, c.m, c.d);
    if (c.term) {
      EXPECT_EQ(p.m_strSolarTerm, c.term);
      ASSERT_TRUE(p.m_report.term);
      EXPECT_EQ(p.m_report.term->term, c.index);
      EXPECT_EQ(p.m_report.term->days, c.days);
      EXPECT_EQ(p.m_report.termDay, c.days == 0);
    }
    EXPECT_EQ(p.m_strEra, c.era);
    EXPECT_EQ(p.m_strImperialYear, c.imperial);
  }
  // Before every reign and before the lunisolar table: both stay empty.
  DayPanel p = Filled(-700, 6, 1);
  EXPECT_EQ(p.m_strEra, "");
  EXPECT_EQ(p.m_strLunarDate, "");
}

// Seasonal days of known dates of 2005.
TEST(DayPanel, ObservancesOfKnownDays) {
  struct Case {
    int m, d;
    const char* item;
  } cases[] = {
      {1, 17, "土用"},   {2, 3, "節分"},     {2, 4, "立春"},     {3, 17, "彼岸"},
      {5, 2, "八十八夜"}, {6, 11, "入梅"},     {7, 2, "半夏生"},   {7, 19, "土用"},
      {9, 1, "二百十日"}, {9, 20, "彼岸"},    {10, 20, "土用"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "2005-" << c.m << "-" << c.d);
    DayPanel p = Filled(2005, c.m, c.d);
    const Items& items = p.m_listSeasonalDays;
    EXPECT_NE(std::find(items.begin(), items.end(), c.item), items.end()) << testing::PrintToString(items);
  }
}

// The selected days change with the solar month at 立春 (2005-02-04).
TEST(DayPanel, SelectedDaysAcrossSpring) {
  struct Case {
    int m, d, solarMonth;
    Items want;
  } cases[] = {
      {2, 3, 12, {"復日　ふくにち", "母倉日 ぼそうにち"}},  // 戊午
      {2, 4, 1, {}},                                         // 己未
      {2, 7, 1, {"黒日 くろび"}},                            // 壬戌
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "2005-" << c.m << "-" << c.d);
    DayPanel p = Filled(2005, c.m, c.d);
    EXPECT_EQ(p.m_report.solarMonth, c.solarMonth);
    EXPECT_EQ(p.m_listSelectedDays, c.want);
  }
}

// Whatever is typed into the date fields, the panel is filled and nothing
// breaks: texts that are not numbers read as 0, at most nine characters count.
TEST(DayPanel, AnyTypedDateFillsThePanel) {
  struct Case {
    const char *year, *month, *day;
  } cases[] = {
      {"abc", "", ""},          {"nan", "nan", "nan"},    {"1e400", "13", "45"}, {"-99999999", "0", "0"},
      {"999999999", "99", "-99"}, {"2005", "1", "31xyz"}, {"inf", "-inf", "1e308"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.year << " " << c.month << " " << c.day);
    DayPanel p;
    EXPECT_NO_THROW(p = Filled(c.year, c.month, c.day));
    EXPECT_FALSE(p.m_strWeekday.empty());
    EXPECT_FALSE(p.m_strTwelveDaySign.empty());
  }
  EXPECT_EQ(Filled("2005", "1", "31xyz").m_strSixDaySign, "先負");
  EXPECT_EQ(Filled("2005.0000001", "1", "31").m_strImperialYear, "2665年 乙酉");  // cut to "2005.0000"
}

TEST(DayPanel, MissingDatabaseRaisesTheEngineError) {
  DayPanel p;
  WriteFormDate(p, 2005, 1, 31, 12.0);
  EXPECT_THROW(FillDayPanel(p, ReadFormMoment(p, p.m_strHour, Settings()), EphemerisOf(Settings().model), "/nonexistent/History.mdb"),
               CDaoException);
  // What was computed before the database was needed is kept.
  EXPECT_EQ(p.m_strMonthName, "睦月　");
  EXPECT_EQ(p.m_strSolarTerm, " 大寒 + 11");
}

TEST(DayPanel, YearListsFromFirstJanuary) {
  DayPanel p;
  WriteFormDate(p, 2000, 6, 15, 12.0);
  p.m_at = ReadFormMoment(p, p.m_strHour, Settings());
  FillPhaseList(p, EphemerisOf(p.m_at.model));
  FillTermList(p, EphemerisOf(p.m_at.model));
  ASSERT_EQ(p.m_listPhases.size(), 49u);
  EXPECT_EQ(p.m_listPhases[0].substr(0, std::string(" 新月  1/ 7 0").size()), " 新月  1/ 7 0");
  EXPECT_EQ(p.m_listPhases[1].substr(0, std::string(" 上弦  1/14 2").size()), " 上弦  1/14 2");
  ASSERT_EQ(p.m_listTerms.size(), 24u);
  EXPECT_EQ(p.m_listTerms[0].substr(0, std::string(" 小寒  1/ 6 0").size()), " 小寒  1/ 6 0");
  EXPECT_EQ(p.m_listTerms[5].substr(0, std::string(" 春分  3/20 1").size()), " 春分  3/20 1");
  EXPECT_EQ(p.m_listTerms[23].substr(0, std::string(" 冬至 12/21 2").size()), " 冬至 12/21 2");
  EXPECT_EQ(p.m_dMonth, 6);  // the lists read the texts as whole numbers
}

// The solar month turns on the day of 小寒 (2005-01-05), and the twelve-day
// sign repeats 建 across it: 戊子 in month 11, 己丑 in month 12.
TEST(DayPanel, TwelveDaySignAtTheTermDay) {
  struct Case {
    int d, solarMonth;
    const char* sign;
  } cases[] = {{4, 11, "建 たつ"}, {5, 12, "建 たつ"}, {6, 12, "除 のぞく"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    DayPanel p = Filled(2005, 1, c.d);
    EXPECT_EQ(p.m_report.solarMonth, c.solarMonth);
    EXPECT_EQ(p.m_strTwelveDaySign, c.sign);
  }
}

// A typed fraction of a day moves the day's noon into the next day; the
// seasonal days follow the same day as the signs do (彼岸 began on 2005-03-17,
// the sun reaching 357° at 21 h; the half day before it crosses 356° only).
TEST(DayPanel, SeasonalDaysFollowTheDayOfTheSigns) {
  DayPanel whole = Filled(2005, 3, 17);
  DayPanel typed = Filled("2005", "3", "16.5");
  EXPECT_EQ(typed.m_strSexagenary, whole.m_strSexagenary);
  EXPECT_EQ(typed.m_listSeasonalDays, whole.m_listSeasonalDays);
  EXPECT_EQ(typed.m_listSeasonalDays, Items{"彼岸"});
}
