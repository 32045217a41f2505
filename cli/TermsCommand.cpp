// ombrel-cli terms YEAR: the year's solar terms as the day panel lists them.
#include "astro/astro.h"
#include "cli/Command.h"
#include "cli/Json.h"

namespace cli {
namespace {

int RunTerms(const Run& run, const Args& args) {
  long long year = 0;
  if (args.size() != 1) return UsageError("usage: terms YEAR");
  if (int status = kOk; !ReadYearArgument(args[0], kFirstListYear, kLastListYear, year, status)) return status;
  PrintEvents(run, year, "terms", EventKind::SolarTerms);
  return kOk;
}

const CommandRegistration kTerms({"terms", "terms YEAR", "the year's 24 solar terms with their dates and times (on the zone's clock, JST by default), years -1000 to 3000",
                                  RunTerms, true});

}  // namespace
}  // namespace cli
