// ombrel-cli phases YEAR|FROM..TO: the years' moon phases as the day panel
// lists them.
#include "astro/astro.h"
#include "cli/Command.h"
#include "cli/Json.h"

namespace cli {
namespace {

int RunPhases(const Run& run, const Args& args) { return RunYearEvents(run, args, "phases", EventKind::MoonPhases); }

const CommandRegistration kPhases({"phases", "phases YEAR|FROM..TO",
                                   "the year's new moons, quarters and full moons with their dates and times (on the "
                                   "zone's clock, JST by default), years -1000 to 3000; FROM..TO lists each year of "
                                   "the range in turn",
                                   RunPhases, true});

}  // namespace
}  // namespace cli
