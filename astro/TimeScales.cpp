#include "astro/TimeScales.h"

#include <cmath>

#include "astro/Coordinates.h"
#include "core/CalendarDays.h"

JulianDay DateToJulianDay(double year, double month, double day, double hour, const DateClock& on) {
  double longitude = on.clock.longitude, sign = 1.0;
  if (longitude < 0.0) {
    longitude = -longitude;
    sign = -1.0;
  }
  const DayCount count = CountDays(year, month, day);
  // The reading as if it were Universal Time tells the zone which offset holds.
  double reading = count.julianDays + hour / 24.0 + kDayCountEpoch;
  if (GregorianAt(on.calendar, reading)) reading += count.gregorianShift;
  const TimeZone::Offset offset = on.clock.zone.OffsetOfReading(reading, on.clock.longitude);
  double j = count.julianDays + hour / 24.0 - sign * longitude / 15.0 / 24.0 + kDayCountEpoch;
  if (!offset.meanTime) j += (longitude / 15.0 - sign * offset.hours) * sign / 24.0;
  if (GregorianAt(on.calendar, j)) j += count.gregorianShift;
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
  const DayOfCount date = DateOfDayNumber(z, on.calendar);
  LocalTime t;
  t.year = date.year;
  t.month = date.month;
  t.day = std::floor(date.day + f);
  t.hour = f * 24.0;
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
