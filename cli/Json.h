// The commands' JSON output (--json): one document per run, field order as
// documented, UTF-8 text as it is (no \u escapes).
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "cli/Command.h"

namespace cli {

using Json = nlohmann::ordered_json;

// Prints the document, indented, as one output.
void PrintJson(const Json& document);

// A printed text without its layout: the ASCII blanks and full-width spaces
// that pad it at either end.
std::string Trimmed(const std::string& text);

// The lunisolar date's text as the day panel writes it (LunisolarDateText),
// with its parts: {"text": "閏11月1日", "month": 11, "day": 1, "leap": true}.
Json LunarJson(const std::string& text, double lunarMonth, double lunarDay, bool leap);

// An event of a year's list with its list item's text: {"text", "name",
// "month", "day", "time", "date"}, the date and time on `lists`.
Json EventJson(const CalendarEvent& event, const DateClock& lists);

// Prints a year's events of a kind (that year's only, on the run's list
// clock) as list items, one a line, or with --json as {"year": Y, key:
// [{"text", "name", "month", "day", "time", "date"}]}, built from the
// events' own numbers.
void PrintEvents(const Run& run, long long year, const char* key, EventKind kind);

// "YYYY-MM-DD" of a date: astronomical years with a sign when negative and at
// least four digits.
std::string IsoDate(double year, double month, double day);

}  // namespace cli
