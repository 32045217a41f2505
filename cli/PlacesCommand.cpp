// ombrel-cli places [PATTERN]: the places --place takes by name, the
// prefectural offices and the tz database's places abroad.
#include <charconv>

#include "cli/Command.h"
#include "cli/Json.h"

namespace cli {
namespace {

// Degrees in the fewest digits that read back as the same number.
std::string Degrees(double value) {
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string(buffer, end);
}

int RunPlaces(const Run& run, const Args& args) {
  if (args.size() > 1) return UsageError("usage: places [PATTERN]");
  const std::vector<places::NamedPlace> found =
      places::Matching(places::AllPlaces(places::kZoneInfoDir), args.empty() ? "" : args[0]);
  if (run.options.json) {
    Json list = Json::array();
    for (const places::NamedPlace& p : found)
      list.push_back({{"name", p.name},
                      {"city", p.city.empty() ? Json(nullptr) : Json(p.city)},
                      {"region", p.region},
                      {"latitude", p.place.latitude},
                      {"longitude", p.place.longitude},
                      {"zone", p.zone ? Json(*p.zone) : Json(nullptr)}});
    PrintJson({{"places", list}});
    return kOk;
  }
  for (const places::NamedPlace& p : found)
    Print(places::Label(p) + "\t" + Degrees(p.place.latitude) + "\t" + Degrees(p.place.longitude) + "\t" +
          p.zone.value_or("-"));
  return kOk;
}

const CommandRegistration kPlaces({"places", "places [PATTERN]",
                                   "the places --place takes by name, those whose name holds PATTERN: the "
                                   "prefectural offices (zone '-': the settings' zone) and each zone's place "
                                   "from the system's tz database; name<TAB>latitude<TAB>longitude<TAB>zone",
                                   RunPlaces, true, false, false});

}  // namespace
}  // namespace cli
