#include <gtest/gtest.h>

#include <cmath>

#include "astro/astro.h"
#include "tests/support/PublishedMoment.h"

namespace {

struct DateCase {
  const char* what;
  int mode;
  double year, month, day, hour, longitude;
  double expected;
};

TEST(DateToJulianDay, KnownInstants) {
  const DateCase cases[] = {
      {"J2000 at Greenwich", 0, 2000, 1, 1, 12, 0.0, 2451545.0},
      {"J2000 read on Japan Standard Time", 0, 2000, 1, 1, 12, 135.0, 2451544.625},
      {"the epoch of the count", 0, -4712, 1, 1, 12, 0.0, 0.0},
      {"last Julian day", 0, 1582, 10, 4, 0, 135.0, 2299159.125},
      {"first Gregorian day", 0, 1582, 10, 15, 0, 135.0, 2299160.125},
      {"proleptic Gregorian 1582-10-04", 1, 1582, 10, 4, 0, 135.0, 2299149.125},
      {"zone +10 from 142.5 east", 0, 2000, 1, 1, 10, 142.5, 2451544.5},
      {"zone -10 from 142.5 west", 0, 2000, 1, 1, 0, -142.5, 2451544.5 + 10.0 / 24.0},
      {"local mean time at 139.7 before March 1887", 0, 1887, 2, 28, 12, 139.7,
       DateToJulianDay(1887, 2, 28, 12, 0.0, 0) - 139.7 / 15.0 / 24.0},
      {"zone time at 139.7 from March 1887", 0, 1887, 3, 1, 12, 139.7,
       DateToJulianDay(1887, 3, 1, 12, 0.0, 0) - 9.0 / 24.0},
  };
  for (const DateCase& c : cases) {
    const JulianDay jd = DateToJulianDay(c.year, c.month, c.day, c.hour, c.longitude, c.mode);
    EXPECT_NEAR(jd, c.expected, 1e-9) << c.what;
    // The form without a rule reads the published one.
    const testsupport::PublishedMoment rule(c.mode);
    EXPECT_EQ(DateToJulianDay(c.year, c.month, c.day, c.hour, c.longitude), jd) << c.what;
  }
}

TEST(DateToJulianDay, MonthAndDayCarry) {
  EXPECT_EQ(DateToJulianDay(2000, 13, 1, 0, 135.0), DateToJulianDay(2001, 1, 1, 0, 135.0));
  EXPECT_EQ(DateToJulianDay(2000, 3, 0, 0, 135.0), DateToJulianDay(2000, 2, 29, 0, 135.0));
  EXPECT_EQ(DateToJulianDay(2000, 0, 1, 0, 135.0), DateToJulianDay(1999, 12, 1, 0, 135.0));
}

struct RoundTripCase {
  int mode;
  double year, month, day, hour, longitude;
};

TEST(JulianDayToDate, InvertsDateToJulianDay) {
  const RoundTripCase cases[] = {
      {0, 1582, 10, 4, 0, 135.0}, {0, 1582, 10, 15, 0, 135.0}, {1, 1582, 10, 4, 0, 135.0},
      {0, 2000, 2, 29, 21.5, 135.0}, {0, -4712, 1, 1, 12, 0.0}, {0, -500, 3, 1, 6, 135.0},
      {1, -500, 3, 1, 6, 135.0}, {0, 2100, 12, 31, 23.75, -75.0}, {0, 1900, 1, 1, 0, 139.7},
  };
  for (const RoundTripCase& c : cases) {
    double y, m, d, h;
    const JulianDay jd = DateToJulianDay(c.year, c.month, c.day, c.hour, c.longitude, c.mode);
    JulianDayToDate(jd, y, m, d, h, c.longitude, c.mode);
    EXPECT_EQ(y, c.year);
    EXPECT_EQ(m, c.month);
    EXPECT_EQ(d, c.day) << c.year << "-" << c.month << "-" << c.day << " mode " << c.mode;
    EXPECT_NEAR(h, c.hour, 1e-6);
    const testsupport::PublishedMoment rule(c.mode);
    double y2, m2, d2, h2;
    JulianDayToDate(jd, y2, m2, d2, h2, c.longitude);
    EXPECT_TRUE(y2 == y && m2 == m && d2 == d && h2 == h) << "published rule, mode " << c.mode;
  }
}

TEST(JulianDayToDate, InverseStillReadsLocalMeanTimeInEarly1887) {
  // Forward reads zone time from 1887-03-01, the inverse only from jd 2410641.
  double y, m, d, h;
  JulianDayToDate(DateToJulianDay(1887, 3, 1, 12, 139.7), y, m, d, h, 139.7);
  EXPECT_EQ(d, 1);
  EXPECT_NEAR(h, 12.0 + 139.7 / 15.0 - 9.0, 1e-6);
}

TEST(LocalSiderealTime, StaysInADay) {
  const double jds[] = {2451545.0, 2415020.0, 0.0, -1e6, 2460000.123, 2415020.0 - 18.6461 / 24.0 / 1.0027379092558308};
  for (double jd : jds)
    for (double lon : {-180.0, 0.0, 139.7, 180.0}) {
      const double lst = LocalSiderealTime(jd, lon);
      EXPECT_GE(lst, 0.0) << jd;
      EXPECT_LT(lst, 24.0) << jd;
    }
  // Greenwich mean sidereal time at J2000 is 18h 41m 50.5s.
  EXPECT_NEAR(LocalSiderealTime(2451545.0, 0.0), 18.6973, 2e-3);
}

TEST(Sexagesimal, PackedAndSplitForms) {
  EXPECT_NEAR(SexagesimalToDecimal(12.3045), 12.5125, 1e-9);
  EXPECT_NEAR(SexagesimalToDecimal(-0.3), -0.5, 1e-9);
  EXPECT_NEAR(SexagesimalHoursToDegrees(1.3), 22.5, 1e-9);
  // 12.3000 stored a hair low reads as 29 minutes 99.99 seconds unless repaired.
  EXPECT_NEAR(SexagesimalToDecimalCarry(12.29999999), 12.5, 1e-6);
  EXPECT_NEAR(SexagesimalToDecimalCarry(-12.3045), -12.5125, 1e-9);

  double whole, minutes, seconds;
  SplitSexagesimal(12.5125, whole, minutes, seconds);
  EXPECT_EQ(whole, 12);
  EXPECT_EQ(minutes, 30);
  EXPECT_NEAR(seconds, 45, 1e-6);
}

}  // namespace
