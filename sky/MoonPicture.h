// The moon phase picture and the small orbit symbol, as shapes for the ui
// layer to paint.
#pragma once

#include "astro/Model.h"
#include "astro/Moment.h"

// The moon's phase at jd seen from `observer`: the phase value P in
// [0, 360) (0 new, 90 first quarter, 180 full, 270 last quarter) and the
// places the orbit symbol is drawn from (the sun's, the topocentric moon's).
struct MoonPhaseView {
  double phase = 0.0;
  double sunLongitude = 0.0;
  double moonLongitude = 0.0;
  double moonSemiDiameter = 0.0;
};
MoonPhaseView MoonPhaseOf(JulianDay jd, const Place& observer, const Ephemeris& ephemeris);

// One shape of the picture. Box corners in panel pixels (already normalised:
// left <= right, top <= bottom); a chord is the half towards `rightHalf`.
struct MoonShape {
  enum Kind { Chord, Outline } kind = Chord;
  bool rightHalf = true;
  bool yellow = false;  // else black
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};
inline constexpr int kMaxMoonShapes = 9;
inline constexpr int kMoonCentreX = 35;
inline constexpr int kMoonCentreY = 95;
inline constexpr double kMoonRadius = 25.0;

// The shapes for phase value P in painting order; returns their count.
int MoonPictureShapes(double phase, MoonShape shapes[kMaxMoonShapes]);

// The orbit symbol: a black dot of radius 3.125 at the centre and a yellow
// half-disc of radius 5 turned towards the sun, from chordStart
// counterclockwise to chordEnd.
struct OrbitSymbolShape {
  double centreX = 0.0;
  double centreY = 0.0;
  double chordStartX = 0.0;
  double chordStartY = 0.0;
  double chordEndX = 0.0;
  double chordEndY = 0.0;
};
OrbitSymbolShape OrbitSymbol(double sunLongitude, double moonLongitude, double moonSemiDiameter);
