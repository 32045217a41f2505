#include "astro/AstroTable.h"

#include "astro/Globals.h"
#include "astro/Moon.h"
#include "astro/Planets.h"
#include "astro/RiseSet.h"
#include "astro/Tides.h"
#include "astro/TimeScales.h"
#include "core/Text.h"

const char* const AstroTableRowNames[kBodyCount] = {"太陽", "月", "水星", "金星", "火星", "木星", "土星"};

namespace {

// The order the request computes in; the results do not depend on it, but
// the global records are left as the window's request leaves them.
constexpr int kTimeOrder[kBodyCount] = {BodySun,  BodyMoon,    BodyMercury, BodyVenus,
                                        BodyMars, BodyJupiter, BodySaturn};

void PlacePlanet(int body, double jd) {
  PlanetPosition(body, jd, PlanetWorkRecord);
  BodyPosition& kept = PlanetRecords[body];
  kept.longitude = PlanetWorkRecord.longitude;
  kept.latitude = PlanetWorkRecord.latitude;
  kept.rightAscension = PlanetWorkRecord.rightAscension;
  kept.declination = PlanetWorkRecord.declination;
  kept.azimuth = PlanetWorkRecord.azimuth;
  kept.altitude = PlanetWorkRecord.altitude;
}

}  // namespace

void ComputeAstroTable(double year, double month, double day, double hour, double longitude,
                       double latitude, AstroTable& table) {
  WorkYear = year;
  WorkMonth = month;
  WorkDay = day;
  WorkHour = hour;
  ObserverLongitude = longitude;
  ObserverLatitude = latitude;
  WorkJulianDay = DateToJulianDay(WorkYear, WorkMonth, WorkDay, WorkHour, ObserverLongitude);
  const double jd = WorkJulianDay;

  for (int body : kTimeOrder) {
    BodyRecord(body).riseTime = RiseTime(jd, body);
    BodyRecord(body).setTime = SetTime(jd, body);
  }
  for (int body : kTimeOrder) BodyRecord(body).transitTime = TransitTime(jd, body);

  MoonPosition(jd, MoonRecord, 1, ObserverLatitude, ObserverLongitude);
  PlacePlanet(BodyMercury, jd);
  PlacePlanet(BodyVenus, jd);
  SunPosition(jd, SunRecord);
  PlacePlanet(BodyMars, jd);
  PlacePlanet(BodyJupiter, jd);
  PlacePlanet(BodySaturn, jd);
  for (int body = 0; body < kBodyCount; ++body) table.bodies[body] = BodyRecord(body);

  TideTimes(jd);
  const double tides[4] = {HighWater1, HighWater2, LowWater1, LowWater2};
  for (int i = 0; i < 4; ++i) {
    table.tides[i] = tides[i];
    table.tideTexts[i] = TideTimeText(tides[i], ObserverLongitude);
  }
}

std::string AstroTimeText(double hours) {
  double h = 0, m = 0, s = 0;
  SplitSexagesimal(hours, h, m, s);
  // The format rounds the seconds, so 59.5 and more print as 60, as in every
  // list of the almanac; only a rounding residue below zero, which would print
  // as "-0", is clamped.
  if (s < 0.0) s = 0.0;
  return text::SjisFormat("%02.0f:%02.0f:%02.0f", h, m, s);
}

std::string AstroAngleText(double degrees) { return text::SjisFormat("%8.2f", degrees); }

std::string HoursMinutesText(double hours) {
  double h = 0, m = 0, s = 0;
  SplitSexagesimal(hours, h, m, s);
  return text::SjisFormat("%02.0f:%02.0f", h, m);
}

std::string TideTimeText(double moment, double longitude) {
  if (moment == 0.0) return " --";
  double y = 0, mo = 0, d = 0, hour = 0;
  JulianDayToDate(moment, y, mo, d, hour, longitude);
  return HoursMinutesText(hour);
}
