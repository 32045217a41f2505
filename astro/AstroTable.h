// The astronomical data table of one date, time and place: rise, transit and
// set times and the places of the seven bodies, and the day's tides. Shared by
// the data window's request and the command-line tool, so both compute and
// format the same way.
#pragma once

#include <optional>
#include <string>

#include "astro/ClockText.h"
#include "astro/Model.h"
#include "astro/Moment.h"
#include "astro/Sun.h"
#include "astro/Tides.h"

// The table's rows in display order: 太陽, 月, 水星, 金星, 火星, 木星, 土星.
inline constexpr int kAstroTableRows[kBodyCount] = {BodySun,  BodyMoon,    BodyMercury, BodyVenus,
                                                    BodyMars, BodyJupiter, BodySaturn};
extern const char* const AstroTableRowNames[kBodyCount];

// A body's rise, transit and set on the local day, in hours of the place's
// clock; none where the event does not happen that day.
struct BodyTimes {
  std::optional<double> rise;
  std::optional<double> transit;
  std::optional<double> set;
};

struct AstroTable {
  // Indexed by BodyIndex: the places (the moon topocentric) and the times.
  BodyPosition bodies[kBodyCount];
  BodyTimes times[kBodyCount];
  // The day's high and low waters.
  TideDay tides;
};

// The times and the places at the moment, seen from its place, by the
// ephemeris of its model, and the tides of the day (always on the design's
// formulas).
AstroTable ComputeAstroTable(const Moment& at, const Ephemeris& ephemeris);

// A body's three times of its local day in the model, as the table has them.
BodyTimes BodyTimesOfDay(const Ephemeris& ephemeris, int body, JulianDay jd, const Place& observer,
                         const DateClock& on);

// "%8.2f" of an angle; "     ---" for one that is not a number.
std::string AstroAngleText(double degrees);
// "HH:MM:SS" of a time, `none` where there is none.
std::string EventTimeText(const std::optional<double>& hours, const char* none);
// "HH:MM" of a time (seconds dropped), `none` where there is none.
std::string EventMinuteText(const std::optional<double>& hours, const char* none);
// " --" for no tide, else "HH:MM" of its clock time on `on`.
std::string TideTimeText(const std::optional<JulianDay>& moment, const DateClock& on);
// The four tide moments in the table's order: high 1, high 2, low 1, low 2.
std::optional<JulianDay> TideMoment(const TideDay& tides, int index);
