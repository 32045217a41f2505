// ombrel-cli day [YYYY-MM-DD [HOUR]] [--lon X] [--lat Y]: the main form's day panel and its four
// lists for a moment, one "label<TAB>text" line each, as the window shows them.
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "astro/EclipseDays.h"
#include "astro/astro.h"
#include "caldb/Dao.h"
#include "cli/Command.h"
#include "cli/Json.h"
#include "core/Text.h"
#include "signs/Signs.h"
#include "sky/Readout.h"
#include "almanac/DayPanel.h"
#include "almanac/ModelSpan.h"
#include "almanac/Settings.h"

namespace cli {
namespace {

// The present instant on the run's clock at its place.
Moment Now(const Moment& settings) {
  Moment m = settings;
  const LocalTime t = JulianDayToDate(CurrentJulianDay(), PlaceClock(settings));
  m.year = t.year, m.month = t.month, m.day = t.day, m.hour = t.hour;
  return m;
}

Json Texts(const std::vector<std::string>& items) {
  Json list = Json::array();
  for (const std::string& item : items) list.push_back(Trimmed(item));
  return list;
}

Json EventItems(const std::vector<CalendarEvent>& events, const DateClock& lists) {
  Json list = Json::array();
  for (const CalendarEvent& e : events) list.push_back(EventJson(e, lists));
  return list;
}

// A field's text with its number: {"text": "258.1度", key: 258.1}; null where
// the field shows none.
Json WithNumber(const std::string& text, const char* key, const std::optional<double>& value) {
  return {{"text", Trimmed(text)}, {key, value ? Json(*value) : Json(nullptr)}};
}

// The day's eclipses behind the 暦注 list's eclipse items: each its item's
// text, "lunar" or "solar", and the eclipse as `eclipses` documents it.
Json EclipseItems(const DayPanel& p) {
  const DateClock on = PlaceClock(p.m_at);
  Json list = Json::array();
  auto add = [&](const auto& e, const char* type) {
    Json item = {{"text", Trimmed(eclipses::ListItem(e, on))}, {"type", type}};
    item.update(EclipseJson(e, on));
    list.push_back(item);
  };
  for (const precise::LunarEclipse& e : p.m_eclipses.lunar) add(e, "lunar");
  for (const precise::SolarEclipse& e : p.m_eclipses.solar) add(e, "solar");
  return list;
}

// The solar term the field names, with its index into SolarTermNames and the
// whole days since its day (0 on it); null where the field is empty.
Json TermJson(const std::optional<TermInForce>& term) {
  if (!term) return nullptr;
  return {{"name", SolarTermNames[term->term]}, {"index", term->term}, {"days", term->days}};
}

// The panel as one document; every text as the lines print it, trimmed of
// its padding, beside it the report's numbers and the day's light.
Json DayJson(const Moment& at, const DayPanel& p, const std::vector<std::string>& readout, const DayLight& light,
             bool withEclipses) {
  const DayReport& r = p.m_report;
  Json document = {
      {"date", IsoDate(at.year, at.month, at.day)},
      {"hour", at.hour},
      {"weekday", Trimmed(p.m_strWeekday)},
      {"six_day", Trimmed(p.m_strSixDaySign)},
      {"lunar", LunarJson(p.m_strLunarDate, r.lunarMonth, r.lunarDay, r.leapMonth)},
      {"era", Trimmed(p.m_strEra)},
      {"imperial_year", {{"text", Trimmed(p.m_strImperialYear)}, {"year", ImperialYear(at.year)}}},
      {"month_name", Trimmed(p.m_strMonthName)},
      {"sexagenary", Trimmed(p.m_strSexagenary)},
      {"solar_term", Trimmed(p.m_strSolarTerm)},
      {"term_in_force", TermJson(r.term)},
      {"solar_longitude", WithNumber(p.m_strSolarLongitude, "degrees", r.solarLongitude)},
      {"pentad", {{"name", Trimmed(p.m_strPentadName)}, {"text", Trimmed(p.m_strPentadText)}}},
      {"moon_age", WithNumber(p.m_strMoonAge, "days", r.moonAge)},
      {"nine_star", Trimmed(p.m_strNineStar)},
      {"mansion", Trimmed(p.m_strMansion)},
      {"sound_sign", Trimmed(p.m_strSoundSign)},
      {"twelve_day_sign", Trimmed(p.m_strTwelveDaySign)},
      {"selected_days", Texts(p.m_listSelectedDays)},
      {"seasonal_days", Texts(p.m_listSeasonalDays)},
      {"moon_phases", EventItems(p.m_phaseEvents, ListClock(at))},
      {"solar_terms", EventItems(p.m_termEvents, ListClock(at))},
      {"readout", Texts(readout)},
  };
  if (withEclipses) document["eclipses"] = EclipseItems(p);
  document.update(DayLightJson(light));
  return document;
}

// What the day's answer took from the series (ModelSpan.h): the model's
// over the year's lists and the day in them, and with the eclipses shown the
// earth's over the days their search looked at. Those days lie in the first
// span, so one sentence says all where the model warns.
std::optional<std::string> DayWarning(const Moment& at, const Ephemeris& ephemeris, bool withEclipses) {
  const char* concerns = withEclipses ? "the sun's place, the terms, the phases, the sun's rise and set and the eclipses"
                                      : "the sun's place, the terms, the phases and the sun's rise and set";
  const DaySpan answer = DayAnswerSpan(at), days = DayEclipseSpan(at);
  if (std::optional<std::string> warning = ModelWarning(ephemeris, {answer.from, answer.to, SeriesUse::kEarth, concerns}))
    return warning;
  if (!withEclipses) return std::nullopt;
  return EclipseWarning({days.from, days.to, SeriesUse::kEarth, "the day's eclipses"});
}

void PrintLabelled(const char* label, const std::vector<std::string>& items) {
  for (const std::string& item : items) Print(std::string(label) + "\t" + text::EscapeControls(item));
}

int RunDay(const Run& run, const Args& args) {
  Options options;
  std::string error;
  if (!ParseOptions(args, {{"lon", true}, {"lat", true}}, options, error)) return UsageError(error);
  const Args& pos = options.positional;
  if (pos.size() > 2) return UsageError("usage: day [YYYY-MM-DD [HOUR]] [--lon X] [--lat Y]");
  Moment settings = run.settings;
  int status = kOk;
  if (!ReadPlaceOptions(options, settings.place, status)) return status;
  Moment at = Now(settings);
  if (!pos.empty()) {
    int y = 0, m = 0, d = 0;
    if (!ParseDate(pos[0], y, m, d)) return ArgumentError("a date", pos[0], args::Form::kDate);
    at.year = y, at.month = m, at.day = d, at.hour = 12.0;
    // Whether the day exists depends on the calendar the settings choose.
    if (int rc = CheckDateExists(pos[0], y, m, d, at.calendar); rc != kOk) return rc;
  }
  if (pos.size() == 2 && !ParseDouble(pos[1], 0.0, 24.0, at.hour))
    return ArgumentError("an hour from 0 to 24", pos[1], args::Form::kDecimal);
  Warn(run.settingsWarnings);

  const Ephemeris& ephemeris = run.ephemeris;
  DayPanel panel;
  // The year lists read the year from the form's text.
  WriteFormDate(panel, at.year, at.month, at.day, at.hour);
  try {
    FillDayPanel(panel, at, ephemeris, kCalendarDatabase);
  } catch (const CDaoException& e) {
    return DatabaseFailure(e);
  }
  FillSelectedDays(panel);
  const DayAdditions& additions = run.additions;
  FillSeasonalDays(panel, ephemeris, "kinenbi.dat", additions);
  if (!panel.m_strAnniversaryWarning.empty()) Warn({panel.m_strAnniversaryWarning});
  FillPhaseList(panel, ephemeris);
  FillTermList(panel, ephemeris);

  // After the lists: the sky panel's readout (rise and set times, tides).
  std::vector<std::string> readout =
      ReadoutLines(at, ephemeris, SettingsNumber(run.record.m_strAzimuth.empty() ? SettingsDefault(3) : run.record.m_strAzimuth));
  if (const std::optional<ReadoutText> eclipse = additions.eclipses ? EclipseReadout(at) : std::nullopt)
    readout.push_back(eclipse->text);
  if (additions.moonLight) readout.push_back(MoonLightReadout(at, ephemeris).text);
  Json document = DayJson(at, panel, readout, DayLightOf(ephemeris, at), additions.eclipses);
  AddDeltaT(document, ephemeris, MomentJulianDay(at));
  if (!args.empty()) ReportModelWarning(run, ReadingWarning(at), document);
  ReportModelWarning(run, DayWarning(at, ephemeris, additions.eclipses), document);
  if (run.options.json) {
    PrintJson(document);
    return kOk;
  }
  // Texts from the database and kinenbi.dat may hold control characters.
  for (const auto& [label, value] : DayPanelFields(panel)) Print(label + "\t" + text::EscapeControls(value));
  PrintLabelled("下段", panel.m_listSelectedDays);
  PrintLabelled("暦注", panel.m_listSeasonalDays);
  PrintLabelled("月のこよみ", panel.m_listPhases);
  PrintLabelled("二十四節季", panel.m_listTerms);
  for (const std::string& line : readout) Print(line);
  return kOk;
}

const CommandRegistration kDay({"day", "day [YYYY-MM-DD [HOUR]] [--lon X] [--lat Y]",
                                "the main window's day panel, its four lists and the sky readout for a moment (default now; "
                                "hour 12 with a date), one label<TAB>text line each; the place (unless --lon, --lat "
                                "or --place say) and calendar come from ombrel.dat, anniversaries from kinenbi.dat (and the national holiday "
                                "first when ombrel.conf has holidays=1, the day's eclipses and the eclipse in "
                                "progress when it has eclipses=1)",
                                RunDay, true, true});

}  // namespace
}  // namespace cli
