#include "core/CalendarDays.h"

#include <cmath>

namespace {

// The first Julian day (at noon) written in the Gregorian calendar under
// JulianThenGregorian: 1582-10-15.
constexpr double kGregorianStart = 2299161.0;

}  // namespace

DayCount CountDays(double year, double month, double day) {
  // The year counted from March, so that the leap day ends it.
  if (month < 3.0) {
    year -= 1.0;
    month += 12.0;
  }
  const double days = std::floor(365.25 * year) + std::floor((month - 2.0) * 30.59);
  return {days + day, std::floor(year / 400.0) - std::floor(year / 100.0) + 2.0};
}

bool GregorianAt(CalendarRule rule, double jd) { return rule == CalendarRule::Gregorian || jd >= kGregorianStart; }

long long JulianDayNumber(const CalendarDate& date, CalendarRule rule) {
  const DayCount count = CountDays(static_cast<double>(date.year), date.month, date.day);
  double noon = count.julianDays + kDayCountEpoch + 0.5;
  if (GregorianAt(rule, noon)) noon += count.gregorianShift;
  return static_cast<long long>(noon);
}

DayOfCount DateOfDayNumber(double z, CalendarRule rule) {
  double a = z;
  if (GregorianAt(rule, z)) {
    const double alpha = std::floor((z - 1867216.25) / 36524.25);
    a = z + 1.0 + alpha - std::floor(alpha / 4.0);
  }
  const double b = a + 1524.0;
  const double c = std::floor((b - 122.1) / 365.25);
  const double d = std::floor(365.25 * c);
  const double e = std::floor((b - d) / 30.6001);
  DayOfCount t;
  t.day = b - d - std::floor(30.6001 * e);
  t.month = e < 13.5 ? e - 1.0 : e - 13.0;
  t.year = t.month > 2.5 ? c - 4716.0 : c - 4715.0;
  return t;
}

CalendarDate DateOfJulianDayNumber(long long dayNumber, CalendarRule rule) {
  const DayOfCount t = DateOfDayNumber(static_cast<double>(dayNumber), rule);
  return {static_cast<long long>(t.year), static_cast<int>(t.month), static_cast<int>(t.day)};
}

bool DateExists(const CalendarDate& date, CalendarRule rule) {
  if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31) return false;
  return DateOfJulianDayNumber(JulianDayNumber(date, rule), rule) == date;
}

int WeekdayOfJulianDayNumber(long long dayNumber) { return static_cast<int>(((dayNumber + 1) % 7 + 7) % 7); }
