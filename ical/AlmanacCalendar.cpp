#include "ical/AlmanacCalendar.h"

#include <cmath>
#include <ctime>

#include "astro/Model.h"
#include "astro/astro.h"
#include "caldb/Dao.h"
#include "core/Files.h"
#include "core/Text.h"
#include "holidays/Holidays.h"
#include "almanac/DayPanel.h"

namespace ical {
namespace {

const struct {
  const char* name;
  Kind kind;
} kKindNames[] = {{"terms", kTerms},     {"phases", kPhases},           {"holidays", kHolidays},
                  {"sixday", kSixDay},   {"observances", kObservances}, {"lunar", kLunar}};

// The event list's moment as an instant, to the second.
std::time_t Instant(double julianDay) { return static_cast<std::time_t>(std::llround((julianDay - 2440587.5) * 86400.0)); }

// The events of the last list operation that fall in `year` (Japan time):
// the lists run from 1 January for 366 days, so may end in the next year.
void AddListedEvents(int year, int count, const char* kind, const char* (*name)(double angle),
                     std::vector<Event>& events) {
  for (int i = 0; i < count; ++i) {
    double y = 0, m = 0, d = 0, h = 0;
    JulianDayToDate(EventJulianDays[i], y, m, d, h, kJstLongitude);
    if (static_cast<int>(y) != year) continue;
    Event e;
    e.summary = name(EventAngles[i]);
    e.uid = MakeUid(kind, year, static_cast<int>(m), static_cast<int>(d), e.summary);
    e.allDay = false;
    e.moment = Instant(EventJulianDays[i]);
    events.push_back(e);
  }
}

void AddDay(std::vector<Event>& events, const char* kind, int y, int m, int d, const std::string& summary) {
  Event e;
  e.summary = summary;
  e.uid = MakeUid(kind, y, m, d, summary);
  e.year = y, e.month = m, e.day = d;
  events.push_back(e);
}

// Without its padding (the panel's texts are laid out for the form).
std::string Trim(const std::string& text) { return text::TrimPadding(text); }

// The lunisolar date without the full-width blank that stands for "no leap".
std::string LunarSummary(const std::string& panelText) {
  const std::string text = Trim(panelText);
  return text.empty() ? "" : "旧暦 " + text;
}

// The events the day panel gives for each day of the year.
void AddPanelDays(int year, unsigned kinds, const std::string& databasePath, std::vector<Event>& events) {
  const double first = DateToJulianDay(year, 1, 1, 12.0, kJstLongitude);
  const double next = DateToJulianDay(year + 1, 1, 1, 12.0, kJstLongitude);
  for (double jd = first; jd < next; jd += 1.0) {
    double y = 0, m = 0, d = 0, h = 0;
    JulianDayToDate(jd, y, m, d, h, kJstLongitude);
    const int iy = static_cast<int>(y), im = static_cast<int>(m), id = static_cast<int>(d);
    DayPanel panel;
    WriteFormDate(panel, y, m, d, 12.0);
    FillDayPanel(panel, databasePath);
    if ((kinds & kSixDay) && !Trim(panel.m_strSixDaySign).empty())
      AddDay(events, "sixday", iy, im, id, Trim(panel.m_strSixDaySign));
    if (kinds & kObservances) {
      FillSelectedDays(panel);
      FillSeasonalDays(panel, "");  // no anniversaries: they are the user's own
      for (const auto* list : {&panel.m_listSelectedDays, &panel.m_listSeasonalDays})
        for (const std::string& item : *list) AddDay(events, "observance", iy, im, id, Trim(item));
    }
    if (const std::string lunar = LunarSummary(panel.m_strLunarDate); (kinds & kLunar) && !lunar.empty())
      AddDay(events, "lunar", iy, im, id, lunar);
  }
}

}  // namespace

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

std::vector<Event> AlmanacEvents(int year, unsigned kinds, const std::string& databasePath, AstroModel model) {
  std::vector<Event> events;
  const double january = DateToJulianDay(year, 1, 1, 12.0, kJstLongitude);
  if (kinds & kTerms)
    AddListedEvents(year, ListSolarTerms(model, january, 366.0), "term",
                    [](double angle) { return SolarTermName(static_cast<int>((angle + 0.5) / 15.0)); }, events);
  if (kinds & kPhases)
    AddListedEvents(year, ListMoonPhases(model, january, 366.0), "phase",
                    [](double angle) { return MoonPhaseName(static_cast<int>(angle / 90.0)); }, events);
  if (kinds & kHolidays)
    for (const holidays::Holiday& h : holidays::HolidaysOfYear(year)) AddDay(events, "holiday", h.year, h.month, h.day, h.name);
  if (kinds & (kSixDay | kObservances | kLunar)) AddPanelDays(year, kinds, databasePath, events);
  return events;
}

bool WriteAlmanacCalendar(const std::string& path, int year, unsigned kinds, const std::string& databasePath,
                          std::string& error, AstroModel model) {
  std::vector<Event> events;
  try {
    events = AlmanacEvents(year, kinds, databasePath, model);
  } catch (const CDaoException& e) {
    error = std::string("calendar database: ") + e.what();
    return false;
  }
  return WriteTextFileAtomically(path, WriteCalendar(events, std::time(nullptr)), false, error);
}

}  // namespace ical
