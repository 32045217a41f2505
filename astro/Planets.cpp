#include "astro/Planets.h"

#include <algorithm>
#include <cmath>

#include "astro/Coordinates.h"
#include "astro/TimeScales.h"

namespace {

// c0 + c1 T + c2 T^2 + c3 T^3 with T in centuries from 1900.
using Cubic = double[4];

struct MeanElements {
  Cubic longitude;
  Cubic perihelion;
  Cubic eccentricity;
  Cubic node;
  Cubic inclination;
  double axis;
};

// Indexed by BodyIndex - 1; the moon's row is never used.
const MeanElements kElements[6] = {
    {{182.27175, 149474.07244, 0.00201944, 0},
     {75.89717, 1.553469, 0.000308639, 0},
     {0.20561494, 2.03e-05, -4e-08, 0},
     {47.144736, 1.18476, 0.000223194, 0},
     {7.003014, 0.00173833, -1.55555e-05, 0},
     0.3870984},
    {{344.36936, 58519.2126, 0.00098055, 0},
     {130.14057, 1.3723, -0.0016472, 0},
     {0.00681636, -5.384e-05, 1.26e-07, 0},
     {75.7881, 0.91403, 0.0004189, 0},
     {3.3936, 0.0012522, -4.333e-06, 0},
     0.72333015},
    {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, 0},
    {{294.26478, 19141.69625, 0.000315028, 0},
     {334.21833, 1.840394, 0.000335917, 0},
     {0.0933088, 9.5284e-05, -1.22e-07, 0},
     {48.7867, 0.776944, -0.000602778, 0},
     {1.8503, -0.000649028, 2.65e-05, 0},
     1.5236781},
    {{238.132386, 3036.301986, 0.000334683, -1.64889e-06},
     {12.720972, 1.6099617, 0.00105627, -3.4333e-06},
     {0.0483348, 0.00016418, -4.676e-07, -1.7e-09},
     {99.443414, 1.01053, 0.000352222, -8.51111e-06},
     {1.308736, -0.00569611, 3.88889e-06, 0},
     5.202805},
    {{266.597875, 1223.50988, 0.000324542, -5.83333e-07},
     {91.09821, 1.958416, 0.000826361, 4.61111e-06},
     {0.05589231, -0.0003455, -7.28e-07, 7.4e-10},
     {112.790414, 0.873195, -0.000152181, -5.30555e-06},
     {2.4925194, -0.00391889, -1.54889e-05, 4.44444e-08},
     9.554747},
};

double Polynomial(const Cubic& c, double t) { return c[0] + c[1] * t + c[2] * t * t + c[3] * t * t * t; }

bool IsPlanet(int body) {
  return body == BodyMercury || body == BodyVenus || body == BodyMars || body == BodyJupiter ||
         body == BodySaturn;
}

// Half away from zero, to `scale` parts of the unit; the corrections are
// carried at the precision of their tables.
double RoundCorrection(double value, double scale) {
  const double magnitude = std::trunc(std::fabs(value) * scale + 0.5) / scale;
  return value < 0.0 ? -magnitude : magnitude;
}

// The corrections of Jupiter's and Saturn's elements; all zero for the inner
// planets and Mars. `angle` is X, the angle whose sine is the eccentricity.
struct Corrections {
  double longitude = 0.0;
  double perihelion = 0.0;
  double eccentricity = 0.0;
  double axis = 0.0;
  double angle = 0.0;
};

// sin((T1 - phase) * 360 / period), the long inequality of the two planets.
double LongTerm(double t1, double phase, double period) { return SinDeg((t1 - phase) * 360.0 / period); }

struct TableArguments {
  double a;
  double b;
};

TableArguments ArgumentsFor(JulianDay jd) {
  const double days = jd - 1721057.0;
  return {PositiveModulo(0.033459 * days + 86.1, 360.0), PositiveModulo(0.04963 * days + 89.1, 360.0)};
}

double Tabulated(const PerturbationTable& table, const TableArguments& args, double scale) {
  return RoundCorrection(PerturbationLookup(table, args.a, args.b) / scale, scale);
}

Corrections JupiterCorrections(JulianDay jd, double t1) {
  const double period = 0.925;
  const TableArguments args = ArgumentsFor(jd);
  Corrections c;
  c.longitude = RoundCorrection(
                    (0.42 - 0.075 * t1 + 0.015 * t1 * t1 - 0.003 * t1 * t1 * t1) * LongTerm(t1, 0.62, period), 100.0) +
                Tabulated(JupiterLongitudeTable, args, 100.0);
  c.perihelion = RoundCorrection(0.02 * LongTerm(t1, -0.1, period), 100.0) +
                 Tabulated(JupiterPerihelionTable, args, 100.0);
  c.eccentricity = RoundCorrection(0.03 * LongTerm(t1, -0.36, period), 100.0) +
                   Tabulated(JupiterEccentricityTable, args, 100.0);
  c.angle = 2.58 + 0.1 * t1;
  return c;
}

Corrections SaturnCorrections(JulianDay jd, double t1) {
  const double period = 0.95;
  const TableArguments args = ArgumentsFor(jd);
  const double slow = 0.1 - 0.005 * t1;
  Corrections c;
  c.longitude =
      RoundCorrection((0.88 - 0.0633 * t1 + 0.03 * t1 * t1 - 0.0006 * t1 * t1 * t1) * LongTerm(t1, 0.145, period) - 0.5,
                      100.0) +
      Tabulated(SaturnLongitudeTable, args, 100.0);
  c.perihelion = RoundCorrection(slow * LongTerm(t1, 0.54, period) - 0.5, 100.0) +
                 Tabulated(SaturnPerihelionTable, args, 100.0);
  c.eccentricity = RoundCorrection(slow * LongTerm(t1, 0.32, period) - 0.5, 100.0) +
                   Tabulated(SaturnEccentricityTable, args, 100.0);
  c.axis = RoundCorrection((0.004 - 0.0005 * t1) * LongTerm(t1, 0.35, period) - 0.05, 1000.0) +
           Tabulated(SaturnAxisTable, args, 1000.0);
  c.angle = 3.56 - 0.175 * t1 - 0.005 * t1 * t1;
  return c;
}

Corrections CorrectionsFor(int body, JulianDay jd, double t) {
  const double t1 = (t + 19.0) / 10.0;
  if (body == BodyJupiter) return JupiterCorrections(jd, t1);
  if (body == BodySaturn) return SaturnCorrections(jd, t1);
  return {};
}

// Heliocentric rectangular ecliptic coordinates, AU.
struct Vector {
  double x, y, z;
};

Vector Heliocentric(int body, JulianDay jd) {
  const MeanElements& el = kElements[body - 1];
  const double t = CenturiesFrom1900(jd);
  const Corrections c = CorrectionsFor(body, jd, t);
  const bool giant = body == BodyJupiter || body == BodySaturn;

  const double longitude = PositiveModulo(Polynomial(el.longitude, t), 360.0) + c.longitude;
  double perihelion = PositiveModulo(Polynomial(el.perihelion, t), 360.0);
  if (giant) perihelion += c.perihelion / SinDeg(c.angle);
  const double e = giant ? SinDeg(c.angle + c.eccentricity) : Polynomial(el.eccentricity, t);
  const double axis = el.axis + c.axis;
  const double node = PositiveModulo(Polynomial(el.node, t), 360.0);
  const double inclination = Polynomial(el.inclination, t);

  double m = longitude - perihelion;
  if (m < 0.0) m += 360.0;
  // The equation of centre as a series in e: no iteration, so no input can
  // keep it from finishing.
  const double centre = ((2.0 * e - e * e * e / 4.0) * SinDeg(m) + 1.25 * e * e * SinDeg(2.0 * m) +
                         13.0 / 12.0 * e * e * e * SinDeg(3.0 * m)) /
                        kRadian;
  const double nu = m + centre;
  double u = nu + perihelion - node;
  if (u > 360.0) u -= 360.0;
  if (u < 0.0) u += 360.0;
  const double r = axis * (1.0 - e * e) / (1.0 + e * CosDeg(nu));

  const double cu = CosDeg(u), su = SinDeg(u);
  const double cn = CosDeg(node), sn = SinDeg(node);
  const double ci = CosDeg(inclination), si = SinDeg(inclination);
  return {r * (cu * cn - su * sn * ci), r * (cu * sn + su * cn * ci), r * su * si};
}

}  // namespace

double PerturbationLookup(const PerturbationTable& table, double a, double b) {
  if (!std::isfinite(a) || !std::isfinite(b)) return 0.0;
  a = PositiveModulo(a, 360.0);
  b = PositiveModulo(b, 360.0);
  // The last cell ends at 360; clamping keeps a value that rounding put on
  // 360 itself inside the table.
  const int i = std::min(static_cast<int>(a / 10.0), kPerturbationGrid - 2);
  const int j = std::min(static_cast<int>(b / 10.0), kPerturbationGrid - 2);
  return InterpolateGrid(table[j][i], table[j + 1][i], table[j][i + 1], table[j + 1][i + 1], b - 10.0 * j,
                         a - 10.0 * i);
}

BodyPosition PlanetPosition(int body, JulianDay jd, const Place& observer) {
  BodyPosition record;
  if (!IsPlanet(body)) return record;
  const Vector p = Heliocentric(body, jd);
  const BodyPosition sun = SunPosition(jd, observer);
  const double x = p.x + sun.x;
  const double y = p.y + sun.y;
  const double z = p.z + sun.z;
  const double distance = std::sqrt(x * x + y * y + z * z);

  double longitude = std::atan2(y, x) / kRadian;
  if (longitude < 0.0) longitude += 360.0;
  const double latitude = AsinDeg(z / distance);
  record.longitude = longitude;
  record.latitude = latitude;

  double rightAscension, declination;
  EclipticToEquatorial(jd, longitude, latitude, rightAscension, declination);
  // The last half degree before 360 is shown as 0; the horizontal place keeps
  // the true right ascension so the chart does not shift the planet.
  record.rightAscension = rightAscension > 359.5 ? 0.0 : rightAscension;
  record.declination = declination;
  EquatorialToHorizontal(jd, rightAscension, declination, observer.latitude, observer.longitude, record.azimuth,
                         record.altitude);
  return record;
}
