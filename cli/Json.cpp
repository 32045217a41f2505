#include "cli/Json.h"

#include <cstdio>

#include "astro/astro.h"
#include "cli/Command.h"
#include "core/Text.h"
#include "holidays/Holidays.h"

namespace cli {

void PrintJson(const Json& document) {
  // Invalid UTF-8 (a hand-edited anniversaries file) is replaced, not thrown.
  Print(document.dump(2, ' ', false, Json::error_handler_t::replace));
}

std::string Trimmed(const std::string& text) { return text::TrimPadding(text); }

Json LunarJson(const std::string& text, double lunarMonth, double lunarDay) {
  const std::string shown = Trimmed(text);
  return {{"text", shown},
          {"month", static_cast<int>(lunarMonth)},
          {"day", static_cast<int>(lunarDay)},
          {"leap", shown.rfind("閏", 0) == 0}};
}

Json EventItemJson(const std::string& item) {
  Json j = {{"text", Trimmed(item)}};
  // "%5s %2.0f/%2.0f %02.0f:%02.0f:%02.0f": the name, then the date and time.
  const std::string text = Trimmed(item);
  const std::size_t blank = text.find(' ');
  int month = 0, day = 0, h = 0, m = 0, s = 0;
  if (blank == std::string::npos ||
      std::sscanf(text.c_str() + blank, " %d/ %d %d:%d:%d", &month, &day, &h, &m, &s) != 5)
    return j;
  char time[16];
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", h, m, s);
  j["name"] = text.substr(0, blank);
  j["month"] = month;
  j["day"] = day;
  j["time"] = time;
  return j;
}

void PrintEvents(long long year, const char* key, int count, const char* (*name)(double angle)) {
  Json items = Json::array();
  for (int i = 0; i < count; ++i) {
    const std::string item = EventListItem(name(EventAngles[i]), EventJulianDays[i]);
    if (!Globals().json) {
      Print(item);
      continue;
    }
    double y = 0, m = 0, d = 0, h = 0;
    JulianDayToDate(EventJulianDays[i], y, m, d, h, kJstLongitude);
    Json j = EventItemJson(item);
    j["date"] = holidays::IsoDate(static_cast<int>(y), static_cast<int>(m), static_cast<int>(d));
    items.push_back(j);
  }
  if (Globals().json) PrintJson({{"year", year}, {key, items}});
}

}  // namespace cli
