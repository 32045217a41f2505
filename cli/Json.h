// The commands' JSON output (--json): one document per run, field order as
// documented, UTF-8 text as it is (no \u escapes).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "astro/DayLight.h"
#include "astro/precise/Eclipses.h"
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
// ΔT (seconds, to the millisecond) that the precise model used at a moment.
Json DeltaTJson(JulianDay ut);
// The document's "delta_t": the ΔT the model took at a moment, where it names
// one (Ephemeris::DeltaT), to the millisecond.
void AddDeltaT(Json& document, const Ephemeris& ephemeris, JulianDay ut);

// Prints a year's events of a kind (that year's only, on the run's list
// clock) as list items, one a line, and returns them as the --json document
// {"year": Y, key: [{"text", "name", "month", "day", "time", "date"}]},
// built from the events' own numbers.
// The answer carries the model's warning for the year (ModelWarning).
Json YearEvents(const Run& run, long long year, const char* key, EventKind kind);
// `terms` and `phases`: "COMMAND YEAR|FROM..TO", years kFirstListYear to
// kLastListYear, each year's events as YearEvents gives them.
int RunYearEvents(const Run& run, const Args& args, const char* command, EventKind kind);

// Each year's document in turn (the text lines printed on the way), then
// with --json one document: the year's own, or for a range
// {"from": F, "to": T, "years": [each year's]}.
void PrintYears(const Run& run, const YearSpan& years, const std::function<Json(long long)>& yearDocument);

// An eclipse as `eclipses` documents it (docs/JSON.md), its times on `on`:
// {"kind", "peak", "contacts", "umbral_magnitude", "penumbral_magnitude",
// "visible"} of a lunar one, {"kind", "begin", "total_begin", "peak",
// "total_end", "end", "magnitude", "obscuration", "sun_altitude"} of a solar one.
Json EclipseJson(const precise::LunarEclipse& e, const DateClock& on);
Json EclipseJson(const precise::SolarEclipse& e, const DateClock& on);

// What an answer took from a model's series over [from, to] (Universal
// Time): the earth's (the sun, the terms, the phases, the eclipses) or the
// planets' as well.
enum class SeriesUse { kEarth, kEarthAndPlanets };
struct SeriesSpan {
  JulianDay from;
  JulianDay to;
  SeriesUse use;
  const char* concerns;  // what of the answer rests on the earth's series ("the eclipses' moments")
};
// The year on the clock `on`, from its first to its last instant.
SeriesSpan YearSeriesSpan(double year, const DateClock& on, SeriesUse use, const char* concerns);
// The sentences of the model's series warnings (Ephemeris::SeriesWarnings)
// for the series the span used, the earth's with what rests on it, joined by
// ". "; none when each stayed in its validated span, and in the design's
// model.
std::optional<std::string> ModelWarning(const Ephemeris& ephemeris, const SeriesSpan& span);
// The same sentences for the eclipses, which rest on the precise model's
// earth series in either model.
std::optional<std::string> EclipseWarning(const SeriesSpan& span);
// The typed moment's hour where its clock skipped it or shows it twice
// (ClockReadingNote); none for an hour the clock shows once.
std::optional<std::string> ReadingWarning(const Moment& at);
// Passes a warning on: as the document's key "warning" with --json (joined
// to one already there by ". "), else as one "ombrel-cli: warning: ..." line
// on stderr.
void ReportModelWarning(const Run& run, const std::optional<std::string>& warning, Json& document);

// The day's light as `bodies` and `day` give it: {"twilight": {"civil":
// {"dawn", "dusk"}, "nautical": …, "astronomical": …}, "day_length"}, each
// "HH:MM:SS" or null.
Json DayLightJson(const DayLight& light);

// "YYYY-MM-DD" of a date: astronomical years with a sign when negative and at
// least four digits.
std::string IsoDate(double year, double month, double day);

}  // namespace cli
