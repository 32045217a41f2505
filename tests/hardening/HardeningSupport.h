// Shared by the bad-input, randomized and lost-data tests: scratch working
// directories with a private calendar database, and the built ombrel-cli run
// under a time limit so that a hang fails the test instead of stalling it.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <string>
#include <vector>

#include "caldb/Digest.h"
#include "caldb/Schema.h"
#include "tests/support/TestSupport.h"

namespace hardening {

namespace fs = std::filesystem;

using testsupport::Describe;
using testsupport::ReadFile;
using CliRun = testsupport::RunResult;

class WorkDir : public testsupport::ScratchDir {
 public:
  explicit WorkDir(const std::string& name) : ScratchDir("hardening_" + name) {}
};

// Runs a statement on a database file, as a damaged copy is made; the
// digest of its rows in the header stays the shipped one, so the programs'
// content check finds the change.
inline void DamageSql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* message = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
  const std::string text = message ? message : "";
  sqlite3_free(message);
  sqlite3_close(db);
  ASSERT_EQ(rc, SQLITE_OK) << sql << ": " << text;
}

// The same, then the digest stored anew, as a file built with those rows
// carries it: the readers' own checks of each row are what meets the change.
inline void ExecSql(const std::string& path, const std::string& sql) {
  DamageSql(path, sql);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  std::uint32_t digest = 0;
  std::string error;
  // A file whose tables cannot be read, or that the shape check refuses
  // before any row is read (a view may be endless), keeps its old digest.
  if (CalendarSchemaProblem(db).empty() && CalendarDigest(db, digest, error))
    sqlite3_exec(db, ("PRAGMA user_version = " + std::to_string(static_cast<std::int32_t>(digest))).c_str(), nullptr,
                 nullptr, nullptr);
  sqlite3_close(db);
}

// Runs ombrel-cli --workdir dir ARGS for each argument vector, with dir as
// its current directory, up to `parallel` at a time; a run that takes longer
// than `limit` is killed and marked as timed out.
// Without passWorkdir the tool picks its directory itself, from dir.
inline std::vector<CliRun> RunCliAll(const WorkDir& dir, const std::vector<std::vector<std::string>>& argLists,
                                     std::chrono::milliseconds limit = testsupport::kRunLimit, int parallel = 4,
                                     bool passWorkdir = true) {
  std::vector<testsupport::Invocation> invocations;
  for (const auto& args : argLists) {
    std::vector<std::string> argv = {OMBREL_CLI};
    if (passWorkdir) argv.insert(argv.end(), {"--workdir", dir.Path()});
    argv.insert(argv.end(), args.begin(), args.end());
    invocations.push_back({argv, dir.Path()});
  }
  return testsupport::RunAll(invocations, limit, parallel);
}

inline CliRun RunCli(const WorkDir& dir, const std::vector<std::string>& args,
                     std::chrono::milliseconds limit = testsupport::kRunLimit) {
  return RunCliAll(dir, {args}, limit, 1).front();
}

// True when the error output is the one line a failure or usage error gives.
inline bool IsOneLineError(const std::string& err) {
  return err.rfind("ombrel-cli: ", 0) == 0 && err.find('\n') == err.size() - 1;
}

}  // namespace hardening
