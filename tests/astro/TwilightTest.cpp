// Twilight and day length in both models against an independent ephemeris
// (tests/fixtures/astro/twilight-2026.tsv, made by make-twilight-moonlight.js
// beside it): every day of 2026 at the Tokyo and Sapporo prefectural offices
// and at London, on their zones' clocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "astro/ClockText.h"
#include "astro/DayLight.h"
#include "tests/support/ReferenceTsv.h"

namespace {

struct Site {
  Place place;
  const char* zone;
};
const std::map<std::string, Site> kSites = {{"tokyo", {{35.689444, 139.691667}, "Asia/Tokyo"}},
                                            {"sapporo", {{43.064167, 141.346944}, "Asia/Tokyo"}},
                                            {"london", {{51.5083, -0.1253}, "Europe/London"}}};

Moment Noon(const std::string& date, const Site& site, AstroModel model) {
  Moment at;
  std::sscanf(date.c_str(), "%lf-%lf-%lf", &at.year, &at.month, &at.day);
  at.hour = 12.0;
  at.place = site.place;
  at.calendar = CalendarRule::Gregorian;
  std::string error;
  at.zone = *TimeZone::Named(site.zone, error);
  at.model = model;
  return at;
}

// A reference cell: seconds of the local day, or none ("-").
std::optional<double> Cell(const std::string& text) {
  if (text == "-") return std::nullopt;
  return std::stod(text);
}

// The largest error over the cells, counting an event found on one side
// only as infinitely far.
struct Worst {
  double error = 0.0;
  std::string where;
  void Add(double e, const std::string& at) {
    if (e > error) error = e, where = at;
  }
  // In seconds of time against the reference.
  void AddTime(const std::optional<double>& hours, const std::optional<double>& reference, const std::string& at) {
    Add((hours && reference) ? std::fabs(*hours * 3600.0 - *reference) : (hours || reference) ? INFINITY : 0.0, at);
  }
  // In degrees of the sun's altitude: how far from `altitude` the sun's
  // centre stands at the moment found (by the precise model, which the
  // reference's times confirm to the second). The design's searches stop
  // within a tolerance of altitude, so near the night of the year where the
  // sun only just reaches a depth its times may move by minutes while its
  // sun stands as close to the depth as at sunrise.
  void AddAltitude(const std::optional<double>& hours, const std::optional<double>& reference, double altitude,
                   const Moment& at, const std::string& where) {
    if (!hours || !reference) return Add((hours || reference) ? INFINITY : 0.0, where);
    const DateClock on = PlaceClock(at);
    const JulianDay jd = DateToJulianDay(at.year, at.month, at.day, *hours, on);
    Add(std::fabs(EphemerisOf(AstroModel::Precise).Position(BodySun, jd, at.place, false).altitude - altitude),
        where);
  }
};

const double kDepths[] = {kCivilTwilight, kNauticalTwilight, kAstronomicalTwilight};
constexpr double kDesignHorizon = -0.85;  // the reference's rise and set columns

TEST(Twilight, DawnAndDuskAgreeWithTheReferenceInBothModels) {
  const auto rows = testsupport::ReadReferenceTsv("twilight-2026.tsv");
  ASSERT_EQ(rows.size(), 3u * 365u);
  int withoutAstronomicalNight = 0;
  for (AstroModel model : {AstroModel::Precise, AstroModel::Design}) {
    const Ephemeris& ephemeris = EphemerisOf(model);
    Worst twilight, riseSet;
    int lengthsOff = 0;
    for (const auto& row : rows) {
      const Moment at = Noon(row[0], kSites.at(row[1]), model);
      const DayLight light = DayLightOf(ephemeris, at);
      const std::string where = row[0] + " " + row[1];
      const SunCrossings* depths[] = {&light.civil, &light.nautical, &light.astronomical};
      for (int k = 0; k < 3; ++k) {
        const std::optional<double> dawn = Cell(row[2 + 2 * k]), dusk = Cell(row[3 + 2 * k]);
        if (model == AstroModel::Precise) {
          twilight.AddTime(depths[k]->up, dawn, where + " dawn " + std::to_string(k));
          twilight.AddTime(depths[k]->down, dusk, where + " dusk " + std::to_string(k));
        } else {
          twilight.AddAltitude(depths[k]->up, dawn, kDepths[k], at, where + " dawn " + std::to_string(k));
          twilight.AddAltitude(depths[k]->down, dusk, kDepths[k], at, where + " dusk " + std::to_string(k));
        }
      }
      if (model == AstroModel::Precise && row[6] == "-") ++withoutAstronomicalNight;
      const DateClock on = PlaceClock(at);
      const JulianDay jd = MomentJulianDay(at);
      const std::optional<double> rise = ephemeris.RiseTime(BodySun, jd, at.place, on);
      const std::optional<double> set = ephemeris.SetTime(BodySun, jd, at.place, on);
      // The design's own sunrise and sunset against its horizon (the centre
      // at -0.85°): the error its twilights may have.
      if (model == AstroModel::Design) {
        riseSet.AddAltitude(rise, Cell(row[8]), kDesignHorizon, at, where + " rise");
        riseSet.AddAltitude(set, Cell(row[9]), kDesignHorizon, at, where + " set");
      }
      // The day's length is its sunset less its sunrise, to the second.
      ASSERT_TRUE(rise && set && light.length) << where;
      if (AstroTimeText(*light.length) != AstroTimeText(*set - *rise) &&
          std::fabs((*light.length - (*set - *rise)) * 3600.0) > 1.0)
        ++lengthsOff;
    }
    EXPECT_EQ(lengthsOff, 0) << AstroModelText(model);
    if (model == AstroModel::Precise) {
      EXPECT_LE(twilight.error, 2.0) << twilight.where;
      std::printf("precise: twilight within %.1f s (%s)\n", twilight.error, twilight.where.c_str());
    } else {
      EXPECT_LE(twilight.error, riseSet.error) << twilight.where << " / " << riseSet.where;
      std::printf("design: twilight within %.3f° of the depth (%s), sunrise and sunset within %.3f° (%s)\n",
                  twilight.error, twilight.where.c_str(), riseSet.error, riseSet.where.c_str());
    }
  }
  EXPECT_GT(withoutAstronomicalNight, 30);  // London's summer: no astronomical night
}

}  // namespace
