#include <gtest/gtest.h>

#include <cmath>

#include "astro/astro.h"
#include "tests/support/PublishedMoment.h"

namespace {

// Minutes since midnight of `day` (2000-01) on Japan Standard Time; a moment
// of the next day counts past 1440.
double MinutesOf(double jd, int day) {
  return (jd - DateToJulianDay(2000, 1, day, 0.0, 135.0)) * 1440.0;
}

struct TideCase {
  int day;
  double high1, high2, low1, low2;  // expected clock minutes; NaN where not checked
};
constexpr double kAny = NAN;
constexpr double kNone = INFINITY;  // the result must stay 0
constexpr Place kTokyo{35.68, 139.7};

TEST(TideTimes, TokyoBayHighAndLowWaters) {
  const testsupport::PublishedMoment rule(0);
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
    TideTimes(DateToJulianDay(2000, 1, c.day, 9.5, 135.0), kTokyo);
    const double got[] = {HighWater1, HighWater2, LowWater1, LowWater2};
    const double want[] = {c.high1, c.high2, c.low1, c.low2};
    for (int i = 0; i < 4; ++i) {
      if (std::isnan(want[i])) continue;
      if (std::isinf(want[i])) {
        EXPECT_EQ(got[i], 0.0) << c.day << " result " << i;
        continue;
      }
      ASSERT_NE(got[i], 0.0) << c.day << " result " << i;
      EXPECT_NEAR(MinutesOf(got[i], c.day), want[i], 2.0) << c.day << " result " << i;
    }
  }
}

TEST(TideTimes, DoesNotDependOnTheObserverLongitude) {
  const testsupport::PublishedMoment rule(0);
  TideTimes(DateToJulianDay(2000, 1, 1, 12.0, 135.0), kTokyo);
  const double tokyo[] = {HighWater1, HighWater2, LowWater1, LowWater2};
  TideTimes(DateToJulianDay(2000, 1, 1, 12.0, 135.0), Place{kTokyo.latitude, -75.0});
  const double other[] = {HighWater1, HighWater2, LowWater1, LowWater2};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(tokyo[i], other[i]) << i;
}

TEST(TideTimes, NoNumberGivesNoTide) {
  TideTimes(NAN);
  EXPECT_EQ(HighWater1 + HighWater2 + LowWater1 + LowWater2, 0.0);
}

TEST(TideHeight, StaysWithinTheSumOfTheAmplitudes) {
  const testsupport::PublishedMoment rule(0);
  for (int day = 0; day < 6800; day += 97) {  // nearly one nodal cycle
    for (double t = 0.0; t < 24.0; t += 2.5) {
      const double jd = DateToJulianDay(2000, 1, 1 + day, t, 139.7);
      double height = 0, datum = 0;
      TideHeight(jd, t, height, datum, kTokyo);
      EXPECT_NEAR(datum, 1.17 + height, 1e-12);
      EXPECT_LE(std::fabs(height), 1.26) << day << " " << t;
    }
  }
}

}  // namespace
