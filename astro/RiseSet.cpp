#include "astro/RiseSet.h"

#include <cmath>

#include "astro/Coordinates.h"
#include "astro/Moon.h"
#include "astro/Planets.h"
#include "astro/Search.h"
#include "astro/TimeScales.h"

namespace {

// Altitude of a body's centre at rise and set, the same for every body: the
// moon's place is topocentric already, so no parallax term is needed here.
constexpr double kHorizonAltitude = -0.85;
constexpr int kRefineSteps = 100;

enum class Quantity { Altitude, Azimuth };
using Step = DesignNarrowing::Step;

// What distinguishes the three searches.
struct EventRule {
  Quantity quantity;
  double threshold;
  bool rising;  // the quantity crosses the threshold upwards
  Step step;
  double tolerance;
};

// Rise and set through the altitude `horizon` (the twilights' depths too).
constexpr EventRule RiseRule(double horizon) { return {Quantity::Altitude, horizon, true, Step::kThird, 0.01}; }
constexpr EventRule SetRule(double horizon) { return {Quantity::Altitude, horizon, false, Step::kHalf, 0.15}; }
constexpr EventRule kRise = RiseRule(kHorizonAltitude);
constexpr EventRule kSet = SetRule(kHorizonAltitude);
constexpr EventRule kTransit = {Quantity::Azimuth, 0.0, true, Step::kHalf, 0.01};

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

// The design's narrowing of an hour that brackets the event: the end
// farther from the threshold moves, by a third or to the midpoint, until both
// ends come within the tolerance (bounded, so a NaN place cannot hang it).
// With keepBracket the moved end never steps over the crossing.
DesignNarrowing Narrowing(const EventRule& rule, bool keepBracket) {
  return {rule.threshold,
          rule.rising,
          rule.step,
          DesignNarrowing::Done::kBothNearGoal,
          rule.tolerance,
          kRefineSteps,
          keepBracket};
}

// Steps through the local day hour by hour and refines the first hour that
// brackets the event; none when no hour brackets one or none converges.
std::optional<double> SearchDay(JulianDay jd, int body, const EventRule& rule, const Place& observer,
                                const DateClock& on) {
  const DayProbe probe(jd, body, rule, observer, on);
  // The end of one hour is the start of the next: probe each whole hour once.
  double next = probe(0.0);
  for (int k = 0; k < 24; ++k) {
    const Bracket hour{static_cast<double>(k), k + 1.0, next, probe(k + 1.0)};
    next = hour.fb;
    const RootResult found = FindRoot(probe, hour, Narrowing(rule, false));
    if (found.status == RootStatus::kNoSignChange) continue;
    if (found.root) return found.root;
    // Moving the farther end can step over a crossing that lies on the far
    // side of the midpoint (the moon's transit near the zenith); the hour
    // is searched again without losing it.
    if (const RootResult kept = FindRoot(probe, hour, Narrowing(rule, true)); kept.root) return kept.root;
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
