// Solar and lunar eclipses on the precise ephemeris (the earth by eraEpv00,
// the moon by ELP/MPP02, apparent places of date as Ephemeris.h gives them,
// fitted over the days around each syzygy), whichever model the rest of the
// almanac uses: the design has no eclipses.
//
// Every moment is a Universal Time Julian day; the functions keep no state.
//
// The earth's shadow on the moon (geocentric, apparent places): with π the
// horizontal parallaxes (equatorial radius 6378.137 km) and s the
// semidiameters, the geometric umbra of an earth flattened to its radius at
// latitude 45° has the radius u = 0.99834·π_moon + π_sun − s_sun and the
// penumbra p = 0.99834·π_moon + π_sun + s_sun. The atmosphere enlarges the
// umbra by 1/50, to 1.02·u, and the penumbra by the same amount, to
// p + 0.02·u. The umbra's rule is the Japanese national almanac's as far as
// its published contacts show: for 2025-09-08 it publishes totality 41 min
// 24 s either side of the greatest eclipse; this rule gives 41 min 26 s and
// 41 min 27 s, the Danjon rule (1.01·π_moon + π_sun ∓ s_sun) 41 min 2 s and
// 41 min 4 s. The penumbra's could not be established from published values;
// enlarging it by 1/50 of its own radius instead moves P1 and P4 out by about
// 100 s against the independent reference of the tests.
//
// A solar eclipse is seen from a place at sea level on the WGS84 ellipsoid:
// the topocentric sun and moon, the moon's radius 1737.4 km and the sun's
// semidiameter 959.63″ at 1 au (as the rise and set times use them).
// Altitudes are apparent, of the body's centre: the geometric altitude and the
// refraction of Sæmundsson's formula (34′ at the horizon). "Above the horizon"
// is an apparent altitude above zero.
#pragma once

#include <optional>
#include <vector>

#include "astro/Clock.h"
#include "astro/Moment.h"

namespace precise {

enum class LunarEclipseKind { kPenumbral, kPartial, kTotal };
enum class SolarEclipseKind { kPartial, kAnnular, kTotal };

struct LunarEclipse {
  LunarEclipseKind kind;
  JulianDay greatest;       // the moon's centre nearest the shadow's axis
  JulianDay penumbralBegin;  // P1
  std::optional<JulianDay> partialBegin;  // U1
  std::optional<JulianDay> totalBegin;    // U2
  std::optional<JulianDay> totalEnd;      // U3
  std::optional<JulianDay> partialEnd;    // U4
  JulianDay penumbralEnd;  // P4
  // The fraction of the moon's diameter inside the umbra (penumbra) at the
  // greatest eclipse; negative when it stays outside.
  double umbralMagnitude;
  double penumbralMagnitude;
  // The moon's centre above the place's horizon at some moment of the umbral
  // phase (U1–U4), or at the greatest eclipse of a penumbral one.
  bool visible;
};

// A moment of a solar eclipse with the sun's altitude (degrees) then.
struct SolarContact {
  JulianDay moment;
  double sunAltitude;
};

struct SolarEclipse {
  // As seen from the place: partial where the whole total or annular phase
  // has the sun below the horizon (`centralBelowHorizon` then names it).
  SolarEclipseKind kind;
  std::optional<SolarEclipseKind> centralBelowHorizon;
  SolarContact begin;     // first contact
  std::optional<SolarContact> centralBegin;  // second contact (total or annular)
  SolarContact greatest;  // the discs' centres nearest, seen from the place
  std::optional<SolarContact> centralEnd;    // third contact
  SolarContact end;       // fourth contact
  double magnitude;       // the fraction of the sun's diameter covered at greatest
  double obscuration;     // the fraction of the sun's disc covered at greatest
  bool sunUp;             // the sun's centre above the horizon at some moment begin–end
  bool beginsBeforeSunrise;  // the sun below the horizon at first contact
  bool endsAfterSunset;      // the sun below the horizon at fourth contact
};

// Every lunar eclipse whose greatest eclipse falls in [from, to), in time
// order, with its visibility at `place`.
std::vector<LunarEclipse> LunarEclipses(JulianDay from, JulianDay to, const Place& place);

// Every solar eclipse seen from `place` (the moon's disc over the sun's,
// were the earth transparent) whose greatest eclipse there falls in
// [from, to), in time order; `sunUp` tells which can be seen.
std::vector<SolarEclipse> SolarEclipses(JulianDay from, JulianDay to, const Place& place);

// The apparent altitude (degrees) of the centre of the sun (BodySun) or the
// moon (BodyMoon) at `ut` from `place`, as the eclipses judge the horizon.
double EclipseBodyAltitude(int body, JulianDay ut, const Place& place);

}  // namespace precise
