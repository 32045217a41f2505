#include "astro/DayLight.h"

DayLight DayLightOf(const Ephemeris& ephemeris, const Moment& at) {
  const DateClock on = PlaceClock(at);
  const JulianDay jd = MomentJulianDay(at);
  DayLight light;
  light.civil = ephemeris.SunThrough(kCivilTwilight, jd, at.place, on);
  light.nautical = ephemeris.SunThrough(kNauticalTwilight, jd, at.place, on);
  light.astronomical = ephemeris.SunThrough(kAstronomicalTwilight, jd, at.place, on);
  const std::optional<double> rise = ephemeris.RiseTime(BodySun, jd, at.place, on);
  const std::optional<double> set = ephemeris.SetTime(BodySun, jd, at.place, on);
  if (rise && set && *set > *rise) {
    // On the clock a change of summer time between them would count.
    const LocalTime day = JulianDayToDate(jd, on);
    light.length = (DateToJulianDay(day.year, day.month, day.day, *set, on) -
                    DateToJulianDay(day.year, day.month, day.day, *rise, on)) * 24.0;
  }
  return light;
}
