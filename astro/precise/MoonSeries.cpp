#include "astro/precise/MoonSeries.h"

#include <erfa.h>
#include <erfam.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

namespace precise {

namespace {

constexpr double kArcsec = ERFA_DAS2R;
constexpr double kCenturyDays = 36525.0;

// A polynomial in T (radians): c[0] + c[1]·T + … + c[4]·T⁴.
struct Argument {
  double c[5] = {};
};

Argument operator+(const Argument& a, const Argument& b) {
  Argument r;
  for (int k = 0; k < 5; ++k) r.c[k] = a.c[k] + b.c[k];
  return r;
}
Argument operator*(double m, const Argument& a) {
  Argument r;
  for (int k = 0; k < 5; ++k) r.c[k] = m * a.c[k];
  return r;
}
Argument operator-(const Argument& a, const Argument& b) { return a + (-1.0) * b; }

// Degrees, minutes and seconds plus the coefficients of T, T², … in
// arcseconds, as radians.
Argument Arcseconds(double degrees, double minutes, double seconds, double t1, double t2 = 0, double t3 = 0,
                    double t4 = 0) {
  Argument a;
  a.c[0] = (degrees * 3600.0 + minutes * 60.0 + seconds) * kArcsec;
  a.c[1] = t1 * kArcsec, a.c[2] = t2 * kArcsec, a.c[3] = t3 * kArcsec, a.c[4] = t4 * kArcsec;
  return a;
}

// The theory's constants with the corrections fitted to DE405/DE406, and
// what follows from them: the arguments and the factors of the main
// problem's amplitudes.
struct Constants {
  Argument delaunay[4];   // D, F, l, l'
  Argument planets[8];    // Me, Ve, EM, Ma, Ju, Sa, Ur, Ne
  Argument zeta;
  Argument w1;            // the moon's mean longitude
  double fA, fB[5];

  Constants() {
    constexpr double dW1_0 = -0.07008, dW2_0 = 0.20794, dW3_0 = -0.07215;
    constexpr double dW1_1 = -0.35106, dW2_1 = 0.08017, dW3_1 = -0.04317;
    constexpr double dW1_2 = -0.03743, dW1_3 = -0.00018865, dW1_4 = -0.00001024;
    constexpr double dW2_2 = 0.00470602, dW2_3 = -0.00025213, dW3_2 = -0.00261070, dW3_3 = -0.00010712;
    constexpr double dGamma = 0.00085, dE = -0.00006, dT0 = -0.00033, dT1 = 0.00732, dPerihelion = -0.00749,
                     dEp = 0.00224;
    constexpr double m = 0.074801329, alpha = 0.002571881;
    constexpr double b2[5] = {0.311079095, -0.004482398, -0.001102485, 0.001056062, 0.000050928};
    constexpr double b3[5] = {-0.103837907, 0.000668287, -0.001298072, -0.000178028, -0.000037342};
    const double w1Rate = 1732559343.73604 + dW1_1, w2Rate = 14643420.3171 + dW2_1,
                 w3Rate = -6967919.5383 + dW3_1;
    auto correction = [&](const double (&b)[5], double rate) {
      const double k = b[0] + 2.0 * alpha / (3.0 * m) * b[4];
      return (rate / w1Rate - m * k) * dW1_1 + k * dT1 +
             w1Rate * (b[1] * dGamma + b[2] * dE + b[3] * dEp) * kArcsec;
    };
    const double dW2 = correction(b2, w2Rate), dW3 = correction(b3, w3Rate);

    w1 = Arcseconds(218, 18, 59.95571 + dW1_0, w1Rate, -6.8084 + dW1_2, 0.006604 + dW1_3, -0.00003169 + dW1_4);
    const Argument w2 =
        Arcseconds(83, 21, 11.67475 + dW2_0, w2Rate + dW2, -38.2631 + dW2_2, -0.045047 + dW2_3, 0.00021301);
    const Argument w3 =
        Arcseconds(125, 2, 40.39816 + dW3_0, w3Rate + dW3, 6.359 + dW3_2, 0.007625 + dW3_3, -0.00003586);
    const Argument ea = Arcseconds(100, 27, 59.13885 + dT0, 129597742.293 + dT1, -0.0202, 9e-6, 1.5e-7);
    const Argument perihelion = Arcseconds(102, 56, 14.45766 + dPerihelion, 1161.24342, 0.529265, -1.1814e-4,
                                           1.1379e-5);
    delaunay[0] = w1 - ea + Arcseconds(180, 0, 0, 0);
    delaunay[1] = w1 - w3;
    delaunay[2] = w1 - w2;
    delaunay[3] = ea - perihelion;
    planets[0] = Arcseconds(252, 15, 3.216919, 538101628.66888);
    planets[1] = Arcseconds(181, 58, 44.758419, 210664136.45777);
    planets[2] = Arcseconds(100, 27, 59.13885, 129597742.293);
    planets[3] = Arcseconds(355, 26, 3.642778, 68905077.65936);
    planets[4] = Arcseconds(34, 21, 5.379392, 10925660.57335);
    planets[5] = Arcseconds(50, 4, 38.902495, 4399609.33632);
    planets[6] = Arcseconds(314, 3, 4.354234, 1542482.57845);
    planets[7] = Arcseconds(304, 20, 56.808371, 786547.897);
    zeta = w1 + Arcseconds(0, 0, 0, 5028.79695);

    const double dNu = 0.55604 + dW1_1, dGammaFit = -0.08066 + dGamma, dEFit = 0.01789 + dE,
                 dEpFit = -0.12879 + dEp, dNp = -0.0642 + dT1;
    fA = 1.0 - 2.0 * dNu / (3.0 * w1Rate);
    fB[0] = (dNp - m * dNu) / w1Rate;
    fB[1] = dGammaFit * kArcsec;
    fB[2] = dEFit * kArcsec;
    fB[3] = dEpFit * kArcsec;
    fB[4] = 2.0 * alpha / (3.0 * m * w1Rate) * (dNp - m * dNu);
  }
};

const Constants& TheConstants() {
  static const Constants c;
  return c;
}

// The theory's thirteen arguments (kMoonArguments' order) as polynomials.
const Argument& TheArgument(int j) {
  const Constants& k = TheConstants();
  return j < 4 ? k.delaunay[j] : j < 12 ? k.planets[j - 4] : k.zeta;
}

// A term from its phase and its file's multiples; false when one is beyond
// what the theory uses (kMoonMostMultiple).
bool MakeTerm(double amplitude, double phase, const int* multiples, int count, MoonTerm& term) {
  term = MoonTerm{amplitude, amplitude * std::sin(phase), amplitude * std::cos(phase), 0, {}};
  for (int j = 0; j < count; ++j) {
    if (multiples[j] == 0) continue;
    if (std::abs(multiples[j]) > kMoonMostMultiple[j] || term.factors == kMoonMostFactors) return false;
    term.factor[term.factors++] = {static_cast<signed char>(j), static_cast<signed char>(multiples[j])};
  }
  return true;
}

// One file's terms: the main problem's (4 multiples, the amplitude corrected
// by the fitted constants, cosines for the distance) or a perturbation's (13
// multiples, an amplitude and a phase).
bool ReadFile(const std::string& path, bool main, MoonCoordinate coordinate, std::vector<MoonTerm>& terms,
              std::string& error) {
  std::ifstream in(path);
  std::size_t count = 0;
  if (!(in >> count)) {
    error = path + ": cannot read the number of terms";
    return false;
  }
  const Constants& k = TheConstants();
  const int multiples = main ? 4 : 13;
  for (std::size_t n = 0; n < count; ++n) {
    int i[13] = {};
    for (int j = 0; j < multiples; ++j) in >> i[j];
    double amplitude = 0.0, phase = 0.0;
    if (main) {
      double a, b[6];
      in >> a >> b[0] >> b[1] >> b[2] >> b[3] >> b[4] >> b[5];
      const bool distance = coordinate == MoonCoordinate::kDistance;
      amplitude = distance ? k.fA * a : a;
      for (int j = 0; j < 5; ++j) amplitude += k.fB[j] * b[j];
      phase = distance ? M_PI / 2.0 : 0.0;
    } else {
      in >> amplitude >> phase;
    }
    MoonTerm term;
    if (!in || !MakeTerm(amplitude, phase, i, multiples, term)) {
      error = path + ": term " + std::to_string(n + 1) + " does not parse";
      return false;
    }
    terms.push_back(term);
  }
  return true;
}

double Power(double t, int n) {
  double p = 1.0;
  for (int i = 0; i < n; ++i) p *= t;
  return p;
}

double Polynomial(const Argument& a, double t) {
  return a.c[0] + t * (a.c[1] + t * (a.c[2] + t * (a.c[3] + t * a.c[4])));
}
double PolynomialRate(const Argument& a, double t) {
  return a.c[1] + t * (2.0 * a.c[2] + t * (3.0 * a.c[3] + t * 4.0 * a.c[4]));
}

// The offset of multiple 0 of each argument in the table of powers, and the
// table's length.
struct PowerLayout {
  int zero[kMoonArguments] = {};
  int size = 0;
  constexpr PowerLayout() {
    for (int j = 0; j < kMoonArguments; ++j) {
      zero[j] = size + kMoonMostMultiple[j];
      size += 2 * kMoonMostMultiple[j] + 1;
    }
  }
};
constexpr PowerLayout kLayout;

// e^(i·k·argument) for every argument and multiple k at one moment, and the
// arguments' rates (radians per century).
struct ArgumentPowers {
  double re[kLayout.size], im[kLayout.size];
  double rate[kMoonArguments];

  explicit ArgumentPowers(double t) {
    for (int j = 0; j < kMoonArguments; ++j) {
      const Argument& a = TheArgument(j);
      rate[j] = PolynomialRate(a, t);
      double s, c;
      sincos(Polynomial(a, t), &s, &c);
      const int zero = kLayout.zero[j];
      re[zero] = 1.0, im[zero] = 0.0;
      for (int k = 1; k <= kMoonMostMultiple[j]; ++k) {
        re[zero + k] = re[zero + k - 1] * c - im[zero + k - 1] * s;
        im[zero + k] = re[zero + k - 1] * s + im[zero + k - 1] * c;
        re[zero - k] = re[zero + k], im[zero - k] = -im[zero + k];
      }
    }
  }

  // e^(i·argument of the term), without its phase.
  void Of(const MoonTerm& term, double& x, double& y) const {
    x = 1.0, y = 0.0;
    for (int f = 0; f < term.factors; ++f) {
      const int at = kLayout.zero[term.factor[f].argument] + term.factor[f].multiple;
      const double nx = x * re[at] - y * im[at];
      y = x * im[at] + y * re[at], x = nx;
    }
  }
  double RateOf(const MoonTerm& term) const {
    double r = 0.0;
    for (int f = 0; f < term.factors; ++f) r += term.factor[f].multiple * rate[term.factor[f].argument];
    return r;
  }
};

// Σ amplitude·sin(phase + argument(T)), and its derivative in T over the
// terms of at least `rateThreshold` (the first ones: largest first).
void SumGroup(std::span<const MoonTerm> terms, double rateThreshold, const ArgumentPowers& powers, double& value,
              double& rate) {
  double v = 0.0, r = 0.0;
  std::size_t i = 0;
  for (; i < terms.size() && std::fabs(terms[i].amplitude) >= rateThreshold; ++i) {
    double x, y;
    powers.Of(terms[i], x, y);
    v += terms[i].sine * x + terms[i].cosine * y;
    r += (terms[i].cosine * x - terms[i].sine * y) * powers.RateOf(terms[i]);
  }
  for (; i < terms.size(); ++i) {
    double x, y;
    powers.Of(terms[i], x, y);
    v += terms[i].sine * x + terms[i].cosine * y;
  }
  value = v, rate = r;
}

}  // namespace

MoonSeries MoonSeries::Read(const std::string& dir, std::string& error) {
  static constexpr struct {
    const char* file;
    MoonCoordinate coordinate;
    int power;
  } kFiles[] = {
      {"elp_main.long", MoonCoordinate::kLongitude, -1}, {"elp_main.lat", MoonCoordinate::kLatitude, -1},
      {"elp_main.dist", MoonCoordinate::kDistance, -1},  {"elp_pert.longT0", MoonCoordinate::kLongitude, 0},
      {"elp_pert.longT1", MoonCoordinate::kLongitude, 1}, {"elp_pert.longT2", MoonCoordinate::kLongitude, 2},
      {"elp_pert.longT3", MoonCoordinate::kLongitude, 3}, {"elp_pert.latT0", MoonCoordinate::kLatitude, 0},
      {"elp_pert.latT1", MoonCoordinate::kLatitude, 1},   {"elp_pert.latT2", MoonCoordinate::kLatitude, 2},
      {"elp_pert.distT0", MoonCoordinate::kDistance, 0},  {"elp_pert.distT1", MoonCoordinate::kDistance, 1},
      {"elp_pert.distT2", MoonCoordinate::kDistance, 2},  {"elp_pert.distT3", MoonCoordinate::kDistance, 3},
  };
  MoonSeries series;
  for (const auto& f : kFiles) {
    Group g{f.coordinate, std::max(f.power, 0), {}};
    if (!ReadFile(dir + "/" + f.file, f.power < 0, f.coordinate, g.terms, error)) return {};
    std::stable_sort(g.terms.begin(), g.terms.end(),
                     [](const MoonTerm& a, const MoonTerm& b) { return std::fabs(a.amplitude) > std::fabs(b.amplitude); });
    series.groups_.push_back(std::move(g));
  }
  return series;
}

MoonSeries MoonSeries::Truncated(double longitude, double latitude, double distance, double centuries) const {
  MoonSeries out;
  for (const Group& g : groups_) {
    const double of[3] = {longitude, latitude, distance};
    const double threshold =
        of[static_cast<int>(g.coordinate)] / Power(std::fmax(std::fabs(centuries), 1.0), g.power);
    Group kept{g.coordinate, g.power, {}};
    for (const MoonTerm& t : g.terms)
      if (std::fabs(t.amplitude) >= threshold) kept.terms.push_back(t);
    if (!kept.terms.empty()) out.groups_.push_back(std::move(kept));
  }
  return out;
}

std::vector<MoonTermGroup> MoonSeries::Groups() const {
  std::vector<MoonTermGroup> out;
  for (const Group& g : groups_) out.push_back({g.coordinate, g.power, g.terms});
  return out;
}

std::size_t MoonSeries::Terms() const {
  std::size_t n = 0;
  for (const Group& g : groups_) n += g.terms.size();
  return n;
}

MoonState MoonEclipticJ2000(std::span<const MoonTermGroup> series, double tt) {
  const double t = (tt - ERFA_DJ00) / kCenturyDays;
  // Longitude V, latitude U, distance r and their rates (per century).
  double sum[3] = {}, rate[3] = {};
  const Argument& w1 = TheConstants().w1;
  sum[0] = Polynomial(w1, t);
  rate[0] = PolynomialRate(w1, t);
  const ArgumentPowers powers(t);
  for (const MoonTermGroup& g : series) {
    double v, r;
    SumGroup(g.terms, g.coordinate == MoonCoordinate::kDistance ? kMoonRateDistance : kMoonRateAngle, powers, v,
             r);
    const int i = static_cast<int>(g.coordinate);
    const double p = Power(t, g.power);
    sum[i] += p * v;
    rate[i] += p * r + (g.power > 0 ? g.power * Power(t, g.power - 1) * v : 0.0);
  }
  constexpr double kDistanceScale = 384747.961370173 / 384747.980674318;
  const double v = sum[0], u = sum[1], r = sum[2] * kDistanceScale;
  const double dv = rate[0], du = rate[1], dr = rate[2] * kDistanceScale;
  const double cv = std::cos(v), sv = std::sin(v), cu = std::cos(u), su = std::sin(u);
  const Vec3 x = {r * cv * cu, r * sv * cu, r * su};
  const Vec3 dx = {dr * cv * cu - r * sv * cu * dv - r * cv * su * du,
                   dr * sv * cu + r * cv * cu * dv - r * sv * su * du, dr * su + r * cu * du};
  // From the ecliptic of date to that of J2000 (the precession's slow turn
  // is left out of the velocity: a millionth of it).
  const double p = t * (0.10180391e-4 + t * (0.47020439e-6 + t * (-0.5417367e-9 + t * (-0.2507948e-11 + t * 0.463486e-14))));
  const double q = t * (-0.113469002e-3 + t * (0.12372674e-6 + t * (0.1265417e-8 + t * (-0.1371808e-11 + t * -0.320334e-14))));
  const double s = std::sqrt(1.0 - p * p - q * q);
  const double m[3][3] = {{1.0 - 2.0 * p * p, 2.0 * p * q, 2.0 * p * s},
                          {2.0 * p * q, 1.0 - 2.0 * q * q, -2.0 * q * s},
                          {-2.0 * p * s, 2.0 * q * s, 1.0 - 2.0 * p * p - 2.0 * q * q}};
  MoonState out{Rotate(m, x), Rotate(m, dx)};
  for (double& c : out.velocity) c /= kCenturyDays;
  return out;
}

MoonState MoonGeocentric(double tt) { return MoonGeocentric(kMoonSeries, tt); }

MoonState MoonGeocentric(std::span<const MoonTermGroup> series, double tt) {
  static const auto kEclipticToIcrs = [] {
    double m[3][3];
    eraEcm06(ERFA_DJ00, 0.0, m);  // the celestial reference frame to the ecliptic of J2000
    std::array<std::array<double, 3>, 3> t{};
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) t[i][j] = m[j][i];
    return t;
  }();
  const MoonState e = MoonEclipticJ2000(series, tt);
  constexpr double kAuKm = ERFA_DAU / 1000.0;
  MoonState out;
  for (int i = 0; i < 3; ++i) {
    out.place[i] = out.velocity[i] = 0.0;
    for (int j = 0; j < 3; ++j) {
      out.place[i] += kEclipticToIcrs[i][j] * e.place[j] / kAuKm;
      out.velocity[i] += kEclipticToIcrs[i][j] * e.velocity[j] / kAuKm;
    }
  }
  return out;
}

}  // namespace precise
