#include "astro/Model.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "astro/Coordinates.h"
#include "astro/Moon.h"
#include "astro/Planets.h"
#include "astro/RiseSet.h"
#include "astro/TermsPhases.h"
#include "astro/TimeScales.h"
#include "astro/precise/Almanac.h"
#include "astro/precise/DeltaT.h"

namespace {

// The design's formulas.
class DesignEphemeris final : public Ephemeris {
 public:
  AstroModel Model() const override { return AstroModel::Design; }

  BodyPosition Position(int body, JulianDay jd, const Place& observer, bool topocentric) const override {
    if (body == BodySun) return SunPosition(jd, observer);
    if (body == BodyMoon) return MoonPosition(jd, observer, topocentric);
    return PlanetPosition(body, jd, observer);
  }
  std::optional<double> RiseTime(int body, JulianDay jd, const Place& observer, const DateClock& on) const override {
    return design::RiseTime(jd, body, observer, on);
  }
  std::optional<double> SetTime(int body, JulianDay jd, const Place& observer, const DateClock& on) const override {
    return design::SetTime(jd, body, observer, on);
  }
  std::optional<double> TransitTime(int body, JulianDay jd, const Place& observer,
                                    const DateClock& on) const override {
    return design::TransitTime(jd, body, observer, on);
  }
  SunCrossings SunThrough(double altitude, JulianDay jd, const Place& observer, const DateClock& on) const override {
    return design::SunThrough(altitude, jd, observer, on);
  }
  SolarTermDay SolarTermOfDay(double year, double month, double day, const DateClock& lists) const override {
    return design::SolarTermOfDay(year, month, day, lists);
  }
  std::optional<int> DaysSinceSpringBegins(double year, double month, double day,
                                           const DateClock& lists) const override {
    return design::DaysSinceSpringBegins(year, month, day, lists);
  }
  std::optional<SunDegree> SunDegreeOfDay(double year, double month, double day,
                                          const DateClock& lists) const override {
    return design::SunDegreeOfDay(year, month, day, lists);
  }
  MomentPair SolsticeCycleStartDays(JulianDay jd, const DateClock& lists) const override {
    return design::SolsticeCycleStartDays(jd, lists);
  }
  MomentPair RecentNewMoons(JulianDay jd, const DateClock& lists) const override {
    return design::RecentNewMoons(jd, lists);
  }
  std::vector<AngleEvent> YearEvents(EventKind kind, double year, int lastDay,
                                     const DateClock& lists) const override {
    return kind == EventKind::MoonPhases ? design::ListMoonPhases(year, lastDay, lists)
                                         : design::ListSolarTerms(year, lastDay, lists);
  }
  ChartHorizon ChartPlace(const BodyPosition& place, JulianDay jd, const Place& observer) const override {
    ChartHorizon h;
    EquatorialToHorizontal(jd, place.rightAscension, place.declination, observer.latitude, observer.longitude,
                           h.azimuth, h.altitude);
    return h;
  }
  std::vector<precise::SeriesWarning> SeriesWarnings(JulianDay, JulianDay) const override { return {}; }
  std::optional<double> DeltaT(JulianDay) const override { return std::nullopt; }
};

// ERFA, astro/precise/.
class PreciseEphemeris final : public Ephemeris {
 public:
  AstroModel Model() const override { return AstroModel::Precise; }

  BodyPosition Position(int body, JulianDay jd, const Place& observer, bool topocentric) const override {
    return precise::BodyPlace(body, jd, observer, topocentric);
  }
  std::optional<double> RiseTime(int body, JulianDay jd, const Place& observer, const DateClock& on) const override {
    return precise::RiseTime(jd, body, observer, on);
  }
  std::optional<double> SetTime(int body, JulianDay jd, const Place& observer, const DateClock& on) const override {
    return precise::SetTime(jd, body, observer, on);
  }
  std::optional<double> TransitTime(int body, JulianDay jd, const Place& observer,
                                    const DateClock& on) const override {
    return precise::TransitTime(jd, body, observer, on);
  }
  SunCrossings SunThrough(double altitude, JulianDay jd, const Place& observer, const DateClock& on) const override {
    return precise::SunThrough(altitude, jd, observer, on);
  }
  SolarTermDay SolarTermOfDay(double year, double month, double day, const DateClock& lists) const override {
    return precise::SolarTermOfDay(year, month, day, lists);
  }
  std::optional<int> DaysSinceSpringBegins(double year, double month, double day,
                                           const DateClock& lists) const override {
    return precise::DaysSinceSpringBegins(year, month, day, lists);
  }
  std::optional<SunDegree> SunDegreeOfDay(double year, double month, double day,
                                          const DateClock& lists) const override {
    return precise::SunDegreeOfDay(year, month, day, lists);
  }
  MomentPair SolsticeCycleStartDays(JulianDay jd, const DateClock& lists) const override {
    return precise::SolsticeCycleStartDays(jd, lists);
  }
  MomentPair RecentNewMoons(JulianDay jd, const DateClock& lists) const override {
    return precise::RecentNewMoons(jd, lists);
  }
  std::vector<AngleEvent> YearEvents(EventKind kind, double year, int lastDay,
                                     const DateClock& lists) const override {
    return kind == EventKind::MoonPhases ? precise::ListMoonPhases(year, lastDay, lists)
                                         : precise::ListSolarTerms(year, lastDay, lists);
  }
  ChartHorizon ChartPlace(const BodyPosition& place, JulianDay, const Place&) const override {
    return {place.azimuth, place.altitude};
  }
  std::vector<precise::SeriesWarning> SeriesWarnings(JulianDay from, JulianDay to) const override {
    return precise::ModelWarnings(from, to);
  }
  std::optional<double> DeltaT(JulianDay ut) const override { return precise::DeltaTAt(ut); }
};

}  // namespace

AstroModel AstroModelFromText(const std::string& text) {
  return text == "precise" ? AstroModel::Precise : AstroModel::Design;
}

const char* AstroModelText(AstroModel model) { return model == AstroModel::Precise ? "precise" : "design"; }

const Ephemeris& EphemerisOf(AstroModel model) {
  static const DesignEphemeris design;
  static const PreciseEphemeris precise;
  if (model == AstroModel::Precise) return precise;
  return design;
}

std::vector<CalendarEvent> YearEventTable(const Ephemeris& ephemeris, EventKind kind, double year, int lastDay,
                                          const DateClock& lists) {
  std::vector<CalendarEvent> table;
  for (const AngleEvent& found : ephemeris.YearEvents(kind, year, lastDay, lists)) {
    // The searches give multiples of their step, each of which has a name.
    const std::optional<const char*> name = EventName(kind, found.angle);
    if (!name) continue;
    CalendarEvent e{};
    const LocalTime t = JulianDayToDate(found.moment, lists);
    e.year = t.year, e.month = t.month, e.day = t.day, e.hour = t.hour;
    e.julianDay = found.moment;
    e.angle = found.angle;
    std::strncpy(e.name, *name, sizeof e.name - 1);
    table.push_back(e);
  }
  return table;
}

std::optional<int> LastDayOfYear(double year, const DateClock& lists) {
  const double days = DateToJulianDay(year + 1.0, 1.0, 1.0, 12.0, lists) - DateToJulianDay(year, 1.0, 1.0, 12.0, lists);
  if (!std::isfinite(days)) return std::nullopt;
  return static_cast<int>(std::lround(days)) - 1;
}

std::vector<CalendarEvent> EventsOfYear(const Ephemeris& ephemeris, EventKind kind, double year,
                                        const DateClock& lists) {
  const std::optional<int> lastDay = LastDayOfYear(year, lists);
  if (!lastDay) return {};
  return YearEventTable(ephemeris, kind, year, *lastDay, lists);
}
