#include "astro/TermsPhases.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "astro/ClockText.h"
#include "astro/Coordinates.h"
#include "astro/Clock.h"
#include "astro/Moon.h"
#include "astro/Search.h"
#include "astro/Sun.h"
#include "astro/TimeScales.h"
#include "core/Cpu.h"
#include "core/Text.h"

const char* const SolarTermNames[24] = {
    "春分", "清明", "穀雨", "立夏", "小満", "芒種", "夏至", "小暑", "大暑", "立秋", "処暑", "白露",
    "秋分", "寒露", "霜降", "立冬", "小雪", "大雪", "冬至", "小寒", "大寒", "立春", "雨水", "啓蟄"};
const char* const MoonPhaseNames[4] = {"新月", "上弦", "満月", "下弦"};

namespace {

// Every search reads the list clock; the places its quantities are computed
// for lie on the meridian of Japan Standard Time (only the topocentric moon's
// place depends on them, and the searches take it geocentric).
constexpr Place kTermObserver{34.98, kJstLongitude};
constexpr Place kPhaseObserver{34.8, kJstLongitude};
constexpr double kPlainAberration = 0.0057;
constexpr int kDaySearchSteps = 31;
// The noon longitudes that the term of the day and the solstices' and
// 立春's day scans take a closer look at: within a degree of the term.
constexpr double kNoonReach = 1.0;

using Step = DesignNarrowing::Step;

// trunc(value) / divisor as whole numbers, the remainder dropped (the sign
// follows the value, as an integer division does).
double WholeQuotient(double value, double divisor) { return std::trunc(std::trunc(value) / divisor); }

// f at one moment, kept so that consecutive days share their midnight.
struct Sample {
  double jd = NAN;
  double f = 0.0;
};

// An event found within a day: its moment and the goal the quantity reached.
struct DayEvent {
  JulianDay moment;
  double goal;
};

// The shared search within one local day (Y, M, D) of the list clock.
// `quantity` gives f at a Julian day; `target` reads f at the day's start and
// end and gives the goal f reaches in between, none when the day has no
// event. The design's narrowing: the end farther from the goal moves (by
// half or by a third) while the root is kept, until the ends' values agree to
// the tolerance; the event is the bracket's earlier end. `midnight`, when
// given, brings f at the start of the day (used when its moment is the same)
// and takes back f at its end.
template <class Quantity, class Target>
std::optional<DayEvent> DaySearch(const DateClock& on, double year, double month, double day, Quantity quantity,
                                  Target target, double tolerance, Step step, Sample* midnight) {
  const auto momentAt = [&](double hour) { return DateToJulianDay(year, month, day, hour, on); };
  const JulianDay j1 = momentAt(0.0), j2 = momentAt(24.0);
  const double f1 = midnight && midnight->jd == j1 ? midnight->f : quantity(j1);
  const double f2 = quantity(j2);
  if (midnight) *midnight = {j2, f2};
  const std::optional<double> goal = target(f1, f2);
  if (!goal) return std::nullopt;
  const DesignNarrowing narrowing{*goal, true, step, DesignNarrowing::Done::kEndsAgree, tolerance, kDaySearchSteps,
                                  true};
  const auto f = [&](double hour) { return quantity(momentAt(hour)); };
  const RootResult found = FindRoot(f, {0.0, 24.0, f1, f2}, narrowing);
  if (!found.root) return std::nullopt;
  return DayEvent{momentAt(*found.root), *goal};
}

// f of the term searches: the plain-aberration longitude, continuous through 0.
double TermLongitude(double jd);

double PlainLongitudeNear360(double jd) {
  double f = SunPosition(jd, kTermObserver).longitude - kPlainAberration;
  return f > 355.0 ? f - 360.0 : f;
}

double NoonLongitude(const DateClock& on, double year, double month, double day) {
  return SunPosition(DateToJulianDay(year, month, day, 12.0, on), kTermObserver).longitude;
}

// The term whose longitude lies within a degree of the sun's at noon, as 15k;
// false when the day is too far from any term.
bool TermAtNoon(const DateClock& on, double year, double month, double day, double& goal,
                double& noonLongitude) {
  noonLongitude = NoonLongitude(on, year, month, day);
  double lambda = noonLongitude > 350.0 ? noonLongitude - 360.0 : noonLongitude;
  // The nearest term: a term late on a winter evening leaves the noon
  // longitude more than half a degree short of it.
  goal = 15.0 * std::round(lambda / 15.0);
  return std::fabs(goal - lambda) <= kNoonReach;
}

// The moment of the day at which `longitude` reaches `goal`, halving.
std::optional<JulianDay> LongitudeReached(const DateClock& on, double year, double month, double day,
                                          double (*longitude)(double), double goal, double tolerance) {
  const auto fixed = [goal](double, double) { return std::optional<double>(goal); };
  const std::optional<DayEvent> found =
      DaySearch(on, year, month, day, longitude, fixed, tolerance, Step::kHalf, nullptr);
  if (!found) return std::nullopt;
  return found->moment;
}

std::optional<JulianDay> PlainLongitudeReached(const DateClock& on, double year, double month, double day,
                                               double goal, double tolerance) {
  return LongitudeReached(on, year, month, day, PlainLongitudeNear360, goal, tolerance);
}

// f of the new-moon search: elongation from the plain-aberration sun.
double NewMoonElongation(double jd) {
  const double moon = MoonPosition(jd, kPhaseObserver, false).longitude;
  double f = moon - (SunPosition(jd, kPhaseObserver).longitude - kPlainAberration);
  if (f < 0.0) f += 360.0;
  return f > 340.0 ? f - 360.0 : f;
}

// f of the phase list: elongation from the apparent sun.
double PhaseElongation(double jd) {
  const double moon = MoonPosition(jd, kPhaseObserver, false).longitude;
  double f = moon - SunApparentLongitude(jd, kPhaseObserver);
  if (f < 0.0) f += 360.0;
  return f > 340.0 ? f - 360.0 : f;
}

double TermLongitude(double jd) {
  double f = SunApparentLongitude(jd, kPhaseObserver);
  if (f < 0.0) f += 360.0;
  return f > 350.0 ? f - 360.0 : f;
}

// The goals of the lists from f at the day's start and end: the multiple of
// the step below the end's value, when near enough.
std::optional<double> PhaseTarget(double, double f2) {
  if (!std::isfinite(f2)) return std::nullopt;
  const double goal = 90.0 * WholeQuotient(f2, 90.0);
  if (!(std::fabs(goal - f2) <= 30.0)) return std::nullopt;
  return goal;
}

std::optional<double> TermTarget(double f1, double f2) {
  if (!std::isfinite(f2)) return std::nullopt;
  const double goal = 15.0 * WholeQuotient(f2, 15.0);
  if (!(std::fabs(goal - f1) <= 10.0)) return std::nullopt;
  return goal;
}

// How a list's quantity moves: its events lie at multiples of `step`, and it
// never rises faster than `maxRate` a day (with room for a day of 25 hours).
struct ListMotion {
  double step;
  double maxRate;
};
// The sun's apparent longitude moves at most 1.02° a day, the moon's
// elongation at most about 14.6°.
constexpr ListMotion kTermMotion{15.0, 1.2};
constexpr ListMotion kPhaseMotion{90.0, 16.5};

// The days after one on which a quantity `distance` short of a value, moving
// towards it at most `maxRate` a day, cannot reach it: searching them would
// find nothing.
int DaysShortOf(double distance, double maxRate) {
  if (!std::isfinite(distance) || distance <= 0.0) return 0;
  return std::max(0, static_cast<int>(std::floor(distance / maxRate)) - 1);
}

// The days after one whose quantity ended at `value` on which it cannot reach
// its next multiple of the step.
int DaysWithoutEvent(double value, const ListMotion& motion) {
  return DaysShortOf(motion.step * (std::floor(value / motion.step) + 1.0) - value, motion.maxRate);
}

// The new moons' elongation reaches its one goal, 0 (360), once a lunation.
constexpr ListMotion kNewMoonMotion{360.0, kPhaseMotion.maxRate};

// The days after one whose noon longitude is `lambda` (reduced, -10 to 350)
// before a noon within kNoonReach of a solstice.
int DaysBeforeSolsticeNoon(double lambda) {
  const double windows[] = {90.0 - kNoonReach, 270.0 - kNoonReach, 450.0 - kNoonReach};
  for (double start : windows)
    if (lambda < start) return DaysShortOf(start - lambda, kTermMotion.maxRate);
  return 0;
}

// The days before one whose noon longitude is `lambda` (reduced) after a noon
// within kNoonReach of 立春 (315°), the scan running back in time.
int DaysAfterSpringNoon(double lambda) {
  const double end = 315.0 + kNoonReach;
  return DaysShortOf(lambda > end ? lambda - end : lambda + 360.0 - end, kTermMotion.maxRate);
}

// Runs one list over 1 January of `year` and the `lastDay` days after it.
// The days are walked by their noons, so a day the calendar skips (the
// change to the Gregorian calendar) is not searched twice; the days on which
// the quantity cannot reach its next event are passed over.
template <class Quantity, class Target>
std::vector<AngleEvent> ListDayByDay(double year, int lastDay, const DateClock& on, Quantity quantity,
                                   Target target, const ListMotion& motion) {
  // The lists are asked for between two of the windows' drawings; a year of
  // sun and moon positions runs several times slower without this.
  cpu::ClearUpperVectorState();
  std::vector<AngleEvent> events;
  const JulianDay firstNoon = DateToJulianDay(year, 1.0, 1.0, 12.0, on);
  if (!std::isfinite(firstNoon)) return events;
  Sample midnight;
  for (int w = 0; w <= std::min(lastDay, kMaxListDays); ++w) {
    const LocalTime date = JulianDayToDate(firstNoon + w, on);
    const std::optional<DayEvent> found =
        DaySearch(on, date.year, date.month, date.day, quantity, target, 0.01, Step::kThird, &midnight);
    if (found) events.push_back({found->moment, found->goal});
    w += DaysWithoutEvent(midnight.f, motion);
  }
  return events;
}

}  // namespace

std::optional<const char*> EventName(EventKind kind, double angle) {
  const bool phase = kind == EventKind::MoonPhases;
  const double step = phase ? 90.0 : 15.0;
  const int size = phase ? 4 : 24;
  const double k = PositiveModulo(std::round(angle / step), size);
  if (!std::isfinite(k)) return std::nullopt;
  return phase ? MoonPhaseNames[static_cast<int>(k)] : SolarTermNames[static_cast<int>(k)];
}

double NutationInLongitude(double julianDay) {
  double t = (julianDay - 2451545.0) / 36525.0;
  return -0.00478 * SinDeg(125.04 - 1934.136 * t) + 0.00037 * SinDeg(200.93 + 72001.539 * t);
}

double SunApparentLongitude(double julianDay, const Place& observer) {
  const BodyPosition sun = SunPosition(julianDay, observer);
  return sun.longitude - 0.005693 / sun.distance + NutationInLongitude(julianDay);
}

double CycleStartNearSolstice(double moment, double noonOfDay) {
  const double r = std::trunc(std::fmod(noonOfDay - 10.0, 60.0));
  const double before = noonOfDay - r, after = noonOfDay + 60.0 - r;
  return std::fabs(moment - before) < std::fabs(after - moment) ? before : after;
}

std::string EventListItem(const std::string& name, double julianDay, const DateClock& lists) {
  const ClockMoment t = MomentToSecond(julianDay, lists);
  return text::SjisFormat("%5s %2.0f/%2.0f ", name, t.month, t.day) + ClockText(t.time);
}

namespace design {

SolarTermDay SolarTermOfDay(double year, double month, double day, const DateClock& lists) {
  double goal = 0.0, noon = 0.0;
  // The term list's longitude decides the day, so that the panel and the
  // list never name different days for one term.
  if (TermAtNoon(lists, year, month, day, goal, noon)) {
    if (const std::optional<JulianDay> moment = LongitudeReached(lists, year, month, day, TermLongitude, goal, 0.001))
      return {static_cast<int>(PositiveModulo(goal / 15.0, 24.0)), TermLongitude(*moment)};
  }
  return {std::nullopt, noon - kPlainAberration};
}

std::optional<int> DaysSinceSpringBegins(double year, double month, double day, const DateClock& lists) {
  const double j0 = DateToJulianDay(year, month, day, 12.0, lists);
  for (int j = 0; j <= 365; ++j) {
    const double d = day + 1.0 - j;
    double lambda = NoonLongitude(lists, year, month, d);
    if (lambda > 350.0) lambda -= 360.0;
    if (std::fabs(lambda - 315.0) > kNoonReach) {
      j += DaysAfterSpringNoon(lambda);
      continue;
    }
    const std::optional<JulianDay> moment = PlainLongitudeReached(lists, year, month, d, 315.0, 0.1);
    if (!moment) continue;
    const LocalTime spring = JulianDayToDate(*moment, lists);
    double days = std::trunc(j0 - DateToJulianDay(spring.year, spring.month, spring.day, 12.0, lists));
    // A day count of a sane date fits easily; anything else is no answer.
    if (std::fabs(days) < 1e6) return static_cast<int>(days);
    return std::nullopt;
  }
  return std::nullopt;
}

std::optional<SunDegree> SunDegreeOfDay(double year, double month, double day, const DateClock& lists) {
  const double noonJd = DateToJulianDay(year, month, day, 12.0, lists);
  const double dpsi = NutationInLongitude(noonJd);
  auto apparent = [dpsi](double jd) {
    const BodyPosition sun = SunPosition(jd, kTermObserver);
    return sun.longitude - 0.005693 / sun.distance + dpsi;
  };
  double q = std::trunc(apparent(noonJd) + 0.5);
  if (q > 359.0) q -= 360.0;
  // Towards 0°, the longitude before it counts from -1°.
  auto continuous = [&apparent, q](double jd) {
    const double f = apparent(jd);
    return q == 0.0 && f > 359.0 ? f - 360.0 : f;
  };
  const auto degree = [q](double, double) { return std::optional<double>(q); };
  const std::optional<DayEvent> found =
      DaySearch(lists, year, month, day, continuous, degree, 0.001, Step::kThird, nullptr);
  if (!found) return std::nullopt;
  return SunDegree{q < 0.0 ? q + 360.0 : q, found->moment};
}

MomentPair SolsticeCycleStartDays(double julianDay, const DateClock& lists) {
  MomentPair found;
  const LocalTime date = JulianDayToDate(julianDay, lists);
  for (int a = -245; a <= 190 && !found.second; ++a) {
    double goal = 0.0, noon = 0.0;
    const double day = date.day + a;
    if (!TermAtNoon(lists, date.year, date.month, day, goal, noon) || (goal != 90.0 && goal != 270.0)) {
      a += DaysBeforeSolsticeNoon(noon > 350.0 ? noon - 360.0 : noon);
      continue;
    }
    const std::optional<JulianDay> moment = PlainLongitudeReached(lists, date.year, date.month, day, goal, 0.001);
    if (!moment) continue;
    const double j12 = DateToJulianDay(date.year, date.month, day, 12.0, lists);
    (found.first ? found.second : found.first) = CycleStartNearSolstice(*moment, j12);
  }
  return found;
}

MomentPair RecentNewMoons(double julianDay, const DateClock& lists) {
  MomentPair found;
  const LocalTime date = JulianDayToDate(julianDay, lists);
  const auto newMoon = [](double, double) { return std::optional<double>(0.0); };
  Sample midnight;
  for (int a = -40; a <= 0 && !found.second; ++a) {
    const std::optional<DayEvent> newMoonOfDay = DaySearch(lists, date.year, date.month, date.day + a,
                                                           NewMoonElongation, newMoon, 0.001, Step::kThird, &midnight);
    if (newMoonOfDay) (found.first ? found.second : found.first) = newMoonOfDay->moment;
    a += DaysWithoutEvent(midnight.f, kNewMoonMotion);
  }
  if (found.second && *found.second < *found.first) found.second.reset();
  return found;
}

std::vector<AngleEvent> ListMoonPhases(double year, int lastDay, const DateClock& lists) {
  return ListDayByDay(year, lastDay, lists, PhaseElongation, PhaseTarget, kPhaseMotion);
}

std::vector<AngleEvent> ListSolarTerms(double year, int lastDay, const DateClock& lists) {
  return ListDayByDay(year, lastDay, lists, TermLongitude, TermTarget, kTermMotion);
}

}  // namespace design
