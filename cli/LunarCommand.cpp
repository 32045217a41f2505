// ombrel-cli lunar YYYY-MM-DD: the lunisolar date of a Western date, as the
// day panel shows it.
#include "astro/astro.h"
#include "caldb/Lunisolar.h"
#include "cli/Command.h"
#include "cli/Json.h"

namespace cli {
namespace {

int RunLunar(const Run& run, const Args& args) {
  int year = 0, month = 0, day = 0;
  if (args.size() != 1) return UsageError("usage: lunar YYYY-MM-DD");
  const CalendarRule calendar = run.settings.calendar;
  if (int rc = ReadDateArgument(args[0], year, month, day, calendar); rc != kOk) return rc;
  LunisolarResult r;
  try {
    r = LunisolarLookup(year, month, day, year, month, calendar);
  } catch (const CDaoException& e) {
    return DatabaseFailure(e);
  }
  if (r.outsideTable) return UsageError(args[0] + " is outside the calendar table's lunisolar months");
  const std::optional<LunisolarDate> date =
      r.found ? LunisolarDateOf(r.row.flag, r.lunarMonth, r.lunarDay) : std::nullopt;
  // A month numbered 0 marks days the table gives no lunisolar date.
  if (!date) return Failure("no lunisolar date for " + args[0] + " in the calendar table");
  const std::string text = LunisolarDateText(*date);
  if (run.options.json)
    PrintJson({{"date", IsoDate(year, month, day)}, {"lunar", LunarJson(text, r.lunarMonth, r.lunarDay, r.row.flag == 2)}});
  else
    Print(text);
  return kOk;
}

const CommandRegistration kLunar({"lunar", "lunar YYYY-MM-DD", "the lunisolar (旧暦) date of a Western date (Julian before 1582-10-15, or as ombrel.dat\'s calendar mode says)",
                                  RunLunar, true, true});

}  // namespace
}  // namespace cli
