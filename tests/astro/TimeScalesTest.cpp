#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "astro/astro.h"

namespace {

constexpr CalendarRule kMixed = CalendarRule::JulianThenGregorian;
constexpr CalendarRule kGregorian = CalendarRule::Gregorian;

// A tz database zone the tests rely on.
TimeZone Zone(const std::string& name) {
  std::string error;
  const std::optional<TimeZone> zone = TimeZone::Named(name, error);
  EXPECT_TRUE(zone) << error;
  return zone ? *zone : TimeZone::Design();
}

DateClock DesignAt(double longitude, CalendarRule calendar) {
  return {calendar, Clock{TimeZone::Design(), longitude}};
}
DateClock ZoneAt(const std::string& name, double longitude) { return {kMixed, Clock{Zone(name), longitude}}; }

// The civil reading of a date and hour as if it were Universal Time.
JulianDay AsUniversal(double year, double month, double day, double hour) {
  return DateToJulianDay(year, month, day, hour, DesignAt(0.0, kMixed));
}

struct DateCase {
  const char* what;
  CalendarRule calendar;
  double year, month, day, hour, longitude;
  double expected;
};

TEST(DateToJulianDay, KnownInstants) {
  const DateCase cases[] = {
      {"J2000 at Greenwich", kMixed, 2000, 1, 1, 12, 0.0, 2451545.0},
      {"J2000 read on Japan Standard Time", kMixed, 2000, 1, 1, 12, 135.0, 2451544.625},
      {"the epoch of the count", kMixed, -4712, 1, 1, 12, 0.0, 0.0},
      {"last Julian day", kMixed, 1582, 10, 4, 0, 135.0, 2299159.125},
      {"first Gregorian day", kMixed, 1582, 10, 15, 0, 135.0, 2299160.125},
      {"proleptic Gregorian 1582-10-04", kGregorian, 1582, 10, 4, 0, 135.0, 2299149.125},
      {"zone +10 from 142.5 east", kMixed, 2000, 1, 1, 10, 142.5, 2451544.5},
      {"zone -10 from 142.5 west", kMixed, 2000, 1, 1, 0, -142.5, 2451544.5 + 10.0 / 24.0},
      {"local mean time at 139.7 before March 1887", kMixed, 1887, 2, 28, 12, 139.7,
       AsUniversal(1887, 2, 28, 12) - 139.7 / 15.0 / 24.0},
      // One switch for both directions: mean time up to the end of 1887
      // (the forward conversion used to switch on 1887-03-01).
      {"local mean time at 139.7 through 1887", kMixed, 1887, 12, 31, 12, 139.7,
       AsUniversal(1887, 12, 31, 12) - 139.7 / 15.0 / 24.0},
      {"zone time at 139.7 from 1888", kMixed, 1888, 1, 1, 12, 139.7, AsUniversal(1888, 1, 1, 12) - 9.0 / 24.0},
  };
  for (const DateCase& c : cases)
    EXPECT_NEAR(DateToJulianDay(c.year, c.month, c.day, c.hour, DesignAt(c.longitude, c.calendar)), c.expected,
                1e-9)
        << c.what;
}

TEST(DateToJulianDay, MonthAndDayCarry) {
  const DateClock jst = DayCountClock(kMixed);
  EXPECT_EQ(DateToJulianDay(2000, 13, 1, 0, jst), DateToJulianDay(2001, 1, 1, 0, jst));
  EXPECT_EQ(DateToJulianDay(2000, 3, 0, 0, jst), DateToJulianDay(2000, 2, 29, 0, jst));
  EXPECT_EQ(DateToJulianDay(2000, 0, 1, 0, jst), DateToJulianDay(1999, 12, 1, 0, jst));
  EXPECT_EQ(DayNoon(2000, 1, 1, kMixed), 2451545.0 - 9.0 / 24.0);
}

struct RoundTripCase {
  CalendarRule calendar;
  double year, month, day, hour, longitude;
};

TEST(JulianDayToDate, InvertsDateToJulianDay) {
  const RoundTripCase cases[] = {
      {kMixed, 1582, 10, 4, 0, 135.0},    {kMixed, 1582, 10, 15, 0, 135.0}, {kGregorian, 1582, 10, 4, 0, 135.0},
      {kMixed, 2000, 2, 29, 21.5, 135.0}, {kMixed, -4712, 1, 1, 12, 0.0},   {kMixed, -500, 3, 1, 6, 135.0},
      {kGregorian, -500, 3, 1, 6, 135.0}, {kMixed, 2100, 12, 31, 23.75, -75.0}, {kMixed, 1900, 1, 1, 0, 139.7},
  };
  for (const RoundTripCase& c : cases) {
    const DateClock on = DesignAt(c.longitude, c.calendar);
    const LocalTime t = JulianDayToDate(DateToJulianDay(c.year, c.month, c.day, c.hour, on), on);
    EXPECT_EQ(t.year, c.year);
    EXPECT_EQ(t.month, c.month);
    EXPECT_EQ(t.day, c.day) << c.year << "-" << c.month << "-" << c.day;
    EXPECT_NEAR(t.hour, c.hour, 1e-6);
  }
}

// Every noon from 1887-03-01 to 1888-01-04 at 139.7 E read back on the same
// clock is the same date at 12:00, in the default zone and the design's:
// both directions switch from mean time to zone time at one moment (the
// inverse used to switch ten months later than the forward conversion).
TEST(JulianDayToDate, NoonRoundTripAcrossTheStartOfStandardTime) {
  const DateClock clocks[] = {ZoneAt(TimeZone::kDefaultName, 139.7), DesignAt(139.7, kMixed)};
  const JulianDay first = AsUniversal(1887, 3, 1, 12), last = AsUniversal(1888, 1, 4, 12);
  for (const DateClock& on : clocks) {
    int days = 0;
    for (JulianDay civil = first; civil <= last; civil += 1.0, ++days) {
      const LocalTime date = JulianDayToDate(civil, DesignAt(0.0, kMixed));
      const LocalTime back = JulianDayToDate(DateToJulianDay(date.year, date.month, date.day, 12.0, on), on);
      ASSERT_TRUE(back.year == date.year && back.month == date.month && back.day == date.day)
          << on.clock.zone.Name() << " " << date.year << "-" << date.month << "-" << date.day;
      ASSERT_NEAR(back.hour, 12.0, 1e-6) << on.clock.zone.Name() << " " << date.year << "-" << date.month << "-"
                                         << date.day;
    }
    EXPECT_EQ(days, 310);
  }
}

// What the clock adds to Universal Time at noon of a date.
struct OffsetCase {
  const char* zone;
  double longitude;
  double year, month, day;
  double hours;
};

TEST(TimeZone, OffsetsOfNamedZonesAndTheDesigns) {
  const double tokyoMean = 139.7 / 15.0;
  const OffsetCase cases[] = {
      // Asia/Tokyo: JST for every place in Japan from 1888, the place's mean time before.
      {"Asia/Tokyo", 139.7, 2026, 6, 21, 9.0},
      {"Asia/Tokyo", 124.16, 2026, 6, 21, 9.0},  // Ishigaki (the design's zone: +8)
      {"Asia/Tokyo", 144.38, 2026, 6, 21, 9.0},  // Kushiro (the design's zone: +10)
      {"Asia/Tokyo", 139.7, 1887, 12, 31, tokyoMean},
      {"Asia/Tokyo", 139.7, 1888, 1, 1, 9.0},
      // Summer time abroad follows the tz database.
      {"America/New_York", -74.0, 2026, 7, 1, -4.0},
      {"America/New_York", -74.0, 2026, 1, 15, -5.0},
      {"Europe/London", 0.0, 2026, 7, 1, 1.0},
      // After the last change the zone's file lists, its rule goes on.
      {"America/New_York", -74.0, 2038, 7, 1, -4.0},
      {"America/Chicago", -96.8, 2045, 8, 12, -5.0},
      {"America/New_York", -74.0, 2100, 7, 1, -4.0},
      {"America/New_York", -74.0, 2100, 12, 1, -5.0},
      {"Australia/Sydney", 151.2, 2100, 1, 15, 11.0},
      // Every name of Asia/Tokyo's file keeps JST (no summer time in 1950).
      {"Japan", 139.7, 1950, 6, 15, 9.0},
      {"Japan", 139.7, 1887, 12, 31, tokyoMean},
      // The design's whole-hour zone nearest the longitude.
      {"design", 124.16, 2026, 6, 21, 8.0},
      {"design", 144.38, 2026, 6, 21, 10.0},
      {"design", -74.0, 2026, 7, 1, -5.0},
      {"design", 139.7, 1887, 12, 31, tokyoMean},
  };
  for (const OffsetCase& c : cases) {
    const DateClock on = ZoneAt(c.zone, c.longitude);
    const JulianDay jd = DateToJulianDay(c.year, c.month, c.day, 12.0, on);
    EXPECT_NEAR((AsUniversal(c.year, c.month, c.day, 12.0) - jd) * 24.0, c.hours, 1e-6)
        << c.zone << " " << c.longitude << " " << c.year << "-" << c.month << "-" << c.day;
    const LocalTime back = JulianDayToDate(jd, on);
    EXPECT_TRUE(back.day == c.day && std::fabs(back.hour - 12.0) < 1e-6) << c.zone << " " << c.year;
  }
}

// Readings the clock skipped or showed twice: on the day summer time begins
// and ends, and at Japan's switch to standard time (the clock went back from
// 00:18:48 mean time to 00:00 JST).
TEST(TimeZone, ReadingsSkippedOrShownTwice) {
  using R = TimeZone::Reading;
  const struct {
    const char* zone;
    double longitude, year, month, day, hour;
    R kind;
  } cases[] = {
      {"America/New_York", -74.0, 2026, 3, 8, 2.5, R::Skipped},
      {"America/New_York", -74.0, 2026, 3, 8, 3.5, R::Once},
      {"America/New_York", -74.0, 2026, 11, 1, 1.5, R::Twice},
      {"America/New_York", -74.0, 2026, 11, 1, 2.5, R::Once},
      {"America/New_York", -74.0, 2045, 3, 12, 2.5, R::Skipped},
      {"Europe/London", 0.0, 2026, 3, 29, 1.5, R::Skipped},
      {"Australia/Sydney", 151.2, 2026, 4, 5, 2.5, R::Twice},
      {"Asia/Tokyo", 139.7, 1888, 1, 1, 0.25, R::Twice},
      {"Asia/Tokyo", 139.7, 1888, 1, 1, 0.5, R::Once},
  };
  for (const auto& c : cases) {
    const DateClock on = ZoneAt(c.zone, c.longitude);
    EXPECT_EQ(on.clock.zone.KindOfReading(AsUniversal(c.year, c.month, c.day, c.hour), c.longitude), c.kind)
        << c.zone << " " << c.year << "-" << c.month << "-" << c.day << " " << c.hour;
  }
}

TEST(TimeZone, UnknownNamesAreRefused) {
  for (const char* name : {"Asia/Nowhere", "", "JST+9", "../etc/passwd", "/etc/passwd", "Asia/../Asia/Tokyo",
                           "Fixed/UTC+09:00"}) {
    std::string error;
    EXPECT_FALSE(TimeZone::Named(name, error)) << name;
    EXPECT_NE(error.find(name), std::string::npos) << error;
  }
  std::string error;
  const std::optional<TimeZone> design = TimeZone::Named("design", error);
  ASSERT_TRUE(design);
  EXPECT_TRUE(design->IsDesign());
}

// From 1888 on the design's zone gives the whole-hour results the almanac
// always gave: the hour nearest longitude / 15, halves away from zero.
TEST(TimeZone, DesignZoneKeepsTheWholeHourResultsFrom1888) {
  const double longitudes[] = {0.0, 7.4, 7.5, 22.6, 124.16, 135.0, 139.7, 142.5, 144.38, 179.9, -7.5, -74.0, -142.5};
  const double dates[][3] = {{1888, 1, 1}, {1900, 6, 30}, {2026, 6, 21}, {2100, 12, 31}};
  for (double lon : longitudes)
    for (const auto& d : dates) {
      const double zone = std::copysign(std::floor(std::fabs(lon) / 15.0 + 0.5), lon);
      EXPECT_DOUBLE_EQ(DateToJulianDay(d[0], d[1], d[2], 6.25, DesignAt(lon, kMixed)),
                       AsUniversal(d[0], d[1], d[2], 6.25) - zone / 24.0)
          << lon << " " << d[0];
    }
}

// The clock of the calendar's days is Japan Standard Time whatever zone is
// shown, and Asia/Tokyo agrees with it at 135 E at every date.
TEST(DayCountClock, IsJapanStandardTime) {
  const DateClock tokyo = ZoneAt(TimeZone::kDefaultName, kJstLongitude);
  for (double year : {-500.0, 1582.0, 1887.0, 1888.0, 2026.0})
    EXPECT_DOUBLE_EQ(DateToJulianDay(year, 5, 10, 12.0, tokyo), DayNoon(year, 5, 10, kMixed)) << year;
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
