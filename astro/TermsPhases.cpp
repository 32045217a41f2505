#include "astro/TermsPhases.h"

#include <cmath>
#include <cstring>
#include <functional>

#include "astro/ClockText.h"
#include "astro/Coordinates.h"
#include "astro/Globals.h"
#include "astro/Moon.h"
#include "astro/Sun.h"
#include "astro/TimeScales.h"
#include "core/Cpu.h"
#include "core/Text.h"

const char* const SolarTermNames[24] = {
    "春分", "清明", "穀雨", "立夏", "小満", "芒種", "夏至", "小暑", "大暑", "立秋", "処暑", "白露",
    "秋分", "寒露", "霜降", "立冬", "小雪", "大雪", "冬至", "小寒", "大寒", "立春", "雨水", "啓蟄"};
const char* const MoonPhaseNames[4] = {"新月", "上弦", "満月", "下弦"};

double EventAngles[kEventCapacity];
double EventJulianDays[kEventCapacity];
int PhaseCount = 0;
int TermCount = 0;

CalendarEvent MoonPhaseTable[kEventTableSize];
CalendarEvent SolarTermTable[kEventTableSize];

namespace {

// Every search reads the clock of Japan Standard Time, and the sun's and the
// moon's horizontal places it leaves in their records are those seen from
// these places on its meridian.
constexpr Place kTermObserver{34.98, kJstLongitude};
constexpr Place kPhaseObserver{34.8, kJstLongitude};
constexpr double kPlainAberration = 0.0057;
// Longest span a list walks: enough for 60 terms (about 900 days), and a
// bound so that no request can keep the loop running.
constexpr double kMaxListDays = 1000.0;
// The table operations cut their span to this.
constexpr double kMaxTableDays = 800.0;
constexpr int kDaySearchSteps = 31;

enum class Step { Bisection, Trisection };

// trunc(value) / divisor as whole numbers, the remainder dropped (the sign
// follows the value, as an integer division does).
double WholeQuotient(double value, double divisor) { return std::trunc(std::trunc(value) / divisor); }

// f at one moment, kept so that consecutive days share their midnight.
struct Sample {
  double jd = NAN;
  double f = 0.0;
};

// The shared search within one local day (Y, M, D) of Japan Standard Time.
// `quantity` gives f at a Julian day; `target` reads f(t1), f(t2) (and may
// adjust f(t1)), sets T and returns false when the day has no event. On
// success `moment` is the Julian day of t1 and `valueAtT1` is f(t1).
// `midnight`, when given, brings f at the start of the day (used when its
// moment is the same) and takes back f at its end.
template <class Quantity, class Target>
bool DaySearch(double year, double month, double day, Quantity quantity, Target target,
               double tolerance, Step step, double& moment, double& valueAtT1,
               Sample* midnight = nullptr) {
  double t1 = 0.0, t2 = 24.0;
  double j1 = DateToJulianDay(year, month, day, t1, kJstLongitude);
  double j2 = DateToJulianDay(year, month, day, t2, kJstLongitude);
  double f1 = midnight && midnight->jd == j1 ? midnight->f : quantity(j1);
  double f2 = quantity(j2);
  if (midnight) *midnight = {j2, f2};
  for (int i = 0; i < kDaySearchSteps; ++i) {
    double g1 = f1, g2 = f2, goal = 0.0;
    if (!target(g1, g2, goal)) return false;
    // Written as "not below" so that a NaN quantity ends the search too.
    if (!(g1 < goal) || !(g2 > goal)) return false;
    if (std::fabs(g1 - g2) < tolerance) {
      moment = j1;
      valueAtT1 = g1;
      return true;
    }
    // The end farther from the goal moves. An end that stays put keeps its
    // value: f depends on the moment alone.
    const bool moveFirst = std::fabs(g1 - goal) >= std::fabs(g2 - goal);
    const double t = step == Step::Bisection ? (t1 + t2) / 2.0
                     : moveFirst             ? (2.0 * t1 + t2) / 3.0
                                             : (t1 + 2.0 * t2) / 3.0;
    const double j = DateToJulianDay(year, month, day, t, kJstLongitude);
    const double f = quantity(j);
    // The farther end is not always on the far side of the root: a root on
    // the new point is the event itself, and one between the new point and
    // the moving end would be stepped over, so then the other end moves.
    double seen = f;
    if (moveFirst) {
      double unused = f2, sameGoal = goal;
      target(seen, unused, sameGoal);  // the reduction f(t1) gets
    }
    if (seen == goal) {
      moment = j;
      valueAtT1 = seen;
      return true;
    }
    const bool rootKept = moveFirst ? seen < goal : seen > goal;
    if (moveFirst == rootKept) {
      t1 = t, j1 = j, f1 = f;
    } else {
      t2 = t, j2 = j, f2 = f;
    }
  }
  return false;
}

// f of the term searches: the plain-aberration longitude, continuous through 0.
double TermLongitude(double jd);

double PlainLongitudeNear360(double jd) {
  double f = SunPlainLongitude(jd, kTermObserver);
  return f > 355.0 ? f - 360.0 : f;
}

double NoonLongitude(double year, double month, double day) {
  SunPosition(DateToJulianDay(year, month, day, 12.0, kJstLongitude), SunRecord, kTermObserver);
  return SunRecord.longitude;
}

// The term whose longitude lies within a degree of the sun's at noon, as 15k;
// false when the day is too far from any term.
bool TermAtNoon(double year, double month, double day, double& goal, double& noonLongitude) {
  noonLongitude = NoonLongitude(year, month, day);
  double lambda = noonLongitude > 350.0 ? noonLongitude - 360.0 : noonLongitude;
  // The nearest term: a term late on a winter evening leaves the noon
  // longitude more than half a degree short of it.
  goal = 15.0 * std::round(lambda / 15.0);
  return std::fabs(goal - lambda) <= 1.0;
}

bool SearchLongitude(double year, double month, double day, double (*longitude)(double), double goal,
                     double tolerance, double& moment, double& value) {
  auto fixed = [goal](double&, double&, double& t) {
    t = goal;
    return true;
  };
  return DaySearch(year, month, day, longitude, fixed, tolerance, Step::Bisection, moment, value);
}

bool SearchPlainLongitude(double year, double month, double day, double goal, double tolerance,
                          double& moment, double& value) {
  return SearchLongitude(year, month, day, PlainLongitudeNear360, goal, tolerance, moment, value);
}

// f of the new-moon search: elongation from the plain-aberration sun.
double NewMoonElongation(double jd) {
  MoonPosition(jd, MoonRecord, 0, kPhaseObserver.latitude, kPhaseObserver.longitude, kPhaseObserver);
  double f = MoonRecord.longitude - (SunRecord.longitude - kPlainAberration);
  if (f < 0.0) f += 360.0;
  return f > 340.0 ? f - 360.0 : f;
}

// f of the phase list: elongation from the apparent sun. MoonPosition has
// just recomputed SunRecord at the same moment.
double PhaseElongation(double jd) {
  MoonPosition(jd, MoonRecord, 0, kPhaseObserver.latitude, kPhaseObserver.longitude, kPhaseObserver);
  double sun = SunRecord.longitude - 0.005693 / SunRecord.distance + NutationInLongitude(jd);
  double f = MoonRecord.longitude - sun;
  if (f < 0.0) f += 360.0;
  return f > 340.0 ? f - 360.0 : f;
}

double TermLongitude(double jd) {
  double f = SunApparentLongitude(jd, kPhaseObserver);
  if (f < 0.0) f += 360.0;
  return f > 350.0 ? f - 360.0 : f;
}

bool PhaseTarget(double&, double& f2, double& goal) {
  if (!std::isfinite(f2)) return false;
  goal = 90.0 * WholeQuotient(f2, 90.0);
  return std::fabs(goal - f2) <= 30.0;
}

bool TermTarget(double& f1, double& f2, double& goal) {
  if (!std::isfinite(f2)) return false;
  goal = 15.0 * WholeQuotient(f2, 15.0);
  return std::fabs(goal - f1) <= 10.0;
}

// Runs one list over days 0..n from 1 January of jd0's year; stops when the
// event arrays are full.
template <class Quantity, class Target>
int ListEvents(double jd0, double n, Quantity quantity, Target target) {
  // The lists are asked for between two of the windows' drawings; a year of
  // sun and moon positions runs several times slower without this.
  cpu::ClearUpperVectorState();
  double year = 0.0, month = 0.0, day = 0.0, hour = 0.0;
  JulianDayToDate(jd0, year, month, day, hour, kJstLongitude);
  const double last = n > kMaxListDays ? kMaxListDays : n;  // a NaN span walks no day
  int count = 0;
  Sample midnight;
  for (double w = 0.0; w <= last && count < kEventCapacity; w += 1.0) {
    double moment = 0.0, value = 0.0, goal = 0.0;
    auto remember = [&](double& f1, double& f2, double& t) {
      bool ok = target(f1, f2, t);
      goal = t;
      return ok;
    };
    if (!DaySearch(year, 1.0, 1.0 + w, quantity, remember, 0.01, Step::Trisection, moment, value,
                   &midnight))
      continue;
    EventAngles[count] = goal;
    EventJulianDays[count] = moment;
    ++count;
  }
  return count;
}

// Index of a name for an angle: whole steps, -1 for an angle no name has.
int NameIndex(double angle, double stepDegrees, int size) {
  double k = std::trunc(angle / stepDegrees);
  return k >= 0.0 && k < size ? static_cast<int>(k) : -1;
}

}  // namespace

int BuildEventTable(double year, double n, const std::function<int(double, double)>& list, bool phases) {
  CalendarEvent* table = phases ? MoonPhaseTable : SolarTermTable;
  const char* (*name)(int) = phases ? MoonPhaseName : SolarTermName;
  const double stepDegrees = phases ? 90.0 : 15.0;
  const int names = phases ? 4 : 24;
  if (n > kMaxTableDays) n = kMaxTableDays;
  int count = list(DateToJulianDay(year, 1.0, 1.0, 12.0, kJstLongitude), n);
  for (int i = 0; i < count; ++i) {
    CalendarEvent& e = table[i];
    JulianDayToDate(EventJulianDays[i], e.year, e.month, e.day, e.hour, kJstLongitude);
    e.julianDay = EventJulianDays[i];
    e.angle = EventAngles[i];
    std::memset(e.name, 0, sizeof e.name);
    std::strncpy(e.name, name(NameIndex(e.angle, stepDegrees, names)), sizeof e.name - 1);
  }
  return count;
}

const char* SolarTermName(int k) { return k >= 0 && k < 24 ? SolarTermNames[k] : ""; }
const char* MoonPhaseName(int k) { return k >= 0 && k < 4 ? MoonPhaseNames[k] : ""; }

double NutationInLongitude(double julianDay) {
  double t = (julianDay - 2451545.0) / 36525.0;
  return -0.00478 * SinDeg(125.04 - 1934.136 * t) + 0.00037 * SinDeg(200.93 + 72001.539 * t);
}

double SunPlainLongitude(double julianDay, const Place& observer) {
  SunPosition(julianDay, SunRecord, observer);
  return SunRecord.longitude - kPlainAberration;
}

double SunApparentLongitude(double julianDay, const Place& observer) {
  SunPosition(julianDay, SunRecord, observer);
  return SunRecord.longitude - 0.005693 / SunRecord.distance + NutationInLongitude(julianDay);
}

void SolarTermOfDay(double year, double month, double day, std::string& name, double& longitude) {
  name.clear();
  double goal = 0.0, noon = 0.0, moment = 0.0, found = 0.0;
  // The term list's longitude decides the day, so that the panel and the
  // list never name different days for one term.
  if (TermAtNoon(year, month, day, goal, noon) &&
      SearchLongitude(year, month, day, TermLongitude, goal, 0.001, moment, found)) {
    name = SolarTermName(NameIndex(goal, 15.0, 24));
    longitude = found;
    return;
  }
  longitude = noon - kPlainAberration;
}

int DaysSinceSpringBegins(double year, double month, double day) {
  const double j0 = DateToJulianDay(year, month, day, 12.0, kJstLongitude);
  for (int j = 0; j <= 365; ++j) {
    const double d = day + 1.0 - j;
    double lambda = NoonLongitude(year, month, d);
    if (lambda > 350.0) lambda -= 360.0;
    if (std::fabs(lambda - 315.0) > 1.0) continue;
    double moment = 0.0, found = 0.0;
    if (!SearchPlainLongitude(year, month, d, 315.0, 0.1, moment, found)) continue;
    double y = 0, m = 0, dd = 0, h = 0;
    JulianDayToDate(moment, y, m, dd, h, kJstLongitude);
    double days = std::trunc(j0 - DateToJulianDay(y, m, dd, 12.0, kJstLongitude));
    // A day count of a sane date fits easily; anything else is no answer.
    return std::fabs(days) < 1e6 ? static_cast<int>(days) : -1;
  }
  return -1;
}

double SunDegreeOfDay(double year, double month, double day, double& julianDay) {
  julianDay = 0.0;
  const double noonJd = DateToJulianDay(year, month, day, 12.0, kJstLongitude);
  const double dpsi = NutationInLongitude(noonJd);
  SunPosition(noonJd, SunRecord, kTermObserver);
  double q = std::trunc(SunRecord.longitude - 0.005693 / SunRecord.distance + dpsi + 0.5);
  if (q > 359.0) q -= 360.0;
  auto apparent = [dpsi](double jd) {
    SunPosition(jd, SunRecord, kTermObserver);
    return SunRecord.longitude - 0.005693 / SunRecord.distance + dpsi;
  };
  auto degree = [q](double& f1, double&, double& goal) {
    goal = q;
    if (q == 0.0 && f1 > 359.0) f1 -= 360.0;
    return true;
  };
  double moment = 0.0, found = 0.0;
  if (!DaySearch(year, month, day, apparent, degree, 0.001, Step::Trisection, moment, found))
    return -100.0;
  julianDay = moment;
  return q < 0.0 ? q + 360.0 : q;
}

double CycleStartNearSolstice(double moment, double noonOfDay) {
  const double r = std::trunc(std::fmod(noonOfDay - 10.0, 60.0));
  const double before = noonOfDay - r, after = noonOfDay + 60.0 - r;
  return std::fabs(moment - before) < std::fabs(after - moment) ? before : after;
}

void SolsticeCycleStartDays(double julianDay, double& first, double& second) {
  first = second = 0.0;
  double year = 0.0, month = 0.0, day = 0.0, hour = 0.0;
  JulianDayToDate(julianDay, year, month, day, hour, kJstLongitude);
  int found = 0;
  for (int a = -245; a <= 190 && found < 2; ++a) {
    double goal = 0.0, noon = 0.0, moment = 0.0, value = 0.0;
    if (!TermAtNoon(year, month, day + a, goal, noon) || (goal != 90.0 && goal != 270.0)) continue;
    if (!SearchPlainLongitude(year, month, day + a, goal, 0.001, moment, value)) continue;
    const double j12 = DateToJulianDay(year, month, day + a, 12.0, kJstLongitude);
    (found++ == 0 ? first : second) = CycleStartNearSolstice(moment, j12);
  }
}

void RecentNewMoons(double julianDay, double& first, double& second) {
  first = second = 0.0;
  double year = 0.0, month = 0.0, day = 0.0, hour = 0.0;
  JulianDayToDate(julianDay, year, month, day, hour, kJstLongitude);
  auto newMoon = [](double&, double&, double& goal) {
    goal = 0.0;
    return true;
  };
  int found = 0;
  Sample midnight;
  for (int a = -40; a <= 0 && found < 2; ++a) {
    double moment = 0.0, value = 0.0;
    if (!DaySearch(year, month, day + a, NewMoonElongation, newMoon, 0.001, Step::Trisection, moment,
                   value, &midnight))
      continue;
    (found++ == 0 ? first : second) = moment;
  }
  if (second < first) second = 0.0;
}

int ListMoonPhases(double jd0, double n) {
  PhaseCount = ListEvents(jd0, n, PhaseElongation, PhaseTarget);
  return PhaseCount;
}

int ListSolarTerms(double jd0, double n) {
  TermCount = ListEvents(jd0, n, TermLongitude, TermTarget);
  return TermCount;
}

int BuildMoonPhaseTable(double year, double n) {
  return BuildEventTable(year, n, static_cast<int (*)(double, double)>(ListMoonPhases), true);
}

int BuildSolarTermTable(double year, double n) {
  return BuildEventTable(year, n, static_cast<int (*)(double, double)>(ListSolarTerms), false);
}

std::string EventListItem(const std::string& name, double julianDay) {
  const ClockMoment t = MomentToSecond(julianDay, kJstLongitude);
  return text::SjisFormat("%5s %2.0f/%2.0f ", name, t.month, t.day) + ClockText(t.time);
}
