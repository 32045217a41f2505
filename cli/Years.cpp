#include <functional>

#include "cli/Command.h"
#include "cli/Json.h"

namespace cli {

bool ReadYears(const std::string& text, long long lo, long long hi, YearSpan& years, int& status) {
  const std::size_t dots = text.find("..");
  if (dots == std::string::npos) {
    years.range = false;
    if (!ReadYearArgument(text, lo, hi, years.from, status)) return false;
    years.to = years.from;
    return true;
  }
  const std::string first = text.substr(0, dots), last = text.substr(dots + 2);
  if (!ReadYearArgument(first, lo, hi, years.from, status) || !ReadYearArgument(last, lo, hi, years.to, status))
    return false;
  if (years.from > years.to) {
    status = UsageError("not a range of years: '" + text + "' (FROM..TO with FROM not after TO)");
    return false;
  }
  years.range = true;
  return true;
}

void PrintYears(const Run& run, const YearSpan& years, const std::function<Json(long long)>& yearDocument) {
  Json list = Json::array();
  for (long long year = years.from; year <= years.to; ++year) list.push_back(yearDocument(year));
  if (!run.options.json) return;
  if (!years.range) {
    PrintJson(list.front());
    return;
  }
  PrintJson({{"from", years.from}, {"to", years.to}, {"years", list}});
}

}  // namespace cli
