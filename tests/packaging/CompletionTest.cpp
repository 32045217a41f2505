// The bash completion of ombrel-cli, loaded into a real bash the way
// bash-completion loads it and asked what a TAB offers after a command line.
// What it must offer is read from --help, so a new command or option that the
// completion misses fails here.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/packaging/HelpText.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using testsupport::Quote;

// A directory with a file and a subdirectory, for the file and directory
// arguments, that the completion runs in.
struct Completion {
  const testsupport::ScratchDir scratch{"ombrel_completion"};
  Completion() {
    scratch.Write("year.csv", "");
    fs::create_directory(scratch.File("sub"));
  }

  using Words = std::vector<std::string>;
  using Offered = std::set<std::string>;

  // What a TAB offers after each of these command lines (the words typed
  // after "ombrel-cli", the last one the word under the cursor), asked in one
  // bash with ombrel-cli found on PATH.
  std::vector<Offered> Offers(const std::vector<Words>& lines) const {
    std::string script = "source " + Quote(OMBREL_COMPLETION) + " || exit 9\n" +
                         "function=$(complete -p ombrel-cli | sed -n 's/.*-F \\([^ ]*\\) .*/\\1/p')\n"
                         "[ -n \"$function\" ] || exit 8\n";
    for (const Words& words : lines) {
      std::string array = "ombrel-cli";
      for (const std::string& w : words) array += " " + Quote(w);
      script += "COMP_WORDS=(" + array + "); COMP_CWORD=" + std::to_string(words.size()) +
                "; COMPREPLY=()\n\"$function\" ombrel-cli || exit 7\n"
                "printf '%s\\n' \"${COMPREPLY[@]}\" '" + kEnd + "'\n";
    }
    const testsupport::RunResult r = testsupport::RunShell(
        "cd " + Quote(scratch.Path()) + " && PATH=" + Quote(fs::path(OMBREL_CLI).parent_path().string()) +
        ":\"$PATH\" bash --norc --noprofile -c " + Quote(script));
    EXPECT_EQ(r.status, 0) << testsupport::Describe(r);
    std::vector<Offered> offered(1);
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) {
      if (line == kEnd) offered.emplace_back();
      else if (!line.empty()) offered.back().insert(line);
    }
    offered.pop_back();
    EXPECT_EQ(offered.size(), lines.size()) << r.out;
    offered.resize(lines.size());
    return offered;
  }
  static constexpr const char* kEnd = "--end of the offers--";
};

std::string Typed(const std::vector<std::string>& words) {
  std::string line = "ombrel-cli";
  for (const std::string& w : words) line += " " + w;
  return line;
}

TEST(Completion, OffersEveryCommandAndOptionThatHelpLists) {
  const Completion completion;
  const std::string help = helptext::CliHelp();
  const std::vector<std::string> commands = helptext::Commands(help);
  ASSERT_GE(commands.size(), 8u) << help;
  std::vector<Completion::Words> lines = {{""}, {"--"}};
  std::vector<Completion::Offered> want = {{commands.begin(), commands.end()}, helptext::GlobalOptions(help)};
  for (const std::string& command : commands) {
    const Completion::Offered options = helptext::Options(helptext::CliHelp(command));
    lines.push_back({command, "2033", "--"});
    // Options given before the command, with their values, do not hide it.
    lines.push_back({"--workdir", "sub", command, "--"});
    want.insert(want.end(), {options, options});
  }
  const std::vector<Completion::Offered> got = completion.Offers(lines);
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(got[i], want[i]) << Typed(lines[i]);
}

TEST(Completion, OffersTheValuesAnOptionTakes) {
  const Completion completion;
  const std::vector<std::pair<Completion::Words, Completion::Offered>> cases = {
      {{"yearlist", "2033", "--layout", ""}, {"lunisolar", "western"}},
      {{"yearlist", "2033", "--signs", "s"}, {"sexagenary", "six-day"}},
      {{"yearlist", "2033", "--calendar", ""}, {"julian", "gregorian"}},
      {{"yearlist", "2033", "--encoding", ""}, {"utf-8", "cp932"}},
      {{"astrodata", "2033", "--encoding=u"}, {"--encoding=utf-8"}},
      {{"yearlist", "2033", "--output", ""}, {"year.csv", "sub"}},
      {{"astrodata", "2033", "--output", "y"}, {"year.csv"}},
      {{"--workdir", ""}, {"sub"}},
      {{"bodies", "2024-04-08", "--lon", ""}, {}},  // a number: nothing to offer
      {{"nosuch", "--"}, {}},
  };
  std::vector<Completion::Words> lines;
  for (const auto& c : cases) lines.push_back(c.first);
  const std::vector<Completion::Offered> got = completion.Offers(lines);
  for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(got[i], cases[i].second) << Typed(cases[i].first);
}

}  // namespace
