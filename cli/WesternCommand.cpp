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

KyuurekiRow RowById(CDaoDatabase& db, int id, bool& found) {
  KyuurekiRow row;
  found = QueryKyuurekiRow(db, text::SjisFormat("SELECT * FROM [Kyuureki] WHERE [ID]=%d;", id), row);
  return row;
}

// The first month (指標 1) of lunisolar year `year`.
bool YearStart(CDaoDatabase& db, int year, KyuurekiRow& row) {
  const std::string sql = text::SjisFormat("SELECT * FROM [Kyuureki] WHERE [指標]=1 AND [西暦]=%d;", year);
  if (!QueryKyuurekiRow(db, sql, row)) return false;
  CheckKyuurekiMatch(row, row.flag == 1 && row.year == year, sql);
  return true;
}

// The row of month `month` (the leap one with `leap`) of lunisolar year
// `year`: searched on from the year's first month, or back from the next
// year's first month for the table's first year, which begins before the
// table does. False with the reason in `why`.
bool FindLunisolarMonth(CDaoDatabase& db, int year, int month, bool leap, KyuurekiRow& row, std::string& why) {
  KyuurekiRow first;
  const bool forward = YearStart(db, year, first);
  bool found = forward || YearStart(db, year + 1, first);
  // Neither year begins in the table: beyond its ends, or a damaged table.
  if (!found) LunisolarYearOutsideTable(db, year);
  if (found) row = forward ? first : RowById(db, first.id - 1, found);
  // A lunisolar year has at most 13 months; the checked rows make a missing
  // neighbour the table's end.
  for (int k = 0; k < 13 && found; ++k) {
    if (row.lunarMonth == month && (row.flag == 2) == leap) return true;
    row = RowById(db, row.id + (forward ? 1 : -1), found);
    if (found && forward && row.flag == 1) break;  // the next year has begun
  }
  why = "lunisolar year " + std::to_string(year) +
        (found ? std::string(" has no ") + (leap ? "leap " : "") + "month " + std::to_string(month)
               : " is outside the calendar table");
  return false;
}

// The Western date, or an empty text with the reason in `why` when the table
// has no such month or day.
std::string WesternDate(CDaoDatabase& db, int year, int month, int day, bool leap, CalendarRule calendar,
                        std::string& why) {
  KyuurekiRow row;
  if (!FindLunisolarMonth(db, year, month, leap, row, why)) return "";
  const std::string m = std::to_string(month), d = std::to_string(day);
  // The month's length is the distance to the next month's first day; the
  // table's last row has no next month and only ends the one before it.
  bool hasNext = false;
  const KyuurekiRow next = RowById(db, row.id + 1, hasNext);
  if (!hasNext) {
    why = "month " + m + " of lunisolar year " + std::to_string(year) + " is beyond the end of the calendar table";
    return "";
  }
  if (day > KyuurekiRowStart(next) - KyuurekiRowStart(row)) {
    why = "month " + m + " of lunisolar year " + std::to_string(year) + " has no day " + d;
    return "";
  }
  LunisolarWestern w = LunisolarToWestern(db, row.id, m, d, calendar);
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
    const CDaoReadScope snapshot(db);
    date = WesternDate(db, static_cast<int>(year), static_cast<int>(month), static_cast<int>(day), opts.Has("leap"),
                       run.settings.calendar, why);
  } catch (const CDaoException& e) {
    return DatabaseFailure(e);
  }
  // A date the table does not hold is refused like any other out-of-range argument.
  if (date.empty()) return UsageError(why);
  if (run.options.json)
    PrintJson({{"lunar", {{"year", year}, {"month", month}, {"day", day}, {"leap", opts.Has("leap")}}}, {"date", date}});
  else
    Print(date);
  return kOk;
}

const CommandRegistration kWestern({"western", "western YEAR MONTH DAY [--leap]",
                                    "the Western date (Julian before 1582-10-15, or as ombrel.dat\'s calendar mode says) of a lunisolar date in lunisolar year YEAR", RunWestern, true, true});

}  // namespace
}  // namespace cli
