// The astronomical data table of one date, time and place: rise, transit and
// set times and the places of the seven bodies, and the day's tides. Shared by
// the data window's request and the command-line tool, so both compute and
// format the same way.
#pragma once

#include <string>

#include "astro/ClockText.h"
#include "astro/Model.h"
#include "astro/Moment.h"
#include "astro/Sun.h"

// The table's rows in display order: 太陽, 月, 水星, 金星, 火星, 木星, 土星.
inline constexpr int kAstroTableRows[kBodyCount] = {BodySun,  BodyMoon,    BodyMercury, BodyVenus,
                                                    BodyMars, BodyJupiter, BodySaturn};
extern const char* const AstroTableRowNames[kBodyCount];

struct AstroTable {
  // Indexed by BodyIndex: riseTime, transitTime, setTime (23.0 when the event
  // does not happen that day), longitude, latitude, rightAscension,
  // declination, azimuth and altitude.
  BodyPosition bodies[kBodyCount];
  // HighWater1, HighWater2, LowWater1, LowWater2 (0 when not found) and their
  // texts.
  double tides[4];
  std::string tideTexts[4];
};

// Computes the times and the places at the moment, seen from its place, in
// its astronomical model, and the tides of the day (always on the design's
// formulas), as the data window's request does. The body records and the
// tide results are left as the computation leaves them.
void ComputeAstroTable(const Moment& at, AstroTable& table);

// "%8.2f" of an angle.
std::string AstroAngleText(double degrees);
// " --" for a moment of 0, else "%02.0f:%02.0f" of its clock time at
// `longitude`.
std::string TideTimeText(double moment, double longitude);
