#include "cli/Json.h"

#include <cstdio>

#include "astro/astro.h"
#include "astro/ClockText.h"
#include "cli/Command.h"
#include "core/Text.h"
#include "holidays/Holidays.h"

namespace cli {

void PrintJson(const Json& document) {
  // Invalid UTF-8 (a hand-edited anniversaries file) is replaced, not thrown.
  Print(document.dump(2, ' ', false, Json::error_handler_t::replace));
}

std::string Trimmed(const std::string& text) { return text::TrimPadding(text); }

Json LunarJson(const std::string& text, double lunarMonth, double lunarDay, bool leap) {
  return {{"text", Trimmed(text)},
          {"month", static_cast<int>(lunarMonth)},
          {"day", static_cast<int>(lunarDay)},
          {"leap", leap}};
}

Json EventJson(const CalendarEvent& event, const DateClock& lists) {
  const ClockMoment t = MomentToSecond(event.julianDay, lists);
  return {{"text", Trimmed(EventListItem(event.name, event.julianDay, lists))},
          {"name", event.name},
          {"month", static_cast<int>(t.month)},
          {"day", static_cast<int>(t.day)},
          {"time", ClockText(t.time)},
          {"date", IsoDate(t.year, t.month, t.day)}};
}

std::string IsoDate(double year, double month, double day) {
  char text[48];
  std::snprintf(text, sizeof text, "%s%04lld-%02d-%02d", year < 0 ? "-" : "", std::llabs(static_cast<long long>(year)),
                static_cast<int>(month), static_cast<int>(day));
  return text;
}

void PrintEvents(const Run& run, long long year, const char* key, EventKind kind) {
  const DateClock lists = ListClock(run.settings);
  const std::vector<CalendarEvent> events = YearEventTable(EphemerisOf(run.settings.model), kind,
                                                           static_cast<double>(year), LastDayOfYear(year, lists), lists);
  Json items = Json::array();
  for (const CalendarEvent& e : events) {
    if (run.options.json)
      items.push_back(EventJson(e, lists));
    else
      Print(EventListItem(e.name, e.julianDay, lists));
  }
  if (run.options.json) PrintJson({{"year", year}, {key, items}});
}

}  // namespace cli
