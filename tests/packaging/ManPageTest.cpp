// The manual pages as `man` shows them: every command and option of the
// programs' --help is there, with the sections a reader looks for, and man
// itself has nothing to complain about.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "tests/packaging/HelpText.h"
#include "tests/support/TestSupport.h"

#ifdef OMBREL_MAN_DIR

namespace {

using testsupport::Quote;
using testsupport::RunShell;

// Runs of blanks and line breaks as one blank, so a text matches however
// man filled the paragraph.
std::string Squeezed(const std::string& text) {
  std::string out;
  for (char c : text) {
    const bool blank = c == ' ' || c == '\n' || c == '\t';
    if (blank && (out.empty() || out.back() == ' ')) continue;
    out += blank ? ' ' : c;
  }
  return out;
}

std::string Page(const std::string& program) { return std::string(OMBREL_MAN_DIR) + "/" + program + ".1.gz"; }

// The page as man prints it to a pipe (plain text), one paragraph a line.
std::string Rendered(const std::string& program) {
  const testsupport::RunResult r =
      RunShell("LC_ALL=C.UTF-8 MANWIDTH=2000 man --nj --nh -l " + Quote(Page(program)));
  EXPECT_EQ(r.status, 0) << testsupport::Describe(r);
  return r.out;
}

struct PageCase {
  std::string program;
  std::string help;
  std::vector<std::string> sections;
  std::vector<std::string> texts;  // further texts the page must hold
};

void ExpectPageCovers(const PageCase& c) {
  SCOPED_TRACE(c.program);
  const std::string page = Rendered(c.program);
  for (const std::string& section : c.sections)
    EXPECT_NE(page.find("\n" + section + "\n"), std::string::npos) << "section " << section << "\n" << page;
  const std::string squeezed = Squeezed(page);
  for (const std::string& option : helptext::Options(c.help))
    EXPECT_NE(page.find(option), std::string::npos) << option;
  for (const std::string& text : c.texts) EXPECT_NE(squeezed.find(Squeezed(text)), std::string::npos) << text;
  EXPECT_NE(page.find(c.program + " " + OMBREL_VERSION), std::string::npos) << "the version in the footer";

  // What lintian checks too: groff's warnings at the usual width.
  const testsupport::RunResult warnings =
      RunShell("LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z " + Quote(Page(c.program)) +
               " >/dev/null");
  EXPECT_EQ(warnings.status, 0) << testsupport::Describe(warnings);
  EXPECT_EQ(warnings.err, "");
}

TEST(ManPage, CliPageHasEveryCommandAndOptionOfTheHelp) {
  const std::string help = helptext::CliHelp();
  PageCase c{"ombrel-cli", help,
             {"NAME", "SYNOPSIS", "DESCRIPTION", "COMMANDS", "OPTIONS", "FILES", "ENVIRONMENT", "EXIT STATUS",
              "EXAMPLES"},
             {"History.mdb", "ombrel.dat", "prefix:text,month,day", "XDG_DATA_HOME"}};
  const std::vector<std::string> commands = helptext::Commands(help);
  ASSERT_GE(commands.size(), 8u) << help;
  for (const std::string& command : commands) {
    // The command's own synopsis, and its options, whole.
    const std::string own = helptext::CliHelp(command);
    const std::string usage = own.substr(0, own.find('\n'));
    c.texts.push_back(usage.substr(usage.find(command)));
    c.help += own;
  }
  ExpectPageCovers(c);
}

// The commands named in a text after `head` up to the closing parenthesis:
// "--json ... (day, lunar, ...)".
std::vector<std::string> NamesAfter(const std::string& text, const std::string& head) {
  const std::size_t at = text.find(head);
  if (at == std::string::npos) return {};
  const std::size_t open = text.find('(', at), close = text.find(')', open);
  std::vector<std::string> names;
  std::istringstream list(Squeezed(text.substr(open + 1, close - open - 1)));
  for (std::string name; std::getline(list, name, ',');) names.push_back(name.substr(name.find_first_not_of(' ')));
  return names;
}

// The command list of --help and the page's COMMANDS are the same, in the
// same order, and both name as --json commands exactly those that take it.
TEST(ManPage, CommandsAndJsonCommandsAgreeWithTheProgram) {
  const std::string help = helptext::CliHelp();
  const std::string page = Rendered("ombrel-cli");
  const std::vector<std::string> commands = helptext::Commands(help);
  std::vector<std::string> onPage;
  {
    std::istringstream in(page.substr(page.find("\nCOMMANDS\n"), page.find("\nOPTIONS\n") - page.find("\nCOMMANDS\n")));
    for (std::string line; std::getline(in, line);)
      if (line.size() > 7 && line.compare(0, 7, "       ") == 0 && line[7] != ' ') {
        const std::string name = line.substr(7, line.find(' ', 7) - 7);
        if (std::find(commands.begin(), commands.end(), name) != commands.end()) onPage.push_back(name);
      }
  }
  EXPECT_EQ(onPage, commands) << page;
  std::vector<std::string> json;
  const testsupport::ScratchDir dir{"manpage-json"};
  dir.CopyDatabase();
  for (const std::string& command : commands) {
    const testsupport::RunResult r = testsupport::RunCli({"--workdir", dir.Path(), "--json", command, "--no-such-option"});
    if (r.err.find("--json is not available") == std::string::npos) json.push_back(command);
  }
  EXPECT_GE(json.size(), 8u);
  EXPECT_EQ(NamesAfter(help, "--json "), json) << help;
  EXPECT_EQ(NamesAfter(page.substr(page.find("\nOPTIONS\n")), "--json"), json);
}

// What the page says of the settings file and the environment holds: every
// key the programs read, and no claim that TZ sets the clock.
TEST(ManPage, SettingsKeysAndEnvironmentAreTrue) {
  const std::string page = Squeezed(Rendered("ombrel-cli"));
  for (const char* key : {"model=precise", "zone=NAME", "holidays=1", "eclipses=1", "qt-language=system", "place=NAME", "moonlight=1"})
    EXPECT_NE(page.find(key), std::string::npos) << key;
  EXPECT_NE(page.find("writes six of them"), std::string::npos);
  EXPECT_NE(page.find("TZ has no effect"), std::string::npos);
  EXPECT_EQ(page.find("system clock is read"), std::string::npos);
}

// Each file of FILES is one entry: a reader meets one description of it.
TEST(ManPage, EachFileIsDescribedOnce) {
  std::vector<std::string> programs = {"ombrel-cli"};
#ifdef OMBREL_WINDOW
  programs.push_back("ombrel");
#endif
  for (const std::string& program : programs) {
    const std::string page = Rendered(program);
    for (const char* file : {"History.mdb", "ombrel.dat", "ombrel.conf", "kinenbi.dat"}) {
      int heads = 0;
      std::istringstream in(page);
      for (std::string line; std::getline(in, line);)
        if (line.find_first_not_of(' ') != std::string::npos && line.substr(line.find_first_not_of(' ')) == file) ++heads;
      EXPECT_EQ(heads, 1) << program << ": " << file;
    }
  }
}

#ifdef OMBREL_WINDOW
TEST(ManPage, WindowPageHasEveryOptionOfTheHelp) {
  const testsupport::RunResult help = testsupport::Run({OMBREL_WINDOW, "--help"});
  ASSERT_EQ(help.status, 0) << testsupport::Describe(help);
  ExpectPageCovers({"ombrel",
                    help.out,
                    {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "FILES", "ENVIRONMENT", "EXIT STATUS", "EXAMPLES"},
                    {"kinenbi.dat", "ombrel-cli(1)"}});
}
#endif

}  // namespace

#endif
