// ombrel-cli: the almanac's answers for scripts.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "caldb/Dao.h"
#include "cli/Command.h"
#include "core/CalendarDays.h"
#include "core/Conf.h"
#include "core/Files.h"
#include "core/Text.h"
#include "core/WorkDir.h"

namespace cli {

namespace {
std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

// Text as lines of at most `width` bytes, the first after `indent` blanks
// and the rest after `next`, broken at blanks (a word longer than the line
// stands alone).
std::string Wrapped(const std::string& text, std::size_t indent, std::size_t next, std::size_t width) {
  std::string out, line;
  std::size_t at = 0;
  const auto flush = [&] {
    out += std::string(indent, ' ') + line + "\n";
    line.clear();
    indent = next;
  };
  while (at < text.size()) {
    std::size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(at, end - at);
    if (!line.empty() && indent + line.size() + 1 + word.size() > width) flush();
    if (!line.empty()) line += ' ';
    line += word;
    at = end + 1;
  }
  if (!line.empty()) flush();
  return out;
}

void PrintWrapped(const std::string& text, std::size_t indent, std::size_t next, std::size_t width) {
  std::fputs(Wrapped(text, indent, next, width).c_str(), stdout);
}

// The --json entry of the options, naming the commands that answer with JSON.
std::string JsonOptionText() {
  std::string names;
  for (const Command& c : Registry())
    if (c.json) names += (names.empty() ? "" : ", ") + std::string(c.name);
  const std::string text = Wrapped("print one JSON document in place of the text lines (" + names + ")", 17, 17, 79);
  return "  --json       " + text.substr(15);
}

void PrintHelp() {
  std::printf("Usage: ombrel-cli COMMAND [ARGUMENTS]\n\n"
              "The Japanese almanac's computations on the command line. Dates are\n"
              "YYYY-MM-DD (astronomical years: 0 is 1 BC, -1 is 2 BC); hours are\n"
              "decimal hours of the zone's clock (Japan Standard Time unless --zone\n"
              "or ombrel.conf's zone= says otherwise); longitudes are degrees east,\n"
              "latitudes degrees north. Text is printed as UTF-8, with control\n"
              "characters from the database or kinenbi.dat written as \\xNN.\n\n"
              "Arguments are read exactly in these forms, with no blanks, '+' sign,\n"
              "hexadecimal or exponent: years -?[0-9]+ (2024, -660); dates\n"
              "-?[0-9]+-[0-9]{1,2}-[0-9]{1,2} (2024-06-15, -660-2-11); hours and\n"
              "places -?[0-9]+(\\.[0-9]+)? (12, 139.7, -35).\n\n"
              "A date must exist in the calendar in force: Julian before 1582-10-15,\n"
              "Gregorian from then on (1582-10-05 to 1582-10-14 do not exist), or\n"
              "Gregorian throughout when ombrel.dat's calendar mode says so.\n\n"
              "An --output FILE is relative to the directory ombrel-cli was started in,\n"
              "and - is standard output. A file is replaced only once its new text is\n"
              "complete (one with several hard links is rewritten in place, with room\n"
              "for the new text reserved first); a directory, device, named pipe or\n"
              "socket is refused.\n\nCommands:\n");
  for (const Command& c : Registry()) {
    PrintWrapped(c.synopsis, 2, 4, 79);
    PrintWrapped(c.summary, 6, 6, 79);
  }
  std::printf("\n'ombrel-cli COMMAND --help' shows one command's usage.\n"
              "\nOptions (before the command):\n  --help, -h     show this text\n  --version      show the version\n"
              "  --precise      compute with the precise astronomical model (ERFA) instead\n"
              "                 of the design's formulas (also model=precise in ombrel.conf)\n"
              "  --workdir DIR  the directory holding History.mdb, ombrel.dat and kinenbi.dat\n"
              "                 (default: the current directory if it holds History.mdb,\n"
              "                 else $XDG_DATA_HOME/ombrel or ~/.local/share/ombrel, made on\n"
              "                 first use with a copy of the installed database; an\n"
              "                 empty DIR is given that copy too)\n"
              "%s"
              "  --zone NAME    show times on the time zone NAME of the tz database (an IANA\n"
              "                 name such as Asia/Tokyo, the default, or America/New_York),\n"
              "                 or 'design' for the whole-hour zone nearest the longitude\n"
              "                 (also zone=NAME in ombrel.conf)\n"
              "  --place NAME   the place (and abroad the zone) of a name that 'places'\n"
              "                 lists: 北海道, 札幌市, 札幌, America/New_York, New_York\n\n"
              "Exit status: 0 success, 1 a file or the database could not be read or\n"
              "written (standard output included), 2 a refused command or option or\n"
              "argument (out of range included).\n",
              JsonOptionText().c_str());
}
}  // namespace

CommandRegistration::CommandRegistration(Command c) { Registry().push_back(c); }

const std::vector<Command>& Commands() { return Registry(); }

namespace {
// An error is one line whatever the user typed: control characters of an
// echoed argument are written as escapes, so they cannot break the line or
// steer the terminal.
void PrintError(const std::string& message) {
  std::fprintf(stderr, "ombrel-cli: %s\n", text::EscapeControls(message).c_str());
}
}  // namespace

int UsageError(const std::string& message) {
  PrintError(message);
  return kUsage;
}

int Failure(const std::string& message) {
  // The database is named by its full path: the user may not know which
  // directory the run chose.
  const std::string bare = std::string(kCalendarDatabase) + ": ";
  if (message.rfind(bare, 0) != 0) {
    PrintError(message);
  } else {
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    PrintError((ec ? std::filesystem::path(kCalendarDatabase) : here / kCalendarDatabase).string() + ": " +
               message.substr(bare.size()));
  }
  return kFailure;
}

int DatabaseFailure(const std::string& message) {
  return Failure(message.find(kCalendarDatabase) != std::string::npos ? message
                                                                       : std::string(kCalendarDatabase) + ": " + message);
}

int DatabaseFailure(const CDaoException& e) { return DatabaseFailure(std::string(e.what())); }

void Warn(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) PrintError("warning: " + line);
}

int ArgumentError(const std::string& what, const std::string& text, args::Form form) {
  const std::string why = args::Refusal(text, form);
  // A text of the right form that was still refused has a value out of range.
  return UsageError("not " + what + ": '" + text + "' " + (why.empty() ? "is out of range" : why));
}

bool ReadYearArgument(const std::string& text, long long lo, long long hi, long long& year, int& status) {
  if (ParseInt(text, lo, hi, year)) return true;
  status = ArgumentError("a year " + std::to_string(lo) + " to " + std::to_string(hi), text, args::Form::kWhole);
  return false;
}

int CheckDateExists(const std::string& text, int year, int month, int day, CalendarRule rule) {
  if (DateExists({year, month, day}, rule)) return kOk;
  return UsageError("no such day: '" + text + "' (" +
                    (rule == CalendarRule::JulianThenGregorian ? "Julian calendar before 1582-10-15, Gregorian from then on"
                                       : "proleptic Gregorian calendar") +
                    ")");
}

int ReadDateArgument(const std::string& text, int& year, int& month, int& day, CalendarRule rule) {
  if (!ParseDate(text, year, month, day)) return ArgumentError("a date", text, args::Form::kDate);
  return CheckDateExists(text, year, month, day, rule);
}

bool ReadPlaceOptions(const Options& options, Place& place, int& status) {
  const struct {
    const char* name;
    const char* label;
    double lo, hi;
    double& value;
  } places[] = {{"lon", "longitude -180-180", -180.0, 180.0, place.longitude},
                {"lat", "latitude -90-90", -90.0, 90.0, place.latitude}};
  for (const auto& p : places) {
    if (!options.Has(p.name)) continue;
    const std::string text = options.Get(p.name);
    if (!ParseDouble(text, p.lo, p.hi, p.value)) {
      status = ArgumentError(std::string("a ") + p.label, text, args::Form::kDecimal);
      return false;
    }
  }
  return true;
}

bool Options::Has(const std::string& name) const {
  for (const auto& [n, v] : named)
    if (n == name) return true;
  return false;
}

std::string Options::Get(const std::string& name, const std::string& fallback) const {
  std::string value = fallback;
  for (const auto& [n, v] : named)
    if (n == name) value = v;  // the last one given wins
  return value;
}

bool ParseOptions(const Args& args, const std::vector<std::pair<std::string, bool>>& known, Options& out,
                  std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    // "-5" is a number (a year, a longitude), not an option.
    if (a.size() > 2 && a[0] == '-' && a[1] == '-') {
      std::string name = a.substr(2), value;
      std::size_t eq = name.find('=');
      bool inlineValue = eq != std::string::npos;
      if (inlineValue) {
        value = name.substr(eq + 1);
        name = name.substr(0, eq);
      }
      const std::pair<std::string, bool>* spec = nullptr;
      for (const auto& k : known)
        if (k.first == name) spec = &k;
      if (!spec) {
        error = "unknown option --" + name;
        return false;
      }
      if (spec->second && !inlineValue) {
        if (i + 1 >= args.size()) {
          error = "option --" + name + " needs a value";
          return false;
        }
        value = args[++i];
      } else if (!spec->second && inlineValue) {
        error = "option --" + name + " takes no value";
        return false;
      }
      out.named.emplace_back(name, value);
    } else {
      out.positional.push_back(a);
    }
  }
  return true;
}

std::string OutputPath(const std::string& path) {
  return path == kStandardOutputName ? path : workdir::FromStartDirectory(path);
}

void Print(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

}  // namespace cli

namespace cli {
namespace {

// The options that stand before the command and apply to every command. All
// of them are read here, in any order, so each new one is one more row.
struct GlobalOption {
  const char* name;  // without the dashes
  bool takesValue;
  const char* value;  // what the value is called in the help ("DIR"), or ""
  void (*apply)(GlobalOptions&, const std::string&);
};
const GlobalOption kGlobalOptions[] = {
    {"workdir", true, "DIR", [](GlobalOptions& g, const std::string& v) { g.workDir = v; }},
    {"json", false, "", [](GlobalOptions& g, const std::string&) { g.json = true; }},
    {"precise", false, "", [](GlobalOptions& g, const std::string&) { g.precise = true; }},
    {"zone", true, "NAME", [](GlobalOptions& g, const std::string& v) { g.zone = v; }},
    {"place", true, "NAME", [](GlobalOptions& g, const std::string& v) { g.place = v; }},
};

// The global option an argument "--name" or "--name=value" names, if any.
const GlobalOption* GlobalOptionNamed(const std::string& arg) {
  if (arg.rfind("--", 0) != 0) return nullptr;
  const std::size_t eq = arg.find('=');
  const std::string name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
  for (const GlobalOption& o : kGlobalOptions)
    if (name == o.name) return &o;
  return nullptr;
}

// Reads the global options from argv[at] on; `at` ends on the command.
// False (after reporting) on a global option written wrongly.
bool ParseGlobalOptions(int argc, char** argv, int& at, GlobalOptions& options, int& status) {
  for (; at < argc; ++at) {
    const std::string arg = argv[at];
    const GlobalOption* option = GlobalOptionNamed(arg);
    if (!option) return true;  // the command, --help, --version, or the command's business
    const std::size_t eq = arg.find('=');
    const std::string name = option->name;
    std::string value;
    if (option->takesValue && eq != std::string::npos) {
      value = arg.substr(eq + 1);
    } else if (option->takesValue && at + 1 < argc) {
      value = argv[++at];
    } else if (option->takesValue) {
      status = UsageError("option --" + name + " needs a value");
      return false;
    } else if (eq != std::string::npos) {
      status = UsageError("option --" + name + " takes no value");
      return false;
    }
    option->apply(options, value);
  }
  return true;
}

// The global option written among a command's arguments, if any: the
// commands do not know it, and "unknown option" would not tell where it goes.
const GlobalOption* GlobalOptionAmong(const Args& args) {
  for (const std::string& arg : args)
    if (const GlobalOption* option = GlobalOptionNamed(arg)) return option;
  return nullptr;
}

// The place --place names, if it names one; false (after reporting, with
// the names it may have meant) if not.
bool FindPlaceOption(RunSetup& run, int& status) {
  if (!run.options.place) return true;
  const std::string& name = *run.options.place;
  const places::Found found = places::Find(places::AllPlaces(places::kZoneInfoDir), name);
  if (found.place) {
    run.place = found.place;
    return true;
  }
  std::string names;
  for (const std::string& n : found.nearest) names += (names.empty() ? "" : ", ") + n;
  status = UsageError((found.ambiguous ? "--place: '" + name + "' may be any of: "
                                       : "--place: no place named '" + name + "'; nearest: ") +
                      names + " ('ombrel-cli places' lists them all)");
  return false;
}

// The run's shared settings: ombrel.dat and ombrel.conf of the working
// directory, then the options (--place's place, its zone unless --zone
// names one). False (after reporting) on an unknown zone or place.
bool BuildRun(RunSetup& run, int& status) {
  if (!FindPlaceOption(run, status)) return false;
  const SettingsReadResult read = LoadSettings(run.record);
  run.settingsWarnings = SettingsWarningLines(read);
  EmptyPlacesReadAsZero(run.record, read);
  // ombrel.conf, read once: its problems are told on every run.
  Conf conf;
  conf.Load();
  Warn(conf.Problems());
  ReadModelSetting(conf, run.record);
  run.additions = ShownAdditions(conf);
  if (run.options.precise) run.record.m_model = AstroModel::Precise;
  if (run.place && run.place->zone) run.record.m_strZone = *run.place->zone;
  if (run.options.zone) run.record.m_strZone = *run.options.zone;
  std::string error;
  std::optional<Moment> settings = SettingsMoment(run.record, 2000, 1, 1, 0, error);
  if (!settings && run.options.zone) {
    status = UsageError("--zone: " + error);
    return false;
  }
  if (!settings) {
    Warn({kConfFileName + std::string(": ") + error + "; using " + TimeZone::kDefaultName});
    run.record.m_strZone = TimeZone::kDefaultName;
    settings = SettingsMoment(run.record, 2000, 1, 1, 0, error);
  }
  run.settings = *settings;
  if (run.place) run.settings.place = run.place->place;
  return true;
}

// The exit status once everything printed has reached standard output: a
// full disk or a closed pipe is a failure, not success.
int Flushed(int status) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
  const int error = errno;
  std::fprintf(stderr, "ombrel-cli: cannot write to standard output: %s\n", std::strerror(error));
  return kFailure;
}

// The time all of a command's queries may take: kQueryTimeLimitMs, or less
// when a test asks for less (OMBREL_TEST_QUERY_BUDGET_MS), so that it need not
// build a table large enough to take a second.
std::chrono::milliseconds QueryBudget() {
  const char* asked = std::getenv("OMBREL_TEST_QUERY_BUDGET_MS");
  long long ms = 0;
  if (asked && args::ParseInt(asked, 1, kQueryTimeLimitMs, ms)) return std::chrono::milliseconds(ms);
  return std::chrono::milliseconds(kQueryTimeLimitMs);
}

// Runs a command; an engine error that reaches here names the database. The
// database of a command that reads it is checked whole first: a damaged or
// changed file is an error, not an answer read from it.
int RunCommand(const Command& c, const Run& run, const Args& args) {
  try {
    if (c.calendar) {
      CDaoDatabase db;
      db.Open(kCalendarDatabase, false, true, kCalendarConnect);
      if (const std::string problem = db.ContentProblem(); !problem.empty())
        return DatabaseFailure(problem);
    }
    return c.run(run, args);
  } catch (const CDaoException& e) {
    return DatabaseFailure(e);
  }
}

}  // namespace

}  // namespace cli

int main(int argc, char** argv) {
  using namespace cli;
  int at = 1, status = kOk;
  RunSetup setup;
  if (!ParseGlobalOptions(argc, argv, at, setup.options, status)) return status;
  const std::string& workDir = setup.options.workDir;
  if (argc <= at) {
    PrintHelp();
    return kUsage;
  }
  std::string first = argv[at];
  if (first == "--help" || first == "-h" || first == "help") {
    PrintHelp();
    return Flushed(kOk);
  }
  if (first == "--version") {
    std::printf("ombrel-cli %s\n", OMBREL_VERSION);
    return Flushed(kOk);
  }
  for (const Command& c : Commands()) {
    if (first != c.name) continue;
    Args args(argv + at + 1, argv + argc);
    for (const std::string& a : args)
      if (a == "--help" || a == "-h") {
        std::printf("Usage: ombrel-cli %s\n", c.synopsis);
        PrintWrapped(c.summary, 2, 2, 79);
        return Flushed(kOk);
      }
    if (setup.options.json && !c.json) return UsageError(std::string("--json is not available for ") + c.name);
    if (const GlobalOption* misplaced = GlobalOptionAmong(args)) {
      const std::string written = std::string("--") + misplaced->name + (misplaced->takesValue ? std::string(" ") + misplaced->value : "");
      return UsageError(std::string("--") + misplaced->name + " is an option of ombrel-cli itself: put it before the command (ombrel-cli " +
                        written + " " + c.name + " ...)");
    }
    if (c.workDir) {
      // argv[0] is only the bare name when the shell found us on PATH; the
      // kernel's link names the real file, next to which the database sits.
      workdir::Choice wd = workdir::Enter(workDir, "/proc/self/exe");
      if (!wd.warning.empty()) {
        if (!workDir.empty()) return Failure(wd.warning);
        Warn({wd.warning});
      }
      if (!BuildRun(setup, status)) return status;
    }
    // The one place the run picks its model.
    const Ephemeris& ephemeris = EphemerisOf(setup.settings.model);
    const Run run{std::move(setup), ephemeris};
    // The queries' time limit covers the whole command, not each query.
    LimitTotalQueryTime(QueryBudget());
    return Flushed(RunCommand(c, run, args));
  }
  return UsageError("unknown command '" + first + "' (see ombrel-cli --help)");
}
