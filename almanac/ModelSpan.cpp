#include "almanac/ModelSpan.h"

#include <algorithm>

#include "astro/TimeScales.h"

namespace {

bool IsEarth(const precise::SeriesWarning& w) { return w.series == precise::Series::Earth; }

}  // namespace

DaySpan DayEclipseSpan(const Moment& at) {
  const JulianDay start = DateToJulianDay(at.year, at.month, at.day, 0.0, PlaceClock(at));
  return {start - 1.0, start + 2.0};
}

DaySpan DayAnswerSpan(const Moment& at) {
  const DateClock lists = ListClock(at);
  const DaySpan days = DayEclipseSpan(at);
  return {std::min(days.from, DateToJulianDay(at.year, 1, 1, 0, lists)),
          std::max(days.to, DateToJulianDay(at.year + 1, 1, 1, 0, lists))};
}

std::vector<precise::SeriesWarning> DaySeriesWarnings(const Moment& at, const Ephemeris& ephemeris, bool withEclipses,
                                                      bool withPlanets) {
  const DaySpan answer = DayAnswerSpan(at);
  std::vector<precise::SeriesWarning> warnings = ephemeris.SeriesWarnings(answer.from, answer.to);
  if (!withPlanets) std::erase_if(warnings, [](const precise::SeriesWarning& w) { return !IsEarth(w); });
  // The eclipses' days lie inside the answer's span: they add a warning only
  // where the model has none for the earth's series (the design's).
  if (withEclipses && std::none_of(warnings.begin(), warnings.end(), IsEarth)) {
    const DaySpan days = DayEclipseSpan(at);
    for (const precise::SeriesWarning& w : precise::ModelWarnings(days.from, days.to))
      if (IsEarth(w)) warnings.insert(warnings.begin(), w);
  }
  return warnings;
}
