#include "cli/Json.h"

#include <cmath>
#include <cstdio>

#include "astro/astro.h"
#include "astro/ClockText.h"
#include "astro/EclipseDays.h"
#include "astro/precise/DeltaT.h"
#include "astro/precise/Validity.h"
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

namespace {

// x to `decimals` places, as the nearest double (so it prints that short).
double Rounded(double x, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::nearbyint(x * scale) / scale + 0.0;  // + 0.0: a rounded -0 is 0
}

Json OptionalTime(const std::optional<JulianDay>& ut, const DateClock& on) {
  return ut ? Json(ZonedTimeText(*ut, on)) : Json(nullptr);
}

std::optional<JulianDay> MomentOf(const std::optional<precise::SolarContact>& c) {
  return c ? std::optional<JulianDay>(c->moment) : std::nullopt;
}

}  // namespace

Json DeltaTJson(JulianDay ut) { return Rounded(precise::DeltaTAt(ut), 3); }

void AddDeltaT(Json& document, const Ephemeris& ephemeris, JulianDay ut) {
  if (const std::optional<double> seconds = ephemeris.DeltaT(ut)) document["delta_t"] = Rounded(*seconds, 3);
}

Json EclipseJson(const precise::LunarEclipse& e, const DateClock& on) {
  return {{"kind", eclipses::KindKey(e.kind)},
          {"peak", ZonedTimeText(e.greatest, on)},
          {"contacts",
           {{"P1", ZonedTimeText(e.penumbralBegin, on)},
            {"U1", OptionalTime(e.partialBegin, on)},
            {"U2", OptionalTime(e.totalBegin, on)},
            {"U3", OptionalTime(e.totalEnd, on)},
            {"U4", OptionalTime(e.partialEnd, on)},
            {"P4", ZonedTimeText(e.penumbralEnd, on)}}},
          {"umbral_magnitude", Rounded(e.umbralMagnitude, 4)},
          {"penumbral_magnitude", Rounded(e.penumbralMagnitude, 4)},
          {"visible", e.visible},
          {"delta_t", DeltaTJson(e.greatest)}};
}

Json EclipseJson(const precise::SolarEclipse& e, const DateClock& on) {
  return {{"kind", eclipses::KindKey(e.kind)},
          {"central_below_horizon", e.centralBelowHorizon ? Json(eclipses::KindKey(*e.centralBelowHorizon)) : Json(nullptr)},
          {"begin", ZonedTimeText(e.begin.moment, on)},
          {"total_begin", OptionalTime(MomentOf(e.centralBegin), on)},
          {"peak", ZonedTimeText(e.greatest.moment, on)},
          {"total_end", OptionalTime(MomentOf(e.centralEnd), on)},
          {"end", ZonedTimeText(e.end.moment, on)},
          {"magnitude", Rounded(e.magnitude, 4)},
          {"obscuration", Rounded(e.obscuration, 4)},
          {"sun_altitude",
           {{"begin", Rounded(e.begin.sunAltitude, 2)},
            {"peak", Rounded(e.greatest.sunAltitude, 2)},
            {"end", Rounded(e.end.sunAltitude, 2)}}},
          {"delta_t", DeltaTJson(e.greatest.moment)}};
}

SeriesSpan YearSeriesSpan(double year, const DateClock& on, SeriesUse use, const char* concerns) {
  return {DateToJulianDay(year, 1, 1, 0, on), DateToJulianDay(year + 1, 1, 1, 0, on), use, concerns};
}

namespace {

std::optional<std::string> SpanWarning(const std::vector<precise::SeriesWarning>& warnings, const SeriesSpan& span) {
  std::string text;
  for (const precise::SeriesWarning& w : warnings) {
    if (w.series == precise::Series::Planets && span.use != SeriesUse::kEarthAndPlanets) continue;
    text += (text.empty() ? "" : ". ") + w.text;
    if (w.series == precise::Series::Earth) text += std::string("; ") + span.concerns + " are extrapolated";
  }
  return text.empty() ? std::nullopt : std::optional<std::string>(text);
}

}  // namespace

std::optional<std::string> ModelWarning(const Ephemeris& ephemeris, const SeriesSpan& span) {
  return SpanWarning(ephemeris.SeriesWarnings(span.from, span.to), span);
}

std::optional<std::string> EclipseWarning(const SeriesSpan& span) {
  return SpanWarning(precise::ModelWarnings(span.from, span.to), span);
}

std::optional<std::string> ReadingWarning(const Moment& at) {
  return ClockReadingNote(at.year, at.month, at.day, at.hour, PlaceClock(at));
}

void ReportModelWarning(const Run& run, const std::optional<std::string>& warning, Json& document) {
  if (!warning) return;
  if (!run.options.json)
    Warn({*warning});
  else if (document.contains("warning"))
    document["warning"] = document["warning"].get<std::string>() + ". " + *warning;
  else
    document["warning"] = *warning;
}

Json YearEvents(const Run& run, long long year, const char* key, EventKind kind) {
  const char* concerns = kind == EventKind::SolarTerms ? "the solar terms' moments" : "the moon phases' moments";
  const DateClock lists = ListClock(run.settings);
  const std::vector<CalendarEvent> events =
      EventsOfYear(run.ephemeris, kind, static_cast<double>(year), lists);
  Json items = Json::array();
  for (const CalendarEvent& e : events) {
    if (run.options.json) {
      Json item = EventJson(e, lists);
      AddDeltaT(item, run.ephemeris, e.julianDay);
      items.push_back(item);
    } else
      Print(EventListItem(e.name, e.julianDay, lists));
  }
  Json document = {{"year", year}, {key, items}};
  ReportModelWarning(
      run, ModelWarning(run.ephemeris, YearSeriesSpan(static_cast<double>(year), lists, SeriesUse::kEarth, concerns)),
      document);
  return document;
}

int RunYearEvents(const Run& run, const Args& args, const char* command, EventKind kind) {
  if (args.size() != 1) return UsageError(std::string("usage: ") + command + " YEAR|FROM..TO");
  YearSpan years;
  int status = kOk;
  if (!ReadYears(args[0], kFirstListYear, kLastListYear, years, status)) return status;
  PrintYears(run, years, [&](long long year) { return YearEvents(run, year, command, kind); });
  return kOk;
}

Json DayLightJson(const DayLight& light) {
  auto time = [](const std::optional<double>& hours) { return hours ? Json(AstroTimeText(*hours)) : Json(nullptr); };
  auto twilight = [&](const SunCrossings& c) { return Json{{"dawn", time(c.up)}, {"dusk", time(c.down)}}; };
  return {{"twilight",
           {{"civil", twilight(light.civil)},
            {"nautical", twilight(light.nautical)},
            {"astronomical", twilight(light.astronomical)}}},
          {"day_length", time(light.length)}};
}

}  // namespace cli
