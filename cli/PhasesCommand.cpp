// ombrel-cli phases YEAR: the year's moon phases as the day panel lists them.
#include "astro/astro.h"
#include "cli/Command.h"
#include "cli/Json.h"

namespace cli {
namespace {

int RunPhases(const Run& run, const Args& args) {
  long long year = 0;
  if (args.size() != 1) return UsageError("usage: phases YEAR");
  if (int status = kOk; !ReadYearArgument(args[0], kFirstListYear, kLastListYear, year, status)) return status;
  PrintEvents(run, year, "phases", EventKind::MoonPhases);
  return kOk;
}

const CommandRegistration kPhases({"phases", "phases YEAR",
                                   "the year's new moons, quarters and full moons with their dates and times (on the zone's clock, JST by default), years -1000 to 3000",
                                   RunPhases, true});

}  // namespace
}  // namespace cli
