// How much of the moon's disc the sun lights, seen from the earth's centre.
#pragma once

#include <string>

#include "astro/Model.h"
#include "core/Conf.h"

struct MoonLight {
  // The lit part of the disc's area, 0 (new) to 1 (full).
  double fraction = 0.0;
  // The angle sun–moon–earth in degrees, 180 at new moon, 0 at full.
  double phaseAngle = 0.0;
};

// The moon's light at jd from the model's geocentric places of the sun and
// the moon (`observer` only fills the places' unused horizon angles).
MoonLight MoonLightAt(const Ephemeris& ephemeris, JulianDay jd, const Place& observer);

// "輝面比 0.419 位相角 99.29"; dashes for a moon the series could not give.
std::string MoonLightText(const MoonLight& light);

namespace moonlight {
// The ombrel.conf key of the sky readout's line of the moon's light, "1" to
// show it (an addition; absent or "0": the design's readout).
inline constexpr const char* kConfKey = "moonlight";
bool Shown(const Conf& conf);
void SetShown(Conf& conf, bool shown);
}  // namespace moonlight
