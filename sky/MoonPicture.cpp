#include "sky/MoonPicture.h"

#include <cmath>
#include <utility>

#include "astro/Model.h"
#include "astro/Moon.h"
#include "astro/Sun.h"
#include "sky/Chart.h"

namespace {
constexpr double kRad = 0.017453292519943295;

// A box centred on the picture's centre, half-width hw and half-height hh,
// corners truncated first and then moved by the centre.
MoonShape Box(MoonShape::Kind kind, bool rightHalf, bool yellow, double hw, double hh) {
  MoonShape s;
  s.kind = kind;
  s.rightHalf = rightHalf;
  s.yellow = yellow;
  int left = TruncToPixel(-hw) + kMoonCentreX;
  int right = TruncToPixel(hw) + kMoonCentreX;
  if (left > right) std::swap(left, right);
  s.left = left;
  s.right = right;
  s.top = TruncToPixel(-hh) + kMoonCentreY;
  s.bottom = TruncToPixel(hh) + kMoonCentreY;
  return s;
}
}  // namespace

MoonPhaseView MoonPhaseOf(JulianDay jd, const Place& observer, const Ephemeris& ephemeris) {
  const BodyPosition sun = ephemeris.Position(BodySun, jd, observer, true);
  const BodyPosition moon = ephemeris.Position(BodyMoon, jd, observer, true);
  double e = moon.longitude - sun.longitude;
  if (e < 0.0) e += 360.0;
  if (e > 360.0) e -= 360.0;
  const double sunDistance = sun.distance;
  const double moonDistance = moon.distance * 6371012.0 / 1.4959787e11;
  const double y = sunDistance * std::sin(e * kRad);
  const double x = moonDistance - sunDistance * std::cos(e * kRad);
  double phase = std::fmod(180.0 - std::atan2(y, x) / kRad, 360.0);
  if (phase < 0.0) phase += 360.0;
  if (phase >= 360.0) phase -= 360.0;
  return {phase, sun.longitude, moon.longitude, moon.semiDiameter};
}

int MoonPictureShapes(double phase, MoonShape shapes[kMaxMoonShapes]) {
  const double r = kMoonRadius;
  const double p = phase;
  const double hw = r * std::cos(p * kRad);
  int n = 0;
  // P == 0 counts with 360 here: otherwise nothing paints the right half of
  // an exact new moon and the panel's background shows through it.
  if ((p > 180.0 && p <= 360.0) || p == 0.0) shapes[n++] = Box(MoonShape::Chord, true, false, r, r);
  if (p >= 0.0 && p < 180.0) shapes[n++] = Box(MoonShape::Chord, false, false, r, r);
  if (p > 0.0 && p <= 180.0) shapes[n++] = Box(MoonShape::Chord, true, true, r, r);
  if (p >= 180.0 && p < 360.0) shapes[n++] = Box(MoonShape::Chord, false, true, r, r);
  if (p > 180.0 && p < 270.0) shapes[n++] = Box(MoonShape::Chord, true, true, hw, r);
  if (p > 0.0 && p < 90.0) shapes[n++] = Box(MoonShape::Chord, true, false, hw, r);
  if (p > 90.0 && p < 180.0) shapes[n++] = Box(MoonShape::Chord, false, true, hw, r);
  if (p > 270.0 && p < 360.0) shapes[n++] = Box(MoonShape::Chord, false, false, hw, r);
  shapes[n++] = Box(MoonShape::Outline, true, false, r, r);
  return n;
}

OrbitSymbolShape OrbitSymbol(double sunLongitude, double moonLongitude, double moonSemiDiameter) {
  const double sinSun = std::sin(sunLongitude * kRad), cosSun = std::cos(sunLongitude * kRad);
  const double sunX = -20.0 * cosSun, sunY = 20.0 * sinSun;
  const double moonX = 20.0 * moonSemiDiameter * std::cos(moonLongitude * kRad);
  const double moonY = -20.0 * moonSemiDiameter * std::sin(moonLongitude * kRad);
  OrbitSymbolShape s;
  s.centreX = 985.0 + 1.25 * (sunX + moonX);
  s.centreY = 340.0 + 1.25 * (sunY + moonY);
  s.chordStartX = s.centreX + 5.0 * sinSun;
  s.chordStartY = s.centreY + 5.0 * cosSun;
  s.chordEndX = s.centreX - 5.0 * sinSun;
  s.chordEndY = s.centreY - 5.0 * cosSun;
  return s;
}
