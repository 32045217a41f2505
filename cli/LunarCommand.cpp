// ombrel-cli lunar YYYY-MM-DD: the lunisolar date of a Western date, as the
// day panel shows it.
#include "astro/astro.h"
#include "caldb/Lunisolar.h"
#include "cli/Command.h"

namespace cli {
namespace {

int RunLunar(const Args& args) {
  int year = 0, month = 0, day = 0;
  if (args.size() != 1) return UsageError("usage: lunar YYYY-MM-DD");
  if (!ParseDate(args[0], year, month, day)) return UsageError("not a date: '" + args[0] + "'");
  LunisolarResult r;
  try {
    r = LunisolarLookup(year, month, day, year, month);
  } catch (const CDaoException& e) {
    return Failure(e.what());
  }
  if (!r.found) return Failure("no lunisolar date for " + args[0] + " in the calendar table");
  Print(LunisolarDateText(r.row.flag, r.lunarMonth, r.lunarDay));
  return kOk;
}

const CommandRegistration kLunar({"lunar", "lunar YYYY-MM-DD", "the lunisolar (旧暦) date of a Western date (Julian before 1582-10-15)",
                                  RunLunar});

}  // namespace
}  // namespace cli
