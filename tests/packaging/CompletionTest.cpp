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

  // What a TAB offers when the words typed so far are `words` (the last one
  // is the word under the cursor), ombrel-cli found on PATH.
  std::set<std::string> Offers(const std::vector<std::string>& words) const {
    std::string array = "ombrel-cli";
    for (const std::string& w : words) array += " " + Quote(w);
    const std::string script =
        "source " + Quote(OMBREL_COMPLETION) + " || exit 9\n" +
        "function=$(complete -p ombrel-cli | sed -n 's/.*-F \\([^ ]*\\) .*/\\1/p')\n"
        "[ -n \"$function\" ] || exit 8\n"
        "COMP_WORDS=(" + array + ")\n" +
        "COMP_CWORD=" + std::to_string(words.size()) + "\n" +
        "\"$function\" ombrel-cli || exit 7\n"
        "printf '%s\\n' \"${COMPREPLY[@]}\"\n";
    const testsupport::RunResult r = testsupport::RunShell(
        "cd " + Quote(scratch.Path()) + " && PATH=" + Quote(fs::path(OMBREL_CLI).parent_path().string()) +
        ":\"$PATH\" bash --norc --noprofile -c " + Quote(script));
    EXPECT_EQ(r.status, 0) << testsupport::Describe(r);
    std::set<std::string> offered;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);)
      if (!line.empty()) offered.insert(line);
    return offered;
  }
};

TEST(Completion, OffersEveryCommandAndOptionThatHelpLists) {
  const Completion completion;
  const std::string help = helptext::CliHelp();
  const std::vector<std::string> commands = helptext::Commands(help);
  ASSERT_GE(commands.size(), 8u) << help;
  EXPECT_EQ(completion.Offers({""}), std::set<std::string>(commands.begin(), commands.end()));
  EXPECT_EQ(completion.Offers({"--"}), helptext::GlobalOptions(help));
  for (const std::string& command : commands) {
    const std::set<std::string> options = helptext::Options(helptext::CliHelp(command));
    EXPECT_EQ(completion.Offers({command, "2033", "--"}), options) << command;
    // Options given before the command, with their values, do not hide it.
    EXPECT_EQ(completion.Offers({"--workdir", "sub", command, "--"}), options) << command;
  }
}

TEST(Completion, OffersTheValuesAnOptionTakes) {
  const Completion completion;
  const struct {
    std::vector<std::string> words;
    std::set<std::string> offered;
  } cases[] = {
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
  for (const auto& c : cases) {
    std::string line;
    for (const std::string& w : c.words) line += w + " ";
    EXPECT_EQ(completion.Offers(c.words), c.offered) << line;
  }
}

}  // namespace
