#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "astro/AstroTable.h"
#include "astro/astro.h"

namespace {

constexpr CalendarRule kMixed = CalendarRule::JulianThenGregorian;
const DateClock kJst = DayCountClock(kMixed);
const DateClock kHarbour = HarbourClock(kMixed, TimeZone::Design());

// Minutes since midnight of `day` (2000-01) on Japan Standard Time; a moment
// of the next day counts past 1440.
double MinutesOf(double jd, int day) { return (jd - DateToJulianDay(2000, 1, day, 0.0, kJst)) * 1440.0; }

// The four tide moments in the table's order: high 1, high 2, low 1, low 2.
std::optional<JulianDay> Tide(const TideDay& tides, int i) { return TideMoment(tides, i); }

struct TideCase {
  int day;
  double high1, high2, low1, low2;  // expected clock minutes; NaN where not checked
};
constexpr double kAny = NAN;
constexpr double kNone = INFINITY;  // the tide must be none
constexpr Place kTokyo{35.68, 139.7};

TEST(TideTimes, TokyoBayHighAndLowWaters) {
  const TideCase cases[] = {
      {1, 1 * 60 + 7, 13 * 60 + 21, 7 * 60 + 7, 20 * 60 + 34},
      // The second low water of the 8th falls at 00:26 on the 9th, and the
      // 9th reports the one at 23:51 on the 8th as its first.
      {8, kAny, kAny, kAny, 24 * 60 + 26},
      {9, kAny, kAny, -9, kAny},
      // The next high water after 12:13 comes later than 03:00 of the 17th.
      {16, 12 * 60 + 13, kNone, kAny, kAny},
  };
  for (const auto& c : cases) {
    const TideDay tides = TideTimes(DateToJulianDay(2000, 1, c.day, 9.5, kJst), kTokyo, kHarbour);
    const double want[] = {c.high1, c.high2, c.low1, c.low2};
    for (int i = 0; i < 4; ++i) {
      if (std::isnan(want[i])) continue;
      if (std::isinf(want[i])) {
        EXPECT_EQ(Tide(tides, i), std::nullopt) << c.day << " result " << i;
        EXPECT_EQ(TideTimeText(Tide(tides, i), kHarbour), " --") << c.day << " result " << i;
        continue;
      }
      ASSERT_TRUE(Tide(tides, i)) << c.day << " result " << i;
      EXPECT_NEAR(MinutesOf(*Tide(tides, i), c.day), want[i], 2.0) << c.day << " result " << i;
    }
  }
}

TEST(TideTimes, DoesNotDependOnTheObserverLongitude) {
  const JulianDay jd = DateToJulianDay(2000, 1, 1, 12.0, kJst);
  const TideDay tokyo = TideTimes(jd, kTokyo, kHarbour);
  const TideDay other = TideTimes(jd, Place{kTokyo.latitude, -75.0}, kHarbour);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Tide(tokyo, i), Tide(other, i)) << i;
}

// The harbour's day is read on the zone shown: Asia/Tokyo and the design's
// zone (+9 at 139.7 E) give the same tides from 1888 on.
TEST(TideTimes, TheDefaultZoneGivesTheDesignsTidesInJapan) {
  std::string error;
  const std::optional<TimeZone> tokyoZone = TimeZone::Named(TimeZone::kDefaultName, error);
  ASSERT_TRUE(tokyoZone) << error;
  const DateClock harbour = HarbourClock(kMixed, *tokyoZone);
  for (int day : {1, 8, 16}) {
    const JulianDay jd = DateToJulianDay(2000, 1, day, 9.5, kJst);
    const TideDay a = TideTimes(jd, kTokyo, kHarbour), b = TideTimes(jd, kTokyo, harbour);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Tide(a, i), Tide(b, i)) << day << " " << i;
  }
}

TEST(TideTimes, NoNumberGivesNoTide) {
  const TideDay tides = TideTimes(NAN, kTokyo, kHarbour);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Tide(tides, i), std::nullopt) << i;
}

TEST(TideHeight, StaysWithinTheSumOfTheAmplitudes) {
  for (int day = 0; day < 6800; day += 97) {  // nearly one nodal cycle
    for (double t = 0.0; t < 24.0; t += 2.5) {
      const JulianDay jd = DateToJulianDay(2000, 1, 1 + day, t, {kMixed, Clock{TimeZone::Design(), 139.7}});
      const TideLevel level = TideHeight(jd, t, kTokyo);
      EXPECT_NEAR(level.aboveDatum, 1.17 + level.height, 1e-12);
      EXPECT_LE(std::fabs(level.height), 1.26) << day << " " << t;
    }
  }
}

}  // namespace
