#include "astro/RiseSet.h"

#include <cmath>

#include "astro/Coordinates.h"
#include "astro/Moon.h"
#include "astro/Planets.h"
#include "astro/TimeScales.h"

namespace {

// Altitude of a body's centre at rise and set, the same for every body: the
// moon's place is topocentric already, so no parallax term is needed here.
constexpr double kHorizonAltitude = -0.85;
constexpr int kRefineSteps = 100;

enum class Quantity { Altitude, Azimuth };
enum class StepRule { Third, Half };

// What distinguishes the three searches.
struct EventRule {
  Quantity quantity;
  double threshold;
  bool rising;  // the quantity crosses the threshold upwards
  StepRule step;
  double tolerance;
};

// Rise and set through the altitude `horizon` (the twilights' depths too).
constexpr EventRule RiseRule(double horizon) { return {Quantity::Altitude, horizon, true, StepRule::Third, 0.01}; }
constexpr EventRule SetRule(double horizon) { return {Quantity::Altitude, horizon, false, StepRule::Half, 0.15}; }
constexpr EventRule kRise = RiseRule(kHorizonAltitude);
constexpr EventRule kSet = SetRule(kHorizonAltitude);
constexpr EventRule kTransit = {Quantity::Azimuth, 0.0, true, StepRule::Half, 0.01};

// The body's place at hour t of the fixed local day, seen from (phi, lambda).
class DayProbe {
 public:
  DayProbe(JulianDay jd, int body, const EventRule& rule, const Place& observer, const DateClock& on)
      : body_(body), rule_(rule), observer_(observer), on_(on), date_(JulianDayToDate(jd, on)) {}

  double operator()(double t) const {
    const JulianDay j = DateToJulianDay(date_.year, date_.month, date_.day, t, on_);
    const BodyPosition place = Locate(j);
    double azimuth, altitude;
    EquatorialToHorizontal(j, place.rightAscension, place.declination, observer_.latitude, observer_.longitude,
                           azimuth, altitude);
    return rule_.quantity == Quantity::Altitude ? altitude : azimuth;
  }

 private:
  BodyPosition Locate(JulianDay j) const {
    if (body_ == BodySun) return SunPosition(j, observer_);
    if (body_ == BodyMoon) return MoonPosition(j, observer_, true);
    return PlanetPosition(body_, j, observer_);
  }

  int body_;
  const EventRule& rule_;
  Place observer_;
  DateClock on_;
  LocalTime date_;
};

bool Brackets(const EventRule& rule, double v1, double v2) {
  return rule.rising ? (v1 < rule.threshold && v2 > rule.threshold)
                     : (v1 > rule.threshold && v2 < rule.threshold);
}

// The crossing lies in [v1, v2], an end on the threshold included.
bool Straddles(const EventRule& rule, double v1, double v2) {
  return rule.rising ? (v1 <= rule.threshold && v2 >= rule.threshold)
                     : (v1 >= rule.threshold && v2 <= rule.threshold);
}

// Narrows [t1, t2] by moving the end farther from the threshold; true when
// both ends come within the tolerance. Bounded, so a NaN place cannot hang it.
// With keepBracket the moved end never steps over the crossing: when the new
// point lies beyond it, the other end takes the point instead.
bool Refine(const DayProbe& probe, const EventRule& rule, double& t1, double& t2, double v1, double v2,
            bool keepBracket) {
  for (int step = 0;; ++step) {
    const double d1 = std::fabs(v1 - rule.threshold);
    const double d2 = std::fabs(v2 - rule.threshold);
    if (d1 < rule.tolerance && d2 < rule.tolerance) return true;
    if (step == kRefineSteps) return false;
    const bool moveSecond = d2 > d1;
    double t;
    if (rule.step == StepRule::Half) {
      t = (t1 + t2) / 2.0;
    } else {
      t = moveSecond ? (t1 + 2.0 * t2) / 3.0 : (2.0 * t1 + t2) / 3.0;
    }
    if (!keepBracket) {
      (moveSecond ? t2 : t1) = t;
      v1 = probe(t1);
      v2 = probe(t2);
      continue;
    }
    const double v = probe(t);
    const bool kept = moveSecond ? Straddles(rule, v1, v) : Straddles(rule, v, v2);
    if (moveSecond == kept) {
      t2 = t;
      v2 = v;
    } else {
      t1 = t;
      v1 = v;
    }
  }
}

// Steps through the local day hour by hour and refines the first hour that
// brackets the event; none when no hour brackets one or none converges.
std::optional<double> SearchDay(JulianDay jd, int body, const EventRule& rule, const Place& observer,
                                const DateClock& on) {
  const DayProbe probe(jd, body, rule, observer, on);
  // The end of one hour is the start of the next: probe each whole hour once.
  double next = probe(0.0);
  for (int k = 0; k < 24; ++k) {
    double t1 = k, t2 = k + 1;
    const double v1 = next;
    const double v2 = probe(t2);
    next = v2;
    if (!Brackets(rule, v1, v2)) continue;
    if (Refine(probe, rule, t1, t2, v1, v2, false)) return t1;
    // Moving the farther end can step over a crossing that lies on the far
    // side of the midpoint (the moon's transit near the zenith); the hour
    // is searched again without losing it.
    double u1 = k, u2 = k + 1;
    if (Refine(probe, rule, u1, u2, v1, v2, true)) return u1;
  }
  return std::nullopt;
}

}  // namespace

namespace design {

std::optional<double> RiseTime(JulianDay jd, int body, const Place& observer, const DateClock& on) {
  return SearchDay(jd, body, kRise, observer, on);
}
std::optional<double> SetTime(JulianDay jd, int body, const Place& observer, const DateClock& on) {
  return SearchDay(jd, body, kSet, observer, on);
}
std::optional<double> TransitTime(JulianDay jd, int body, const Place& observer, const DateClock& on) {
  return SearchDay(jd, body, kTransit, observer, on);
}
SunCrossings SunThrough(double altitude, JulianDay jd, const Place& observer, const DateClock& on) {
  return {SearchDay(jd, BodySun, RiseRule(altitude), observer, on),
          SearchDay(jd, BodySun, SetRule(altitude), observer, on)};
}

}  // namespace design
