// ombrel-cli yearlist YEAR ...: writes the year list's file (what FILE出力
// writes) for a year shown in the lunisolar or the Western layout.
#include <string>

#include "astro/Moment.h"
#include "cli/Command.h"
#include "core/Text.h"
#include "almanac/Settings.h"
#include "yearlist/YearList.h"

namespace cli {
namespace {

// Reads a choice between two option values; false on anything else.
bool Choose(const Options& o, const char* name, const char* first, const char* second, int& out) {
  if (!o.Has(name)) return true;
  const std::string v = o.Get(name);
  if (v != first && v != second) return false;
  out = v == first ? 0 : 1;
  return true;
}

int RunYearList(const Run& run, const Args& args) {
  Options o;
  std::string error;
  if (!ParseOptions(args,
                    {{"month", true}, {"day", true}, {"layout", true}, {"signs", true}, {"calendar", true},
                     {"output", true}, {"encoding", true}},
                    o, error))
    return UsageError(error);
  if (o.positional.size() != 1) return UsageError("usage: yearlist YEAR --output FILE (see --help)");
  // The window's month and day fields choose its converted date, which the
  // file does not hold: the file is the year's grid alone.
  if (o.Has("month") || o.Has("day"))
    return UsageError("--month and --day are not options of yearlist: its file holds the year's grid only, "
                      "the same for every month and day");
  const long long month = 1, day = 1;
  long long year = 0;
  if (int status = kOk; !ReadYearArgument(o.positional[0], kFirstListedYear, kLastListedYear, year, status))
    return status;
  int western = 0, utf8 = 0;
  if (!Choose(o, "layout", "lunisolar", "western", western))
    return UsageError("--layout is lunisolar or western");
  if (o.Has("encoding") && o.Get("encoding") != "utf-8" && o.Get("encoding") != "cp932")
    return UsageError("--encoding is utf-8 or cp932");
  utf8 = o.Get("encoding") == "utf-8";
  if (!o.Has("output") || o.Get("output").empty()) return UsageError("--output FILE is required");

  // The window's copies of the settings; the options override them.
  Warn(run.settingsWarnings);
  int signs = run.record.m_nSignDisplay;
  int gregorian = run.settings.calendar == CalendarRule::Gregorian;
  if (!Choose(o, "signs", "sexagenary", "six-day", signs)) return UsageError("--signs is sexagenary or six-day");
  if (!Choose(o, "calendar", "julian", "gregorian", gregorian)) return UsageError("--calendar is julian or gregorian");
  YearListState state;
  state.m_settings = run.settings;
  // The texts the main view hands the year list ("%2.0f").
  state.m_nYear = static_cast<int>(year);
  state.m_strMonth = text::SjisFormat("%2lld", month);
  state.m_strDay = text::SjisFormat("%2lld", day);
  state.m_settings.calendar = gregorian ? CalendarRule::Gregorian : CalendarRule::JulianThenGregorian;
  state.m_nSignDisplay = signs;
  if (!ShowYear(state, western ? kWesternLayout : kLunisolarLayout, run.ephemeris, error))
    return DatabaseFailure(error);

  const std::string path = OutputPath(o.Get("output"));
  const std::string content = YearFileText(state.m_strGrid, state.m_nDisplayMode, state.m_nYear, state.m_settings.calendar);
  if (!WriteTextFileAtomically(path, content, !utf8, error)) return Failure(error);
  return kOk;
}

const CommandRegistration kYearList(
    {"yearlist", "yearlist YEAR --output FILE [--layout lunisolar|western] "
                 "[--signs sexagenary|six-day] [--calendar julian|gregorian] [--encoding utf-8|cp932]",
     "the year list's CSV file (FILE出力) for a year from -666 to 2041: the grid of months in the "
     "lunisolar (default) or Western layout; the signs "
     "and calendar default to ombrel.dat's; CP932 unless --encoding utf-8",
     RunYearList, false, true});

}  // namespace
}  // namespace cli
