#include "astro/precise/Almanac.h"

#include <erfam.h>

#include <algorithm>
#include <cmath>

#include "astro/TermsPhases.h"
#include "astro/TimeScales.h"
#include "astro/precise/DeltaT.h"
#include "astro/precise/Ephemeris.h"
#include "astro/precise/Events.h"

namespace precise {

namespace {

constexpr double kEarthRadiusKm = 6378.137;

JulianDay Midnight(const DateClock& on, double year, double month, double day) {
  return DateToJulianDay(year, month, day, 0.0, on);
}
JulianDay Noon(const DateClock& on, double year, double month, double day) {
  return DateToJulianDay(year, month, day, 12.0, on);
}

// Noon of the day that holds a moment.
JulianDay NoonOfMoment(JulianDay moment, const DateClock& on) {
  const LocalTime t = JulianDayToDate(moment, on);
  return Noon(on, t.year, t.month, t.day);
}

// The last day asked for on this thread, all seven bodies at once: a table
// asks for rise, set and transit of each body in turn, and the bodies share
// the earth's places.
struct TimesMemo {
  JulianDay start = 0.0, end = 0.0;
  double latitude = 0.0, longitude = 0.0;
  DayTimes times[kBodyCount] = {};
  bool filled = false;
};

// Hours after the day's start as the hour its clock reads then: the day's
// offset may change within it (summer time, the switch to standard time).
std::optional<double> ClockHours(std::optional<double> hours, JulianDay start, const Clock& clock) {
  if (!hours) return std::nullopt;
  const double change = clock.zone.OffsetAt(start + *hours / 24.0, clock.longitude).hours -
                        clock.zone.OffsetAt(start, clock.longitude).hours;
  return *hours + change;
}

// The local day that holds `jd` on its own clock: its 0:00 and the next
// day's, as Universal Time Julian days (23 to 25 hours apart where the clock
// changes).
struct ClockDay {
  JulianDay start, end;
};
ClockDay ClockDayOf(JulianDay jd, const DateClock& on) {
  const LocalTime date = JulianDayToDate(jd, on);
  return {Midnight(on, date.year, date.month, date.day), Midnight(on, date.year, date.month, date.day + 1.0)};
}

// A day's times, found as hours after its start, as the hours its clock reads.
DayTimes OnClock(const DayTimes& t, const ClockDay& day, const Clock& clock) {
  return {ClockHours(t.rise, day.start, clock), ClockHours(t.transit, day.start, clock),
          ClockHours(t.set, day.start, clock)};
}

DayTimes TimesOfDay(JulianDay jd, int body, const Place& observer, const DateClock& on) {
  thread_local TimesMemo memo;
  if (body < 0 || body >= kBodyCount) return {};
  const ClockDay day = ClockDayOf(jd, on);
  const double latitude = observer.latitude, longitude = observer.longitude;
  if (!memo.filled || memo.start != day.start || memo.end != day.end || memo.latitude != latitude ||
      memo.longitude != longitude) {
    memo.start = day.start, memo.end = day.end, memo.latitude = latitude, memo.longitude = longitude,
    memo.filled = true;
    RiseTransitSetAll(day.start, day.end, latitude, longitude, memo.times);
  }
  return OnClock(memo.times[body], day, on.clock);
}

// The frame and the earth of the last moment asked for on this thread: the
// chart asks for seven places and the sun's again with each.
struct Epoch {
  JulianDay jd = 0.0;
  bool filled = false;
  Frame frame;
  EarthState earth;
};

const Epoch& EpochAt(JulianDay jd) {
  thread_local Epoch last;
  if (!last.filled || last.jd != jd) {
    last.jd = jd, last.filled = true;
    last.frame = FrameAt(jd);
    last.earth = EarthAt(last.frame.tt);
  }
  return last;
}

std::vector<AngleEvent> EventsOfListSpan(const Motion& motion, double spacing, double year, int lastDay,
                                   const DateClock& lists) {
  const int last = std::clamp(lastDay, -1, kMaxListDays);
  const JulianDay from = Midnight(lists, year, 1.0, 1.0);
  const JulianDay to = DateToJulianDay(year, 1.0, 1.0, 12.0, lists) + last + 1;
  const LocalTime end = JulianDayToDate(to, lists);
  return Crossings(motion, spacing, 0.0, from, Midnight(lists, end.year, end.month, end.day), 4 * kMaxListDays);
}

}  // namespace

BodyPosition BodyPlace(int body, JulianDay jd, const Place& observer, bool topocentric) {
  BodyPosition record;
  const Epoch& epoch = EpochAt(jd);
  const Frame& frame = epoch.frame;
  Vec3 p = ApparentPlace(body, jd, frame, epoch.earth);
  const double sidereal = LocalSiderealDegrees(jd, frame.tt, observer.longitude, frame);
  if (body == BodyMoon && topocentric) {
    const Vec3 o = ObserverPlace(observer.latitude, sidereal);
    for (int i = 0; i < 3; ++i) p[i] -= o[i];
  }
  const double distance = Length(p);
  EclipticOfDate(p, frame.trueObliquity, record.longitude, record.latitude);
  EquatorialOfDate(p, record.rightAscension, record.declination);
  Horizontal(p, observer.latitude, sidereal, record.azimuth, record.altitude);
  if (body == BodySun) {
    record.distance = distance;
    record.semiDiameter = kSunSemidiameterAt1Au / 3600.0 / distance;
    const double l = record.longitude * ERFA_DD2R;
    record.x = distance * std::cos(l);
    record.y = distance * std::sin(l);
    record.z = 0.0;
  } else if (body == BodyMoon) {
    record.distance = distance * ERFA_DAU / 1000.0 / kEarthRadiusKm;
    record.semiDiameter = std::asin(kMoonRadiusKm / (distance * ERFA_DAU / 1000.0)) * ERFA_DR2D;
  }
  return record;
}

std::optional<double> RiseTime(JulianDay jd, int body, const Place& observer, const DateClock& on) {
  return TimesOfDay(jd, body, observer, on).rise;
}
std::optional<double> SetTime(JulianDay jd, int body, const Place& observer, const DateClock& on) {
  return TimesOfDay(jd, body, observer, on).set;
}
std::optional<double> TransitTime(JulianDay jd, int body, const Place& observer, const DateClock& on) {
  return TimesOfDay(jd, body, observer, on).transit;
}
SunCrossings SunThrough(double altitude, JulianDay jd, const Place& observer, const DateClock& on) {
  const ClockDay day = ClockDayOf(jd, on);
  const DayTimes t = OnClock(SunThroughAltitude(altitude, day.start, day.end, observer.latitude, observer.longitude),
                             day, on.clock);
  return {t.rise, t.set};
}

SolarTermDay SolarTermOfDay(double year, double month, double day, const DateClock& lists) {
  const std::vector<AngleEvent> terms = Crossings(kSunMotion, 15.0, 0.0, Midnight(lists, year, month, day),
                                                  Midnight(lists, year, month, day + 1.0), 1);
  if (!terms.empty()) return {static_cast<int>(terms[0].angle / 15.0), terms[0].angle};
  return {std::nullopt, SunLongitude(Noon(lists, year, month, day))};
}

std::optional<int> DaysSinceSpringBegins(double year, double month, double day, const DateClock& lists) {
  // The last 立春 up to the end of the next day, within a year back.
  const JulianDay end = Midnight(lists, year, month, day + 2.0);
  const std::vector<AngleEvent> springs = Crossings(kSunMotion, 360.0, 315.0, end - 370.0, end, 2);
  if (springs.empty()) return std::nullopt;
  const double days = std::trunc(Noon(lists, year, month, day) - NoonOfMoment(springs.back().moment, lists));
  if (std::fabs(days) < 1e6) return static_cast<int>(days);
  return std::nullopt;
}

std::optional<SunDegree> SunDegreeOfDay(double year, double month, double day, const DateClock& lists) {
  double q = std::trunc(SunLongitude(Noon(lists, year, month, day)) + 0.5);
  if (q > 359.0) q -= 360.0;
  const std::optional<JulianDay> moment =
      CrossingBetween(kSunMotion, q, Midnight(lists, year, month, day), Midnight(lists, year, month, day + 1.0));
  if (!moment) return std::nullopt;
  return SunDegree{q, *moment};
}

MomentPair SolsticeCycleStartDays(double julianDay, const DateClock& lists) {
  const LocalTime t = JulianDayToDate(julianDay, lists);
  const std::vector<AngleEvent> solstices = Crossings(kSunMotion, 180.0, 90.0, Midnight(lists, t.year, t.month, t.day - 245.0),
                                                      Midnight(lists, t.year, t.month, t.day + 191.0), 2);
  MomentPair found;
  for (std::size_t i = 0; i < solstices.size(); ++i)
    (i == 0 ? found.first : found.second) =
        CycleStartNearSolstice(solstices[i].moment, NoonOfMoment(solstices[i].moment, lists));
  return found;
}

MomentPair RecentNewMoons(double julianDay, const DateClock& lists) {
  const LocalTime t = JulianDayToDate(julianDay, lists);
  const std::vector<AngleEvent> newMoons = Crossings(kMoonMotion, 360.0, 0.0, Midnight(lists, t.year, t.month, t.day - 40.0),
                                                     Midnight(lists, t.year, t.month, t.day + 1.0), 2);
  MomentPair found;
  if (!newMoons.empty()) found.first = newMoons[0].moment;
  if (newMoons.size() > 1) found.second = newMoons[1].moment;
  return found;
}

std::vector<AngleEvent> ListMoonPhases(double year, int lastDay, const DateClock& lists) {
  return EventsOfListSpan(kMoonMotion, 90.0, year, lastDay, lists);
}

std::vector<AngleEvent> ListSolarTerms(double year, int lastDay, const DateClock& lists) {
  return EventsOfListSpan(kSunMotion, 15.0, year, lastDay, lists);
}

}  // namespace precise
