// The moon's lit fraction and phase angle in both models against an
// independent ephemeris (tests/fixtures/astro/moonlight.tsv, made by
// make-twilight-moonlight.js beside it).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "astro/MoonLight.h"
#include "tests/support/ReferenceTsv.h"

namespace {

TEST(MoonLight, LitFractionAgreesWithTheReference) {
  const auto rows = testsupport::ReadReferenceTsv("moonlight.tsv");
  ASSERT_GE(rows.size(), 50u);
  std::string error;
  const DateClock ut = {CalendarRule::Gregorian, {*TimeZone::Named("Etc/UTC", error), 0.0}};
  for (AstroModel model : {AstroModel::Design, AstroModel::Precise}) {
    double worstFraction = 0.0, worstAngle = 0.0;
    for (const auto& row : rows) {
      int y = 0, mo = 0, d = 0, h = 0, mi = 0;
      std::sscanf(row[0].c_str(), "%d-%d-%dT%d:%d", &y, &mo, &d, &h, &mi);
      const JulianDay jd = DateToJulianDay(y, mo, d, h + mi / 60.0, ut);
      const MoonLight light = MoonLightAt(EphemerisOf(model), jd, Place{});
      worstFraction = std::max(worstFraction, std::fabs(light.fraction - std::stod(row[1])));
      worstAngle = std::max(worstAngle, std::fabs(light.phaseAngle - std::stod(row[2])));
    }
    EXPECT_LT(worstFraction, 0.001) << AstroModelText(model);
    EXPECT_LT(worstAngle, 0.2) << AstroModelText(model);
  }
}

}  // namespace
