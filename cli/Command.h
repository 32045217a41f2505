// The command-line tool's commands. Each command lives in its own file and
// registers itself with a static CommandRegistration, so adding a command
// touches no other file.
#pragma once

#include "almanac/DayPanel.h"
#include "almanac/Settings.h"
#include "astro/Model.h"
#include "caldb/Dao.h"
#include "core/Args.h"
#include "places/Places.h"

#include <optional>
#include <string>
#include <vector>

namespace cli {

// Exit statuses: 0 success, 1 a file or the database could not be read or
// written, 2 a refused command, option or argument (ranges included).
enum ExitStatus { kOk = 0, kFailure = 1, kUsage = 2 };

using Args = std::vector<std::string>;

// The options given before the command.
struct GlobalOptions {
  std::string workDir;  // --workdir DIR
  bool json = false;    // --json
  bool precise = false; // --precise
  std::optional<std::string> zone;   // --zone NAME (none: ombrel.conf's zone)
  std::optional<std::string> place;  // --place NAME (none: the settings' place)
};

// What every command of one run shares, built once in main from the options
// and the settings files of the working directory: the place, calendar rule,
// zone and model (`settings`, whose date is not read), ombrel.conf's additions
// to the day, and what reading ombrel.dat had to warn about.
struct RunSetup {
  GlobalOptions options;
  SettingsRecord record;
  Moment settings;
  std::vector<std::string> settingsWarnings;
  // What ombrel.conf adds to the day's 暦注 list (holidays=1, eclipses=1).
  DayAdditions additions;
  // The place --place named; its longitude and latitude are those of
  // `settings`, and its zone (abroad) that of `settings` unless --zone said.
  std::optional<places::NamedPlace> place;
};

// A run's setup and the ephemeris of its model, picked once in main: every
// command asks the model through it.
struct Run : RunSetup {
  const Ephemeris& ephemeris;
};

using CommandFn = int (*)(const Run& run, const Args& args);

struct Command {
  const char* name;
  const char* synopsis;  // "terms YEAR"
  const char* summary;   // one line for --help
  CommandFn run;
  bool json = false;      // answers --json with one JSON document
  bool calendar = false;  // reads the calendar database (checked whole before the command runs)
  // Works in the working directory with its settings (false: reads none of
  // its files, so it neither makes nor enters one).
  bool workDir = true;
};


struct CommandRegistration {
  explicit CommandRegistration(Command c);
};

const std::vector<Command>& Commands();

// The years the term and phase lists answer for: the span where both models'
// series keep every list well formed (each term and phase once, in order).
inline constexpr long long kFirstListYear = -1000;
inline constexpr long long kLastListYear = 3000;

// Reports a usage error on stderr ("ombrel-cli: <message>") and returns kUsage.
int UsageError(const std::string& message);
// Reports a failure on stderr and returns kFailure; a message that starts
// with the database's bare name gets its full path.
int Failure(const std::string& message);
// Reports an error of the calendar database as a failure whose message
// names the file (History.mdb), and returns kFailure.
int DatabaseFailure(const CDaoException& e);
// The same for a message already taken from such an error.
int DatabaseFailure(const std::string& message);
// Reports each line on stderr as "ombrel-cli: warning: <line>"; the work goes on.
void Warn(const std::vector<std::string>& lines);

// Strict readers for arguments (core/Args.h): the whole text must be the
// number in its documented form, finite and within [lo, hi]; on failure they
// return false and leave the output alone.
using args::ParseDouble;
using args::ParseInt;
using args::ParseDate;

// Reports an argument that ParseInt, ParseDouble or ParseDate refused:
// "not <what>: '<text>' <why>", and returns kUsage. `what` names the value
// and its range ("a month 1-12").
int ArgumentError(const std::string& what, const std::string& text, args::Form form);
// Reads a year argument of lo to hi; false after reporting why the text is
// not one (its form, or the range), with the exit status in `status`.
bool ReadYearArgument(const std::string& text, long long lo, long long hi, long long& year, int& status);
// Reads a date argument that must be a day of the calendar `rule` writes;
// on failure reports why and returns kUsage, else kOk.
int ReadDateArgument(const std::string& text, int& year, int& month, int& day, CalendarRule rule);
// The same check for a date already read.
int CheckDateExists(const std::string& text, int year, int month, int day, CalendarRule rule);

// A command's years: one year, or FROM..TO.
struct YearSpan {
  long long from = 0;
  long long to = 0;
  bool range = false;
};
// Reads "YEAR" or "FROM..TO", each end a year of lo to hi as
// ReadYearArgument reads it; a range that runs backwards is a usage error.
// False after reporting, with the status.
bool ReadYears(const std::string& text, long long lo, long long hi, YearSpan& years, int& status);

// Splits "--name value" options out of args. Known options are given with a
// flag telling whether they take a value. Returns false (after reporting a
// usage error text in error) on an unknown option or a missing value.
struct Options {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> named;  // name without dashes, value
  bool Has(const std::string& name) const;
  std::string Get(const std::string& name, const std::string& fallback = "") const;
};
bool ParseOptions(const Args& args, const std::vector<std::pair<std::string, bool>>& known, Options& out,
                  std::string& error);

// Reads --lon and --lat where given into the place (the others keep their
// value): degrees in the decimal form, -180-180 and -90-90. False after
// reporting what was wrong, with the exit status in `status`.
bool ReadPlaceOptions(const Options& options, Place& place, int& status);

// A path the user gave, made absolute against the directory ombrel-cli was
// started in (the tool may have moved to the almanac's data directory); "-"
// (standard output, kStandardOutputName) stays as it is.
std::string OutputPath(const std::string& path);


// Writes UTF-8 text to stdout.
void Print(const std::string& line);

}  // namespace cli
