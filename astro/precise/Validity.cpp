#include "astro/precise/Validity.h"

#include <algorithm>

#include "astro/Sun.h"
#include "astro/precise/DeltaT.h"
#include "astro/precise/Ephemeris.h"

namespace precise {

namespace {

constexpr int kPlanets[] = {BodyMercury, BodyVenus, BodyMars, BodyJupiter, BodySaturn};

// Each routine's status turns on the distance of the date from J2000 alone
// (eraEpv00: beyond 100 years, eraPlan94: beyond 1000), so the span's two ends
// decide it for every moment between them.
int EarthStatus(double ttFrom, double ttTo) {
  return std::max(EarthAt(ttFrom).status, EarthAt(ttTo).status);
}

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
                        "the earth's series (eraEpv00) is validated for 1900-2100 only; the sun's place, the terms, "
                        "the phases and the sun's rise and set are extrapolated"});
  if (const int status = PlanetsStatus(ttFrom, ttTo))
    warnings.push_back({Series::Planets, status, PlanetsText(status)});
  return warnings;
}

}  // namespace precise
