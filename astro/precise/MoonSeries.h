// The moon's geocentric place from the lunar theory ELP/MPP02 (J. Chapront
// and G. Francou, A&A 404, 735, 2003) with its constants fitted to the JPL
// ephemerides DE405/DE406. The series (data/elpmpp02/, 35,901 terms) is read
// into terms whose arguments are polynomials in time; the program carries
// the terms above a threshold (MoonSeriesData.cpp, made by
// ombrel-moonseries in tools/), the tests and that tool read the full series.
//
// The theory gives the place on the mean ecliptic and equinox of J2000 (its
// own inertial frame); from there to the celestial reference frame the
// rotation is that of the IAU 2006 ecliptic of J2000 (eraEcm06), which the
// theory's frame matches to a few hundredths of an arcsecond.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "astro/precise/Ephemeris.h"

namespace precise {

// The terms of each group are kept largest first: the velocity is summed
// over those of at least kMoonRateAngle (radians) or kMoonRateDistance (km)
// alone (within about 3e-4 of itself: under half a metre, 0.0002″, in the
// light time's correction).
inline constexpr double kMoonRateAngle = 1e-6, kMoonRateDistance = 1.0;

// One term: amplitude · sin(phase[0] + phase[1]·T + … + phase[4]·T⁴), T in
// Julian centuries of Terrestrial Time from J2000; the amplitude in radians
// (longitude, latitude) or kilometres (distance).
struct MoonTerm {
  double amplitude;
  double phase[5];
};

enum class MoonCoordinate { kLongitude, kLatitude, kDistance };

// The terms of one coordinate whose sum is multiplied by T^power.
struct MoonTermGroup {
  MoonCoordinate coordinate;
  int power;
  std::span<const MoonTerm> terms;
};

// A series read from the theory's files, holding its terms.
class MoonSeries {
 public:
  // The 14 files of `dir` (elp_main.*, elp_pert.*), largest terms first
  // within each group; empty with `error` set when one is missing or does
  // not parse.
  static MoonSeries Read(const std::string& dir, std::string& error);
  // The terms whose amplitude times |T|^power at `centuries` from J2000 is
  // at least the threshold of their coordinate (radians for longitude and
  // latitude, kilometres for distance).
  MoonSeries Truncated(double longitude, double latitude, double distance, double centuries) const;

  // Views of the terms, valid while the series lives unchanged.
  std::vector<MoonTermGroup> Groups() const;
  std::size_t Terms() const;

 private:
  struct Group {
    MoonCoordinate coordinate;
    int power;
    std::vector<MoonTerm> terms;
  };
  std::vector<Group> groups_;
};

// The series the program carries (MoonSeriesData.cpp, whose head gives the
// thresholds it was cut at).
extern const std::span<const MoonTermGroup> kMoonSeries;

// A place (km) and velocity (km/day).
struct MoonState {
  Vec3 place;
  Vec3 velocity;
};
// The moon on the mean ecliptic and equinox of J2000 at a Terrestrial Time.
MoonState MoonEclipticJ2000(std::span<const MoonTermGroup> series, double tt);
// The moon's geometric geocentric place (au) and velocity (au/day) in the
// celestial reference frame at a Terrestrial Time, from kMoonSeries.
MoonState MoonGeocentric(double tt);

}  // namespace precise
