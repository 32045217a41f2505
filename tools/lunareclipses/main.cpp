// ombrel-lunareclipses DATA_DIR OUTPUT.tsv [FIRST_YEAR LAST_YEAR]: writes the
// reference lunar eclipses of tests/fixtures/astro/lunar-eclipses-tt.tsv,
// every eclipse (penumbral ones too) whose greatest eclipse falls in the
// years given (1900–2050 by default), in Terrestrial Time, from the full
// ELP/MPP02 series in DATA_DIR (data/elpmpp02, 35,901 terms) instead of the
// program's truncated one. It takes the program's apparent-place chain (the
// earth by eraEpv00 with the annual aberration of the sun, the moon's light
// time, the frame of date) and the earth's shadow as Eclipses.h states it,
// but none of its fits or root finders: places straight from the series,
// the greatest eclipse by golden-section search within the hour around the
// nearest hourly sample, the contacts by walking out from it by minutes and
// bisecting, both to a millisecond. It runs for minutes; run it again when the rule changes:
//   build/tools/ombrel-lunareclipses data/elpmpp02 tests/fixtures/astro/lunar-eclipses-tt.tsv
#include <erfa.h>
#include <erfam.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "astro/precise/Ephemeris.h"
#include "core/Args.h"
#include "astro/precise/MoonSeries.h"

namespace {

using precise::Vec3;

constexpr double kMjdZero = 2400000.5;
constexpr double kHour = 1.0 / 24.0, kMinute = 1.0 / 1440.0;
constexpr double kMillisecond = 0.001 / 86400.0;
constexpr double kAuKm = ERFA_DAU / 1000.0;
constexpr double kEarthRadiusKm = 6378.137;
// A mean full moon lies within a day of the true one; the shadow's widest
// reach plus the moon's semidiameter is under 1.6°, and the moon gains at
// most 0.6° an hour on the shadow, so a lunation whose nearest hourly sample
// is more than 0.5° outside that reach has no eclipse.
constexpr double kMeanNewMoon2000 = 2451550.09766, kLunation = 29.530588861;
constexpr double kSearchDays = 1.25;
constexpr double kHourlyMargin = 0.5 * ERFA_DD2R;
// No contact lies further than this from the greatest eclipse.
constexpr double kContactHours = 5.0;

struct Sky {
  Vec3 sun, moon;  // apparent geocentric places, frame of date, au
};

Sky SkyAt(std::span<const precise::MoonTermGroup> series, double tt) {
  double rbpn[3][3];
  eraPnm06a(kMjdZero, tt - kMjdZero, rbpn);
  const precise::MoonState moon = precise::MoonGeocentric(series, tt);
  return {precise::Rotate(rbpn, precise::SunApparent(precise::EarthAt(tt))),
          precise::Rotate(rbpn, precise::MoonLightTimeBack(moon.place, moon.velocity))};
}

// The moon against the earth's shadow (radians): the distance of its centre
// from the shadow's axis, the radii of the umbra and the penumbra, the
// moon's semidiameter. The rule, from the horizontal parallaxes π (radius
// 6378.137 km) and the semidiameters s: base = 0.99834·π_moon + π_sun, the
// umbra 1.02·(base − s_sun), the penumbra base + s_sun + 0.02·(base − s_sun).
struct Shadow {
  double separation, umbra, penumbra, moon;
};

Shadow ShadowOf(const Sky& sky) {
  const double moonKm = precise::Length(sky.moon) * kAuKm, sunAu = precise::Length(sky.sun);
  const double base = 0.99834 * std::asin(kEarthRadiusKm / moonKm) + std::asin(kEarthRadiusKm / (sunAu * kAuKm));
  const double sun = precise::kSunSemidiameterAt1Au * ERFA_DAS2R / sunAu;
  double moon[3] = {sky.moon[0], sky.moon[1], sky.moon[2]}, antisun[3] = {-sky.sun[0], -sky.sun[1], -sky.sun[2]};
  return {eraSepp(moon, antisun), 1.02 * (base - sun), base + sun + 0.02 * (base - sun),
          std::asin(precise::kMoonRadiusKm / moonKm)};
}

// The three circles whose edges the moon's centre crosses at the contacts.
enum Reach { kPenumbraOuter, kUmbraOuter, kUmbraInner };
double ReachOf(const Shadow& s, Reach r) {
  switch (r) {
    case kPenumbraOuter:
      return s.penumbra + s.moon;
    case kUmbraOuter:
      return s.umbra + s.moon;
    case kUmbraInner:
      return s.umbra - s.moon;
  }
  return 0.0;
}

class Finder {
 public:
  explicit Finder(std::span<const precise::MoonTermGroup> series) : series_(series) {}

  Shadow At(double tt) const { return ShadowOf(SkyAt(series_, tt)); }

  // The separation's minimum in [a, b] by golden-section search.
  double Greatest(double a, double b) const {
    const double g = (std::sqrt(5.0) - 1.0) / 2.0;
    double c = b - g * (b - a), d = a + g * (b - a);
    double fc = At(c).separation, fd = At(d).separation;
    while (b - a > kMillisecond) {
      if (fc < fd) {
        b = d, d = c, fd = fc, c = b - g * (b - a), fc = At(c).separation;
      } else {
        a = c, c = d, fc = fd, d = a + g * (b - a), fd = At(d).separation;
      }
    }
    return (a + b) / 2.0;
  }

  // The contacts on one side of the greatest eclipse (direction −1 before,
  // +1 after), in the order of `reaches`: walking out by minutes until the
  // moon's centre is outside every circle, then bisecting the minute in
  // which it left each; none for a circle it is outside at the greatest.
  void Contacts(double greatest, int direction, const Reach (&reaches)[3], std::optional<double> (&out)[3]) const {
    const auto outside = [&](double t, Reach r) {
      const Shadow s = At(t);
      return s.separation > ReachOf(s, r);
    };
    const Shadow at = At(greatest);
    double lastInside[3];
    bool pending[3];
    for (int r = 0; r < 3; ++r) pending[r] = at.separation <= ReachOf(at, reaches[r]), lastInside[r] = greatest;
    for (int i = 1; pending[0] || pending[1] || pending[2]; ++i) {
      if (i > kContactHours * 60) {
        std::fprintf(stderr, "ombrel-lunareclipses: no contact within %g h of %.5f\n", kContactHours, greatest);
        std::exit(1);
      }
      const double t = greatest + direction * i * kMinute;
      const Shadow s = At(t);
      for (int r = 0; r < 3; ++r) {
        if (!pending[r]) continue;
        if (s.separation <= ReachOf(s, reaches[r])) {
          lastInside[r] = t;
          continue;
        }
        double inside = lastInside[r], beyond = t;
        while (std::fabs(beyond - inside) > kMillisecond) {
          const double mid = (inside + beyond) / 2.0;
          (outside(mid, reaches[r]) ? beyond : inside) = mid;
        }
        out[r] = (inside + beyond) / 2.0;
        pending[r] = false;
      }
    }
  }

 private:
  std::span<const precise::MoonTermGroup> series_;
};

struct Eclipse {
  double greatest;
  std::optional<double> contacts[6];  // P1 U1 U2 U3 U4 P4
  double umbral, penumbral;
};

// The moment of the hourly sample from `mean − kSearchDays` to
// `mean + kSearchDays` with the moon nearest the shadow's axis, by the
// program's carried series (within 0.1″ of the full one: only to pass over
// the lunations without an eclipse), or none when the moon stays far
// outside the penumbra.
std::optional<double> NearestHour(double mean) {
  const Finder carried(precise::kMoonSeries);
  double best = mean - kSearchDays, least = carried.At(best).separation;
  for (double t = best + kHour; t <= mean + kSearchDays; t += kHour)
    if (const double s = carried.At(t).separation; s < least) least = s, best = t;
  if (std::fabs(best - mean) > kSearchDays - 2.0 * kHour) {
    std::fprintf(stderr, "ombrel-lunareclipses: the opposition of %.3f is not within %g days\n", mean, kSearchDays);
    std::exit(1);
  }
  const Shadow at = carried.At(best);
  if (at.separation > ReachOf(at, kPenumbraOuter) + kHourlyMargin) return std::nullopt;
  return best;
}

// The eclipse at the full moon nearest `mean`, if any.
std::optional<Eclipse> EclipseNear(const Finder& full, double mean) {
  const std::optional<double> hour = NearestHour(mean);
  if (!hour) return std::nullopt;
  Eclipse e{};
  e.greatest = full.Greatest(*hour - kHour, *hour + kHour);
  const Shadow at = full.At(e.greatest);
  e.umbral = (at.umbra + at.moon - at.separation) / (2.0 * at.moon);
  e.penumbral = (at.penumbra + at.moon - at.separation) / (2.0 * at.moon);
  if (e.penumbral <= 0.0) return std::nullopt;
  std::optional<double> before[3], after[3];
  full.Contacts(e.greatest, -1, {kPenumbraOuter, kUmbraOuter, kUmbraInner}, before);
  full.Contacts(e.greatest, 1, {kUmbraInner, kUmbraOuter, kPenumbraOuter}, after);
  for (int c = 0; c < 3; ++c) e.contacts[c] = before[c], e.contacts[3 + c] = after[c];
  return e;
}

double StartOfYear(int year) {
  double djm0, djm;
  eraCal2jd(year, 1, 1, &djm0, &djm);
  return djm0 + djm;
}

std::string Moment(const std::optional<double>& tt) {
  if (!tt) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.8f", *tt);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 5) {
    std::fprintf(stderr, "usage: ombrel-lunareclipses DATA_DIR OUTPUT.tsv [FIRST_YEAR LAST_YEAR]\n");
    return 2;
  }
  long long first = 1900, last = 2050;
  if (argc == 5 && !(args::ParseInt(argv[3], -2000, 6000, first) && args::ParseInt(argv[4], first, 6000, last))) {
    std::fprintf(stderr, "ombrel-lunareclipses: the years must be whole numbers, FIRST_YEAR <= LAST_YEAR, in -2000..6000\n");
    return 2;
  }
  std::string error;
  const precise::MoonSeries series = precise::MoonSeries::Read(argv[1], error);
  if (!error.empty()) {
    std::fprintf(stderr, "ombrel-lunareclipses: %s\n", error.c_str());
    return 1;
  }
  const std::vector<precise::MoonTermGroup> groups = series.Groups();
  const Finder finder(groups);
  const double from = StartOfYear(first), until = StartOfYear(last + 1);
  std::vector<Eclipse> found;
  for (double k = std::floor((from - kMeanNewMoon2000) / kLunation) - 1.0;; k += 1.0) {
    const double mean = kMeanNewMoon2000 + (k + 0.5) * kLunation;
    if (mean - kSearchDays > until) break;
    if (mean + kSearchDays < from) continue;
    if (const std::optional<Eclipse> e = EclipseNear(finder, mean); e && e->greatest >= from && e->greatest < until) {
      found.push_back(*e);
      std::fprintf(stderr, "%.5f %.4f\n", e->greatest, e->umbral);
    }
  }
  std::FILE* out = std::fopen(argv[2], "w");
  if (!out) {
    std::perror(argv[2]);
    return 1;
  }
  std::fprintf(out, "date\tkind\tgreatest\tP1\tU1\tU2\tU3\tU4\tP4\tumbral_magnitude\tpenumbral_magnitude\n");
  for (const Eclipse& e : found) {
    int y, m, d;
    double fraction;
    eraJd2cal(e.greatest, 0.0, &y, &m, &d, &fraction);
    const char* kind = e.umbral >= 1.0 ? "total" : e.umbral > 0.0 ? "partial" : "penumbral";
    std::fprintf(out, "%04d-%02d-%02d\t%s\t%s", y, m, d, kind, Moment(e.greatest).c_str());
    for (const std::optional<double>& c : e.contacts) std::fprintf(out, "\t%s", Moment(c).c_str());
    std::fprintf(out, "\t%.5f\t%.5f\n", e.umbral, e.penumbral);
  }
  if (std::fclose(out) != 0) {
    std::fprintf(stderr, "ombrel-lunareclipses: could not write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
