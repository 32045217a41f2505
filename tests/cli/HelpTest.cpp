// The help texts name every command and every option the commands accept, so
// a user never has to read the source to find one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

using HelpRun = testsupport::RunResult;

HelpRun RunHelp(const std::string& arguments) {
  return testsupport::RunShell(testsupport::Quote(OMBREL_CLI) + " " + arguments);
}

// The part of the overall help from one command's synopsis to the next
// command's (a line with two blanks before a letter) or the blank line after.
std::string CommandBlock(const std::string& help, const std::string& command) {
  const std::size_t at = help.find("\n  " + command + " ");
  if (at == std::string::npos) return "";
  std::size_t end = at + 1;
  while ((end = help.find('\n', end + 1)) != std::string::npos) {
    if (end + 1 < help.size() && help[end + 1] == '\n') break;
    if (help.compare(end + 1, 2, "  ") == 0 && end + 3 < help.size() && help[end + 3] != ' ') break;
  }
  return help.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

TEST(CliHelp, EveryCommandAndOptionIsDocumented) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> commands = {
      {"astrodata", {"--output", "--hour", "--lon", "--lat", "--encoding"}},
      {"bodies", {"--lon", "--lat"}},
      {"day", {}},
      {"eclipses", {"--lon", "--lat"}},
      {"holidays", {}},
      {"ics", {"--output", "--what"}},
      {"lunar", {}},
      {"phases", {}},
      {"terms", {}},
      {"western", {"--leap"}},
      {"yearlist", {"--output", "--layout", "--signs", "--calendar", "--encoding"}},
  };
  const HelpRun all = RunHelp("--help");
  ASSERT_EQ(all.status, 0);
  for (const char* global : {"--help", "--version", "--workdir", "--json"})
    EXPECT_NE(all.out.find(global), std::string::npos) << global;
  for (const auto& [command, options] : commands) {
    const std::string block = CommandBlock(all.out, command);
    ASSERT_FALSE(block.empty()) << command << " is missing from --help";
    const HelpRun one = RunHelp(command + " --help");
    EXPECT_EQ(one.status, 0) << command;
    EXPECT_EQ(one.out.rfind("Usage: ombrel-cli " + command, 0), 0u) << one.out;
    for (const std::string& option : options) {
      EXPECT_NE(block.find(option), std::string::npos) << command << " " << option << " in --help";
      EXPECT_NE(one.out.find(option), std::string::npos) << command << " " << option << " in its own help";
    }
  }
}

}  // namespace
