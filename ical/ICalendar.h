// Writing RFC 5545 calendars: text escaping, line folding and the calendar
// around a list of events. Only what the almanac's export needs.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace ical {

struct Event {
  std::string uid;
  std::string summary;  // UTF-8, unescaped
  bool allDay = true;
  int year = 0, month = 0, day = 0;  // all-day events: the date
  std::time_t moment = 0;            // timed events: the instant (UTC)
  std::optional<std::time_t> end;    // timed events lasting a while: their end (UTC)
  std::string description;           // UTF-8, unescaped; none when empty
};

// TEXT value escaping: backslash, semicolon, comma and newline.
std::string EscapeText(const std::string& text);

// One content line, folded at 75 octets (never inside a UTF-8 character),
// each physical line ending in CRLF.
std::string FoldLine(const std::string& line);

// "YYYYMMDDTHHMMSSZ" of an instant.
std::string UtcStamp(std::time_t moment);

// A stable UID from what an event is: its kind, its date and its name.
std::string MakeUid(const std::string& kind, int year, int month, int day, const std::string& name);

// The whole calendar: VERSION, PRODID, and per event UID, DTSTAMP (`stamp`),
// DTSTART (a DATE with DTEND the next day, or a UTC DATE-TIME with a UTC
// DTEND where the event has an end), SUMMARY and DESCRIPTION where it has one.
std::string WriteCalendar(const std::vector<Event>& events, std::time_t stamp);

}  // namespace ical
