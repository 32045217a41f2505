// The eclipse core where the reference tables of the CLI test have no case: a
// total solar eclipse on its path, and the order and span of what is found.
#include <gtest/gtest.h>

#include <cmath>

#include "astro/TimeScales.h"
#include "astro/precise/Eclipses.h"

namespace {

// Universal Time, for spans given in UT.
const DateClock kUtClock{CalendarRule::JulianThenGregorian, Clock{TimeZone::Design(), 0.0}};

JulianDay JstYearStart(int year) { return DateToJulianDay(year, 1, 1, 0.0, kUtClock) - 9.0 / 24.0; }

// 2009-07-22 at Akusekijima (129.6 E, 29.47 N), near the path's centre:
// totality of about 6 min 25 s around 10:57 JST, the sun high in the east.
TEST(Eclipses, TotalSolarEclipseOnItsPath) {
  const JulianDay july22 = DateToJulianDay(2009, 7, 22, 0.0, kUtClock);
  const std::vector<precise::SolarEclipse> found =
      precise::SolarEclipses(july22 - 1.0, july22 + 1.0, Place{29.47, 129.6});
  ASSERT_EQ(found.size(), 1u);
  const precise::SolarEclipse& e = found[0];
  EXPECT_EQ(e.kind, precise::SolarEclipseKind::kTotal);
  ASSERT_TRUE(e.centralBegin && e.centralEnd);
  EXPECT_NEAR((e.centralEnd->moment - e.centralBegin->moment) * 86400.0, 385.0, 15.0);
  EXPECT_LT(e.begin.moment, e.centralBegin->moment);
  EXPECT_LT(e.centralBegin->moment, e.greatest.moment);
  EXPECT_LT(e.greatest.moment, e.centralEnd->moment);
  EXPECT_LT(e.centralEnd->moment, e.end.moment);
  EXPECT_GT(e.magnitude, 1.0);
  EXPECT_DOUBLE_EQ(e.obscuration, 1.0);
  EXPECT_TRUE(e.sunUp);
  EXPECT_FALSE(e.beginsBeforeSunrise || e.endsAfterSunset);
  EXPECT_NEAR(e.greatest.sunAltitude, 68.0, 1.5);  // declination 20.2°, hour angle -22°
}

// The span is half-open on the greatest eclipse: the total lunar eclipse of
// 2029-01-01 01:52 JST (2028-12-31 16:52 UT) belongs to the JST year 2029
// and to the UT year 2028, never to both.
TEST(Eclipses, SpanHoldsTheGreatestEclipse) {
  const Place tokyo{35.6, 139.7};
  const JulianDay greatest = DateToJulianDay(2028, 12, 31, 16.0 + 52.0 / 60.0, kUtClock);
  const auto count = [&](JulianDay from, JulianDay to) {
    int n = 0;
    for (const precise::LunarEclipse& e : precise::LunarEclipses(from, to, tokyo)) {
      EXPECT_GE(e.greatest, from);
      EXPECT_LT(e.greatest, to);
      n += std::fabs(e.greatest - greatest) < 0.01;
    }
    return n;
  };
  EXPECT_EQ(count(JstYearStart(2028), JstYearStart(2029)), 0);
  EXPECT_EQ(count(JstYearStart(2029), JstYearStart(2030)), 1);
  const JulianDay utYear2029 = DateToJulianDay(2029, 1, 1, 0.0, kUtClock);
  EXPECT_EQ(count(DateToJulianDay(2028, 1, 1, 0.0, kUtClock), utYear2029), 1);
  EXPECT_EQ(count(utYear2029, DateToJulianDay(2030, 1, 1, 0.0, kUtClock)), 0);
}

}  // namespace
