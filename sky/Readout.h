// The sky panel's texts: the readout of rise, set and tide times, the place
// and the azimuth, and the status and clock lines, as plain UTF-8 strings.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "astro/Model.h"
#include "astro/Moment.h"

struct ReadoutText {
  int x = 0;
  int y = 0;
  std::string text;
};

// The readout's texts for the moment, seen from its place in its model, in
// drawing order with their panel positions ("日の出 06:50", "月の出 --",
// "満01:07", "干 --", ...): the sun's and the moon's rise and set and the
// tides (on the design's formulas in either model), "--" where a day has
// none.
std::vector<ReadoutText> ComputeReadout(const Moment& at, const Ephemeris& ephemeris, double chartAzimuth);

// The eclipse in progress at the moment (eclipses::InProgressText, e.g.
// "皆既月食 皆既食中") at its place in the panel, under the moon's picture;
// none when no eclipse is. An addition: drawn and printed only with "eclipses=1".
std::optional<ReadoutText> EclipseReadout(const Moment& at);

// The moon's light at the moment (MoonLightText) under the moon's picture,
// below the places of the eclipse line and the clock note. An addition:
// drawn and printed only with "moonlight=1".
ReadoutText MoonLightReadout(const Moment& at, const Ephemeris& ephemeris);

// The same texts, one per line.
std::vector<std::string> ReadoutLines(const Moment& at, const Ephemeris& ephemeris, double chartAzimuth);

// Where the moment's hour is one its clock skipped or shows twice, the note
// the window draws under the eclipse line: "※時計の切替で無い時刻: 03:30:00"
// (the moment shown, as far past the change as the hour typed) or
// "※2回ある時刻の早い方: 01:30:00"; none for an hour the clock shows once.
std::optional<ReadoutText> ClockNoteReadout(const Moment& at);

// "表示日時  2000/01/01/ 21:00:00, 139.70, 35.60  2451545.00000      1": the
// moment on its place's clock.
std::string StatusLineText(const Moment& at, int redrawCount);
// "現在日時  ..." with the present instant on the moment's zone at its place.
std::string ClockLineText(const Moment& at);
