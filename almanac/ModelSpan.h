// Where a day's answer leaves the spans the series are validated for: the
// window says it, the command line's day words it as its warning.
#pragma once

#include <vector>

#include "astro/Model.h"
#include "astro/Moment.h"
#include "astro/precise/Validity.h"

// Universal Time Julian days from `from` to `to`.
struct DaySpan {
  JulianDay from;
  JulianDay to;
};
// The days the eclipse search of a day looks at: the day and one either side.
DaySpan DayEclipseSpan(const Moment& at);
// Those days and the year of the day's lists (on the list clock): what the
// model's answers for the day take.
DaySpan DayAnswerSpan(const Moment& at);

// The model's series warnings for the day's answer (the planets' only when
// `withPlanets`: the sky chart draws them), and with the eclipses shown in
// either model the earth's over the days their search looks at. Empty when
// every series stays in its span, and in the design's model without the
// eclipses.
std::vector<precise::SeriesWarning> DaySeriesWarnings(const Moment& at, const Ephemeris& ephemeris, bool withEclipses,
                                                      bool withPlanets);
