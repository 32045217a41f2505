// The sky panel's texts: the readout of rise, set and tide times, the place
// and the azimuth, and the status and clock lines, as plain UTF-8 strings.
#pragma once

#include <string>
#include <vector>

#include "astro/Model.h"
#include "astro/Moment.h"

struct ReadoutText {
  int x = 0;
  int y = 0;
  std::string text;
};

// The readout's texts for the moment jd seen from `observer`, in drawing
// order with their panel positions ("日の出 06:50", "月の出 --", "満01:07",
// "干 --", ...). Runs the rise/set searches of `model` (stored into
// SunRecord/MoonRecord) and the tide search (on the design's formulas in
// either model).
std::vector<ReadoutText> ComputeReadout(JulianDay jd, const std::string& hourExact, const Place& observer,
                                        double chartAzimuth, AstroModel model = AstroModel::Design);

// The same texts, one per line, for the moment (in its model): computed like
// the panel does, reading the hour with five decimals as the view writes it.
std::vector<std::string> ReadoutLines(const Moment& at, double chartAzimuth);

// "表示日時  2000/01/01/ 21:00:00, 139.70, 35.60  2451545.00000      1"
std::string StatusLineText(JulianDay jd, double longitude, double latitude, int redrawCount);
// "現在日時  ..." with the computer's local date and time.
std::string ClockLineText();
