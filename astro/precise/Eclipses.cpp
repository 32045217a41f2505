#include "astro/precise/Eclipses.h"

#include <erfa.h>
#include <erfam.h>

#include <algorithm>
#include <cmath>

#include "astro/Search.h"
#include "astro/Sun.h"
#include "astro/precise/Chebyshev.h"
#include "astro/precise/DeltaT.h"
#include "astro/precise/Ephemeris.h"

namespace precise {

namespace {

constexpr double kEarthRadiusKm = 6378.137;
constexpr double kAuKm = ERFA_DAU / 1000.0;
// Meeus's mean new moon (the lunation 29.530588861 days from 2000-01-06):
// the true one lies within about 0.6 day of it.
constexpr double kMeanNewMoon2000 = 2451550.09766;
constexpr double kLunation = 29.530588861;
// How far the greatest eclipse may lie from the mean syzygy, and the contacts
// from the greatest eclipse, in days.
constexpr double kSyzygyReach = 0.9;
constexpr double kContactReach = 0.25;
// Beyond this ecliptic latitude of the moon at the mean syzygy neither kind
// of eclipse can happen: the widest reach of the penumbra (about 1.6°) and of
// a solar eclipse anywhere on the earth (about 1.6°), plus how far the moon's
// latitude can move in 0.6 day.
constexpr double kLatitudeLimitDegrees = 2.4;
// The earth's shadow: flattened to the radius at latitude 45°, the umbra's
// radius enlarged by 1/50 for the atmosphere.
constexpr double kShadowFlattening = 0.99834;
constexpr double kShadowEnlargement = 1.02;
// Roots to a tenth of a second; the step of the central difference for the
// greatest eclipse; the step at which an altitude is followed through a phase.
constexpr double kTolerance = 0.1 / 86400.0;
constexpr double kDerivativeStep = 60.0 / 86400.0;
constexpr double kAltitudeStep = 5.0 / 1440.0;

struct Sky {
  Vec3 sun;   // apparent geocentric places in the frame of date, au
  Vec3 moon;
};

Sky ExactSkyAt(JulianDay ut, const Frame& frame) {
  const EarthState earth = EarthAt(TerrestrialTime(ut));
  return {ApparentPlace(BodySun, ut, frame, earth), ApparentPlace(BodyMoon, ut, frame, earth)};
}

// The sun's and the moon's apparent places over the days around a syzygy,
// as Chebyshev series through eight exact places (of degree seven over 2.4
// days: within 1e-10 of the moon's distance, 0.00002″, of the exact places).
// An eclipse asks for a few hundred places; the moon's series costs tens of
// microseconds each.
class SkyFit {
 public:
  static constexpr double kHalfSpan = 1.2;  // days either side of the middle

  SkyFit(JulianDay middle, const Frame& frame) : middle_(middle) {
    for (int k = 0; k < kNodes; ++k) {
      const Sky sky = ExactSkyAt(middle + kHalfSpan * std::cos(ChebyshevAngle<kNodes>(k)), frame);
      for (int i = 0; i < 3; ++i) {
        AddChebyshevNode(sun_[i], k, sky.sun[i]);
        AddChebyshevNode(moon_[i], k, sky.moon[i]);
      }
    }
  }

  Sky At(JulianDay ut) const {
    const double x = (ut - middle_) / kHalfSpan;
    Sky sky;
    for (int i = 0; i < 3; ++i) sky.sun[i] = ChebyshevSum(sun_[i], x), sky.moon[i] = ChebyshevSum(moon_[i], x);
    return sky;
  }

 private:
  static constexpr int kNodes = 8;

  JulianDay middle_;
  double sun_[3][kNodes] = {};
  double moon_[3][kNodes] = {};
};

double Separation(const Vec3& a, const Vec3& b) {
  double pa[3] = {a[0], a[1], a[2]}, pb[3] = {b[0], b[1], b[2]};
  return eraSepp(pa, pb);
}

Vec3 Minus(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

double Semidiameter(double radiusKm, const Vec3& v) { return std::asin(radiusKm / (Length(v) * kAuKm)); }
double SunSemidiameter(const Vec3& v) { return kSunSemidiameterAt1Au / 3600.0 * ERFA_DD2R / Length(v); }

// The moment in [a, b] (either order) at which f crosses zero.
template <class F>
std::optional<JulianDay> ZeroCrossing(F f, JulianDay a, JulianDay b) {
  return FindRoot(f, {a, b, f(a), f(b)}, IllinoisRule(kTolerance)).root;
}

// The moment in [a, b] at which f is least, where it falls and then rises:
// where its rate (by a central difference) changes sign.
template <class F>
std::optional<JulianDay> Minimum(F f, JulianDay a, JulianDay b) {
  return ZeroCrossing([&](JulianDay t) { return f(t + kDerivativeStep) - f(t - kDerivativeStep); }, a, b);
}

// Whether `altitude` is above zero at some moment of [from, to], followed in
// steps of a few minutes.
template <class F>
bool AboveSomewhere(F altitude, JulianDay from, JulianDay to) {
  const int steps = std::max(1, static_cast<int>(std::ceil((to - from) / kAltitudeStep)));
  for (int i = 0; i <= steps; ++i)
    if (altitude(from + (to - from) * i / steps) > 0.0) return true;
  return false;
}


// The observer's place and the sidereal time at a moment.
struct Observer {
  Vec3 place;
  double sidereal;
};
Observer ObserverAt(JulianDay ut, const Frame& frame, const Place& place) {
  const double sidereal = LocalSiderealDegrees(ut, TerrestrialTime(ut), place.longitude, frame);
  return {ObserverPlace(place.latitude, sidereal), sidereal};
}

// The refraction (degrees) at a geometric altitude (degrees) by Sæmundsson's
// formula for 10 °C and 1010 hPa; below one degree under the horizon the
// value there (38.8′), so that altitudes stay continuous where the formula
// no longer holds.
double Refraction(double altitude) {
  const double h = std::max(altitude, -1.0);
  return 1.02 / std::tan((h + 10.3 / (h + 5.11)) * ERFA_DD2R) / 60.0;
}

// The apparent altitude (refraction included) of a topocentric vector.
double AltitudeOf(const Vec3& topocentric, const Observer& o, const Place& place) {
  double azimuth, altitude;
  Horizontal(topocentric, place.latitude, o.sidereal, azimuth, altitude);
  return altitude + Refraction(altitude);
}

// The mean syzygies (phase 0 new, 0.5 full) that may give an eclipse whose
// greatest falls in [from, to), with the frame of date at each and the sky
// around it; those with the moon far from the ecliptic are left out. One
// frame serves the day either side: it turns by a fraction of an arcsecond
// in a day, the sun and the moon alike, which moves no separation and the
// place's horizon by metres.
struct Syzygy {
  JulianDay mean;
  Frame frame;
  SkyFit sky;
};

// The moon's ecliptic latitude of date (degrees) at a moment, from the short
// series eraMoon98 (within seconds of arc of the model's moon): only to
// leave out the syzygies that are degrees from an eclipse.
double RoughMoonLatitude(JulianDay ut, const Frame& frame) {
  double pv[2][3];
  eraMoon98(2400000.5, frame.tt - 2400000.5 + (ut - frame.ut), pv);
  double longitude, latitude;
  EclipticOfDate(Rotate(frame.rbpn, {pv[0][0], pv[0][1], pv[0][2]}), frame.trueObliquity, longitude, latitude);
  return latitude;
}

std::vector<Syzygy> Candidates(JulianDay from, JulianDay to, double phase) {
  std::vector<Syzygy> out;
  const double first = std::floor((from - kMeanNewMoon2000) / kLunation - phase) - 1.0;
  for (double k = first;; k += 1.0) {
    const JulianDay mean = kMeanNewMoon2000 + (k + phase) * kLunation;
    if (mean - kSyzygyReach - 0.5 > to) break;
    if (mean + kSyzygyReach + 0.5 < from) continue;
    const Frame frame = FrameAt(mean);
    if (std::fabs(RoughMoonLatitude(mean, frame)) < kLatitudeLimitDegrees)
      out.push_back({mean, frame, SkyFit(mean, frame)});
  }
  return out;
}

// ---- Lunar eclipses ----

// The moon against the earth's shadow: the distance of its centre from the
// shadow's axis and the radii, radians.
struct Shadow {
  double separation;
  double umbra;
  double penumbra;
  double moon;
};

Shadow ShadowAt(JulianDay ut, const SkyFit& fit) {
  const Sky sky = fit.At(ut);
  const double moonParallax = std::asin(kEarthRadiusKm / (Length(sky.moon) * kAuKm));
  const double sunParallax = std::asin(kEarthRadiusKm / (Length(sky.sun) * kAuKm));
  const double sun = SunSemidiameter(sky.sun);
  const double base = kShadowFlattening * moonParallax + sunParallax;
  const double umbra = kShadowEnlargement * (base - sun);
  // The atmosphere's layer widens the penumbra by as much as the umbra.
  const double penumbra = base + sun + (umbra - (base - sun));
  return {Separation(sky.moon, Minus(Vec3{}, sky.sun)), umbra, penumbra, Semidiameter(kMoonRadiusKm, sky.moon)};
}

// The moment the moon's centre is at `reach(shadow)` from the axis, before
// (direction −1) or after (+1) the greatest eclipse.
template <class Reach>
std::optional<JulianDay> LunarContact(const SkyFit& fit, JulianDay greatest, double direction, Reach reach) {
  const auto outside = [&](JulianDay t) {
    const Shadow s = ShadowAt(t, fit);
    return s.separation - reach(s);
  };
  return ZeroCrossing(outside, greatest, greatest + direction * kContactReach);
}

double MoonAltitude(JulianDay ut, const Syzygy& syzygy, const Place& place) {
  const Observer o = ObserverAt(ut, syzygy.frame, place);
  return AltitudeOf(Minus(syzygy.sky.At(ut).moon, o.place), o, place);
}

std::optional<LunarEclipse> LunarEclipseNear(const Syzygy& syzygy, const Place& place) {
  const SkyFit& fit = syzygy.sky;
  const std::optional<JulianDay> greatest = Minimum(
      [&](JulianDay t) { return ShadowAt(t, fit).separation; }, syzygy.mean - kSyzygyReach,
      syzygy.mean + kSyzygyReach);
  if (!greatest) return std::nullopt;
  const Shadow at = ShadowAt(*greatest, fit);
  if (at.separation >= at.penumbra + at.moon) return std::nullopt;

  const auto penumbral = [](const Shadow& s) { return s.penumbra + s.moon; };
  const auto partial = [](const Shadow& s) { return s.umbra + s.moon; };
  const auto total = [](const Shadow& s) { return s.umbra - s.moon; };
  LunarEclipse e{};
  e.greatest = *greatest;
  e.umbralMagnitude = (at.umbra + at.moon - at.separation) / (2.0 * at.moon);
  e.penumbralMagnitude = (at.penumbra + at.moon - at.separation) / (2.0 * at.moon);
  e.kind = e.umbralMagnitude >= 1.0   ? LunarEclipseKind::kTotal
           : e.umbralMagnitude > 0.0 ? LunarEclipseKind::kPartial
                                     : LunarEclipseKind::kPenumbral;
  const std::optional<JulianDay> p1 = LunarContact(fit, e.greatest, -1.0, penumbral);
  const std::optional<JulianDay> p4 = LunarContact(fit, e.greatest, 1.0, penumbral);
  if (!p1 || !p4) return std::nullopt;
  e.penumbralBegin = *p1, e.penumbralEnd = *p4;
  if (e.kind != LunarEclipseKind::kPenumbral) {
    e.partialBegin = LunarContact(fit, e.greatest, -1.0, partial);
    e.partialEnd = LunarContact(fit, e.greatest, 1.0, partial);
  }
  if (e.kind == LunarEclipseKind::kTotal) {
    e.totalBegin = LunarContact(fit, e.greatest, -1.0, total);
    e.totalEnd = LunarContact(fit, e.greatest, 1.0, total);
  }
  const auto altitude = [&](JulianDay t) { return MoonAltitude(t, syzygy, place); };
  e.visible = e.partialBegin && e.partialEnd ? AboveSomewhere(altitude, *e.partialBegin, *e.partialEnd)
                                             : altitude(e.greatest) > 0.0;
  return e;
}

// ---- Solar eclipses at a place ----

// The sun's and the moon's discs seen from the place: the distance of their
// centres and their semidiameters (radians), and the sun's altitude.
struct Discs {
  double separation;
  double sun;
  double moon;
  double sunAltitude;
};

Discs DiscsAt(JulianDay ut, const Syzygy& syzygy, const Place& place) {
  const Sky sky = syzygy.sky.At(ut);
  const Observer o = ObserverAt(ut, syzygy.frame, place);
  const Vec3 sun = Minus(sky.sun, o.place), moon = Minus(sky.moon, o.place);
  return {Separation(sun, moon), SunSemidiameter(sun), Semidiameter(kMoonRadiusKm, moon), AltitudeOf(sun, o, place)};
}

SolarContact ContactAt(JulianDay ut, const Syzygy& syzygy, const Place& place) {
  return {ut, DiscsAt(ut, syzygy, place).sunAltitude};
}

// The area of the sun's disc under the moon's, as a fraction of the disc.
double Obscuration(const Discs& d) {
  const double R = d.sun, r = d.moon, s = d.separation;
  if (s >= R + r) return 0.0;
  if (s <= std::fabs(R - r)) return std::min(1.0, (r * r) / (R * R));
  const double a = r * r * std::acos((s * s + r * r - R * R) / (2.0 * s * r));
  const double b = R * R * std::acos((s * s + R * R - r * r) / (2.0 * s * R));
  const double c = 0.5 * std::sqrt((-s + r + R) * (s + r - R) * (s - r + R) * (s + r + R));
  return (a + b - c) / (ERFA_DPI * R * R);
}

template <class Reach>
std::optional<JulianDay> SolarContactMoment(const Syzygy& syzygy, const Place& place, JulianDay from, JulianDay to,
                                            Reach reach) {
  return ZeroCrossing(
      [&](JulianDay t) {
        const Discs d = DiscsAt(t, syzygy, place);
        return d.separation - reach(d);
      },
      from, to);
}

std::optional<SolarEclipse> SolarEclipseNear(const Syzygy& syzygy, const Place& place) {
  // The geocentric conjunction first, then the place's own, within hours of it.
  const std::optional<JulianDay> geocentric =
      Minimum([&](JulianDay t) { const Sky s = syzygy.sky.At(t); return Separation(s.sun, s.moon); },
              syzygy.mean - kSyzygyReach, syzygy.mean + kSyzygyReach);
  if (!geocentric) return std::nullopt;
  const std::optional<JulianDay> greatest =
      Minimum([&](JulianDay t) { return DiscsAt(t, syzygy, place).separation; }, *geocentric - kContactReach,
              *geocentric + kContactReach);
  if (!greatest) return std::nullopt;
  const Discs at = DiscsAt(*greatest, syzygy, place);
  if (at.separation >= at.sun + at.moon) return std::nullopt;

  const auto outer = [](const Discs& d) { return d.sun + d.moon; };
  const auto inner = [](const Discs& d) { return std::fabs(d.moon - d.sun); };
  const std::optional<JulianDay> c1 = SolarContactMoment(syzygy, place, *greatest - kContactReach, *greatest, outer);
  const std::optional<JulianDay> c4 = SolarContactMoment(syzygy, place, *greatest, *greatest + kContactReach, outer);
  if (!c1 || !c4) return std::nullopt;
  SolarEclipse e{};
  e.kind = SolarEclipseKind::kPartial;
  if (at.separation < inner(at)) {
    e.kind = at.moon > at.sun ? SolarEclipseKind::kTotal : SolarEclipseKind::kAnnular;
    const std::optional<JulianDay> c2 = SolarContactMoment(syzygy, place, *c1, *greatest, inner);
    const std::optional<JulianDay> c3 = SolarContactMoment(syzygy, place, *greatest, *c4, inner);
    if (c2) e.centralBegin = ContactAt(*c2, syzygy, place);
    if (c3) e.centralEnd = ContactAt(*c3, syzygy, place);
  }
  e.begin = ContactAt(*c1, syzygy, place);
  e.greatest = {*greatest, at.sunAltitude};
  e.end = ContactAt(*c4, syzygy, place);
  e.magnitude = (at.sun + at.moon - at.separation) / (2.0 * at.sun);
  e.obscuration = Obscuration(at);
  const auto sunAltitude = [&](JulianDay t) { return DiscsAt(t, syzygy, place).sunAltitude; };
  e.sunUp = AboveSomewhere(sunAltitude, *c1, *c4);
  if (e.kind != SolarEclipseKind::kPartial) {
    const bool centralSeen = e.centralBegin && e.centralEnd
                                 ? AboveSomewhere(sunAltitude, e.centralBegin->moment, e.centralEnd->moment)
                                 : e.greatest.sunAltitude > 0.0;
    if (!centralSeen) e.centralBelowHorizon = e.kind, e.kind = SolarEclipseKind::kPartial;
  }
  e.beginsBeforeSunrise = e.begin.sunAltitude < 0.0;
  e.endsAfterSunset = e.end.sunAltitude < 0.0;
  return e;
}

}  // namespace

std::vector<LunarEclipse> LunarEclipses(JulianDay from, JulianDay to, const Place& place) {
  std::vector<LunarEclipse> out;
  for (const Syzygy& s : Candidates(from, to, 0.5))
    if (const std::optional<LunarEclipse> e = LunarEclipseNear(s, place); e && e->greatest >= from && e->greatest < to)
      out.push_back(*e);
  return out;
}

double EclipseBodyAltitude(int body, JulianDay ut, const Place& place) {
  const Frame frame = FrameAt(ut);
  const Sky sky = ExactSkyAt(ut, frame);
  const Observer o = ObserverAt(ut, frame, place);
  return AltitudeOf(Minus(body == BodyMoon ? sky.moon : sky.sun, o.place), o, place);
}

std::vector<SolarEclipse> SolarEclipses(JulianDay from, JulianDay to, const Place& place) {
  std::vector<SolarEclipse> out;
  for (const Syzygy& s : Candidates(from, to, 0.0))
    if (const std::optional<SolarEclipse> e = SolarEclipseNear(s, place);
        e && e->greatest.moment >= from && e->greatest.moment < to)
      out.push_back(*e);
  return out;
}

}  // namespace precise
