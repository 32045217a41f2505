// The manual pages as `man` shows them: every command and option of the
// programs' --help is there, with the sections a reader looks for, and man
// itself has nothing to complain about.
#include <gtest/gtest.h>

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
