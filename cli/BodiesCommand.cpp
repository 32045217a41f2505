// ombrel-cli bodies DATE [HOUR] [--lon X] [--lat Y]: the astronomical data
// table of the data window for one date, hour and place.
#include <cstdlib>
#include <string>

#include "astro/AstroTable.h"
#include "astro/astro.h"
#include "astrodata/AstroRequest.h"
#include "cli/Command.h"
#include "cli/Json.h"
#include "core/Text.h"
#include "holidays/Holidays.h"

namespace cli {
namespace {

constexpr const char* kUsage = "usage: bodies DATE [HOUR] [--lon X] [--lat Y] (DATE as YYYY-MM-DD)";

// The data window's headings over the columns, each right-aligned to its
// eight-byte field; the tides under the window's own heading.
void PrintTable(const AstroTable& table) {
  std::string heading = text::SjisFormat("%-4s", "");
  for (const char* column : AstroColumnNames) heading += text::SjisFormat(" %8s", column);
  Print(heading);
  for (int row = 0; row < kBodyCount; ++row) {
    const BodyPosition& b = table.bodies[kAstroTableRows[row]];
    std::string line = text::SjisFormat("%-4s", AstroTableRowNames[row]);
    for (double t : {b.riseTime, b.transitTime, b.setTime}) line.append(" ").append(AstroTimeText(t));
    for (double a : {b.longitude, b.latitude, b.rightAscension, b.declination, b.azimuth, b.altitude})
      line.append(" ").append(AstroAngleText(a));
    Print(line);
  }
  Print("東京湾潮汐");
  Print("満潮 " + table.tideTexts[0] + " " + table.tideTexts[1]);
  Print("干潮 " + table.tideTexts[2] + " " + table.tideTexts[3]);
}

// The same table as one document: per body its times and angles as the
// table prints them ("--:--:--" where there is none), the angles also as
// numbers; the tides as their texts.
Json TableJson(const AstroTable& table) {
  static const char* const kTimes[] = {"rise", "transit", "set"};
  static const char* const kAngles[] = {"longitude", "latitude", "right_ascension", "declination", "azimuth",
                                        "altitude"};
  Json bodies = Json::array();
  for (int row = 0; row < kBodyCount; ++row) {
    const BodyPosition& b = table.bodies[kAstroTableRows[row]];
    Json j = {{"name", Trimmed(AstroTableRowNames[row])}};
    const double times[] = {b.riseTime, b.transitTime, b.setTime};
    for (int i = 0; i < 3; ++i) j[kTimes[i]] = Trimmed(AstroTimeText(times[i]));
    const double angles[] = {b.longitude, b.latitude, b.rightAscension, b.declination, b.azimuth, b.altitude};
    for (int i = 0; i < 6; ++i) {
      const std::string text = Trimmed(AstroAngleText(angles[i]));
      j[kAngles[i]] = {{"text", text}, {"degrees", std::strtod(text.c_str(), nullptr)}};
    }
    bodies.push_back(j);
  }
  return {{"bodies", bodies},
          {"tides", {{"high", {table.tideTexts[0], table.tideTexts[1]}}, {"low", {table.tideTexts[2], table.tideTexts[3]}}}}};
}

int RunBodies(const Args& args) {
  Options options;
  std::string error;
  if (!ParseOptions(args, {{"lon", true}, {"lat", true}}, options, error)) return UsageError(error);
  const auto& pos = options.positional;
  if (pos.empty() || pos.size() > 2) return UsageError(kUsage);
  int year = 0, month = 0, day = 0;
  if (int rc = ReadDateArgument(pos[0], year, month, day, 0); rc != kOk) return rc;
  double hour = 12.0;
  Place place{35.6, 139.7};
  if (pos.size() == 2 && !ParseDouble(pos[1], 0.0, 24.0, hour)) return ArgumentError("an hour 0-24", pos[1], args::Form::kDecimal);
  int status = kOk;
  if (!ReadPlaceOptions(options, place, status)) return status;
  const double longitude = place.longitude, latitude = place.latitude;
  Moment at;
  at.year = year;
  at.month = month;
  at.day = day;
  at.hour = hour;
  at.place = {latitude, longitude};
  at.model = Model();
  AstroTable table;
  ComputeAstroTable(at, table);
  if (!Globals().json) {
    PrintTable(table);
    return kOk;
  }
  Json doc = {{"date", holidays::IsoDate(year, month, day)}, {"hour", hour}, {"longitude", longitude}, {"latitude", latitude}};
  doc.update(TableJson(table));
  PrintJson(doc);
  return kOk;
}

const CommandRegistration kBodies({"bodies", "bodies DATE [HOUR] [--lon X] [--lat Y]",
                                   "rise, transit and set times and places of the sun, moon and planets "
                                   "(HOUR on the clock of --lon, default 12, 139.7 E, 35.6 N), Tokyo Bay's tides",
                                   RunBodies, true});

}  // namespace
}  // namespace cli
