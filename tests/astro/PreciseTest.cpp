// The precise model against reference moments computed independently on the
// IAU SOFA routines (tests/fixtures/astro, see its README): every solar term
// and moon phase of 1873 and every fifth year 1900–2100, and every sunrise,
// sunset, moonrise and moonset at Tokyo in 2025.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "astro/astro.h"
#include "astro/precise/Almanac.h"
#include "astro/precise/DeltaT.h"
#include "tests/support/ReferenceTsv.h"

namespace {

const DateClock kJst = DayCountClock(CalendarRule::JulianThenGregorian);

// "YYYY-MM-DD HH:MM:SS" (JST) as a Julian day.
JulianDay JstMoment(const std::string& text) {
  int y, mo, d, h, mi, s;
  std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s);
  return DateToJulianDay(y, mo, d, h + mi / 60.0 + s / 3600.0, kJst);
}

std::string JstDate(JulianDay jd) {
  const LocalTime t = JulianDayToDate(jd, kJst);
  char text[32];
  std::snprintf(text, sizeof text, "%04.0f-%02.0f-%02.0f", t.year, t.month, t.day);
  return text;
}

struct Reference {
  std::string name;
  JulianDay moment;
};

TEST(PreciseModel, DeltaTFollowsTheEspenakMeeusPolynomials) {
  const struct {
    double year, seconds, tolerance;
  } cases[] = {{1900.0, -2.79, 0.01}, {1950.0, 29.07, 0.01}, {2000.0, 63.86, 0.01},
               {2020.0, 71.6, 0.2},   {1000.0, 1574.2, 0.1}, {-1000.0, 25428.0, 60.0}};
  for (const auto& c : cases) EXPECT_NEAR(precise::DeltaTSeconds(c.year), c.seconds, c.tolerance) << c.year;
  // Continuous across the polynomials' seams, within a second.
  for (double seam : {500.0, 1600.0, 1700.0, 1800.0, 1860.0, 1900.0, 1920.0, 1941.0, 1961.0, 1986.0, 2005.0, 2050.0})
    EXPECT_NEAR(precise::DeltaTSeconds(seam - 1e-6), precise::DeltaTSeconds(seam), 1.0) << seam;
}

// Every term within 10 s and every phase within 40 s of the reference, on
// the same JST day, and no event more or fewer, for every year of the file.
TEST(PreciseModel, TermsAndPhasesMatchTheReferenceYears) {
  std::map<int, std::vector<Reference>> terms, phases;
  for (const auto& row : testsupport::ReadReferenceTsv("events.tsv")) {
    const int year = std::stoi(row[3].substr(0, 4));
    (row[0] == "term" ? terms : phases)[year].push_back({row[1], JstMoment(row[3])});
  }
  ASSERT_EQ(terms.size(), 42u);
  double worstTerm = 0.0, worstPhase = 0.0;
  for (int phaseList = 0; phaseList < 2; ++phaseList) {
    for (const auto& [year, want] : phaseList ? phases : terms) {
      // The year's own list: 1 January to 31 December.
      const int lastDay = LastDayOfYear(year, kJst);
      const std::vector<AngleEvent> events = phaseList ? precise::ListMoonPhases(year, lastDay, kJst)
                                                       : precise::ListSolarTerms(year, lastDay, kJst);
      ASSERT_EQ(events.size(), want.size()) << year;
      for (size_t i = 0; i < events.size(); ++i) {
        const std::string name =
            EventName(phaseList ? EventKind::MoonPhases : EventKind::SolarTerms, events[i].angle);
        const double seconds = std::fabs(events[i].moment - want[i].moment) * 86400.0;
        double& worst = phaseList ? worstPhase : worstTerm;
        worst = std::fmax(worst, seconds);
        EXPECT_EQ(name, want[i].name) << year << " #" << i;
        EXPECT_LE(seconds, phaseList ? 40.0 : 10.0) << year << " " << name;
        EXPECT_EQ(JstDate(events[i].moment), JstDate(want[i].moment)) << year << " " << name;
      }
    }
  }
  std::printf("worst term %.1f s, worst phase %.1f s\n", worstTerm, worstPhase);
}

// Sunrise, sunset, moonrise and moonset at 139.7 E 35.6 N on every day of
// 2025 within 10 s; a day without the event has none.
TEST(PreciseModel, RiseAndSetMatchTokyo2025) {
  const Place kTokyo{35.6, 139.7};
  const DateClock kTokyoClock{CalendarRule::JulianThenGregorian, Clock{TimeZone::Design(), kTokyo.longitude}};
  double worst = 0.0;
  int days = 0;
  for (const auto& row : testsupport::ReadReferenceTsv("riseset-tokyo-2025.tsv")) {
    int y, m, d;
    std::sscanf(row[0].c_str(), "%d-%d-%d", &y, &m, &d);
    const int body = row[1] == "太陽" ? BodySun : BodyMoon;
    const JulianDay noon = DateToJulianDay(y, m, d, 12.0, kTokyoClock);
    const std::optional<double> got[2] = {precise::RiseTime(noon, body, kTokyo, kTokyoClock),
                                          precise::SetTime(noon, body, kTokyo, kTokyoClock)};
    for (int k = 0; k < 2; ++k) {
      const std::string& want = row[2 + k];
      if (want == "-") {
        EXPECT_EQ(got[k], std::nullopt) << row[0] << " " << row[1] << " " << k;
        continue;
      }
      int h, mi, s;
      std::sscanf(want.c_str(), "%d:%d:%d", &h, &mi, &s);
      ASSERT_TRUE(got[k]) << row[0] << " " << row[1] << " " << k;
      const double seconds = std::fabs(*got[k] * 3600.0 - (h * 3600.0 + mi * 60.0 + s));
      worst = std::fmax(worst, seconds);
      EXPECT_LE(seconds, 10.0) << row[0] << " " << row[1] << (k ? " set" : " rise");
    }
    ++days;
  }
  EXPECT_EQ(days, 730);
  std::printf("worst rise/set %.1f s\n", worst);
}

}  // namespace
