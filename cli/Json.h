// The commands' JSON output (--json): one document per run, field order as
// documented, UTF-8 text as it is (no \u escapes).
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace cli {

using Json = nlohmann::ordered_json;

// Prints the document, indented, as one output.
void PrintJson(const Json& document);

// A printed text without its layout: the ASCII blanks and full-width spaces
// that pad it at either end.
std::string Trimmed(const std::string& text);

// The lunisolar date's text as the day panel writes it (LunisolarDateText),
// with its parts: {"text": "閏11月1日", "month": 11, "day": 1, "leap": true}.
Json LunarJson(const std::string& text, double lunarMonth, double lunarDay);

// An event list item (" 春分  3/20 16:25:05") with its parts: name, month,
// day and the clock time in Japan Standard Time.
Json EventItemJson(const std::string& item);

// Prints a year's events as list items, one a line, or with --json as
// {"year": Y, key: [item with its parts and its "date" YYYY-MM-DD]}. The
// items come from the event arrays the last list operation filled.
void PrintEvents(long long year, const char* key, int count, const char* (*name)(double angle));

}  // namespace cli
