// The searches' fast angles (a fitted earth) against the exact ones, and the
// found moments against the exact angles' own crossings.
#include <erfa.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "astro/precise/DeltaT.h"
#include "astro/precise/EventAngles.h"
#include "astro/precise/Events.h"

namespace {

JulianDay YearStart(double year) { return 2451544.5 + (year - 2000.0) * 365.25; }

double Wrap180(double degrees) {
  double d = std::fmod(degrees, 360.0);
  if (d > 180.0) d -= 360.0;
  if (d <= -180.0) d += 360.0;
  return d;
}

// The fitted earth against eraEpv00's at moments off the fits' nodes, two
// years from each starting year: the place within `bound` au, the velocity
// within a millionth of itself.
TEST(EventAngles, FittedEarthFollowsTheSeries) {
  const struct {
    double year, bound;
  } spans[] = {{1800.5, 4e-9}, {1900.0, 4e-9}, {2024.3, 4e-9}, {2148.0, 4e-9},
               {1000.2, 5e-8}, {1500.0, 5e-8}, {2600.0, 5e-8}, {2997.9, 5e-8}};
  for (const auto& span : spans) {
    double worstPlace = 0.0, worstVelocity = 0.0;
    for (double day = 0.0; day < 730.0; day += 2.37) {
      const double tt = precise::TerrestrialTime(YearStart(span.year) + day);
      const precise::EarthState exact = precise::EarthAt(tt);
      double moon[2][3];
      eraMoon98(2400000.5, tt - 2400000.5, moon);
      const precise::EarthState fitted = precise::FittedEarthAt(
          tt, {moon[0][0], moon[0][1], moon[0][2]}, {moon[1][0], moon[1][1], moon[1][2]});
      for (int i = 0; i < 3; ++i) {
        worstPlace = std::fmax(worstPlace, std::fabs(fitted.heliocentric[i] - exact.heliocentric[i]));
        worstVelocity = std::fmax(worstVelocity, std::fabs(fitted.velocity[i] - exact.velocity[i]) /
                                                     precise::Length(exact.velocity));
      }
    }
    EXPECT_LE(worstPlace, span.bound) << span.year;
    EXPECT_LE(worstVelocity, 1e-6) << span.year;
  }
}

// Every term and phase of a year lies within 0.025 s of the exact angle's
// crossing, near the present (the fitted angles alone) and far from it (a
// step on the exact angle after the search), whichever order the years are
// asked in.
TEST(EventAngles, FoundMomentsAreTheExactCrossings) {
  const double years[] = {2052.0, 1825.0, 1050.0, 2875.0, -425.0, -1000.0, 3500.0};
  const struct {
    const precise::Motion* motion;
    double spacing;
  } kinds[] = {{&precise::kSunMotion, 15.0}, {&precise::kMoonMotion, 90.0}};
  for (double year : years) {
    for (const auto& kind : kinds) {
      const std::vector<AngleEvent> events =
          precise::Crossings(*kind.motion, kind.spacing, 0.0, YearStart(year), YearStart(year) + 366.0, 1000);
      ASSERT_GE(events.size(), kind.spacing == 15.0 ? 24u : 48u) << year;
      for (const AngleEvent& e : events) {
        const double h = 1e-4;
        const double rate =
            Wrap180(kind.motion->exact(e.moment + h) - kind.motion->exact(e.moment - h)) / (2.0 * h);
        const double seconds = Wrap180(kind.motion->exact(e.moment) - e.angle) / rate * 86400.0;
        EXPECT_LE(std::fabs(seconds), 0.025) << year << " " << e.angle << " " << e.moment;
      }
    }
  }
}

TEST(EventAngles, ResultsDoNotDependOnWhatWasAskedBefore) {
  const auto list = [](double year) {
    return precise::Crossings(precise::kMoonMotion, 90.0, 0.0, YearStart(year), YearStart(year) + 40.0, 100);
  };
  precise::ForgetFoundEvents();
  const std::vector<AngleEvent> first = list(1733.0);
  precise::ForgetFoundEvents();
  list(1732.9);  // fits and blocks that overlap the later question, made first
  list(1733.2);
  EXPECT_TRUE(std::isnan(precise::SunLongitudeFitted(NAN)));  // no fit made for it
  EXPECT_TRUE(precise::Crossings(precise::kSunMotion, 15.0, 0.0, NAN, YearStart(1733.0), 10).empty());
  const std::vector<AngleEvent> again = list(1733.0);
  precise::ForgetFoundEvents();
  ASSERT_EQ(first.size(), again.size());
  for (std::size_t i = 0; i < first.size(); ++i) EXPECT_EQ(first[i].moment, again[i].moment);
}

}  // namespace
