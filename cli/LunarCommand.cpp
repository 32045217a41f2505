// ombrel-cli lunar YYYY-MM-DD: the lunisolar date of a Western date, as the
// day panel shows it.
#include "astro/astro.h"
#include "caldb/Lunisolar.h"
#include "cli/Command.h"
#include "cli/Json.h"

namespace cli {
namespace {

int RunLunar(const Args& args) {
  int year = 0, month = 0, day = 0;
  if (args.size() != 1) return UsageError("usage: lunar YYYY-MM-DD");
  if (int rc = ReadDateArgument(args[0], year, month, day, 0); rc != kOk) return rc;
  LunisolarResult r;
  try {
    r = LunisolarLookup(year, month, day, year, month);
  } catch (const CDaoException& e) {
    return Failure(e.what());
  }
  if (r.outsideTable) return UsageError(args[0] + " is outside the calendar table's lunisolar months");
  const std::string text = r.found ? LunisolarDateText(r.row.flag, r.lunarMonth, r.lunarDay) : "";
  // A month numbered 0 marks days the table gives no lunisolar date.
  if (text.empty()) return Failure("no lunisolar date for " + args[0] + " in the calendar table");
  if (Globals().json)
    PrintJson({{"date", args[0]}, {"lunar", LunarJson(text, r.lunarMonth, r.lunarDay)}});
  else
    Print(text);
  return kOk;
}

const CommandRegistration kLunar({"lunar", "lunar YYYY-MM-DD", "the lunisolar (旧暦) date of a Western date (Julian before 1582-10-15)",
                                  RunLunar, true});

}  // namespace
}  // namespace cli
