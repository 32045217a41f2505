#include "ical/ICalendar.h"

#include "core/Text.h"

#include <cstdint>
#include <cstdio>

namespace ical {
namespace {

constexpr std::size_t kMaxOctets = 75;

bool IsContinuationByte(unsigned char c) { return (c & 0xC0) == 0x80; }

std::string DateValue(int year, int month, int day) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
  return text;
}

// The day after a date, by the Gregorian calendar, through the C library.
void NextDay(int& year, int& month, int& day) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day + 1;
  t.tm_hour = 12;
  const std::time_t next = timegm(&t);
  gmtime_r(&next, &t);
  year = t.tm_year + 1900;
  month = t.tm_mon + 1;
  day = t.tm_mday;
}

}  // namespace

std::string EscapeText(const std::string& text) {
  // Line breaks are the format's \n (a CR before one is dropped); the other
  // control characters, which a TEXT value may not hold, are written as \xNN
  // like the command line's text, and bytes that are not UTF-8 become U+FFFD.
  std::string plain;
  for (char c : text::ReplaceInvalidUtf8(text))
    if (c != '\r') plain += c;
  std::string out;
  std::size_t at = 0;
  while (at <= plain.size()) {
    std::size_t end = plain.find('\n', at);
    if (end == std::string::npos) end = plain.size();
    if (at > 0) out += "\\n";
    for (char c : text::EscapeControls(std::string_view(plain).substr(at, end - at))) {
      if (c == '\\' || c == ';' || c == ',') out += '\\';
      out += c;
    }
    at = end + 1;
  }
  return out;
}

std::string FoldLine(const std::string& line) {
  std::string out;
  std::size_t at = 0;
  std::size_t room = kMaxOctets;  // the continuation's leading blank counts
  while (line.size() - at > room) {
    std::size_t cut = at + room;
    while (cut > at && IsContinuationByte(static_cast<unsigned char>(line[cut]))) --cut;
    out.append(line, at, cut - at).append("\r\n ");
    at = cut;
    room = kMaxOctets - 1;
  }
  return out.append(line, at, std::string::npos).append("\r\n");
}

std::string UtcStamp(std::time_t moment) {
  std::tm t{};
  gmtime_r(&moment, &t);
  char text[64];
  std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02dZ", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec);
  return text;
}

std::string MakeUid(const std::string& kind, int year, int month, int day, const std::string& name) {
  // FNV-1a keeps the UID ASCII whatever the name is.
  std::uint32_t hash = 2166136261u;
  for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
  char tail[32];
  std::snprintf(tail, sizeof tail, "-%08x@ombrel", hash);
  return DateValue(year, month, day) + "-" + kind + tail;
}

std::string WriteCalendar(const std::vector<Event>& events, std::time_t stamp) {
  std::string out;
  auto line = [&out](const std::string& text) { out += FoldLine(text); };
  line("BEGIN:VCALENDAR");
  line("VERSION:2.0");
  line("PRODID:-//Ombrel//Ombrel " OMBREL_VERSION "//JA");
  line("CALSCALE:GREGORIAN");
  const std::string dtstamp = UtcStamp(stamp);
  for (const Event& e : events) {
    line("BEGIN:VEVENT");
    line("UID:" + e.uid);
    line("DTSTAMP:" + dtstamp);
    if (e.allDay) {
      int y = e.year, m = e.month, d = e.day;
      line("DTSTART;VALUE=DATE:" + DateValue(y, m, d));
      NextDay(y, m, d);
      line("DTEND;VALUE=DATE:" + DateValue(y, m, d));
    } else {
      line("DTSTART:" + UtcStamp(e.moment));
      if (e.end) line("DTEND:" + UtcStamp(*e.end));
    }
    line("SUMMARY:" + EscapeText(e.summary));
    if (!e.description.empty()) line("DESCRIPTION:" + EscapeText(e.description));
    line("TRANSP:TRANSPARENT");
    line("END:VEVENT");
  }
  line("END:VCALENDAR");
  return out;
}

}  // namespace ical
