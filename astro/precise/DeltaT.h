// ΔT = TT − UT: the precise model keeps its ephemerides on Terrestrial Time
// and the almanac's clock on Universal Time.
//
// The rule (README.md, "ΔT"):
// - within the observed record (data/delta-t.tsv, compiled in as
//   kDeltaTRecord: 1 January of each year from 1620, then monthly values),
//   linear interpolation between its rows;
// - after its last row, a cubic from the last value and the trend of its
//   last twelve months that joins the long-term parabola of Stephenson,
//   Morrison & Hohenkerk (2016), −320 + 32.5·((y − 1825)/100)² s, in value
//   and slope at the start of 2300, and that parabola from then on;
// - before 1600 the Espenak–Meeus expressions (NASA, 2006), with their
//   parabola −20 + 32·((y − 1820)/100)² s before −500, and from 1600 to the
//   record's first row a cubic joining them to it in value and slope.
#pragma once

#include <span>

#include "astro/Clock.h"

namespace precise {

// One observed value: ΔT in seconds at 0:00 UT of a Gregorian date.
struct DeltaTRow {
  int year, month, day;
  double seconds;
};
// The record, in time order (generated from data/delta-t.tsv).
extern const std::span<const DeltaTRow> kDeltaTRecord;

// The year at which the prediction after the record meets the long-term
// parabola.
inline constexpr double kDeltaTJoinYear = 2300.0;

// ΔT in seconds for a decimal year (2000.0 is the start of 2000).
double DeltaTSeconds(double year);
// ΔT in seconds at a Universal Time.
double DeltaTAt(JulianDay ut);
// The Terrestrial Time Julian day of a Universal Time one.
double TerrestrialTime(JulianDay ut);

}  // namespace precise
