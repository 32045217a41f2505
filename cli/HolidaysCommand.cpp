// ombrel-cli holidays YEAR|FROM..TO: the year's national holidays and rest days.
#include "astro/astro.h"
#include "cli/Command.h"
#include "cli/Json.h"
#include "holidays/Holidays.h"

namespace cli {
namespace {

Json HolidaysOfYear(const Run& run, long long year) {
  Json list = Json::array();
  for (const holidays::Holiday& h : holidays::HolidaysOfYear(static_cast<int>(year), run.ephemeris)) {
    const std::string date = holidays::IsoDate(h.year, h.month, h.day);
    if (run.options.json)
      list.push_back({{"date", date}, {"name", h.name}});
    else
      Print(date + "\t" + h.name);
  }
  Json document = {{"year", year}, {"holidays", list}};
  // The equinox days come from the model's terms of the year.
  const SeriesSpan span =
      YearSeriesSpan(static_cast<double>(year), ListClock(run.settings), SeriesUse::kEarth, "the equinox holidays");
  ReportModelWarning(run, ModelWarning(run.ephemeris, span), document);
  return document;
}

int RunHolidays(const Run& run, const Args& args) {
  if (args.size() != 1) return UsageError("usage: holidays YEAR|FROM..TO");
  YearSpan years;
  int status = kOk;
  if (!ReadYears(args[0], holidays::kFirstYear, holidays::kLastYear, years, status)) return status;
  PrintYears(run, years, [&](long long year) { return HolidaysOfYear(run, year); });
  return kOk;
}

const CommandRegistration kHolidays({"holidays", "holidays YEAR|FROM..TO",
                                     "Japan's national holidays, substitute holidays and bridge days of a year "
                                     "(1948-2100) or of each year of a range, one YYYY-MM-DD<TAB>name line each",
                                     RunHolidays, true});

}  // namespace
}  // namespace cli
