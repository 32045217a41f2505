#include "astro/Tides.h"

#include <cmath>

#include "astro/Coordinates.h"
#include "astro/Globals.h"
#include "astro/Moon.h"
#include "astro/Sun.h"
#include "astro/TimeScales.h"

double HighWater1 = 0.0;
double HighWater2 = 0.0;
double LowWater1 = 0.0;
double LowWater2 = 0.0;

namespace {

// Tokyo Bay: the harbour's meridian and its mean level above the chart datum.
constexpr double kHarbourLongitude = 139.7;
constexpr double kMeanLevel = 1.17;
constexpr int kRefineSteps = 31;

// A constituent's phase reduced into [0, 360).
double ReducePhase(double phase) {
  double r = phase - 360.0 * std::trunc(phase / 360.0);
  return r < 0.0 ? r + 360.0 : r;
}

// Height above the datum at hour t of the fixed local date.
// The day being searched and whose parallax it uses.
struct TideDay {
  double year, month, day;
  Place observer;
};

double HeightAt(const TideDay& d, double hour) {
  const JulianDay jd = DateToJulianDay(d.year, d.month, d.day, hour, kHarbourLongitude);
  double height = 0.0, aboveDatum = 0.0;
  TideHeight(jd, hour, height, aboveDatum, d.observer);
  return aboveDatum;
}

// Narrows a turning point bracketed by [ta, tc], whose heights are known.
// For a high water the lower end moves to the midpoint, for a low water the
// higher one. Returns the moment of tc once both ends agree, 0 when they
// never do. Only the moved end is probed again: the height depends on the
// hour alone.
double RefineTurningPoint(const TideDay& d, double ta, double tc, double ha, double hc, bool high) {
  for (int i = 0; i < kRefineSteps; ++i) {
    if (i > 0) {
      if ((ha > hc) == high) {
        tc = (ta + tc) / 2.0;
        hc = HeightAt(d, tc);
      } else {
        ta = (ta + tc) / 2.0;
        ha = HeightAt(d, ta);
      }
    }
    if (std::fabs(ha - hc) < 1e-6) return DateToJulianDay(d.year, d.month, d.day, tc, kHarbourLongitude);
  }
  return 0.0;
}

}  // namespace

void TideHeight(double julianDay, double hour, double& height, double& heightAboveDatum) {
  TideHeight(julianDay, hour, height, heightAboveDatum, PublishedPlace());
}

void TideTimes(double julianDay) { TideTimes(julianDay, PublishedPlace()); }

void TideHeight(double julianDay, double hour, double& height, double& heightAboveDatum,
                const Place& observer) {
  // MoonPosition recomputes SunRecord at the same moment, so the sun's
  // longitude is at hand without a second SunPosition.
  MoonPosition(julianDay, MoonRecord, 1, observer.latitude, kHarbourLongitude, observer);
  const double n = MoonRecord.node, m = MoonRecord.longitude, s = SunRecord.longitude;

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

  height = 0.482 * fM2 * CosDeg(28.98 * hour + pM2) + 0.238 * CosDeg(30.0 * hour + pS2) +
           0.252 * fK1 * CosDeg(15.0 * hour + pK1) + 0.198 * fO1 * CosDeg(13.9 * hour + pO1);
  heightAboveDatum = height + kMeanLevel;
}

void TideTimes(double julianDay, const Place& observer) {
  TideDay d{0.0, 0.0, 0.0, observer};
  double hour = 0.0;
  JulianDayToDate(julianDay, d.year, d.month, d.day, hour, kHarbourLongitude);
  HighWater1 = HighWater2 = LowWater1 = LowWater2 = 0.0;
  int highs = 0, lows = 0;
  // Hourly samples from 23:00 of the previous day to 03:00 of the next; each
  // hour is probed once and passed along.
  double ha = HeightAt(d, -1.0);
  double hb = HeightAt(d, 0.0);
  for (int t = -1; t <= 25; ++t) {
    const double hc = HeightAt(d, t + 2);
    if (ha < hb && hb > hc) {
      if (++highs == 3) return;
      double moment = RefineTurningPoint(d, t, t + 2, ha, hc, true);
      if (moment != 0.0) (highs == 1 ? HighWater1 : HighWater2) = moment;
    } else if (ha > hb && hb < hc) {
      if (++lows == 3) return;
      double moment = RefineTurningPoint(d, t, t + 2, ha, hc, false);
      if (moment != 0.0) (lows == 1 ? LowWater1 : LowWater2) = moment;
    }
    ha = hb;
    hb = hc;
  }
}
