// Where a day's answer leaves the spans the precise model's series are
// validated for: the same question the command line's day answers with a
// warning, for the window to say.
#pragma once

#include <vector>

#include "astro/Moment.h"
#include "astro/precise/Validity.h"

// In the precise model: the year's lists (and the day in them), and the
// planets when `withPlanets` (the sky chart draws them); with the eclipses
// shown in either model, the days their search looks at. Empty when every
// series stays in its span, or the answer uses none.
std::vector<precise::SeriesWarning> DaySeriesWarnings(const Moment& at, bool withEclipses, bool withPlanets);
