#include "astro/precise/EventAngles.h"

#include <erfa.h>
#include <erfam.h>

#include <cmath>
#include <map>

#include "astro/precise/Chebyshev.h"
#include "astro/precise/DeltaT.h"

namespace precise {

namespace {

constexpr double kMjdZero = 2400000.5;
// The moon's share of the Earth–Moon barycentre: μ/(1 + μ), μ the ratio of
// the moon's mass to the earth's.
constexpr double kMoonMassRatio = 0.0123000371;
constexpr double kMoonShare = kMoonMassRatio / (1.0 + kMoonMassRatio);

// The fits' blocks of time (Terrestrial Time) and their Chebyshev degree.
constexpr double kBlockDays = 128.0;
constexpr double kBlockEpoch = ERFA_DJ00;
constexpr int kNodes = 13;
constexpr std::size_t kMaxBlocks = 512;  // 180 years of blocks on a thread

// Chebyshev series of the barycentre's heliocentric place (au) and
// barycentric velocity (au/day) over one block.
struct BarycentreFit {
  double place[3][kNodes];
  double velocity[3][kNodes];
};

BarycentreFit FitBlock(double start) {
  BarycentreFit fit{};
  const double middle = start + kBlockDays / 2.0, half = kBlockDays / 2.0;
  for (int k = 0; k < kNodes; ++k) {
    const double tt = middle + half * std::cos(ChebyshevAngle<kNodes>(k));
    double heliocentric[2][3], barycentric[2][3], moon[2][3];
    eraEpv00(kMjdZero, tt - kMjdZero, heliocentric, barycentric);
    eraMoon98(kMjdZero, tt - kMjdZero, moon);
    for (int i = 0; i < 3; ++i) {
      AddChebyshevNode(fit.place[i], k, heliocentric[0][i] + kMoonShare * moon[0][i]);
      AddChebyshevNode(fit.velocity[i], k, barycentric[1][i] + kMoonShare * moon[1][i]);
    }
  }
  return fit;
}

// The fits made on this thread, by block.
std::map<double, BarycentreFit>& Fits() {
  thread_local std::map<double, BarycentreFit> fits;
  return fits;
}

const BarycentreFit& FitFor(double block) {
  std::map<double, BarycentreFit>& fits = Fits();
  auto found = fits.find(block);
  if (found != fits.end()) return found->second;
  if (fits.size() >= kMaxBlocks) fits.clear();
  return fits.emplace(block, FitBlock(kBlockEpoch + block * kBlockDays)).first->second;
}

struct MoonState {
  Vec3 place, velocity;
};

MoonState MoonAt(double tt) {
  double pv[2][3];
  eraMoon98(kMjdZero, tt - kMjdZero, pv);
  return {{pv[0][0], pv[0][1], pv[0][2]}, {pv[1][0], pv[1][1], pv[1][2]}};
}

// The mean equator and equinox of date (precession without nutation): the
// ecliptic longitudes of date less the nutation in longitude (the nutation
// in obliquity does not move them).
struct MeanFrame {
  double rotation[3][3];
  double obliquity;

  explicit MeanFrame(double tt) {
    double gamma, phi, psi;
    eraPfw06(kMjdZero, tt - kMjdZero, &gamma, &phi, &psi, &obliquity);
    eraFw2m(gamma, phi, psi, obliquity, rotation);
  }
  double Longitude(const Vec3& v) const {
    double longitude, latitude;
    EclipticOfDate(Rotate(rotation, v), obliquity, longitude, latitude);
    return longitude;
  }
};

double Wrap360(double degrees) {
  const double d = std::fmod(degrees, 360.0);
  return d < 0.0 ? d + 360.0 : d;
}

}  // namespace

EarthState FittedEarthAt(double tt, const Vec3& moon, const Vec3& moonVelocity) {
  if (!std::isfinite(tt)) {
    const Vec3 none = {NAN, NAN, NAN};
    return {none, none, 0};
  }
  const double block = std::floor((tt - kBlockEpoch) / kBlockDays);
  const BarycentreFit& fit = FitFor(block);
  const double x = 2.0 * (tt - kBlockEpoch - block * kBlockDays) / kBlockDays - 1.0;
  EarthState earth;
  for (int i = 0; i < 3; ++i) {
    earth.heliocentric[i] = ChebyshevSum(fit.place[i], x) - kMoonShare * moon[i];
    earth.velocity[i] = ChebyshevSum(fit.velocity[i], x) - kMoonShare * moonVelocity[i];
  }
  return earth;
}

double SunLongitudeFitted(JulianDay ut) {
  const double tt = TerrestrialTime(ut);
  const MoonState moon = MoonAt(tt);
  const Vec3 sun = SunApparent(FittedEarthAt(tt, moon.place, moon.velocity));
  // The ecliptic of date turns by the nutation in longitude: the longitude
  // of date is the mean one plus that nutation.
  const double nutation = NutationAt(tt, NutationModel::Iau2000B).longitude * ERFA_DR2D;
  return Wrap360(MeanFrame(tt).Longitude(sun) + nutation);
}

double MoonElongationFitted(JulianDay ut) {
  // The nutation moves both longitudes alike: the mean ones give it.
  const double tt = TerrestrialTime(ut);
  const MoonState moon = MoonAt(tt);
  const Vec3 sun = SunApparent(FittedEarthAt(tt, moon.place, moon.velocity));
  const MeanFrame frame(tt);
  return Wrap360(frame.Longitude(MoonLightTimeBack(moon.place, moon.velocity)) - frame.Longitude(sun));
}

void ForgetEarthFits() { Fits().clear(); }

bool SunFitSuffices(JulianDay ut) { return NutationModelAt(TerrestrialTime(ut)) == NutationModel::Iau2000B; }

bool MoonFitSuffices(JulianDay) { return false; }

}  // namespace precise
