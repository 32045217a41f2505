// An output file with several hard links is rewritten where it stands, and
// still never loses its text: a full disk leaves the old text, a writer
// killed mid-copy leaves its whole new text for the next writer to put in
// place, and writers of one file take turns.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <string>
#include <vector>

#include "HardeningSupport.h"

using namespace hardening;

namespace {

// ombrel-cli writing the year list of `year` to out.csv, with a fault asked
// of the in-place rewrite ("" none).
testsupport::Invocation YearList(const WorkDir& dir, int year, const std::string& fault) {
  std::vector<std::string> argv = {"/usr/bin/env"};
  if (!fault.empty()) argv.push_back("OMBREL_TEST_WRITE_FAULT=" + fault);
  argv.insert(argv.end(), {OMBREL_CLI, "--workdir", dir.Path(), "yearlist", std::to_string(year), "--output",
                           dir.File("out.csv")});
  return {argv, dir.Path()};
}

CliRun WriteYear(const WorkDir& dir, int year, const std::string& fault = "") {
  return testsupport::RunAll({YearList(dir, year, fault)}, testsupport::kRunLimit, 1).front();
}

// The year list's text, written to a file of one name.
std::string Text(const WorkDir& dir, int year) {
  const CliRun r = RunCliAll(dir, {{"yearlist", std::to_string(year), "--output", "single.csv"}}).front();
  EXPECT_EQ(r.status, 0) << Describe(r);
  return ReadFile(dir.File("single.csv"));
}

std::vector<std::string> Names(const WorkDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.Path())) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

pid_t EndedProcessId() {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  ::waitpid(pid, nullptr, 0);
  return pid;
}

}  // namespace

TEST(HardLinkedOutput, FullDiskAndKilledWriterLeaveAWholeText) {
  WorkDir dir("hardlink");
  dir.CopyDatabase();
  const std::string y2024 = Text(dir, 2024), y2025 = Text(dir, 2025);
  ASSERT_EQ(WriteYear(dir, 2024).status, 0);
  ASSERT_EQ(::link(dir.File("out.csv").c_str(), dir.File("other.csv").c_str()), 0);
  // A user's own file with a name like the writer's is none of its business.
  const std::string look_alike = "out.csv.~ombrel-part-" + std::to_string(EndedProcessId()) + "-0";
  dir.Write(look_alike, "the user's");
  const std::vector<std::string> names = Names(dir);

  // No room for the new text: the old stays whole under both names.
  const CliRun full = WriteYear(dir, 2025, "no-space");
  EXPECT_EQ(full.status, 1) << Describe(full);
  EXPECT_NE(full.err.find(dir.File("out.csv")), std::string::npos) << full.err;
  EXPECT_NE(full.err.find("as it was"), std::string::npos) << full.err;
  EXPECT_EQ(ReadFile(dir.File("out.csv")), y2024);
  EXPECT_EQ(Names(dir), names);

  // Killed between cutting the file and writing it: the whole new text waits
  // beside it, and the next writer puts it in place before its own write
  // (which here finds no room and so leaves that text).
  const CliRun killed = WriteYear(dir, 2025, "kill-after-truncate");
  EXPECT_EQ(killed.signal, SIGKILL) << Describe(killed);
  EXPECT_EQ(Names(dir).size(), names.size() + 1);
  const CliRun next = WriteYear(dir, 2026, "no-space");
  EXPECT_EQ(next.status, 1) << Describe(next);
  EXPECT_EQ(ReadFile(dir.File("out.csv")), y2025);
  EXPECT_EQ(ReadFile(dir.File("other.csv")), y2025);
  EXPECT_EQ(Names(dir), names);
  EXPECT_EQ(ReadFile(dir.File(look_alike)), "the user's");
}

// Writers of one file with two names, all at once: each succeeds, and the
// file holds one of their texts whole.
TEST(HardLinkedOutput, ConcurrentWritersTakeTurns) {
  WorkDir dir("hardlink");
  dir.CopyDatabase();
  std::vector<std::string> texts;
  for (int year = 2020; year < 2028; ++year) texts.push_back(Text(dir, year));
  ASSERT_EQ(WriteYear(dir, 2019).status, 0);
  ASSERT_EQ(::link(dir.File("out.csv").c_str(), dir.File("other.csv").c_str()), 0);
  std::vector<testsupport::Invocation> writers;
  for (int year = 2020; year < 2028; ++year) writers.push_back(YearList(dir, year, ""));
  for (const CliRun& r : testsupport::RunAll(writers, testsupport::kRunLimit, 8)) EXPECT_EQ(r.status, 0) << Describe(r);
  const std::string text = ReadFile(dir.File("out.csv"));
  EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end()) << text.size() << " bytes";
  EXPECT_EQ(ReadFile(dir.File("other.csv")), text);
}
