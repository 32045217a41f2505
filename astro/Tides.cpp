#include "astro/Tides.h"

#include <cmath>

#include "astro/Coordinates.h"
#include "astro/Clock.h"
#include "astro/Moon.h"
#include "astro/Search.h"
#include "astro/Sun.h"
#include "astro/TimeScales.h"

namespace {

// Tokyo Bay's mean level above the chart datum.
constexpr double kMeanLevel = 1.17;
constexpr int kRefineSteps = 30;

// A constituent's phase reduced into [0, 360).
double ReducePhase(double phase) {
  double r = phase - 360.0 * std::trunc(phase / 360.0);
  return r < 0.0 ? r + 360.0 : r;
}

// Height above the datum at hour t of the fixed local date.
// The day being searched and whose parallax it uses.
struct HarbourDay {
  LocalTime date;
  Place observer;
  DateClock on;
};

double HeightAt(const HarbourDay& d, double hour) {
  const JulianDay jd = DateToJulianDay(d.date.year, d.date.month, d.date.day, hour, d.on);
  return TideHeight(jd, hour, d.observer).aboveDatum;
}

// Narrows a turning point bracketed by [ta, tc], whose heights are known:
// for a high water the lower end moves to the midpoint, for a low water the
// higher one. The moment of tc once both ends agree; none when they never do.
std::optional<JulianDay> RefineTurningPoint(const HarbourDay& d, double ta, double tc, double ha, double hc, bool high) {
  const auto height = [&d](double hour) { return HeightAt(d, hour); };
  const RootResult found = FindRoot(height, {ta, tc, ha, hc}, TurningPointNarrowing{high, 1e-6, kRefineSteps});
  if (!found.root) return std::nullopt;
  return DateToJulianDay(d.date.year, d.date.month, d.date.day, *found.root, d.on);
}

}  // namespace

DateClock HarbourClock(CalendarRule calendar, const TimeZone& zone) {
  return {calendar, Clock{zone, kHarbourLongitude}};
}

TideLevel TideHeight(double julianDay, double hour, const Place& observer) {
  const BodyPosition moon = MoonPosition(julianDay, Place{observer.latitude, kHarbourLongitude}, true);
  const double n = moon.node, m = moon.longitude, s = SunPosition(julianDay, observer).longitude;

  const double fM2 = 1.004 - 0.0373 * CosDeg(n) + 0.0002 * CosDeg(2 * n);
  const double uM2 = -2.14 * SinDeg(n);
  const double fK1 = 1.006 + 0.115 * CosDeg(n) - 0.0088 * CosDeg(2 * n) + 0.0006 * CosDeg(3 * n);
  const double uK1 = -8.86 * SinDeg(n) + 0.68 * SinDeg(2 * n) - 0.07 * SinDeg(3 * n);
  const double fO1 = 1.0089 + 0.1871 * CosDeg(n) - 0.0147 * CosDeg(2 * n) + 0.0014 * CosDeg(3 * n);
  const double uO1 = 10.8 * SinDeg(n) - 1.34 * SinDeg(2 * n) + 0.19 * SinDeg(3 * n);

  const double pM2 = ReducePhase(2 * s - 2 * m + uM2 + 2 * kHarbourLongitude - 260.82 - 154.2);
  const double pS2 = ReducePhase(2 * kHarbourLongitude - 270.0 - 182.7);
  const double pK1 = ReducePhase(s + 90.0 + uK1 + kHarbourLongitude - 135.0 - 179.5);
  const double pO1 = ReducePhase(s - 2 * m + 270.0 + uO1 + kHarbourLongitude - 125.1 - 160.98);

  TideLevel level;
  level.height = 0.482 * fM2 * CosDeg(28.98 * hour + pM2) + 0.238 * CosDeg(30.0 * hour + pS2) +
           0.252 * fK1 * CosDeg(15.0 * hour + pK1) + 0.198 * fO1 * CosDeg(13.9 * hour + pO1);
  level.aboveDatum = level.height + kMeanLevel;
  return level;
}

TideDay TideTimes(double julianDay, const Place& observer, const DateClock& harbour) {
  const HarbourDay d{JulianDayToDate(julianDay, harbour), observer, harbour};
  TideDay found;
  int highs = 0, lows = 0;
  // Hourly samples from 23:00 of the previous day to 03:00 of the next; each
  // hour is probed once and passed along.
  double ha = HeightAt(d, -1.0);
  double hb = HeightAt(d, 0.0);
  for (int t = -1; t <= 25; ++t) {
    const double hc = HeightAt(d, t + 2);
    if (ha < hb && hb > hc) {
      if (++highs == 3) break;
      found.high[highs - 1] = RefineTurningPoint(d, t, t + 2, ha, hc, true);
    } else if (ha > hb && hb < hc) {
      if (++lows == 3) break;
      found.low[lows - 1] = RefineTurningPoint(d, t, t + 2, ha, hc, false);
    }
    ha = hb;
    hb = hc;
  }
  return found;
}
