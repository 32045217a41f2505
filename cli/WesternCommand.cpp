// ombrel-cli western YEAR MONTH DAY [--leap]: the Western date of a lunisolar
// date; YEAR is the lunisolar year, --leap asks for the leap month MONTH.
#include <string>

#include "astro/astro.h"
#include "caldb/Lunisolar.h"
#include "cli/Command.h"
#include "cli/Json.h"
#include "core/Text.h"

namespace cli {
namespace {

// The Western date, or an empty text when the year has no such month or day.
std::string WesternDate(CDaoDatabase& db, int year, int month, int day, bool leap, CalendarRule calendar,
                        std::string& why) {
  KyuurekiRow first;
  if (!QueryKyuurekiRow(db, text::SjisFormat("SELECT * FROM [Kyuureki] WHERE [指標]=1 AND [西暦]=%d;", year), first)) {
    why = "lunisolar year " + std::to_string(year) + " is outside the calendar table";
    return "";
  }
  // The month numbered `month` lies at most one leap month past this row.
  const std::string m = std::to_string(month), d = std::to_string(day);
  LunisolarWestern w = LunisolarToWestern(db, first.id + month - 1, m, d, calendar);
  if (w.found && leap) w = LunisolarToWesternLeap(db, w, m, d, calendar);
  if (!w.found || w.row.lunarMonth != month || (w.row.flag == 2) != leap) {
    why = std::string("lunisolar year ") + std::to_string(year) + " has no " + (leap ? "leap " : "") + "month " + m;
    return "";
  }
  // The month's length is the distance to the next month's first day.
  KyuurekiRow next;
  auto start = [](const KyuurekiRow& r) { return KyuurekiRowStart(r); };
  if (!QueryKyuurekiRow(db, text::SjisFormat("SELECT * FROM [Kyuureki] WHERE [ID]=%d;", w.row.id + 1), next) ||
      day > start(next) - start(w.row)) {
    why = "month " + m + " of lunisolar year " + std::to_string(year) + " has no day " + d;
    return "";
  }
  return IsoDate(w.year, w.month, w.day);
}

int RunWestern(const Run& run, const Args& args) {
  Options opts;
  std::string error;
  if (!ParseOptions(args, {{"leap", false}}, opts, error)) return UsageError(error);
  if (opts.positional.size() != 3) return UsageError("usage: western YEAR MONTH DAY [--leap]");
  long long year = 0, month = 0, day = 0;
  if (!ParseInt(opts.positional[0], -999999, 999999, year)) return ArgumentError("a year", opts.positional[0], args::Form::kWhole);
  if (!ParseInt(opts.positional[1], 1, 12, month)) return ArgumentError("a month 1-12", opts.positional[1], args::Form::kWhole);
  if (!ParseInt(opts.positional[2], 1, 30, day)) return ArgumentError("a day 1-30", opts.positional[2], args::Form::kWhole);
  std::string date, why;
  try {
    CDaoDatabase db;
    db.Open(kCalendarDatabase, true, true, kCalendarConnect);
    date = WesternDate(db, static_cast<int>(year), static_cast<int>(month), static_cast<int>(day), opts.Has("leap"), run.settings.calendar, why);
  } catch (const CDaoException& e) {
    return Failure(e.what());
  }
  if (date.empty()) return Failure(why);
  if (run.options.json)
    PrintJson({{"lunar", {{"year", year}, {"month", month}, {"day", day}, {"leap", opts.Has("leap")}}}, {"date", date}});
  else
    Print(date);
  return kOk;
}

const CommandRegistration kWestern({"western", "western YEAR MONTH DAY [--leap]",
                                    "the Western date (Julian before 1582-10-15) of a lunisolar date in lunisolar year YEAR", RunWestern, true});

}  // namespace
}  // namespace cli
