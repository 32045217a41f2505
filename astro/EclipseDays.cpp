#include "astro/EclipseDays.h"

#include <cmath>
#include <tuple>

#include "astro/ClockText.h"
#include "astro/Sun.h"
#include "astro/TimeScales.h"

namespace eclipses {

using precise::LunarEclipse;
using precise::LunarEclipseKind;
using precise::SolarContact;
using precise::SolarEclipse;
using precise::SolarEclipseKind;

namespace {

// The window searched for a day: the eclipses whose greatest lies from
// kBefore before the start of its block of kBlockDays days (Julian days
// counted from 0) to kAfter after the block's end. It holds every one whose
// greatest is on a day of the block (a day is at most 25 hours long) and every
// one in progress during it (no contact lies more than 6 hours from the
// greatest). A week's window costs about as much as a day's: a search spends
// its time on the eclipses it finds, and stepping day by day finds each once.
constexpr double kBlockDays = 7.0;
constexpr double kBefore = 0.5;
constexpr double kAfter = 1.6;

struct Window {
  JulianDay from = 0, to = 0;
  double latitude = 0, longitude = 0;
  bool operator==(const Window& o) const {
    return std::tie(from, to, latitude, longitude) == std::tie(o.from, o.to, o.latitude, o.longitude);
  }
};

DayEclipses EclipsesIn(const Window& w) {
  const Place place{w.latitude, w.longitude};
  DayEclipses found;
  found.lunar = precise::LunarEclipses(w.from, w.to, place);
  for (SolarEclipse& e : precise::SolarEclipses(w.from, w.to, place))
    if (e.sunUp) found.solar.push_back(e);
  return found;
}

// The eclipses of the window around the date's day, searched once per thread
// for the last window asked for.
const DayEclipses& EclipsesAround(double year, double month, double day, const DateClock& on, const Place& place) {
  // A form may hold any numbers (a month of 1e9, "nan"): only a day within
  // the years the eclipses are computed for is searched.
  thread_local const DayEclipses none;
  const JulianDay start = DateToJulianDay(year, month, day, 0.0, on);
  if (!(start >= DateToJulianDay(kFirstYear, 1, 1, 0.0, on) && start < DateToJulianDay(kLastYear + 1, 1, 1, 0.0, on)))
    return none;
  const JulianDay block = std::floor(start / kBlockDays) * kBlockDays;
  const Window w{block - kBefore, block + kBlockDays + kAfter, place.latitude, place.longitude};
  thread_local std::optional<Window> last;
  thread_local DayEclipses lastFound;
  if (!last || !(*last == w)) {
    lastFound = EclipsesIn(w);
    last = w;
  }
  return lastFound;
}

bool SameDate(JulianDay moment, double year, double month, double day, const DateClock& on) {
  const ClockMoment t = MomentToSecond(moment, on);
  return t.year == year && t.month == month && t.day == day;
}

std::string TimeOf(JulianDay moment, const DateClock& on) { return ClockText(MomentToSecond(moment, on).time); }

void Add(std::vector<Contact>& out, const char* name, const std::optional<JulianDay>& moment) {
  if (moment) out.push_back({name, *moment, std::nullopt});
}

void Add(std::vector<Contact>& out, const std::string& name, const std::optional<SolarContact>& c) {
  if (c) out.push_back({name, c->moment, c->sunAltitude});
}

// The phase of a lunar eclipse at `ut` (between P1 and P4).
const char* LunarPhase(const LunarEclipse& e, JulianDay ut) {
  if (e.totalBegin && e.totalEnd && ut >= *e.totalBegin && ut < *e.totalEnd) return "皆既食中";
  if (e.partialBegin && e.partialEnd && ut >= *e.partialBegin && ut < *e.partialEnd) return "部分食中";
  return "半影食中";
}

// The phase of a solar eclipse at `ut` (between first and fourth contact).
const char* SolarPhase(const SolarEclipse& e, JulianDay ut) {
  if (e.kind != SolarEclipseKind::kPartial && e.centralBegin && e.centralEnd && ut >= e.centralBegin->moment &&
      ut < e.centralEnd->moment)
    return e.kind == SolarEclipseKind::kTotal ? "皆既食中" : "金環食中";
  return "部分食中";
}

}  // namespace

bool Shown(const Conf& conf) { return conf.Get(kConfKey, "0") == "1"; }

void SetShown(Conf& conf, bool shown) { conf.Set(kConfKey, shown ? "1" : "0"); }

const char* KindName(LunarEclipseKind k) {
  return k == LunarEclipseKind::kTotal ? "皆既月食" : k == LunarEclipseKind::kPartial ? "部分月食" : "半影月食";
}
const char* KindName(SolarEclipseKind k) {
  return k == SolarEclipseKind::kTotal ? "皆既日食" : k == SolarEclipseKind::kAnnular ? "金環日食" : "部分日食";
}
const char* KindKey(LunarEclipseKind k) {
  return k == LunarEclipseKind::kTotal ? "total" : k == LunarEclipseKind::kPartial ? "partial" : "penumbral";
}
const char* KindKey(SolarEclipseKind k) {
  return k == SolarEclipseKind::kTotal ? "total" : k == SolarEclipseKind::kAnnular ? "annular" : "partial";
}

std::vector<Contact> Contacts(const LunarEclipse& e) {
  std::vector<Contact> out;
  Add(out, "半影食始め", e.penumbralBegin);
  Add(out, "部分食始め", e.partialBegin);
  Add(out, "皆既食始め", e.totalBegin);
  Add(out, "食の最大", e.greatest);
  Add(out, "皆既食終わり", e.totalEnd);
  Add(out, "部分食終わり", e.partialEnd);
  Add(out, "半影食終わり", e.penumbralEnd);
  return out;
}

std::vector<Contact> Contacts(const SolarEclipse& e) {
  const std::string central = e.centralBelowHorizon.value_or(e.kind) == SolarEclipseKind::kTotal ? "皆既" : "金環";
  std::vector<Contact> out;
  Add(out, "食の始め", e.begin);
  Add(out, central + "の始め", e.centralBegin);
  Add(out, "食の最大", e.greatest);
  Add(out, central + "の終わり", e.centralEnd);
  Add(out, "食の終わり", e.end);
  return out;
}

DayEclipses EclipsesOfDay(double year, double month, double day, const DateClock& on, const Place& place) {
  const DayEclipses& around = EclipsesAround(year, month, day, on, place);
  DayEclipses out;
  for (const LunarEclipse& e : around.lunar)
    if (SameDate(e.greatest, year, month, day, on)) out.lunar.push_back(e);
  for (const SolarEclipse& e : around.solar)
    if (SameDate(e.greatest.moment, year, month, day, on)) out.solar.push_back(e);
  return out;
}

std::string ListItem(const LunarEclipse& e, const DateClock& on) {
  return std::string(KindName(e.kind)) + " " + TimeOf(e.greatest, on) + (e.visible ? "" : " 見えず");
}

std::string ListItem(const SolarEclipse& e, const DateClock& on) {
  return std::string(KindName(e.kind)) + " " + TimeOf(e.greatest.moment, on);
}

std::optional<std::string> InProgressText(const Moment& at) {
  const DateClock on = PlaceClock(at);
  const JulianDay ut = MomentJulianDay(at);
  const DayEclipses& around = EclipsesAround(at.year, at.month, at.day, on, at.place);
  // " 見えず" as the 暦注 list says it, while the body is below the horizon.
  auto seen = [&](int body) { return precise::EclipseBodyAltitude(body, ut, at.place) > 0.0 ? "" : " 見えず"; };
  for (const LunarEclipse& e : around.lunar)
    if (ut >= e.penumbralBegin && ut <= e.penumbralEnd)
      return std::string(KindName(e.kind)) + " " + LunarPhase(e, ut) + seen(BodyMoon);
  for (const SolarEclipse& e : around.solar)
    if (ut >= e.begin.moment && ut <= e.end.moment)
      return std::string(KindName(e.kind)) + " " + SolarPhase(e, ut) + seen(BodySun);
  return std::nullopt;
}

}  // namespace eclipses
