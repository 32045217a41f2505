#include "astro/Model.h"

#include <algorithm>
#include <cmath>

#include "astro/Moon.h"
#include "astro/Planets.h"
#include "astro/RiseSet.h"
#include "astro/TermsPhases.h"
#include "astro/TimeScales.h"
#include "astro/precise/Almanac.h"

namespace {

bool IsPrecise(AstroModel model) { return model == AstroModel::Precise; }

// The year (JST) of a list's jd0, from whose 1 January the lists run.
double ListYear(double jd0) {
  double y, m, d, h;
  JulianDayToDate(jd0, y, m, d, h, kJstLongitude);
  return y;
}

}  // namespace

AstroModel AstroModelFromText(const std::string& text) {
  return text == "precise" ? AstroModel::Precise : AstroModel::Design;
}

const char* AstroModelText(AstroModel model) { return IsPrecise(model) ? "precise" : "design"; }

void BodyPlace(AstroModel model, int body, JulianDay jd, BodyPosition& record, const Place& observer,
               bool topocentric) {
  const double lat = observer.latitude, lon = observer.longitude;
  if (IsPrecise(model)) {
    if (body != BodySun) precise::BodyPlace(BodySun, jd, lat, lon, false, SunRecord);
    precise::BodyPlace(body, jd, lat, lon, topocentric, record);
    return;
  }
  if (body == BodySun) {
    SunPosition(jd, record, observer);
  } else if (body == BodyMoon) {
    MoonPosition(jd, record, topocentric ? 1 : 0, lat, lon, observer);
  } else {
    PlanetPosition(body, jd, record, observer);
  }
}

double RiseTime(AstroModel model, JulianDay jd, int body, const Place& observer) {
  return IsPrecise(model) ? precise::RiseTime(jd, body, observer.latitude, observer.longitude)
                          : RiseTime(jd, body, observer);
}

double SetTime(AstroModel model, JulianDay jd, int body, const Place& observer) {
  return IsPrecise(model) ? precise::SetTime(jd, body, observer.latitude, observer.longitude)
                          : SetTime(jd, body, observer);
}

double TransitTime(AstroModel model, JulianDay jd, int body, const Place& observer) {
  return IsPrecise(model) ? precise::TransitTime(jd, body, observer.latitude, observer.longitude)
                          : TransitTime(jd, body, observer);
}

void SolarTermOfDay(AstroModel model, double year, double month, double day, std::string& name,
                    double& longitude) {
  if (IsPrecise(model)) return precise::SolarTermOfDay(year, month, day, name, longitude);
  SolarTermOfDay(year, month, day, name, longitude);
}

int DaysSinceSpringBegins(AstroModel model, double year, double month, double day) {
  return IsPrecise(model) ? precise::DaysSinceSpringBegins(year, month, day)
                          : DaysSinceSpringBegins(year, month, day);
}

double SunDegreeOfDay(AstroModel model, double year, double month, double day, double& julianDay) {
  return IsPrecise(model) ? precise::SunDegreeOfDay(year, month, day, julianDay)
                          : SunDegreeOfDay(year, month, day, julianDay);
}

void SolsticeCycleStartDays(AstroModel model, double julianDay, double& first, double& second) {
  if (IsPrecise(model)) return precise::SolsticeCycleStartDays(julianDay, kJstLongitude, first, second);
  SolsticeCycleStartDays(julianDay, first, second);
}

void RecentNewMoons(AstroModel model, double julianDay, double& first, double& second) {
  if (IsPrecise(model)) return precise::RecentNewMoons(julianDay, kJstLongitude, first, second);
  RecentNewMoons(julianDay, first, second);
}

int ListMoonPhases(AstroModel model, double jd0, double n) {
  if (!IsPrecise(model)) return ListMoonPhases(jd0, n);
  PhaseCount = precise::ListMoonPhases(ListYear(jd0), n, EventAngles, EventJulianDays, kEventCapacity);
  return PhaseCount;
}

int ListSolarTerms(AstroModel model, double jd0, double n) {
  if (!IsPrecise(model)) return ListSolarTerms(jd0, n);
  TermCount = precise::ListSolarTerms(ListYear(jd0), n, EventAngles, EventJulianDays, kEventCapacity);
  return TermCount;
}

int BuildMoonPhaseTable(AstroModel model, double year, double n) {
  return BuildEventTable(year, n, [model](double jd0, double days) { return ListMoonPhases(model, jd0, days); },
                         true);
}

int BuildSolarTermTable(AstroModel model, double year, double n) {
  return BuildEventTable(year, n, [model](double jd0, double days) { return ListSolarTerms(model, jd0, days); },
                         false);
}

int YearEventTable(AstroModel model, EventKind kind, double year, double days, CalendarEvent* out) {
  const bool phases = kind == EventKind::MoonPhases;
  const int built = phases ? BuildMoonPhaseTable(model, year, days) : BuildSolarTermTable(model, year, days);
  const int count = std::clamp(built, 0, kEventTableSize);
  std::copy_n(phases ? MoonPhaseTable : SolarTermTable, count, out);
  return count;
}
