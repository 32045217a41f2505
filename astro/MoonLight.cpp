#include "astro/MoonLight.h"

#include <algorithm>
#include <cmath>

#include "core/Text.h"

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kRadian = kPi / 180.0;
constexpr double kAuInEarthRadii = 149597870.7 / 6378.137;
}  // namespace

MoonLight MoonLightAt(const Ephemeris& ephemeris, JulianDay jd, const Place& observer) {
  const BodyPosition sun = ephemeris.Position(BodySun, jd, observer, false);
  const BodyPosition moon = ephemeris.Position(BodyMoon, jd, observer, false);
  // The elongation of the moon from the sun, then the phase angle from the
  // triangle earth–moon–sun (distances in earth radii).
  const double cosElongation = std::sin(sun.latitude * kRadian) * std::sin(moon.latitude * kRadian) +
                               std::cos(sun.latitude * kRadian) * std::cos(moon.latitude * kRadian) *
                                   std::cos((moon.longitude - sun.longitude) * kRadian);
  const double elongation = std::acos(std::clamp(cosElongation, -1.0, 1.0));
  const double sunDistance = sun.distance * kAuInEarthRadii;
  const double phase =
      std::atan2(sunDistance * std::sin(elongation), moon.distance - sunDistance * std::cos(elongation));
  return {(1.0 + std::cos(phase)) / 2.0, phase / kRadian};
}

std::string MoonLightText(const MoonLight& light) {
  auto number = [](const char* format, double value) {
    return std::isfinite(value) ? text::SjisFormat(format, value) : std::string("---");
  };
  return "輝面比 " + number("%.3f", light.fraction) + " 位相角 " + number("%.2f", light.phaseAngle);
}

namespace moonlight {
bool Shown(const Conf& conf) { return conf.Get(kConfKey, "0") == "1"; }
void SetShown(Conf& conf, bool shown) { conf.Set(kConfKey, shown ? "1" : "0"); }
}  // namespace moonlight
