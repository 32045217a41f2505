#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "astro/AstroTable.h"
#include "astro/astro.h"

namespace {

constexpr Place kTokyo{35.68, 139.77};

// The design's clock at a place (the zone hour nearest its longitude), as the
// searches here have always read their hours.
DateClock DesignClock(const Place& place) {
  return {CalendarRule::JulianThenGregorian, Clock{TimeZone::Design(), place.longitude}};
}
const DateClock kTokyoClock = DesignClock(kTokyo);

JulianDay TokyoDay(double year, double month, double day, double hour) {
  return DateToJulianDay(year, month, day, hour, kTokyoClock);
}

// Altitude of a body seen from Tokyo at local hour t of a day, for checking a
// found time.
double AltitudeAt(int body, double year, double month, double day, double t) {
  const JulianDay j = TokyoDay(year, month, day, t);
  return (body == BodySun ? SunPosition(j, kTokyo) : MoonPosition(j, kTokyo, true)).altitude;
}

TEST(RiseSet, TokyoOnNewYearsDay2000) {
  const JulianDay jd = TokyoDay(2000, 1, 1, 9.5);
  const struct {
    const char* what;
    std::optional<double> (*search)(JulianDay, int, const Place&, const DateClock&);
    int body;
    double expected, tolerance;
  } cases[] = {
      {"sunrise", design::RiseTime, BodySun, 6.840, 0.002},
      {"solar transit", design::TransitTime, BodySun, 11.734, 0.002},
      {"sunset", design::SetTime, BodySun, 16.625, 0.002},
      {"moonrise", design::RiseTime, BodyMoon, 1.63, 0.02},
  };
  for (const auto& c : cases) {
    const std::optional<double> t = c.search(jd, c.body, kTokyo, kTokyoClock);
    ASSERT_TRUE(t) << c.what;
    EXPECT_NEAR(*t, c.expected, c.tolerance) << c.what;
  }
}

TEST(RiseSet, FoundTimesSitJustBeforeTheCrossing) {
  const JulianDay jd = TokyoDay(2000, 1, 1, 0);
  const double set = design::SetTime(jd, BodySun, kTokyo, kTokyoClock).value();
  EXPECT_GT(AltitudeAt(BodySun, 2000, 1, 1, set), -0.85);
  EXPECT_LT(AltitudeAt(BodySun, 2000, 1, 1, set + 0.02), -0.85);
  const double rise = design::RiseTime(jd, BodyMoon, kTokyo, kTokyoClock).value();
  EXPECT_LT(AltitudeAt(BodyMoon, 2000, 1, 1, rise), -0.85);
  EXPECT_GT(AltitudeAt(BodyMoon, 2000, 1, 1, rise + 0.002), -0.85);
}

TEST(RiseSet, MoonlessDaysHaveNoRise) {
  // About once a month the moon rises after midnight of the next day; over a
  // month of Tokyo days exactly those days have none, and every other rise
  // is a real crossing inside the day.
  int missing = 0;
  for (int d = 1; d <= 31; ++d) {
    const std::optional<double> rise = design::RiseTime(TokyoDay(2000, 1, d, 12), BodyMoon, kTokyo, kTokyoClock);
    if (!rise) {
      ++missing;
      EXPECT_LT(AltitudeAt(BodyMoon, 2000, 1, d, 23.0), -0.85) << d;
    } else {
      EXPECT_GE(*rise, 0.0);
      EXPECT_LT(*rise, 24.0);
    }
  }
  EXPECT_EQ(missing, 1);
}

// Days without a rise or a set, in both models: the event is none, never an
// hour of the day.
TEST(RiseSet, PolarDaysAndNightsHaveNoRiseOrSetInBothModels) {
  const struct {
    const char* what;
    Place place;
    double year, month, day;
    bool transitAboveHorizon;
  } cases[] = {
      {"midnight sun at 80 N", {80.0, 15.0}, 2000, 6, 21, true},
      {"polar night at 78.2 N", {78.2, 15.6}, 2025, 1, 21, false},
      {"polar night at 78.2 N, new year", {78.2, 15.6}, 2026, 1, 1, false},
  };
  for (AstroModel model : {AstroModel::Design, AstroModel::Precise}) {
    const Ephemeris& ephemeris = EphemerisOf(model);
    for (const auto& c : cases) {
      const DateClock on = DesignClock(c.place);
      const JulianDay jd = DateToJulianDay(c.year, c.month, c.day, 12.0, on);
      const std::string what = std::string(c.what) + " " + AstroModelText(model);
      EXPECT_EQ(ephemeris.RiseTime(BodySun, jd, c.place, on), std::nullopt) << what;
      EXPECT_EQ(ephemeris.SetTime(BodySun, jd, c.place, on), std::nullopt) << what;
      const std::optional<double> transit = ephemeris.TransitTime(BodySun, jd, c.place, on);
      ASSERT_TRUE(transit) << what;
      EXPECT_NEAR(*transit, 12.0, 0.5) << what;
      const JulianDay noon = DateToJulianDay(c.year, c.month, c.day, *transit, on);
      EXPECT_EQ(ephemeris.Position(BodySun, noon, c.place, false).altitude > 0.0, c.transitAboveHorizon) << what;
    }
  }
}

// Times are read on the zone's clock: all of Japan is on JST in Asia/Tokyo,
// where the design's zone put Ishigaki on UT+8 and Kushiro on UT+10. The
// same moment, so the hours differ by the zones' difference exactly.
TEST(RiseSet, SunriseOnTheZonesClock) {
  std::string error;
  const std::optional<TimeZone> tokyo = TimeZone::Named(TimeZone::kDefaultName, error);
  ASSERT_TRUE(tokyo) << error;
  const struct {
    const char* what;
    Place place;
    double designZone;
    std::optional<double> jst;  // the sunrise on JST, where pinned
  } cases[] = {
      {"Ishigaki", {24.34, 124.16}, 8.0, 5 + 55 / 60.0 + 40 / 3600.0},
      {"Kushiro", {42.98, 144.38}, 10.0, std::nullopt},
      {"Tokyo", {35.6, 139.7}, 9.0, std::nullopt},
  };
  for (const auto& c : cases) {
    const DateClock jst{CalendarRule::JulianThenGregorian, Clock{*tokyo, c.place.longitude}};
    const DateClock design = DesignClock(c.place);
    const std::optional<double> onJst =
        design::RiseTime(DateToJulianDay(2026, 6, 21, 12.0, jst), BodySun, c.place, jst);
    const std::optional<double> onDesign =
        design::RiseTime(DateToJulianDay(2026, 6, 21, 12.0, design), BodySun, c.place, design);
    ASSERT_TRUE(onJst && onDesign) << c.what;
    EXPECT_NEAR(*onJst - *onDesign, 9.0 - c.designZone, 1e-3) << c.what;
    if (c.jst) {
      EXPECT_NEAR(*onJst, *c.jst, 1.5 / 3600.0) << c.what;
    }
  }
}

TEST(RiseSet, RiseInTheLastHourIsFound) {
  // Scan a month for a moonrise after 23:00; it must come back as 23.x.
  bool seen = false;
  for (int d = 1; d <= 31 && !seen; ++d) {
    const std::optional<double> rise = design::RiseTime(TokyoDay(2000, 1, d, 12), BodyMoon, kTokyo, kTokyoClock);
    if (rise && *rise > 23.0) {
      seen = true;
      EXPECT_LT(*rise, 24.0);
      EXPECT_LT(AltitudeAt(BodyMoon, 2000, 1, d, *rise), -0.85);
      EXPECT_GT(AltitudeAt(BodyMoon, 2000, 1, d, *rise + 0.002), -0.85);
    }
  }
  EXPECT_TRUE(seen);
}

TEST(RiseSet, PlanetsUseTheirOwnPlace) {
  const JulianDay jd = TokyoDay(2000, 1, 1, 12);
  // Jupiter at RA 23.8 h transits about 6.1 h after the sun (RA 18.7 h) that day.
  const double sun = design::TransitTime(jd, BodySun, kTokyo, kTokyoClock).value();
  const double jupiter = design::TransitTime(jd, BodyJupiter, kTokyo, kTokyoClock).value();
  EXPECT_NEAR(jupiter - sun, (23.84 - 281.3) / 15.0 + 24.0, 0.3);
}

TEST(RiseSet, GarbageInputsHaveNoEvent) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double jd, latitude, longitude;
  } cases[] = {{nan, 35.0, 139.0}, {1e308, 35.0, 139.0}, {-1e308, 35.0, 139.0}, {inf, 35.0, 139.0},
               {2451545.0, nan, 139.0}, {2451545.0, 35.0, nan}, {2451545.0, 1e308, -1e308}};
  for (const auto& c : cases) {
    const Place place{c.latitude, c.longitude};
    const DateClock on = DesignClock(place);
    for (int body = 0; body < kBodyCount; ++body) {
      EXPECT_EQ(design::RiseTime(c.jd, body, place, on), std::nullopt) << c.jd << " " << body;
      EXPECT_EQ(design::SetTime(c.jd, body, place, on), std::nullopt) << c.jd << " " << body;
      EXPECT_EQ(design::TransitTime(c.jd, body, place, on), std::nullopt) << c.jd << " " << body;
    }
  }
}

// Moving the farther end of a bracket to its midpoint can step over a
// crossing on the far side of the midpoint: the moon's transit near the
// zenith was reported as none on these days at Tokyo.
TEST(RiseSet, MoonTransitsBeyondAMidpointAreFound) {
  const Place tokyo{35.6, 139.7};
  const DateClock on = DesignClock(tokyo);
  const struct {
    int year, month, day;
    double hours;  // the true transit
  } cases[] = {{2026, 2, 28, 21 + 29 / 60.0 + 50 / 3600.0},
               {2026, 8, 4, 3 + 30 / 60.0 + 22 / 3600.0},
               {2030, 10, 13, 14 / 60.0 + 52 / 3600.0}};
  for (const auto& c : cases) {
    const std::optional<double> t =
        design::TransitTime(DateToJulianDay(c.year, c.month, c.day, 12.0, on), BodyMoon, tokyo, on);
    ASSERT_TRUE(t) << c.year << "-" << c.month << "-" << c.day;
    EXPECT_NEAR(*t, c.hours, 3.0 / 60.0) << c.year << "-" << c.month << "-" << c.day;
  }
}

// A moonset found between 23:00:00 and 23:00:49 comes out at exactly 23:00,
// the hour that used to mean "no event": it is an event in both models.
TEST(RiseSet, AnEventAtElevenIsAnEvent) {
  const Place tokyo{35.6, 139.7};
  const DateClock on = DesignClock(tokyo);
  const JulianDay jd = DateToJulianDay(2026, 12, 16, 12.0, on);
  const std::optional<double> set = design::SetTime(jd, BodyMoon, tokyo, on);
  ASSERT_TRUE(set);
  EXPECT_NEAR(*set, 23.0, 1e-9);
  EXPECT_EQ(EventTimeText(set, "--:--:--"), "23:00:00");
  const std::optional<double> precise = EphemerisOf(AstroModel::Precise).SetTime(BodyMoon, jd, tokyo, on);
  ASSERT_TRUE(precise);
  EXPECT_NEAR(*precise, 23.0, 2.0 / 60.0);
}

}  // namespace
