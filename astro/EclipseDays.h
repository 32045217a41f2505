// The eclipses as the almanac's day shows them: named in the 暦注 list on
// the day of their greatest eclipse, in the sky readout while one is in
// progress, and as events of the iCalendar file. An addition (the design has
// no eclipses), shown in the window and by `day` only with "eclipses=1" in
// ombrel.conf. The eclipses themselves are astro/precise/Eclipses.h's, on
// the precise ephemeris whatever the model.
//
// The day's eclipses are those whose greatest eclipse falls on the day on the
// clock given (the zone in force at the place, as `ombrel-cli eclipses` dates
// them): every lunar eclipse, visible at the place or not, and the solar
// eclipses seen from the place with the sun above its horizon at some moment
// between first and fourth contact.
//
// Speed: a day's search looks at the syzygies around its week only (Julian
// days in blocks of seven: about 0.2 ms, 2-4 ms for a week with an eclipse).
// The last week searched is kept per thread (thread_local), keyed by its span
// and the place, so the day list and the readout of one refresh, every hour
// of a day and the days of a week search once; two threads never share it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "astro/Clock.h"
#include "astro/Moment.h"
#include "astro/precise/Eclipses.h"
#include "core/Conf.h"

namespace eclipses {

// Whether the user shows the eclipses in the window and `day`: "eclipses=1"
// in ombrel.conf (off when absent, so the almanac looks as designed until it
// is turned on).
inline constexpr const char* kConfKey = "eclipses";
// The years the eclipses are computed for (the ΔT polynomials' span); a day
// outside them has none.
inline constexpr int kFirstYear = -1999;
inline constexpr int kLastYear = 3000;
bool Shown(const Conf& conf);
void SetShown(Conf& conf, bool shown);

// 半影月食, 部分月食, 皆既月食; 部分日食, 金環日食, 皆既日食.
const char* KindName(precise::LunarEclipseKind kind);
const char* KindName(precise::SolarEclipseKind kind);
// penumbral, partial, total; partial, annular, total (the JSON keys).
const char* KindKey(precise::LunarEclipseKind kind);
const char* KindKey(precise::SolarEclipseKind kind);

// A moment of an eclipse as the lists name it: 半影食始め … 半影食終わり of a
// lunar eclipse, 食の始め … 食の終わり of a solar one, in time order with
// 食の最大 among them; the sun's altitude (degrees) at a solar contact.
struct Contact {
  std::string name;
  JulianDay moment;
  std::optional<double> sunAltitude;
};
std::vector<Contact> Contacts(const precise::LunarEclipse& e);
std::vector<Contact> Contacts(const precise::SolarEclipse& e);

struct DayEclipses {
  std::vector<precise::LunarEclipse> lunar;
  std::vector<precise::SolarEclipse> solar;  // only those with the sun up at some moment
  bool empty() const { return lunar.empty() && solar.empty(); }
};

// The eclipses whose greatest eclipse falls on the date (year, month, day)
// of `on`, seen from `place`.
DayEclipses EclipsesOfDay(double year, double month, double day, const DateClock& on, const Place& place);

// The 暦注 list's item: the kind and the greatest eclipse's time on `on`,
// "皆既月食 03:11:48"; a lunar eclipse not visible at the place adds " 見えず"
// ("皆既月食 03:11:48 見えず", 22 half-width columns, within the list's).
std::string ListItem(const precise::LunarEclipse& e, const DateClock& on);
std::string ListItem(const precise::SolarEclipse& e, const DateClock& on);

// The eclipse in progress at the moment (its date and hour on its place's
// clock, its place), from first to last contact: the kind and the phase,
// "皆既月食 皆既食中", "部分日食 部分食中", with " 見えず" while the eclipsed
// body is below the place's horizon; none when no eclipse is.
std::optional<std::string> InProgressText(const Moment& at);

}  // namespace eclipses
