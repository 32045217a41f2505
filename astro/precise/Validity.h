// Where the precise model leaves the spans its ERFA series are validated for.
// The routines still answer outside them (the almanac shows those answers);
// this says so, for a caller to pass on, e.g. as the "warning" of a JSON
// document. Nothing is kept between calls: the statuses are asked of the
// routines themselves.
#pragma once

#include <string>
#include <vector>

#include "astro/Clock.h"

namespace precise {

enum class Series {
  Earth,    // eraEpv00, validated 1900–2100: the sun's place, the terms, the phases, sunrise
  Planets,  // eraPlan94, validated 1000–3000: the five planets' places and times only
};

struct SeriesWarning {
  Series series;
  int status;        // the routine's own: 1 outside its span, 2 (planets) no convergence
  // One English sentence naming the routine and its span (the earth's does
  // not say what rests on it: that is the caller's to add).
  std::string text;
};

// The series that some moment in [from, to] (Universal Time Julian days) takes
// outside its validated span, Earth before Planets; empty when none does.
std::vector<SeriesWarning> ModelWarnings(JulianDay from, JulianDay to);

}  // namespace precise
