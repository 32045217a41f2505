#include "astro/TimeScales.h"

#include <cmath>

#include "astro/Coordinates.h"

namespace {

// The day the Gregorian calendar starts under the Julian-then-Gregorian rule
// (1582-10-15).
constexpr double kGregorianStart = 2299161.0;

bool GregorianAt(const DateClock& on, double jd) {
  return on.calendar == CalendarRule::Gregorian || jd >= kGregorianStart;
}

}  // namespace

JulianDay DateToJulianDay(double year, double month, double day, double hour, const DateClock& on) {
  double longitude = on.clock.longitude, sign = 1.0;
  if (longitude < 0.0) {
    longitude = -longitude;
    sign = -1.0;
  }
  if (month < 3.0) {
    year -= 1.0;
    month += 12.0;
  }
  const double b = std::floor(365.25 * year) + std::floor((month - 2.0) * 30.59);
  const double century = std::floor(year / 400.0) - std::floor(year / 100.0) + 2.0;
  // The reading as if it were Universal Time tells the zone which offset holds.
  double reading = b + day + hour / 24.0 + 1721086.5;
  if (GregorianAt(on, reading)) reading += century;
  const TimeZone::Offset offset = on.clock.zone.OffsetOfReading(reading, on.clock.longitude);
  double j = b + day + hour / 24.0 - sign * longitude / 15.0 / 24.0 + 1721086.5;
  if (!offset.meanTime) j += (longitude / 15.0 - sign * offset.hours) * sign / 24.0;
  if (GregorianAt(on, j)) j += century;
  return j;
}

LocalTime JulianDayToDate(JulianDay jd, const DateClock& on) {
  double longitude = on.clock.longitude, sign = 1.0;
  if (longitude < 0.0) {
    longitude = -longitude;
    sign = -1.0;
  }
  const TimeZone::Offset offset = on.clock.zone.OffsetAt(jd, on.clock.longitude);
  double l = offset.meanTime ? jd + sign * longitude / 15.0 / 24.0 : jd + offset.hours / 24.0;
  l += 0.5;
  const double z = std::floor(l);
  const double f = l - z;
  double a = z;
  if (on.calendar == CalendarRule::Gregorian || z >= kGregorianStart) {
    const double alpha = std::floor((z - 1867216.25) / 36524.25);
    a = z + 1.0 + alpha - std::floor(alpha / 4.0);
  }
  const double b = a + 1524.0;
  const double c = std::floor((b - 122.1) / 365.25);
  const double d = std::floor(365.25 * c);
  const double e = std::floor((b - d) / 30.6001);
  LocalTime t;
  t.day = std::floor(b - d - std::floor(30.6001 * e) + f);
  t.hour = f * 24.0;
  t.month = e < 13.5 ? e - 1.0 : e - 13.0;
  t.year = t.month > 2.5 ? c - 4716.0 : c - 4715.0;
  return t;
}

DateClock DayCountClock(CalendarRule calendar) { return {calendar, Clock{TimeZone::Design(), kJstLongitude}}; }

JulianDay DayNoon(double year, double month, double day, CalendarRule calendar) {
  return DateToJulianDay(year, month, day, 12.0, DayCountClock(calendar));
}

double LocalSiderealTime(JulianDay jd, double longitude) {
  const double c = jd - 2415020.0;
  double theta = 24.0 * c * 1.0027379092558308 + 18.6461 + 3.24e-14 * c * c + longitude / 15.0;
  theta = PositiveModulo(theta, 24.0);
  if (theta < 0.0) theta += 24.0;
  return theta;
}

double CenturiesFrom1900(JulianDay jd) { return (jd - 2415021.0) / 36525.0; }

double CenturiesFrom1800(JulianDay jd) { return (jd - 2378496.0) / 36525.0; }

void SplitSexagesimal(double x, double& whole, double& sixtieths, double& seconds) {
  whole = std::floor(x);
  sixtieths = std::floor((x - whole) * 60.0);
  seconds = x * 3600.0 - whole * 3600.0 - sixtieths * 60.0;
}

namespace {

// Shared body of the two packed readers; `carry` repairs a minute or second
// field that representation error lifted past 99.
double PackedToDecimal(double packed, bool carry) {
  const bool negative = packed < 0.0;
  const double x = std::fabs(packed);
  double b = std::floor(x);
  double c = std::floor((x - b) * 100.0);
  if (carry && c > 99.0) {
    c -= 100.0;
    b += 1.0;
  }
  double r = x * 10000.0 - b * 10000.0 - c * 100.0;
  if (carry && r > 99.0) {
    r -= 100.0;
    c += 1.0;
  }
  const double value = b + c / 60.0 + r / 3600.0;
  return negative ? -value : value;
}

}  // namespace

double SexagesimalToDecimal(double packed) { return PackedToDecimal(packed, false); }

double SexagesimalHoursToDegrees(double packedHours) { return SexagesimalToDecimal(packedHours) * 15.0; }

double SexagesimalToDecimalCarry(double packed) { return PackedToDecimal(packed, true); }
