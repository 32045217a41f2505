#include "astro/precise/Almanac.h"

#include <erfam.h>

#include <cmath>

#include "astro/RiseSet.h"
#include "astro/TermsPhases.h"
#include "astro/TimeScales.h"
#include "astro/precise/DeltaT.h"
#include "astro/precise/Ephemeris.h"
#include "astro/precise/Events.h"

namespace precise {

namespace {

constexpr double kEarthRadiusKm = 6378.137;

JulianDay JstMidnight(double year, double month, double day) { return DateToJulianDay(year, month, day, 0.0, kJstLongitude); }
JulianDay JstNoon(double year, double month, double day) { return DateToJulianDay(year, month, day, 12.0, kJstLongitude); }

// Noon (JST) of the day that holds a moment.
JulianDay NoonOfMoment(JulianDay moment) {
  double y, m, d, h;
  JulianDayToDate(moment, y, m, d, h, kJstLongitude);
  return JstNoon(y, m, d);
}

void LocalDate(JulianDay jd, double longitude, double& y, double& m, double& d) {
  double h;
  JulianDayToDate(jd, y, m, d, h, longitude);
}

// The last day asked for, all seven bodies at once: a table asks for rise,
// set and transit of each body in turn, and the bodies share the earth's
// places.
struct TimesMemo {
  JulianDay start = 0.0;
  double latitude = 0.0, longitude = 0.0;
  DayTimes times[kBodyCount] = {};
  bool filled = false;
};

DayTimes TimesOfDay(JulianDay jd, int body, double latitude, double longitude) {
  static TimesMemo memo;
  if (body < 0 || body >= kBodyCount) return {kNoEventHour, kNoEventHour, kNoEventHour};
  double y, m, d;
  LocalDate(jd, longitude, y, m, d);
  const JulianDay start = DateToJulianDay(y, m, d, 0.0, longitude);
  if (!memo.filled || memo.start != start || memo.latitude != latitude || memo.longitude != longitude) {
    memo.start = start, memo.latitude = latitude, memo.longitude = longitude, memo.filled = true;
    RiseTransitSetAll(start, latitude, longitude, memo.times);
  }
  return memo.times[body];
}

// The frame and the earth of the last moment asked for: the chart asks for
// seven places and the sun's again with each.
struct Epoch {
  JulianDay jd = 0.0;
  bool filled = false;
  Frame frame;
  EarthState earth;
};

const Epoch& EpochAt(JulianDay jd) {
  static Epoch last;
  if (!last.filled || last.jd != jd) {
    last.jd = jd, last.filled = true;
    last.frame = FrameAt(jd);
    last.earth = EarthAt(last.frame.tt);
  }
  return last;
}

int ListEvents(const Motion& motion, double spacing, double year, double n, double* angles, double* moments,
               int capacity) {
  const double last = std::isfinite(n) ? std::floor(std::fmin(std::fmax(n, -1.0), 1000.0)) : -1.0;
  const JulianDay from = JstMidnight(year, 1.0, 1.0);
  const std::vector<AngleEvent> events =
      Crossings(motion, spacing, 0.0, from, JstMidnight(year, 1.0, 2.0 + last), capacity);
  for (std::size_t i = 0; i < events.size(); ++i) {
    angles[i] = events[i].angle;
    moments[i] = events[i].moment;
  }
  return static_cast<int>(events.size());
}

}  // namespace

void BodyPlace(int body, JulianDay jd, double latitude, double longitude, bool topocentric,
               BodyPosition& record) {
  const Epoch& epoch = EpochAt(jd);
  const Frame& frame = epoch.frame;
  Vec3 p = ApparentPlace(body, jd, frame, epoch.earth);
  const double sidereal = LocalSiderealDegrees(jd, frame.tt, longitude, frame);
  if (body == BodyMoon && topocentric) {
    const Vec3 o = ObserverPlace(latitude, sidereal);
    for (int i = 0; i < 3; ++i) p[i] -= o[i];
  }
  const double distance = Length(p);
  EclipticOfDate(p, frame.trueObliquity, record.longitude, record.latitude);
  EquatorialOfDate(p, record.rightAscension, record.declination);
  Horizontal(p, latitude, sidereal, record.azimuth, record.altitude);
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
}

double RiseTime(JulianDay jd, int body, double latitude, double longitude) {
  return TimesOfDay(jd, body, latitude, longitude).rise;
}
double SetTime(JulianDay jd, int body, double latitude, double longitude) {
  return TimesOfDay(jd, body, latitude, longitude).set;
}
double TransitTime(JulianDay jd, int body, double latitude, double longitude) {
  return TimesOfDay(jd, body, latitude, longitude).transit;
}

void SolarTermOfDay(double year, double month, double day, std::string& name, double& longitude) {
  name.clear();
  const std::vector<AngleEvent> terms =
      Crossings(kSunMotion, 15.0, 0.0, JstMidnight(year, month, day), JstMidnight(year, month, day + 1.0), 1);
  if (!terms.empty()) {
    name = SolarTermName(static_cast<int>(terms[0].angle / 15.0));
    longitude = terms[0].angle;
    return;
  }
  longitude = SunLongitude(JstNoon(year, month, day));
}

int DaysSinceSpringBegins(double year, double month, double day) {
  // The last 立春 up to the end of the next day, within a year back.
  const JulianDay end = JstMidnight(year, month, day + 2.0);
  const std::vector<AngleEvent> springs = Crossings(kSunMotion, 360.0, 315.0, end - 370.0, end, 2);
  if (springs.empty()) return -1;
  const double days = std::trunc(JstNoon(year, month, day) - NoonOfMoment(springs.back().moment));
  return std::fabs(days) < 1e6 ? static_cast<int>(days) : -1;
}

double SunDegreeOfDay(double year, double month, double day, double& julianDay) {
  julianDay = 0.0;
  double q = std::trunc(SunLongitude(JstNoon(year, month, day)) + 0.5);
  if (q > 359.0) q -= 360.0;
  JulianDay moment;
  if (!CrossingBetween(kSunMotion, q, JstMidnight(year, month, day), JstMidnight(year, month, day + 1.0), moment))
    return -100.0;
  julianDay = moment;
  return q;
}

void SolsticeCycleStartDays(double julianDay, double longitude, double& first, double& second) {
  first = second = 0.0;
  double y, m, d;
  LocalDate(julianDay, longitude, y, m, d);
  const std::vector<AngleEvent> solstices =
      Crossings(kSunMotion, 180.0, 90.0, JstMidnight(y, m, d - 245.0), JstMidnight(y, m, d + 191.0), 2);
  double* out[2] = {&first, &second};
  for (std::size_t i = 0; i < solstices.size(); ++i)
    *out[i] = CycleStartNearSolstice(solstices[i].moment, NoonOfMoment(solstices[i].moment));
}

void RecentNewMoons(double julianDay, double longitude, double& first, double& second) {
  first = second = 0.0;
  double y, m, d;
  LocalDate(julianDay, longitude, y, m, d);
  const std::vector<AngleEvent> newMoons =
      Crossings(kMoonMotion, 360.0, 0.0, JstMidnight(y, m, d - 40.0), JstMidnight(y, m, d + 1.0), 2);
  if (!newMoons.empty()) first = newMoons[0].moment;
  if (newMoons.size() > 1) second = newMoons[1].moment;
}

int ListMoonPhases(double year, double n, double* angles, double* moments, int capacity) {
  return ListEvents(kMoonMotion, 90.0, year, n, angles, moments, capacity);
}

int ListSolarTerms(double year, double n, double* angles, double* moments, int capacity) {
  return ListEvents(kSunMotion, 15.0, year, n, angles, moments, capacity);
}

}  // namespace precise
