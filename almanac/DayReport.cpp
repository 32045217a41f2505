#include "almanac/DayReport.h"

#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "astro/TermsPhases.h"
#include "astro/astro.h"
#include "caldb/Dao.h"
#include "signs/Signs.h"

namespace {

struct TermDay {
  int term;     // index into SolarTermNames
  double noon;  // 12:00 JST of the term's day
};

std::optional<int> SolarTermIndex(const char* name) {
  for (int i = 0; i < static_cast<int>(std::size(SolarTermNames)); ++i)
    if (std::strcmp(SolarTermNames[i], name) == 0) return i;
  return std::nullopt;
}

// The 400-day term list from 1 January of a year, as BuildSolarTermTable gives
// it. It depends only on the year, the calendar rule, the zone and the
// ephemeris's model, and building it costs a search over 400 days, so each
// thread keeps the last two years it asked for.
struct TermYearKey {
  double year;
  CalendarRule calendar;
  std::string zone;
  AstroModel model;
  bool operator==(const TermYearKey&) const = default;
};
struct TermYear {
  TermYearKey key;
  std::vector<TermDay> terms;
};

const std::vector<TermDay>& TermDaysOfYear(double year, const Moment& at, const Ephemeris& ephemeris) {
  thread_local std::array<std::optional<TermYear>, 2> cache;
  thread_local std::size_t next = 0;
  const TermYearKey key{year, at.calendar, at.zone.Name(), ephemeris.Model()};
  for (const std::optional<TermYear>& c : cache)
    if (c && c->key == key) return c->terms;
  std::optional<TermYear>& c = cache[next];
  next = (next + 1) % cache.size();
  c = TermYear{key, {}};
  for (const CalendarEvent& e : YearEventTable(ephemeris, EventKind::SolarTerms, year, 400, ListClock(at)))
    if (const std::optional<int> term = SolarTermIndex(e.name))
      c->terms.push_back({*term, DayNoon(e.year, e.month, e.day, at.calendar)});
  return c->terms;
}

// The term in force at `noon`: the last of its year's list on or before it,
// read from the list of the day's own year (for 1 to 9 January the previous
// year's, which spans them). The year is the date's own, so that a date
// written past its month (month 0 or 13, day 40) is read in the list that
// spans it; none when no list spans the day.
std::optional<TermInForce> TermInForceAt(double noon, const Moment& at, const Ephemeris& ephemeris) {
  const LocalTime date = JulianDayToDate(noon, DayCountClock(at.calendar));
  const double year = date.month == 1 && date.day < 10 ? date.year - 1 : date.year;
  const std::vector<TermDay>& terms = TermDaysOfYear(year, at, ephemeris);
  for (std::size_t i = 0; i + 1 < terms.size(); ++i)
    if (terms[i].noon <= noon && noon < terms[i + 1].noon)
      return TermInForce{terms[i].term, static_cast<int>(std::lround(noon - terms[i].noon))};
  return std::nullopt;
}

// The sun's values: the term, the longitude, the solar-term month and the pentad.
void AddSun(DayReport& r, const Ephemeris& ephemeris, const DateClock& lists) {
  const Moment& at = r.at;
  const SolarTermDay termDay = ephemeris.SolarTermOfDay(at.year, at.month, at.day, lists);
  r.termDay = termDay.term.has_value();
  r.term = termDay.term ? std::optional<TermInForce>(TermInForce{*termDay.term, 0})
                        : TermInForceAt(r.noon, at, ephemeris);
  // A longitude just short of 0 rounds to it: no "-0.0".
  r.solarLongitude = termDay.longitude < 0.0 && termDay.longitude > -0.05 ? 0.0 : termDay.longitude;
  const int rounded = RoundedLongitude(r.solarLongitude);
  r.solarMonth = SolarTermMonth(rounded);
  r.pentad = rounded / 5 + 1;
}

// The later of the two recent new moons that is not after jd.
std::optional<double> LastNewMoon(const Ephemeris& ephemeris, const DateClock& lists, double jd) {
  const MomentPair moons = ephemeris.RecentNewMoons(jd, lists);
  return moons.second && *moons.second <= jd ? moons.second : moons.first;
}

}  // namespace

void ComputeDayReport(const Moment& at, const Ephemeris& ephemeris, CDaoDatabase& db, DayReport& report) {
  report = SunReport(at, ephemeris);
  CompleteDayReport(ephemeris, db, report);
}

DayReport SunReport(const Moment& at, const Ephemeris& ephemeris) {
  DayReport r;
  r.at = at;
  r.noon = DayNoon(at.year, at.month, at.day, at.calendar);
  AddSun(r, ephemeris, ListClock(at));
  return r;
}

void CompleteDayReport(const Ephemeris& ephemeris, CDaoDatabase& db, DayReport& r) {
  const Moment& at = r.at;
  const DateClock lists = ListClock(at);
  r.era = EraForYear(db, at.year);

  const MomentPair switches = ephemeris.SolsticeCycleStartDays(r.noon, lists);
  if (switches.first && switches.second)
    r.nineStar = NineStarNumber(r.noon, *switches.first, *switches.second, at.calendar);

  const LunisolarResult lunar = LunisolarLookup(db, at.year, at.month, at.day, at.year, at.month, at.calendar);
  r.lunarMonth = lunar.lunarMonth;
  r.lunarDay = lunar.lunarDay;
  r.leapMonth = lunar.found && lunar.row.flag == 2;
  r.lunarDate = LunisolarDateOf(lunar.row.flag, lunar.lunarMonth, lunar.lunarDay);

  r.stem = StemNumberOfRow(DayStemRow(r.noon));
  r.branch = BranchNumberOfRow(DayBranchRow(r.noon));
  const std::optional<double> newMoon = LastNewMoon(ephemeris, lists, r.noon);
  r.moonAge = newMoon ? std::optional<double>(r.noon - *newMoon) : std::nullopt;
  r.complete = true;
}

SeasonalInputs SeasonalInputsOf(const DayReport& r, const Ephemeris& ephemeris) {
  // The sun's degree is that of the local date of the day's noon.
  const DateClock lists = ListClock(r.at);
  const LocalTime date = JulianDayToDate(r.noon, DayCountClock(r.at.calendar));
  const std::optional<SunDegree> degree = ephemeris.SunDegreeOfDay(date.year, date.month, date.day, lists);
  return {degree ? std::optional<double>(degree->degree) : std::nullopt,
          ephemeris.DaysSinceSpringBegins(r.at.year, r.at.month, r.at.day, lists)};
}
