// The precise model's events: solar terms, moon phases and the sun's whole
// degrees by a bracketing root finder on the apparent longitudes, and rise,
// transit and set by the almanac's convention on a smooth fit of each body's
// place over the local day. Every moment is found to well under a second.
#pragma once

#include <optional>
#include <vector>

#include "astro/TermsPhases.h"
#include "astro/precise/Ephemeris.h"

namespace precise {

// How an angle moves: the angle at a moment (degrees, 0–360, increasing) as
// the searches follow it, the model's exact angle with the moments where the
// former's crossings are within 0.025 s of the latter's (elsewhere each found
// moment is corrected by the exact angle), its mean rate (degrees a day) and
// how far (days) a moment estimated from that rate may miss.
struct Motion {
  double (*angle)(JulianDay ut);
  double (*exact)(JulianDay ut);
  bool (*angleSuffices)(JulianDay ut);
  double rate;
  double slack;
};
extern const Motion kSunMotion;   // the sun's apparent longitude
extern const Motion kMoonMotion;  // the moon's elongation from the sun


// The sun's and the moon's events are found and kept by blocks of days fixed
// in time: block k runs from kEventBlockEpoch + k·kEventBlockDays.
inline constexpr double kEventBlockDays = 32.0;
inline constexpr JulianDay kEventBlockEpoch = 2451544.5;  // 2000-01-01 0:00 UT
// The events of block k at multiples of `step`, searched afresh (what the
// table of found events holds; its maker and its test ask for this).
std::vector<AngleEvent> SearchBlock(const Motion& m, double step, long long block);

// The moment in [from, to] at which the angle reaches `target`, when it does
// (it is below it at `from`).
std::optional<JulianDay> CrossingBetween(const Motion& m, double target, JulianDay from, JulianDay to);
// Every moment in [from, to) at which the angle reaches offset + a multiple
// of `spacing`, in time order, at most `limit` of them. The sun's and the
// moon's events (multiples of 15 and 90 degrees) are kept once found.
std::vector<AngleEvent> Crossings(const Motion& m, double spacing, double offset, JulianDay from, JulianDay to,
                                  int limit);
// Empties this thread's memos of found events and the earth's fits behind
// them (EventAngles.h). Nothing needs it for its results; the benchmarks
// use it to time years no memo answers for.
void ForgetFoundEvents();

// Rise, meridian transit and set on one local day: `dayStart` and `dayEnd`
// are the day's 0:00 and the next day's on the observer's clock (as Universal
// Time Julian days, 23 to 25 hours apart where the clock changes); the
// results are hours after the start, before the end, none where the event
// does not happen. Rise and set are the moments the upper
// limb of the sun or the moon touches the sea horizon with 35'08" of
// refraction (the moon topocentric, the actual semidiameters); a planet's
// centre with the same refraction.
// (RiseTransitSetAll gives them for the seven bodies.)
struct DayTimes {
  std::optional<double> rise;
  std::optional<double> transit;
  std::optional<double> set;
};

// The same search for the sun's centre at `altitude` degrees (no
// refraction): its first crossing upwards (`rise`) and downwards (`set`).
DayTimes SunThroughAltitude(double altitude, JulianDay dayStart, JulianDay dayEnd, double latitude,
                            double longitude);

// The seven bodies' times on one day, sharing the earth's places.
void RiseTransitSetAll(JulianDay dayStart, JulianDay dayEnd, double latitude, double longitude,
                       DayTimes (&out)[7]);

}  // namespace precise
