// ombrel-cli phases YEAR: the year's moon phases as the day panel lists them.
#include "astro/astro.h"
#include "cli/Command.h"
#include "cli/Json.h"

namespace cli {
namespace {

int RunPhases(const Args& args) {
  long long year = 0;
  if (args.size() != 1) return UsageError("usage: phases YEAR");
  if (!ParseInt(args[0], -999999, 999999, year)) return ArgumentError("a year", args[0], args::Form::kWhole);
  const int count = ListMoonPhases(Model(), DateToJulianDay(year, 1, 1, 12.0, kJstLongitude), 366.0);
  PrintEvents(year, "phases", count, [](double angle) { return MoonPhaseName(static_cast<int>(angle / 90.0)); });
  return kOk;
}

const CommandRegistration kPhases({"phases", "phases YEAR",
                                   "the year's new moons, quarters and full moons with their dates and times (JST)",
                                   RunPhases, true});

}  // namespace
}  // namespace cli
