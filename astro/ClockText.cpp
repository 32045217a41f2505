#include "astro/ClockText.h"

#include <algorithm>
#include <cmath>

#include "astro/TimeScales.h"
#include "core/Text.h"

namespace {

// A minute or second field that reached 60 becomes 0 and one more of the
// next larger unit.
void Carry(double& field, double& larger) {
  if (field < 60.0) return;
  field -= 60.0;
  larger += 1.0;
}

}  // namespace

ClockTime ClockToSecond(double hours) {
  ClockTime t;
  SplitSexagesimal(hours, t.hour, t.minute, t.second);
  // nearbyint rounds as printf's "%.0f" does; a residue below zero is 0.
  t.second = std::max(0.0, std::nearbyint(t.second));
  Carry(t.second, t.minute);
  Carry(t.minute, t.hour);
  return t;
}

ClockTime ClockToMinute(double hours) {
  ClockTime t;
  SplitSexagesimal(hours, t.hour, t.minute, t.second);
  t.second = 0;
  Carry(t.minute, t.hour);  // only a representation error lifts it to 60
  return t;
}

std::string ClockText(const ClockTime& t) {
  return text::SjisFormat("%02.0f:%02.0f:%02.0f", t.hour, t.minute, t.second);
}

std::string AstroTimeText(double hours) { return ClockText(ClockToSecond(hours)); }

std::string HoursMinutesText(double hours) {
  const ClockTime t = ClockToMinute(hours);
  return text::SjisFormat("%02.0f:%02.0f", t.hour, t.minute);
}

ClockMoment MomentToSecond(JulianDay moment, const DateClock& on) {
  ClockMoment m;
  const LocalTime local = JulianDayToDate(moment, on);
  m.year = local.year, m.month = local.month, m.day = local.day;
  m.time = ClockToSecond(local.hour);
  if (m.time.hour >= 24.0) {
    // Midnight: the date of the next day, read at its noon so no clock
    // change can move it.
    const LocalTime next = JulianDayToDate(DateToJulianDay(m.year, m.month, m.day + 1, 12.0, on), on);
    m.year = next.year, m.month = next.month, m.day = next.day;
    m.time.hour -= 24.0;
  }
  return m;
}

std::string ZonedTimeText(JulianDay ut, const DateClock& on) {
  const double utcOffsetHours = on.clock.zone.OffsetAt(ut, on.clock.longitude).hours;
  const double local = ut + utcOffsetHours / 24.0 + 0.5;  // days from a civil midnight
  double day = std::floor(local);
  double seconds = std::nearbyint((local - day) * 86400.0);
  if (seconds >= 86400.0) day += 1.0, seconds -= 86400.0;
  // The civil day's noon, on the UT clock.
  const LocalTime date = JulianDayToDate(day, DateClock{on.calendar, Clock{TimeZone::Design(), 0.0}});
  const double y = date.year, m = date.month, d = date.day;
  const double offsetMinutes = std::nearbyint(std::fabs(utcOffsetHours) * 60.0);
  return text::SjisFormat("%s%04.0f-%02.0f-%02.0fT%02.0f:%02.0f:%02.0f%c%02.0f:%02.0f", y < 0 ? "-" : "",
                          std::fabs(y), m, d, std::floor(seconds / 3600.0), std::floor(std::fmod(seconds, 3600.0) / 60.0),
                          std::fmod(seconds, 60.0), utcOffsetHours < 0 ? '-' : '+', std::floor(offsetMinutes / 60.0),
                          std::fmod(offsetMinutes, 60.0));
}

TimeZone::Reading KindOfReadingOn(double year, double month, double day, double hour, const DateClock& on) {
  // The reading as if it were Universal Time, as the zone is asked about it.
  const DateClock universal{on.calendar, Clock{TimeZone::Design(), 0.0}};
  return on.clock.zone.KindOfReading(DateToJulianDay(year, month, day, hour, universal), on.clock.longitude);
}

std::optional<std::string> ClockReadingNote(double year, double month, double day, double hour, const DateClock& on) {
  const TimeZone::Reading kind = KindOfReadingOn(year, month, day, hour, on);
  if (kind == TimeZone::Reading::Once) return std::nullopt;
  const std::string typed = text::SjisFormat("%04.0f-%02.0f-%02.0f ", year, month, day) + AstroTimeText(hour);
  const std::string zone = on.clock.zone.IsDesign() ? "the design's zone" : on.clock.zone.Name();
  const std::string taken = ZonedTimeText(DateToJulianDay(year, month, day, hour, on), on);
  if (kind == TimeZone::Reading::Skipped)
    return typed + " does not exist on the clock of " + zone + " (it was put forward over it); taken as " + taken +
           ", as far past the change as it was typed";
  return typed + " happens twice on the clock of " + zone + " (it was put back over it); taken as the earlier, " +
         taken;
}
