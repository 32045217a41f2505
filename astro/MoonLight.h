// How much of the moon's disc the sun lights, seen from the earth's centre.
#pragma once

#include "astro/Model.h"

struct MoonLight {
  // The lit part of the disc's area, 0 (new) to 1 (full).
  double fraction = 0.0;
  // The angle sun–moon–earth in degrees, 180 at new moon, 0 at full.
  double phaseAngle = 0.0;
};

// The moon's light at jd from the model's geocentric places of the sun and
// the moon (`observer` only fills the places' unused horizon angles).
MoonLight MoonLightAt(const Ephemeris& ephemeris, JulianDay jd, const Place& observer);
