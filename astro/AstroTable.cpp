#include "astro/AstroTable.h"

#include "astro/Globals.h"
#include "astro/Model.h"
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

void PlacePlanet(AstroModel model, int body, double jd, const Place& observer) {
  BodyPlace(model, body, jd, PlanetWorkRecord, observer);
  BodyPosition& kept = PlanetRecords[body];
  kept.longitude = PlanetWorkRecord.longitude;
  kept.latitude = PlanetWorkRecord.latitude;
  kept.rightAscension = PlanetWorkRecord.rightAscension;
  kept.declination = PlanetWorkRecord.declination;
  kept.azimuth = PlanetWorkRecord.azimuth;
  kept.altitude = PlanetWorkRecord.altitude;
}

}  // namespace

void ComputeAstroTable(const Moment& at, AstroTable& table) {
  const Place& p = at.place;
  const AstroModel model = at.model;
  const double jd = MomentJulianDay(at);

  for (int body : kTimeOrder) {
    BodyRecord(body).riseTime = RiseTime(model, jd, body, p);
    BodyRecord(body).setTime = SetTime(model, jd, body, p);
  }
  for (int body : kTimeOrder) BodyRecord(body).transitTime = TransitTime(model, jd, body, p);

  BodyPlace(model, BodyMoon, jd, MoonRecord, p);
  PlacePlanet(model, BodyMercury, jd, p);
  PlacePlanet(model, BodyVenus, jd, p);
  BodyPlace(model, BodySun, jd, SunRecord, p);
  PlacePlanet(model, BodyMars, jd, p);
  PlacePlanet(model, BodyJupiter, jd, p);
  PlacePlanet(model, BodySaturn, jd, p);
  for (int body = 0; body < kBodyCount; ++body) table.bodies[body] = BodyRecord(body);

  TideTimes(jd, p);
  const double tides[4] = {HighWater1, HighWater2, LowWater1, LowWater2};
  for (int i = 0; i < 4; ++i) {
    table.tides[i] = tides[i];
    table.tideTexts[i] = TideTimeText(tides[i], p.longitude);
  }
}

std::string AstroAngleText(double degrees) { return text::SjisFormat("%8.2f", degrees); }

std::string TideTimeText(double moment, double longitude) {
  if (moment == 0.0) return " --";
  double y = 0, mo = 0, d = 0, hour = 0;
  JulianDayToDate(moment, y, mo, d, hour, longitude);
  return HoursMinutesText(hour);
}
