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

// A directory with files and subdirectories, one of each with a blank in its
// name, for the file and directory arguments, that the completion runs in.
struct Completion {
  const testsupport::ScratchDir scratch{"ombrel_completion"};
  Completion() {
    scratch.Write("year.csv", "");
    scratch.Write("my file.ics", "");
    fs::create_directory(scratch.File("sub"));
    fs::create_directory(scratch.File("my dir"));
  }

  using Words = std::vector<std::string>;
  using Offered = std::set<std::string>;

  // What a TAB offers after each of these command lines (the words after
  // "ombrel-cli" as bash hands them over: "--opt=v" comes as "--opt", "=",
  // "v"; the last one is the word under the cursor), asked in one bash with
  // ombrel-cli found on PATH. A completion that never ends fails the run at
  // the time limit; the offers printed so far show where it stopped.
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
        ":\"$PATH\" bash --norc --noprofile -c " + Quote(script),
        std::chrono::seconds(120));
    EXPECT_EQ(r.status, 0) << testsupport::Describe(r) << "\n" << r.out.substr(r.out.size() > 2000 ? r.out.size() - 2000 : 0);
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
      {{"yearlist", "2033", "--output", ""}, {"year.csv", "sub", "my file.ics", "my dir"}},
      {{"astrodata", "2033", "--output", "y"}, {"year.csv"}},
      {{"--workdir", ""}, {"sub", "my dir"}},
      {{"bodies", "2024-04-08", "--lon", ""}, {}},  // a number: nothing to offer
      {{"nosuch", "--"}, {}},
      // --opt=VALUE as bash splits it: the value alone is offered.
      {{"astrodata", "2033", "--encoding", "="}, {"utf-8", "cp932"}},
      {{"astrodata", "2033", "--encoding", "=", "c"}, {"cp932"}},
      {{"yearlist", "2033", "--layout", "="}, {"lunisolar", "western"}},
      {{"ics", "2024", "--output", "=", "y"}, {"year.csv"}},
      {{"--workdir", "=", "s"}, {"sub"}},
      // After an option given as --opt=VALUE come the commands.
      {{"--workdir", "=", "sub", "h"}, {"holidays"}},
      {{"--workdir=sub", "h"}, {"holidays"}},
      // A comma list, item by item; the items already typed are not offered again.
      {{"ics", "2024", "--what", ""}, {"terms", "phases", "holidays", "sixday", "observances", "lunar", "eclipses"}},
      {{"ics", "2024", "--what", "terms,ph"}, {"terms,phases"}},
      {{"ics", "2024", "--what", "lunar,terms,"},
       {"lunar,terms,phases", "lunar,terms,holidays", "lunar,terms,sixday", "lunar,terms,observances",
        "lunar,terms,eclipses"}},
      {{"ics", "2024", "--what", "e"}, {"eclipses"}},
      {{"ics", "2024", "--what", "=", "ho"}, {"holidays"}},
      // Names with blanks are one offer, however the blank was typed.
      {{"ics", "2024", "--output", "my"}, {"my file.ics", "my dir"}},
      {{"ics", "2024", "--output", "my\\ f"}, {"my file.ics"}},
      {{"ics", "2024", "--output", "'my f"}, {"my file.ics"}},
      {{"ics", "2024", "--output", "\"my d"}, {"my dir"}},
      {{"--workdir", "my\\ "}, {"my dir"}},
      // Places by name, and the zones among them.
      {{"--place", "鹿"}, {"鹿児島県", "鹿児島市"}},
      {{"--place=America/New_Y"}, {"--place=America/New_York"}},
      {{"--place", "=", "New_Y"}, {"New_York"}},
      {{"--zone", "Asia/Tok"}, {"Asia/Tokyo"}},
      {{"--zone", "d"}, {"design"}},
  };
  std::vector<Completion::Words> lines;
  for (const auto& c : cases) lines.push_back(c.first);
  const std::vector<Completion::Offered> got = completion.Offers(lines);
  for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(got[i], cases[i].second) << Typed(cases[i].first);
}

// Every option of every command and of the overall help, its value asked for
// in each form a user types: each ends, and the split form offers what the
// separate word does.
TEST(Completion, EveryOptionsValueCompletesInEveryForm) {
  const Completion completion;
  const std::string help = helptext::CliHelp();
  std::vector<std::pair<std::string, std::string>> options;  // command ("" before one), option
  for (const std::string& o : helptext::GlobalOptions(help)) options.emplace_back("", o);
  for (const std::string& command : helptext::Commands(help))
    for (const std::string& o : helptext::Options(helptext::CliHelp(command))) options.emplace_back(command, o);
  ASSERT_GE(options.size(), 20u);
  std::vector<Completion::Words> lines;
  for (const auto& [command, option] : options) {
    const Completion::Words head = command.empty() ? Completion::Words{} : Completion::Words{command, "2024"};
    for (const Completion::Words& tail : std::vector<Completion::Words>{{option, ""}, {option, "="}, {option + "="}}) {
      lines.push_back(head);
      lines.back().insert(lines.back().end(), tail.begin(), tail.end());
    }
  }
  const std::vector<Completion::Offered> got = completion.Offers(lines);
  ASSERT_EQ(got.size(), lines.size());
  const std::vector<std::string> commands = helptext::Commands(help);
  const Completion::Offered commandSet(commands.begin(), commands.end());
  for (std::size_t i = 0; i < lines.size(); i += 3) {
    // After a flag a separate word is the command (or nothing); a flag has no
    // "=VALUE" to offer.
    const bool flag = got[i].empty() || got[i] == commandSet;
    const std::string& option = lines[i + 2].back();
    Completion::Offered prefixed;
    if (!flag)
      for (const std::string& value : got[i]) prefixed.insert(option + value);
    EXPECT_EQ(got[i + 1], flag ? Completion::Offered{} : got[i]) << Typed(lines[i + 1]);
    EXPECT_EQ(got[i + 2], prefixed) << Typed(lines[i + 2]);
  }
}

}  // namespace
