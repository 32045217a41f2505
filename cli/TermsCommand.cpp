// ombrel-cli terms YEAR|FROM..TO: the years' solar terms as the day panel
// lists them.
#include "astro/astro.h"
#include "cli/Command.h"
#include "cli/Json.h"

namespace cli {
namespace {

int RunTerms(const Run& run, const Args& args) { return RunYearEvents(run, args, "terms", EventKind::SolarTerms); }

const CommandRegistration kTerms({"terms", "terms YEAR|FROM..TO",
                                  "the year's 24 solar terms with their dates and times (on the zone's clock, JST by "
                                  "default), years -1000 to 3000; FROM..TO lists each year of the range in turn",
                                  RunTerms, true});

}  // namespace
}  // namespace cli
