// ombrel-cli bodies DATE [HOUR] [--lon X] [--lat Y]: the astronomical data
// table of the data window for one date, hour and place.
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "astro/AstroTable.h"
#include "astro/MoonLight.h"
#include "astro/astro.h"
#include "astrodata/AstroRequest.h"
#include "cli/Command.h"
#include "cli/Json.h"
#include "core/Text.h"
#include "holidays/Holidays.h"

namespace cli {
namespace {

constexpr const char* kUsage = "usage: bodies DATE [HOUR] [--lon X] [--lat Y] (DATE as YYYY-MM-DD)";

// The twilights' dawn and dusk and the day's length, one line each.
void PrintDayLight(const DayLight& light) {
  const struct {
    const char* name;
    const SunCrossings& times;
  } twilights[] = {{"市民薄明", light.civil}, {"航海薄明", light.nautical}, {"天文薄明", light.astronomical}};
  for (const auto& t : twilights)
    Print(std::string(t.name) + " " + EventTimeText(t.times.up, "--:--:--") + " " +
          EventTimeText(t.times.down, "--:--:--"));
  Print("昼の長さ " + EventTimeText(light.length, "--:--:--"));
}

// The data window's headings over the columns, each right-aligned to its
// eight-byte field; the tides under the window's own heading.
void PrintTable(const AstroTable& table, const MoonLight& moon, const DateClock& on) {
  std::string heading = text::SjisFormat("%-4s", "");
  for (const char* column : AstroColumnNames) heading += text::SjisFormat(" %8s", column);
  Print(heading);
  for (int row = 0; row < kBodyCount; ++row) {
    const BodyPosition& b = table.bodies[kAstroTableRows[row]];
    const BodyTimes& times = table.times[kAstroTableRows[row]];
    std::string line = text::SjisFormat("%-4s", AstroTableRowNames[row]);
    for (const auto& t : {times.rise, times.transit, times.set}) line.append(" ").append(EventTimeText(t, "--:--:--"));
    for (double a : {b.longitude, b.latitude, b.rightAscension, b.declination, b.azimuth, b.altitude})
      line.append(" ").append(AstroAngleText(a));
    Print(line);
  }
  Print("東京湾潮汐");
  Print("満潮 " + TideTimeText(table.tides.high[0], on) + " " + TideTimeText(table.tides.high[1], on));
  Print("干潮 " + TideTimeText(table.tides.low[0], on) + " " + TideTimeText(table.tides.low[1], on));
  Print("月 " + MoonLightText(moon));
}

// "HH:MM:SS" of a time, null where there is none.
Json TimeJson(const std::optional<double>& hours) { return hours ? Json(AstroTimeText(*hours)) : Json(nullptr); }

// "HH:MM" of a tide's moment, null where there is none.
Json TideJson(const std::optional<JulianDay>& moment, const DateClock& on) {
  return moment ? Json(Trimmed(TideTimeText(moment, on))) : Json(nullptr);
}

// The same table as one document: per body its times (null where there is
// none) and its angles as the table prints them and as numbers; the tides'
// clock times (null where there is none).
Json TableJson(const AstroTable& table, const MoonLight& moon, const DateClock& on) {
  static const char* const kTimes[] = {"rise", "transit", "set"};
  static const char* const kAngles[] = {"longitude", "latitude", "right_ascension", "declination", "azimuth",
                                        "altitude"};
  Json bodies = Json::array();
  for (int row = 0; row < kBodyCount; ++row) {
    const BodyPosition& b = table.bodies[kAstroTableRows[row]];
    Json j = {{"name", Trimmed(AstroTableRowNames[row])}};
    const BodyTimes& t = table.times[kAstroTableRows[row]];
    const std::optional<double> times[] = {t.rise, t.transit, t.set};
    for (int i = 0; i < 3; ++i) j[kTimes[i]] = TimeJson(times[i]);
    const double angles[] = {b.longitude, b.latitude, b.rightAscension, b.declination, b.azimuth, b.altitude};
    for (int i = 0; i < 6; ++i) j[kAngles[i]] = {{"text", Trimmed(AstroAngleText(angles[i]))}, {"degrees", angles[i]}};
    if (kAstroTableRows[row] == BodyMoon) {
      j["illumination"] = moon.fraction;
      j["phase_angle"] = moon.phaseAngle;
    }
    bodies.push_back(j);
  }
  return {{"bodies", bodies},
          {"tides",
           {{"high", {TideJson(table.tides.high[0], on), TideJson(table.tides.high[1], on)}},
            {"low", {TideJson(table.tides.low[0], on), TideJson(table.tides.low[1], on)}}}}};
}

int RunBodies(const Run& run, const Args& args) {
  Options options;
  std::string error;
  if (!ParseOptions(args, {{"lon", true}, {"lat", true}}, options, error)) return UsageError(error);
  const auto& pos = options.positional;
  if (pos.empty() || pos.size() > 2) return UsageError(kUsage);
  int year = 0, month = 0, day = 0;
  if (int rc = ReadDateArgument(pos[0], year, month, day, run.settings.calendar); rc != kOk)
    return rc;
  double hour = 12.0;
  Place place = run.place ? run.place->place : Place{35.6, 139.7};
  if (pos.size() == 2 && !ParseDouble(pos[1], 0.0, 24.0, hour)) return ArgumentError("an hour 0-24", pos[1], args::Form::kDecimal);
  int status = kOk;
  if (!ReadPlaceOptions(options, place, status)) return status;
  const double longitude = place.longitude, latitude = place.latitude;
  Moment at = run.settings;
  at.year = year;
  at.month = month;
  at.day = day;
  at.hour = hour;
  at.place = {latitude, longitude};
  const Ephemeris& ephemeris = run.ephemeris;
  const AstroTable table = ComputeAstroTable(at, ephemeris);
  const MoonLight moon = MoonLightAt(ephemeris, MomentJulianDay(at), at.place);
  const DayLight light = DayLightOf(ephemeris, at);
  Json doc = {{"date", IsoDate(year, month, day)}, {"hour", hour}, {"longitude", longitude}, {"latitude", latitude}};
  doc.update(TableJson(table, moon, PlaceClock(at)));
  doc.update(DayLightJson(light));
  // The day's searches reach a day either side of the moment.
  const JulianDay jd = MomentJulianDay(at);
  ReportModelWarning(run, ReadingWarning(at), doc);
  AddDeltaT(doc, ephemeris, jd);
  ReportModelWarning(
      run, ModelWarning(ephemeris, {jd - 1.0, jd + 1.0, SeriesUse::kEarthAndPlanets, "the bodies' places and times"}),
      doc);
  if (!run.options.json) {
    PrintTable(table, moon, PlaceClock(at));
    PrintDayLight(light);
    return kOk;
  }
  PrintJson(doc);
  return kOk;
}

const CommandRegistration kBodies({"bodies", "bodies DATE [HOUR] [--lon X] [--lat Y]",
                                   "rise, transit and set times and places of the sun, moon and planets "
                                   "(HOUR on the clock of --lon, default 12, 139.7 E, 35.6 N), Tokyo Bay's tides",
                                   RunBodies, true});

}  // namespace
}  // namespace cli
