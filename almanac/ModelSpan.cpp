#include "almanac/ModelSpan.h"

#include <algorithm>

#include "astro/TimeScales.h"

std::vector<precise::SeriesWarning> DaySeriesWarnings(const Moment& at, bool withEclipses, bool withPlanets) {
  const bool precise = at.model == AstroModel::Precise;
  if (!precise && !withEclipses) return {};
  const JulianDay start = DateToJulianDay(at.year, at.month, at.day, 0.0, PlaceClock(at));
  JulianDay from = start - 1.0, to = start + 2.0;
  if (precise) {
    const DateClock lists = ListClock(at);
    from = std::min(from, DateToJulianDay(at.year, 1, 1, 0, lists));
    to = std::max(to, DateToJulianDay(at.year + 1, 1, 1, 0, lists));
  }
  std::vector<precise::SeriesWarning> warnings = precise::ModelWarnings(from, to);
  if (!(precise && withPlanets))
    std::erase_if(warnings, [](const precise::SeriesWarning& w) { return w.series == precise::Series::Planets; });
  return warnings;
}
