// ombrel-cli ics YEAR --output FILE [--what KINDS]: the almanac's year as an
// iCalendar file for calendar programs.
#include <string>

#include "caldb/Dao.h"
#include "cli/Command.h"
#include "core/Files.h"
#include "ical/AlmanacCalendar.h"

namespace cli {
namespace {

int RunIcs(const Run& run, const Args& args) {
  Options opts;
  std::string error;
  if (!ParseOptions(args, {{"output", true}, {"what", true}}, opts, error)) return UsageError(error);
  if (opts.positional.size() != 1) return UsageError("usage: ics YEAR --output FILE [--what KINDS]");
  long long year = 0;
  if (int status = kOk; !ReadYearArgument(opts.positional[0], ical::kFirstYear, ical::kLastYear, year, status))
    return status;
  unsigned kinds = ical::kAllKinds;
  std::string bad;
  if (opts.Has("what") && !ical::ParseKinds(opts.Get("what"), kinds, bad))
    return UsageError("unknown --what item '" + bad + "' (" + ical::KindNames() + ")");
  if (!opts.Has("output")) return UsageError("ics needs --output FILE");
  if (opts.Get("output").empty()) return UsageError("--output needs a file name (or - for standard output)");
  if (!CheckOutputPath(OutputPath(opts.Get("output")), error)) return Failure(error);
  if (!ical::WriteAlmanacCalendar(OutputPath(opts.Get("output")), static_cast<int>(year), kinds, kCalendarDatabase,
                                  run.settings, run.ephemeris, error))
    return Failure(error);
  return kOk;
}

const CommandRegistration kIcs({"ics", "ics YEAR --output FILE [--what terms,phases,holidays,sixday,observances,lunar,eclipses]",
                                "the year (1583-2100) as an iCalendar (RFC 5545) file: the solar terms and moon "
                                "phases at their moments, the eclipses from first to last contact (every lunar one, "
                                "the solar ones seen from the settings' place), the national holidays, 六曜, selected and seasonal days "
                                "and lunisolar dates as all-day events (default: every kind)",
                                RunIcs, false, true});

}  // namespace
}  // namespace cli
