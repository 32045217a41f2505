#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "astro/astro.h"

namespace {

constexpr CalendarRule kMixed = CalendarRule::JulianThenGregorian;
// The clock of the lists: Japan Standard Time.
const DateClock kLists = DayCountClock(kMixed);

// Minutes after midnight of the moment's clock time at 135 degrees east, and
// its month and day.
struct ClockReading {
  int month, day;
  double minutes;
};
ClockReading ClockOf(double jd) {
  const LocalTime t = JulianDayToDate(jd, kLists);
  return {static_cast<int>(t.month), static_cast<int>(t.day), t.hour * 60.0};
}

JulianDay JstNoon(double year, double month, double day) { return DateToJulianDay(year, month, day, 12.0, kLists); }

struct Expected {
  int index;
  const char* name;
  int month, day, hour, minute;
};

// The clock times below are the almanac's own series, not the sky. The true
// moments (tests/fixtures/astro/events-de431.tsv) are 小寒 10:00:41, 春分 16:35:15,
// 冬至 22:37:26 and the new moon of 7 January 03:13:38: the series gives the
// terms some ten minutes early and that new moon three minutes early.
TEST(ListSolarTerms, Year2000) {
  const std::vector<AngleEvent> terms = design::ListSolarTerms(2000, 366, kLists);
  ASSERT_EQ(terms.size(), 24u);
  const Expected cases[] = {
      {0, "小寒", 1, 6, 9, 52}, {5, "春分", 3, 20, 16, 25}, {23, "冬至", 12, 21, 22, 25}};
  for (const auto& c : cases) {
    EXPECT_STREQ(EventName(EventKind::SolarTerms, terms[c.index].angle).value_or("(none)"), c.name) << c.index;
    const ClockReading clock = ClockOf(terms[c.index].moment);
    EXPECT_EQ(clock.month, c.month) << c.name;
    EXPECT_EQ(clock.day, c.day) << c.name;
    EXPECT_NEAR(clock.minutes, c.hour * 60 + c.minute, 2.0) << c.name;
  }
  EXPECT_EQ(terms[5].angle, 0.0);
  // The terms follow each other 15 degrees apart, about 15 days apart.
  for (size_t i = 1; i < terms.size(); ++i) {
    EXPECT_EQ(std::fmod(terms[i - 1].angle + 15.0, 360.0), terms[i].angle) << i;
    EXPECT_NEAR(terms[i].moment - terms[i - 1].moment, 15.2, 1.0) << i;
  }
  EXPECT_EQ(design::ListSolarTerms(2000, 430, kLists).size(), 29u);
}

TEST(ListMoonPhases, Year2000) {
  const std::vector<AngleEvent> phases = design::ListMoonPhases(2000, 366, kLists);
  ASSERT_EQ(phases.size(), 49u);
  const Expected cases[] = {
      {0, "新月", 1, 7, 3, 10},  // true 03:13:27
      {1, "上弦", 1, 14, -1, 0}, {2, "満月", 1, 21, -1, 0}, {3, "下弦", 1, 28, -1, 0}};
  for (const auto& c : cases) {
    EXPECT_STREQ(EventName(EventKind::MoonPhases, phases[c.index].angle).value_or("(none)"), c.name);
    const ClockReading clock = ClockOf(phases[c.index].moment);
    EXPECT_EQ(clock.month, c.month) << c.name;
    EXPECT_EQ(clock.day, c.day) << c.name;
    if (c.hour >= 0) {
      EXPECT_NEAR(clock.minutes, c.hour * 60 + c.minute, 3.0) << c.name;
    }
  }
  for (size_t i = 1; i < phases.size(); ++i) {
    EXPECT_EQ(std::fmod(phases[i - 1].angle + 90.0, 360.0), phases[i].angle) << i;
    EXPECT_NEAR(phases[i].moment - phases[i - 1].moment, 7.4, 1.2) << i;
  }
  EXPECT_EQ(design::ListMoonPhases(2000, 430, kLists).size(), 58u);
}

TEST(EventName, NamesByKindAndAngle) {
  const struct {
    EventKind kind;
    double angle;
    const char* name;
  } cases[] = {
      {EventKind::SolarTerms, 0.0, "春分"},   {EventKind::SolarTerms, 315.0, "立春"},
      {EventKind::SolarTerms, 270.0, "冬至"}, {EventKind::SolarTerms, 360.0, "春分"},
      {EventKind::SolarTerms, -15.0, "啓蟄"}, {EventKind::MoonPhases, 0.0, "新月"},
      {EventKind::MoonPhases, 180.0, "満月"}, {EventKind::MoonPhases, 630.0, "下弦"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(EventName(c.kind, c.angle)) << c.angle;
    EXPECT_STREQ(*EventName(c.kind, c.angle), c.name) << c.angle;
  }
  EXPECT_FALSE(EventName(EventKind::SolarTerms, NAN));
}

// A span past kMaxListDays days stops there; a negative span or a year that
// is no number walks no day.
TEST(ListEvents, SpansAreCutAndEmptyOnesListNothing) {
  const size_t longest = design::ListMoonPhases(2000, kMaxListDays, kLists).size();
  EXPECT_GT(longest, 90u);
  for (int lastDay : {kMaxListDays + 1, 5000, INT_MAX})
    EXPECT_EQ(design::ListMoonPhases(2000, lastDay, kLists).size(), longest) << lastDay;
  // The phases in a row from the first new moon of 2000, none lost or doubled.
  const std::vector<AngleEvent> phases = design::ListMoonPhases(2000, 5000, kLists);
  for (size_t i = 1; i < phases.size(); ++i) EXPECT_NEAR(phases[i].moment - phases[i - 1].moment, 7.4, 1.2) << i;
  EXPECT_TRUE(design::ListSolarTerms(2000, -5, kLists).empty());
  EXPECT_TRUE(design::ListMoonPhases(NAN, 30, kLists).empty());
  EXPECT_TRUE(design::ListSolarTerms(NAN, 30, kLists).empty());
}

TEST(YearEventTable, RecordsCarryDateNameAndMoment) {
  const Ephemeris& design = EphemerisOf(AstroModel::Design);
  const std::vector<CalendarEvent> terms = YearEventTable(design, EventKind::SolarTerms, 2000, 430, kLists);
  ASSERT_EQ(terms.size(), 29u);
  const CalendarEvent& e = terms[5];
  EXPECT_STREQ(e.name, "春分");
  EXPECT_EQ(e.year, 2000);
  EXPECT_EQ(e.month, 3);
  EXPECT_EQ(e.day, 20);
  EXPECT_NEAR(e.hour, 16.0 + 25.0 / 60.0, 0.05);  // the series; true 16:35:15
  EXPECT_EQ(e.angle, 0.0);
  EXPECT_EQ(terms[28].year, 2001);

  const std::vector<CalendarEvent> phases = YearEventTable(design, EventKind::MoonPhases, 2000, 366, kLists);
  ASSERT_EQ(phases.size(), 49u);
  EXPECT_STREQ(phases[0].name, "新月");
  EXPECT_STREQ(phases[2].name, "満月");
  EXPECT_EQ(EventListItem(phases[0].name, phases[0].julianDay, kLists).substr(0, 13), " 新月  1/ 7");
}

// A year's own list holds that year's events, each once, in both models:
// 1582 (ten days shorter) used to list 寒露 and a 満月 twice, and the lists
// ran into 1–2 January of the next year.
TEST(YearEventTable, AYearsListHoldsThatYearOnlyEachOnce) {
  EXPECT_FALSE(LastDayOfYear(NAN, kLists));
  for (AstroModel model : {AstroModel::Design, AstroModel::Precise}) {
    const Ephemeris& ephemeris = EphemerisOf(model);
    EXPECT_TRUE(EventsOfYear(ephemeris, EventKind::SolarTerms, NAN, kLists).empty());
    for (double year : {1582.0, 1901.0, 2000.0, 2025.0}) {
      const int lastDay = LastDayOfYear(year, kLists).value();
      EXPECT_EQ(lastDay, year == 1582.0 ? 354 : (year == 2000.0 ? 365 : 364)) << year;
      for (EventKind kind : {EventKind::SolarTerms, EventKind::MoonPhases}) {
        const std::vector<CalendarEvent> events = EventsOfYear(ephemeris, kind, year, kLists);
        const std::string what = std::string(AstroModelText(model)) + " " + std::to_string(year);
        // 1582 lost ten days to the calendar reform, and a term with them.
        if (kind == EventKind::SolarTerms) {
          EXPECT_EQ(events.size(), year == 1582.0 ? 23u : 24u) << what;
        }
        for (size_t i = 0; i < events.size(); ++i) {
          EXPECT_EQ(events[i].year, year) << what << " " << events[i].name;
          if (i > 0) {
            const double step = kind == EventKind::SolarTerms ? 15.0 : 90.0;
            EXPECT_EQ(std::fmod(events[i - 1].angle + step, 360.0), events[i].angle) << what << " #" << i;
            EXPECT_GT(events[i].julianDay, events[i - 1].julianDay) << what << " #" << i;
          }
        }
      }
    }
  }
}

// The design's lists pass over the days on which no event can fall; none may
// be lost by that. Each year's design list holds the precise list's events
// (apart from those within half a day of the year's ends), in order, each
// within half an hour, on Japan's clock and on one with summer time.
TEST(YearEventTable, TheDesignListsMissNoEvent) {
  std::string error;
  const std::optional<TimeZone> newYork = TimeZone::Named("America/New_York", error);
  ASSERT_TRUE(newYork) << error;
  const DateClock clocks[] = {kLists, ListClock(kMixed, *newYork)};
  for (const DateClock& clock : clocks) {
    for (double year = 1900; year <= 2100; year += (&clock == &clocks[0] ? 1 : 7)) {
      const int lastDay = LastDayOfYear(year, clock).value();
      const JulianDay from = DateToJulianDay(year, 1, 1, 12.0, clock), to = from + lastDay;
      for (EventKind kind : {EventKind::SolarTerms, EventKind::MoonPhases}) {
        auto inside = [&](AstroModel model) {
          std::vector<CalendarEvent> events;
          for (const CalendarEvent& e : YearEventTable(EphemerisOf(model), kind, year, lastDay, clock))
            if (e.julianDay >= from && e.julianDay < to) events.push_back(e);
          return events;
        };
        const std::vector<CalendarEvent> design = inside(AstroModel::Design), precise = inside(AstroModel::Precise);
        ASSERT_EQ(design.size(), precise.size()) << year << (kind == EventKind::SolarTerms ? " terms" : " phases");
        for (std::size_t i = 0; i < design.size(); ++i) {
          EXPECT_EQ(design[i].angle, precise[i].angle) << year << " #" << i;
          EXPECT_NEAR(design[i].julianDay, precise[i].julianDay, 0.5 / 24) << year << " " << design[i].name;
        }
      }
    }
  }
}

TEST(SolarTermOfDay, NamesOnlyTheDayTheTermBegins) {
  const struct {
    int month, day;
    std::optional<int> term;
    double longitude, tolerance;
  } cases[] = {
      {3, 20, 0, 0.0, 0.001},
      {12, 21, 18, 270.0, 0.001},
      {3, 21, std::nullopt, 1.0, 0.5},  // noon of the next day
      {3, 19, std::nullopt, 359.0, 0.5},
  };
  for (const auto& c : cases) {
    const SolarTermDay day = design::SolarTermOfDay(2000, c.month, c.day, kLists);
    EXPECT_EQ(day.term, c.term) << c.month << "/" << c.day;
    EXPECT_NEAR(day.longitude, c.longitude, c.tolerance) << c.month << "/" << c.day;
  }
  EXPECT_STREQ(SolarTermNames[18], "冬至");
}

// The day searches measure the sun less the plain aberration of 0.0057
// degrees, which moves every term by about eight minutes and a new moon by
// about forty seconds. These pin the almanac's own series, not the sky: the
// true apparent longitude at that noon is about 0.80 degrees, and the new
// moon fell at 18:14 UT, some three minutes later.
TEST(TermSearches, MeasureTheSunLessThePlainAberration) {
  EXPECT_NEAR(design::SolarTermOfDay(2000, 3, 21, kLists).longitude, 0.810528, 1e-5);  // noon JST, no term
  const MomentPair moons = design::RecentNewMoons(JstNoon(2000, 2, 10), kLists);
  ASSERT_TRUE(moons.first);
  EXPECT_NEAR(*moons.first, 2451550.257581, 5.0 / 86400.0);  // 2000-01-06 18:10:55 UT
}

TEST(DaysSinceSpringBegins, CountsFromRisshun) {
  const struct {
    int month, day, expected;
  } cases[] = {{2, 4, 0}, {2, 3, -1}, {2, 5, 1}, {5, 1, 87}, {12, 31, 331}};
  for (const auto& c : cases)
    EXPECT_EQ(design::DaysSinceSpringBegins(2000, c.month, c.day, kLists), c.expected) << c.month << "/" << c.day;
  EXPECT_EQ(design::DaysSinceSpringBegins(NAN, 1, 1, kLists), std::nullopt);
}

TEST(SunDegreeOfDay, WholeDegreesAndTheDaysWithoutOne) {
  int missing = 0;
  double previous = -1.0;
  for (int d = 1; d <= 366; ++d) {
    const std::optional<SunDegree> q = design::SunDegreeOfDay(2000, 1, d, kLists);
    if (!q) {
      ++missing;
      const LocalTime t = JulianDayToDate(JstNoon(2000, 1, d), kLists);
      EXPECT_TRUE(t.month >= 4 && t.month <= 9) << t.month << "/" << t.day;
      continue;
    }
    EXPECT_EQ(q->degree, std::trunc(q->degree));
    EXPECT_GE(q->degree, 0.0);
    EXPECT_LT(q->degree, 360.0);
    // The crossing lies in the day.
    EXPECT_GE(q->moment, JstNoon(2000, 1, d) - 0.5) << d;
    EXPECT_LT(q->moment, JstNoon(2000, 1, d) + 0.5) << d;
    if (previous >= 0.0) {
      EXPECT_TRUE(q->degree == std::fmod(previous + 1.0, 360.0) || q->degree == std::fmod(previous + 2.0, 360.0))
          << d;
    }
    previous = q->degree;
  }
  EXPECT_EQ(missing, 7);
}

TEST(RecentNewMoons, FindsTheNewMoonsOfTheLastFortyDays) {
  const MomentPair moons = design::RecentNewMoons(JstNoon(2000, 2, 10), kLists);
  ASSERT_TRUE(moons.first && moons.second);
  const ClockReading a = ClockOf(*moons.first), b = ClockOf(*moons.second);
  EXPECT_EQ(a.month * 100 + a.day, 107);
  EXPECT_NEAR(a.minutes, 3 * 60 + 10, 3.0);  // the series; true 03:13:27
  EXPECT_EQ(b.month * 100 + b.day, 205);
  // A window holding one new moon has no second.
  const MomentPair one = design::RecentNewMoons(JstNoon(2000, 1, 20), kLists);
  ASSERT_TRUE(one.first);
  EXPECT_EQ(ClockOf(*one.first).day, 7);
  EXPECT_EQ(one.second, std::nullopt);
}

// Both are noons of a day 甲子 (r = 0) within 30 days of the two solstices.
void ExpectCycleDaysNear(const MomentPair& found, const JulianDay (&solstices)[2]) {
  ASSERT_TRUE(found.first && found.second);
  const double days[] = {*found.first, *found.second};
  EXPECT_GT(days[1], days[0]);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(std::trunc(std::fmod(days[i] - 10.0, 60.0)), 0.0) << i;
    EXPECT_LE(std::fabs(days[i] - solstices[i]), 30.0) << i;
  }
}

TEST(SolsticeCycleStartDays, CycleDaysNearTheSolstices) {
  const JulianDay solstices[] = {JstNoon(1999, 12, 22), JstNoon(2000, 6, 21)};
  ExpectCycleDaysNear(design::SolsticeCycleStartDays(JstNoon(2000, 3, 1), kLists), solstices);
}

// A term late on a winter evening (the noon longitude then falls more than
// half a degree short of it) and a root on a bisection midpoint used to be
// lost by the day search, and the panel's longitude differed from the list's
// by minutes at midnight: the panel and the term list now name the same day
// for every term. The years hold the cases that went wrong.
TEST(SolarTermOfDay, NamesTheDayTheTermListGives) {
  const Ephemeris& design = EphemerisOf(AstroModel::Design);
  for (int year : {1950, 1953, 1577, 2023}) {
    std::vector<std::string> listed, named;
    for (const CalendarEvent& e : YearEventTable(design, EventKind::SolarTerms, year, 366, kLists))
      if (e.year == year)
        listed.push_back(std::to_string(static_cast<int>(e.month)) + "/" + std::to_string(static_cast<int>(e.day)) +
                         " " + e.name);
    for (int d = 1; d <= 366; ++d) {
      const LocalTime t = JulianDayToDate(JstNoon(year, 1, d), kLists);
      if (t.year != year) break;
      const SolarTermDay day = design::SolarTermOfDay(t.year, t.month, t.day, kLists);
      if (day.term)
        named.push_back(std::to_string(static_cast<int>(t.month)) + "/" + std::to_string(static_cast<int>(t.day)) +
                        " " + SolarTermNames[*day.term]);
    }
    EXPECT_EQ(listed.size(), 24u) << year;
    EXPECT_EQ(named, listed) << year;
  }
  // 大寒 at 23:48:54 (true 23:59:35).
  EXPECT_EQ(design::SolarTermOfDay(1950, 1, 20, kLists).term, 20);
  EXPECT_EQ(design::SolarTermOfDay(1953, 3, 6, kLists).term, 23);  // 啓蟄
}

// The 九星 switch days follow the solstices; a solstice late in its day
// used to be missed, and the cycle day of the one after it taken instead.
TEST(SolsticeCycleStartDays, FindsTheSolsticeLateInItsDay) {
  // The summer solstice of 1576 and the winter one, late on 1576-12-11
  // (Julian), whose cycle day used to be skipped for that of June 1577.
  const JulianDay solstices[] = {JstNoon(1576, 6, 10), JstNoon(1576, 12, 11)};
  ExpectCycleDaysNear(design::SolsticeCycleStartDays(JstNoon(1577, 1, 15), kLists), solstices);
}

}  // namespace
