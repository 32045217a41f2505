#include "holidays/Holidays.h"

#include <cstdio>
#include <map>

#include "astro/Sun.h"
#include "astro/TermsPhases.h"
#include "astro/TimeScales.h"
#include "core/CalendarDays.h"

namespace holidays {
namespace {

// How a rule finds its day in a year.
enum class Kind {
  Fixed,      // month/day
  NthMonday,  // the n-th Monday of the month (the "Happy Monday" law)
  Equinox,    // the day of the equinox at sun longitude `value`
};

constexpr int kOpen = 9999;

// One holiday as the law defined it between two years (inclusive). A holiday
// that moved or changed its name has one row per period.
struct Rule {
  const char* name;
  Kind kind;
  int month;
  int value;  // Fixed: the day; NthMonday: n; Equinox: the longitude
  int fromYear, toYear;
};

// 2020 and 2021 moved 海の日, スポーツの日 and 山の日 by special laws (see
// kOneOffs), so their Monday and fixed rules pause in those two years.
constexpr Rule kRules[] = {
    {"元日", Kind::Fixed, 1, 1, 1948, kOpen},
    {"成人の日", Kind::Fixed, 1, 15, 1948, 1999},
    {"成人の日", Kind::NthMonday, 1, 2, 2000, kOpen},
    {"建国記念の日", Kind::Fixed, 2, 11, 1967, kOpen},
    {"天皇誕生日", Kind::Fixed, 2, 23, 2020, kOpen},
    {"春分の日", Kind::Equinox, 3, 0, 1948, kOpen},
    {"天皇誕生日", Kind::Fixed, 4, 29, 1948, 1988},
    {"みどりの日", Kind::Fixed, 4, 29, 1989, 2006},
    {"昭和の日", Kind::Fixed, 4, 29, 2007, kOpen},
    {"憲法記念日", Kind::Fixed, 5, 3, 1948, kOpen},
    {"みどりの日", Kind::Fixed, 5, 4, 2007, kOpen},
    {"こどもの日", Kind::Fixed, 5, 5, 1948, kOpen},
    {"海の日", Kind::Fixed, 7, 20, 1996, 2002},
    {"海の日", Kind::NthMonday, 7, 3, 2003, 2019},
    {"海の日", Kind::NthMonday, 7, 3, 2022, kOpen},
    {"山の日", Kind::Fixed, 8, 11, 2016, 2019},
    {"山の日", Kind::Fixed, 8, 11, 2022, kOpen},
    {"敬老の日", Kind::Fixed, 9, 15, 1966, 2002},
    {"敬老の日", Kind::NthMonday, 9, 3, 2003, kOpen},
    {"秋分の日", Kind::Equinox, 9, 180, 1948, kOpen},
    {"体育の日", Kind::Fixed, 10, 10, 1966, 1999},
    {"体育の日", Kind::NthMonday, 10, 2, 2000, 2019},
    {"スポーツの日", Kind::NthMonday, 10, 2, 2022, kOpen},
    {"文化の日", Kind::Fixed, 11, 3, 1948, kOpen},
    {"勤労感謝の日", Kind::Fixed, 11, 23, 1948, kOpen},
    {"天皇誕生日", Kind::Fixed, 12, 23, 1989, 2018},
};

// Days made holidays by laws of their own.
struct OneOff {
  int year, month, day;
  const char* name;
};
constexpr OneOff kOneOffs[] = {
    {1959, 4, 10, "皇太子・明仁親王の結婚の儀"},
    {1989, 2, 24, "昭和天皇の大喪の礼"},
    {1990, 11, 12, "即位礼正殿の儀"},
    {1993, 6, 9, "皇太子・徳仁親王の結婚の儀"},
    {2019, 5, 1, "天皇の即位の日"},
    {2019, 10, 22, "即位礼正殿の儀"},
    {2020, 7, 23, "海の日"},
    {2020, 7, 24, "スポーツの日"},
    {2020, 8, 10, "山の日"},
    {2021, 7, 22, "海の日"},
    {2021, 7, 23, "スポーツの日"},
    {2021, 8, 8, "山の日"},
};

// The rest days the law derives from the holidays, by the dates (YYYYMMDD)
// their wording was in force.
constexpr int kLawStart = 19480720;
struct DerivedRule {
  int from, to;
  bool newWording;  // the 2007 wording of the law
};
// 振替休日: a holiday on a Sunday gives the next day; from 2007 the next day
// that is not itself a holiday.
constexpr DerivedRule kSubstitute[] = {{19730412, 20061231, false}, {20070101, 99991231, true}};
// 国民の休日: a day between two holidays; until 2006 not when it is a Sunday
// or a substitute day, from 2007 whenever it is no holiday itself.
constexpr DerivedRule kBridge[] = {{19851227, 20061231, false}, {20070101, 99991231, true}};

const DerivedRule* RuleOn(const DerivedRule (&rules)[2], int date) {
  for (const DerivedRule& r : rules)
    if (date >= r.from && date <= r.to) return &r;
  return nullptr;
}

// The holidays are days of the Gregorian calendar, keyed by Julian day number.
long DayNumber(int y, int m, int d) { return JulianDayNumber({y, m, d}, CalendarRule::Gregorian); }

CalendarDate DateOf(long dayNumber) { return DateOfJulianDayNumber(dayNumber, CalendarRule::Gregorian); }

int Yyyymmdd(long dayNumber) {
  const CalendarDate t = DateOf(dayNumber);
  return static_cast<int>(t.year * 10000 + t.month * 100 + t.day);
}

std::optional<int> DayOfRule(const Rule& r, int year, const EquinoxDayFn& equinoxDay) {
  switch (r.kind) {
    case Kind::Fixed: return r.value;
    case Kind::Equinox: return equinoxDay(year, r.value);
    case Kind::NthMonday: break;
  }
  const int first = WeekdayOfJulianDayNumber(DayNumber(year, r.month, 1));
  return 1 + (8 - first) % 7 + 7 * (r.value - 1);
}

using DayMap = std::map<long, std::string>;  // day number -> name

DayMap NationalHolidays(int year, const EquinoxDayFn& equinoxDay) {
  DayMap days;
  for (const Rule& r : kRules)
    if (year >= r.fromYear && year <= r.toYear)
      if (const std::optional<int> day = DayOfRule(r, year, equinoxDay)) days[DayNumber(year, r.month, *day)] = r.name;
  for (const OneOff& o : kOneOffs)
    if (o.year == year) days[DayNumber(o.year, o.month, o.day)] = o.name;
  std::erase_if(days, [](const auto& kv) { return Yyyymmdd(kv.first) < kLawStart; });
  return days;
}

void AddSubstitutes(const DayMap& national, DayMap& all) {
  for (const auto& [day, name] : national) {
    const DerivedRule* rule = RuleOn(kSubstitute, Yyyymmdd(day));
    if (!rule || WeekdayOfJulianDayNumber(day) != 0) continue;
    long next = day + 1;
    while (rule->newWording && national.count(next)) ++next;
    if (!national.count(next)) all.emplace(next, "振替休日");
  }
}

void AddBridges(const DayMap& national, DayMap& all) {
  for (const auto& [day, name] : national) {
    const long between = day + 1;
    const DerivedRule* rule = RuleOn(kBridge, Yyyymmdd(between));
    if (!rule || !national.count(between + 1) || all.count(between)) continue;
    if (!rule->newWording && WeekdayOfJulianDayNumber(between) == 0) continue;
    all.emplace(between, "国民の休日");
  }
}

}  // namespace

std::optional<int> EquinoxDay(const Ephemeris& ephemeris, int year, int longitude) {
  const int month = longitude == 0 ? 3 : 9;
  const DateClock jst = DayCountClock(CalendarRule::Gregorian);
  for (int day = 17; day <= 25; ++day) {
    const SolarTermDay term = ephemeris.SolarTermOfDay(year, month, day, jst);
    if (term.term && *term.term * 15 == longitude) return day;
  }
  return std::nullopt;  // not reached for the law's years
}

std::vector<Holiday> HolidaysOfYear(int year, const EquinoxDayFn& equinoxDay) {
  std::vector<Holiday> list;
  if (!InRange(year)) return list;
  const DayMap national = NationalHolidays(year, equinoxDay);
  DayMap all = national;
  AddSubstitutes(national, all);
  AddBridges(national, all);
  for (const auto& [day, name] : all) {
    const CalendarDate t = DateOf(day);
    if (t.year == year) list.push_back({year, t.month, t.day, name});
  }
  return list;
}

std::optional<std::string> HolidayName(int year, int month, int day, const EquinoxDayFn& equinoxDay) {
  for (const Holiday& h : HolidaysOfYear(year, equinoxDay))
    if (h.month == month && h.day == day) return h.name;
  return std::nullopt;
}

std::vector<Holiday> HolidaysOfYear(int year, const Ephemeris& ephemeris) {
  return HolidaysOfYear(year, [&ephemeris](int y, int longitude) { return EquinoxDay(ephemeris, y, longitude); });
}

std::optional<std::string> HolidayName(int year, int month, int day, const Ephemeris& ephemeris) {
  return HolidayName(year, month, day,
                     [&ephemeris](int y, int longitude) { return EquinoxDay(ephemeris, y, longitude); });
}

bool Shown(const Conf& conf) { return conf.Get(kConfKey, "0") == "1"; }

void SetShown(Conf& conf, bool shown) { conf.Set(kConfKey, shown ? "1" : "0"); }

std::string IsoDate(int year, int month, int day) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

}  // namespace holidays
