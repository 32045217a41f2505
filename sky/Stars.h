// The fixed star data behind the sky chart: the 88 constellation names, the
// 360 stars of the 60 constellation figures and the determinative stars of the
// 28 lunar mansions, with the one computation on them (precession and proper
// motion of a mansion star).
#pragma once

#include <optional>

#include "astro/Clock.h"

inline constexpr int kConstellationCount = 88;
inline constexpr int kFigureStarCount = 360;
inline constexpr int kMansionCount = 28;
// Stars and line positions of one figure at most.
inline constexpr int kMaxFigurePositions = 20;

// "And.ｱﾝﾄﾞﾛﾒﾀﾞ" .. "Vul.ｺｷﾞﾂﾈ"; the index is the constellation index.
extern const char* const ConstellationNames[kConstellationCount];

// One star of a constellation figure. All fields are doubles as stored.
struct FigureStarRecord {
  double constellation;    // constellation index + 1, the group key
  double raThousandths;    // right ascension, thousandths of an hour, J2000
  double decHundredths;    // declination, hundredths of a degree
  double colourCode;       // 1..7, the dot's colour
  double magnitudeTenths;  // visual magnitude times ten
  double figureCode;       // positions on the figure line, see FigurePositions
};

// Records of one constellation are consecutive, And first, Psc last.
extern const FigureStarRecord FigureStars[kFigureStarCount];
// 1-based number of the first record of each constellation's figure, 0 when it
// has none.
extern const int FigureStarIndex[kConstellationCount];

// Decodes a figureCode into its line positions (1..20; position 0 means none).
// Returns how many were written into positions (0..3).
int FigurePositions(double figureCode, int positions[3]);

// The determinative star of one lunar mansion, as catalogued for 1900.0.
struct MansionStarRecord {
  int catalogueNumber;     // Yale Bright Star Catalogue number
  double rightAscension;   // packed hours h.mmss, equinox and epoch 1900.0
  double declination;      // packed degrees d.mmss
  double magnitude;
  double properMotionRa;   // arcseconds per year along the great circle
  double properMotionDec;  // arcseconds per year
  const char* designation;
  const char* mansion;     // one kanji
};
extern const MansionStarRecord MansionStars[kMansionCount];

// A mansion star's place at a moment.
struct MansionStarPlace {
  double rightAscension = 0.0;  // degrees, equinox of the requested moment
  double declination = 0.0;
  const char* mansion = "";
  const char* designation = "";
  double magnitude = 0.0;
  int catalogueNumber = 0;
};

// Carries a star from its place at the start of `epochYear` (degrees, proper
// motions in arcseconds per year) to its place at jd, equinox of jd.
void PrecessStar(JulianDay jd, double epochYear, double rightAscension0, double declination0,
                 double properMotionRa, double properMotionDec, double& rightAscension,
                 double& declination);

// The place of mansion `index`'s star (0..27) at jd; none for any other index.
std::optional<MansionStarPlace> MansionStarPosition(JulianDay jd, int index);
