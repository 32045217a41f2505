// The command-line tool's commands. Each command lives in its own file and
// registers itself with a static CommandRegistration, so adding a command
// touches no other file.
#pragma once

#include "core/Args.h"

#include <string>
#include <vector>

namespace cli {

// Exit statuses: 0 success, 1 a failure while doing the work (a file that
// cannot be written, a database error), 2 a usage error.
enum ExitStatus { kOk = 0, kFailure = 1, kUsage = 2 };

using Args = std::vector<std::string>;
using CommandFn = int (*)(const Args& args);

struct Command {
  const char* name;
  const char* synopsis;  // "terms YEAR"
  const char* summary;   // one line for --help
  CommandFn run;
};

struct CommandRegistration {
  explicit CommandRegistration(Command c);
};

const std::vector<Command>& Commands();

// Reports a usage error on stderr ("ombrel-cli: <message>") and returns kUsage.
int UsageError(const std::string& message);
// Reports a failure on stderr and returns kFailure.
int Failure(const std::string& message);

// Strict readers for arguments: the whole text must be the number, finite and
// within [lo, hi]; on failure they return false and leave the output alone.
using args::ParseDouble;
using args::ParseInt;
// YYYY-MM-DD with an optional leading minus on the year; month 1..12, day
// 1..31 (the day is not checked against the month's length).
using args::ParseDate;

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

// A path the user gave, made absolute against the directory ombrel-cli was
// started in (the tool may have moved to the almanac's data directory).
std::string OutputPath(const std::string& path);

// Writes UTF-8 text to stdout.
void Print(const std::string& line);

}  // namespace cli
