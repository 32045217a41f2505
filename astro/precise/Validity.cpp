#include "astro/precise/Validity.h"

#include <algorithm>

#include "astro/Sun.h"
#include "astro/precise/DeltaT.h"
#include "astro/precise/Ephemeris.h"

namespace precise {

namespace {

constexpr int kPlanets[] = {BodyMercury, BodyVenus, BodyMars, BodyJupiter, BodySaturn};

// The earth's series is taken as valid for the whole years 1900 to 2100 on
// any zone's clock: eraEpv00 flags moments more than 100 years from J2000
// (1899-12-31 12h to 2100-01-01 12h), but its accuracy does not end there,
// and a year that the text calls inside must not be warned about. A day's
// margin either side holds every zone's new year.
constexpr double kEarthFirstTT = 2415020.5 - 1.0;  // 1900-01-01 0h, less a day
constexpr double kEarthLastTT = 2488434.5 + 1.0;   // 2101-01-01 0h, and a day

// Each routine's status turns on the distance of the date from J2000 alone
// (eraPlan94: beyond 1000 years), so the span's two ends decide it for every
// moment between them.
int EarthStatus(double ttFrom, double ttTo) { return ttFrom < kEarthFirstTT || ttTo > kEarthLastTT ? 1 : 0; }

int PlanetsStatus(double ttFrom, double ttTo) {
  int status = 0;
  for (int body : kPlanets) status = std::max({status, PlanetStatus(body, ttFrom), PlanetStatus(body, ttTo)});
  return status;
}

std::string PlanetsText(int status) {
  if (status == 2) return "the planets' series (eraPlan94) did not converge for a moment asked for";
  return "the planets' series (eraPlan94) is validated for 1000-3000 only; the planets' places are extrapolated";
}

}  // namespace

std::vector<SeriesWarning> ModelWarnings(JulianDay from, JulianDay to) {
  const double ttFrom = TerrestrialTime(std::min(from, to)), ttTo = TerrestrialTime(std::max(from, to));
  std::vector<SeriesWarning> warnings;
  if (const int status = EarthStatus(ttFrom, ttTo))
    warnings.push_back({Series::Earth, status,
                        "the earth's series (eraEpv00) is validated for the years 1900-2100 only"});
  if (const int status = PlanetsStatus(ttFrom, ttTo))
    warnings.push_back({Series::Planets, status, PlanetsText(status)});
  return warnings;
}

}  // namespace precise
