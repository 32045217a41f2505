// ombrel-cli terms YEAR: the year's solar terms as the day panel lists them.
#include "astro/astro.h"
#include "cli/Command.h"
#include "cli/Json.h"

namespace cli {
namespace {

int RunTerms(const Args& args) {
  long long year = 0;
  if (args.size() != 1) return UsageError("usage: terms YEAR");
  if (!ParseInt(args[0], -999999, 999999, year)) return ArgumentError("a year", args[0], args::Form::kWhole);
  const int count = ListSolarTerms(Model(), DateToJulianDay(year, 1, 1, 12.0, kJstLongitude), 366.0);
  // Named by the nearest term of the angle, as the term list names them.
  PrintEvents(year, "terms", count, [](double angle) { return SolarTermName(static_cast<int>((angle + 0.5) / 15.0)); });
  return kOk;
}

const CommandRegistration kTerms({"terms", "terms YEAR", "the year's 24 solar terms with their dates and times (JST)",
                                  RunTerms, true});

}  // namespace
}  // namespace cli
