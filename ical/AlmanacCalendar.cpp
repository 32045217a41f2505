#include "ical/AlmanacCalendar.h"

#include <cmath>
#include <ctime>

#include "astro/ClockText.h"
#include "astro/EclipseDays.h"
#include "astro/Model.h"
#include "astro/astro.h"
#include "caldb/Dao.h"
#include "core/Files.h"
#include "core/Text.h"
#include "holidays/Holidays.h"
#include "almanac/DayReport.h"
#include "caldb/DataTable.h"
#include "signs/Observances.h"
#include "signs/Signs.h"

namespace ical {
namespace {

const struct {
  const char* name;
  Kind kind;
} kKindNames[] = {{"terms", kTerms},     {"phases", kPhases},           {"holidays", kHolidays},
                  {"sixday", kSixDay},   {"observances", kObservances}, {"lunar", kLunar},
                  {"eclipses", kEclipses}};

// The event list's moment as an instant, to the second.
std::time_t Instant(double julianDay) { return static_cast<std::time_t>(std::llround((julianDay - 2440587.5) * 86400.0)); }

// The year's events of a kind, dated on the list clock.
void AddListedEvents(int year, EventKind kind, const char* uidKind, const Moment& settings,
                     const Ephemeris& ephemeris, std::vector<Event>& events) {
  const DateClock lists = ListClock(settings);
  for (const CalendarEvent& found : EventsOfYear(ephemeris, kind, year, lists)) {
    Event e;
    e.summary = found.name;
    e.uid = MakeUid(uidKind, year, static_cast<int>(found.month), static_cast<int>(found.day), e.summary);
    e.allDay = false;
    e.moment = Instant(found.julianDay);
    events.push_back(e);
  }
}

// The description's lines of an eclipse's contacts, on the zone's clock.
std::string ContactLines(const std::vector<eclipses::Contact>& contacts, const DateClock& on) {
  std::string text;
  for (const eclipses::Contact& c : contacts) {
    std::string time = ZonedTimeText(c.moment, on);
    time[time.find('T')] = ' ';
    text += "\n" + c.name + " " + time;
    if (c.sunAltitude) text += text::SjisFormat(" 太陽高度%.1f°", *c.sunAltitude);
  }
  return text;
}

template <class E>
void AddEclipse(const E& e, JulianDay first, JulianDay peak, JulianDay last, const std::string& head,
                const DateClock& on, std::vector<Event>& events) {
  const ClockMoment greatest = MomentToSecond(peak, on);
  Event ev;
  ev.summary = eclipses::KindName(e.kind);
  ev.uid = MakeUid("eclipse", static_cast<int>(greatest.year), static_cast<int>(greatest.month),
                   static_cast<int>(greatest.day), ev.summary);
  ev.allDay = false;
  ev.moment = Instant(first);
  ev.end = Instant(last);
  ev.description = head + ContactLines(eclipses::Contacts(e), on);
  events.push_back(ev);
}

// The eclipses whose greatest eclipse falls in the year on the place's clock,
// as `ombrel-cli eclipses` lists them (every lunar one; the solar ones seen
// from the place with the sun up), each from its first to its last contact;
// the description gives the magnitude and names the contacts.
void AddEclipses(int year, const Moment& settings, std::vector<Event>& events) {
  const DateClock on = PlaceClock(settings);
  const JulianDay from = DateToJulianDay(year, 1, 1, 0, on), to = DateToJulianDay(year + 1, 1, 1, 0, on);
  for (const precise::LunarEclipse& e : precise::LunarEclipses(from, to, settings.place)) {
    const std::string head = text::SjisFormat("本影食分 %.3f 半影食分 %.3f ", e.umbralMagnitude, e.penumbralMagnitude) +
                             (e.visible ? "見える" : "見えない");
    AddEclipse(e, e.penumbralBegin, e.greatest, e.penumbralEnd, head, on, events);
  }
  for (const precise::SolarEclipse& e : precise::SolarEclipses(from, to, settings.place))
    if (e.sunUp)
      AddEclipse(e, e.begin.moment, e.greatest.moment, e.end.moment,
                 text::SjisFormat("食分 %.3f 面積比 %.3f", e.magnitude, e.obscuration), on, events);
}

void AddDay(std::vector<Event>& events, const char* kind, int y, int m, int d, const std::string& summary) {
  Event e;
  e.summary = summary;
  e.uid = MakeUid(kind, y, m, d, summary);
  e.year = y, e.month = m, e.day = d;
  events.push_back(e);
}

// Without its padding (the Data table's names are laid out for the form).
std::string Trim(const std::string& text) { return text::TrimPadding(text); }

// The events of the day reports of the year: the six-day sign, the
// observances (without anniversaries: they are the user's own) and the
// lunisolar date. One connection, one report a day.
void AddReportDays(int year, unsigned kinds, const std::string& databasePath, const Moment& settings,
                   const Ephemeris& ephemeris, std::vector<Event>& events) {
  const DateClock days = DayCountClock(settings.calendar);
  const double first = DayNoon(year, 1, 1, settings.calendar);
  const double next = DayNoon(year + 1, 1, 1, settings.calendar);
  CDaoDatabase db;
  db.Open(databasePath, true, true, kCalendarConnect);
  DataTable data(db);
  DayReport r;
  for (double jd = first; jd < next; jd += 1.0) {
    const LocalTime t = JulianDayToDate(jd, days);
    const int iy = static_cast<int>(t.year), im = static_cast<int>(t.month), id = static_cast<int>(t.day);
    Moment at = settings;
    at.year = t.year, at.month = t.month, at.day = t.day, at.hour = 12.0;
    ComputeDayReport(at, ephemeris, db, r);
    if ((kinds & kSixDay) && r.lunarDate)
      if (const std::string sign = Trim(data.Text(SixDaySignRow(r.lunarMonth, r.lunarDay), DataTable::kSixDay));
          !sign.empty())
        AddDay(events, "sixday", iy, im, id, sign);
    if (kinds & kObservances) {
      const SeasonalInputs inputs = SeasonalInputsOf(r, ephemeris);
      for (const std::vector<std::string>& list :
           {SelectedDays(r.solarMonth, r.branch, r.stem),
            SeasonalDays(inputs.sunDegree, inputs.daysSinceSpring, r.stem, r.branch, r.noon)})
        for (const std::string& item : list) AddDay(events, "observance", iy, im, id, Trim(item));
    }
    if ((kinds & kLunar) && r.lunarDate) AddDay(events, "lunar", iy, im, id, "旧暦 " + Trim(LunisolarDateText(*r.lunarDate)));
  }
  db.Close();
}

}  // namespace

std::string KindNames() {
  std::string names;
  for (const auto& k : kKindNames) names += (names.empty() ? "" : ",") + std::string(k.name);
  return names;
}

bool ParseKinds(const std::string& list, unsigned& kinds, std::string& bad) {
  kinds = 0;
  std::size_t at = 0;
  while (at <= list.size()) {
    std::size_t end = list.find(',', at);
    if (end == std::string::npos) end = list.size();
    const std::string item = list.substr(at, end - at);
    unsigned found = 0;
    for (const auto& k : kKindNames)
      if (item == k.name) found = k.kind;
    if (!found) {
      bad = item;
      return false;
    }
    kinds |= found;
    at = end + 1;
  }
  return true;
}

std::vector<Event> AlmanacEvents(int year, unsigned kinds, const std::string& databasePath, const Moment& settings,
                                 const Ephemeris& ephemeris) {
  std::vector<Event> events;
  if (kinds & kTerms) AddListedEvents(year, EventKind::SolarTerms, "term", settings, ephemeris, events);
  if (kinds & kPhases) AddListedEvents(year, EventKind::MoonPhases, "phase", settings, ephemeris, events);
  if (kinds & kEclipses) AddEclipses(year, settings, events);
  if (kinds & kHolidays)
    for (const holidays::Holiday& h : holidays::HolidaysOfYear(year, ephemeris))
      AddDay(events, "holiday", h.year, h.month, h.day, h.name);
  if (kinds & (kSixDay | kObservances | kLunar)) AddReportDays(year, kinds, databasePath, settings, ephemeris, events);
  return events;
}

bool WriteAlmanacCalendar(const std::string& path, int year, unsigned kinds, const std::string& databasePath,
                          const Moment& settings, const Ephemeris& ephemeris, std::string& error) {
  std::vector<Event> events;
  try {
    events = AlmanacEvents(year, kinds, databasePath, settings, ephemeris);
  } catch (const CDaoException& e) {
    error = DatabaseErrorText(databasePath, e);
    return false;
  }
  return WriteTextFileAtomically(path, WriteCalendar(events, std::time(nullptr)), false, error);
}

}  // namespace ical
