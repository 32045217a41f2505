// The moon's geocentric place from the lunar theory ELP/MPP02 (J. Chapront
// and G. Francou, A&A 404, 735, 2003) with its constants fitted to the JPL
// ephemerides DE405/DE406. The series (data/elpmpp02/, 35,901 terms) is read
// into terms whose arguments are sums of multiples of thirteen arguments,
// each a polynomial in time (a place takes their sines once, and each term
// is a product of their powers); the program carries
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

// The theory's arguments, in the order of its files' multiples: the
// Delaunay arguments D, F, l, l', the mean longitudes of Mercury, Venus, the
// Earth–Moon barycentre, Mars, Jupiter, Saturn, Uranus and Neptune, and ζ
// (the moon's mean longitude with the precession). Each is a polynomial in
// time; a term's argument is a sum of whole multiples of them.
inline constexpr int kMoonArguments = 13;
// The largest multiple of each argument in the theory's terms, and the most
// arguments that one term combines.
inline constexpr int kMoonMostMultiple[kMoonArguments] = {10, 6, 8, 6, 17, 69, 75, 71, 9, 16, 4, 4, 2};
inline constexpr int kMoonMostFactors = 7;

struct MoonFactor {
  signed char argument;  // 0 ≤ argument < kMoonArguments
  signed char multiple;  // nonzero, |multiple| ≤ kMoonMostMultiple[argument]
};

// One term: amplitude · sin(phase + Σ multiple·argument(T)), T in Julian
// centuries of Terrestrial Time from J2000; the amplitude in radians
// (longitude, latitude) or kilometres (distance). `sine` and `cosine` are
// amplitude · sin(phase) and amplitude · cos(phase), so that the sum needs
// no sine of its own: the arguments' multiples are products of powers of
// e^(i·argument), taken once per moment.
struct MoonTerm {
  double amplitude;
  double sine, cosine;
  int factors;
  MoonFactor factor[kMoonMostFactors];
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
// celestial reference frame at a Terrestrial Time, from kMoonSeries or from
// the series given (the full one, for the reference tables).
MoonState MoonGeocentric(double tt);
MoonState MoonGeocentric(std::span<const MoonTermGroup> series, double tt);

}  // namespace precise
