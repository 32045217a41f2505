#include "astro/AstroTable.h"

#include <cmath>

#include "astro/Model.h"
#include "astro/TimeScales.h"
#include "core/Text.h"

const char* const AstroTableRowNames[kBodyCount] = {"太陽", "月", "水星", "金星", "火星", "木星", "土星"};

BodyTimes BodyTimesOfDay(const Ephemeris& ephemeris, int body, JulianDay jd, const Place& observer,
                         const DateClock& on) {
  return {ephemeris.RiseTime(body, jd, observer, on), ephemeris.TransitTime(body, jd, observer, on),
          ephemeris.SetTime(body, jd, observer, on)};
}

AstroTable ComputeAstroTable(const Moment& at, const Ephemeris& ephemeris) {
  const DateClock on = PlaceClock(at);
  const JulianDay jd = MomentJulianDay(at);
  AstroTable table;
  for (int body = 0; body < kBodyCount; ++body) {
    table.times[body] = BodyTimesOfDay(ephemeris, body, jd, at.place, on);
    table.bodies[body] = ephemeris.Position(body, jd, at.place, true);
  }
  table.tides = TideTimes(jd, at.place, HarbourClock(at.calendar, at.zone));
  return table;
}

std::string AstroAngleText(double degrees) {
  // A place the series could not give (a planet whose orbit's equation did
  // not converge) is no number: shown as a dash, never as "nan".
  if (!std::isfinite(degrees)) return "     ---";
  // An angle that rounds to zero reads 0.00, whichever side of zero it lies.
  const std::string text = text::SjisFormat("%8.2f", degrees);
  return text == "   -0.00" ? text::SjisFormat("%8.2f", 0.0) : text;
}

std::string EventTimeText(const std::optional<double>& hours, const char* none) {
  return hours ? AstroTimeText(*hours) : std::string(none);
}

std::string EventMinuteText(const std::optional<double>& hours, const char* none) {
  return hours ? HoursMinutesText(*hours) : std::string(none);
}

std::string TideTimeText(const std::optional<JulianDay>& moment, const DateClock& on) {
  if (!moment) return " --";
  return HoursMinutesText(JulianDayToDate(*moment, on).hour);
}

std::optional<JulianDay> TideMoment(const TideDay& tides, int index) {
  return index < 2 ? tides.high[index] : tides.low[index - 2];
}
