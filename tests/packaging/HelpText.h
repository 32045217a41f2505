// Reading the programs' --help the way a user reads it: the command list, the
// options given before a command, and every --option a text names.
#pragma once

#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace helptext {

// The lines of the block that starts with a line beginning with `heading`
// and ends at the next empty line.
inline std::vector<std::string> Block(const std::string& help, const std::string& heading) {
  std::vector<std::string> lines;
  std::istringstream in(help);
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(heading, 0) == 0) inside = true;
    else if (line.empty()) inside = false;
    else if (inside) lines.push_back(line);
  }
  return lines;
}

// The names in the "Commands:" list: lines indented by exactly two blanks.
inline std::vector<std::string> Commands(const std::string& help) {
  std::vector<std::string> names;
  for (const std::string& line : Block(help, "Commands:"))
    if (line.size() > 2 && line.compare(0, 2, "  ") == 0 && line[2] != ' ')
      names.push_back(line.substr(2, line.find(' ', 2) - 2));
  return names;
}

inline std::set<std::string> Options(const std::string& text) {
  static const std::regex option("--[a-z][a-z0-9-]*");
  std::set<std::string> found;
  for (std::sregex_iterator it(text.begin(), text.end(), option), end; it != end; ++it) found.insert(it->str());
  return found;
}

// The options listed before the commands' (the "Options ...:" block).
inline std::set<std::string> GlobalOptions(const std::string& help) {
  std::string block;
  for (const std::string& line : Block(help, "Options")) block += line + "\n";
  return Options(block);
}

// The help of the built ombrel-cli: the overall one, or one command's.
inline std::string CliHelp(const std::string& command = "") {
  const testsupport::RunResult r =
      command.empty() ? testsupport::RunCli({"--help"}) : testsupport::RunCli({command, "--help"});
  EXPECT_EQ(r.status, 0) << command << " " << testsupport::Describe(r);
  return r.out;
}

}  // namespace helptext
