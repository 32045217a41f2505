// Shared by the bad-input, randomized and lost-data tests: scratch working
// directories with a private calendar database, and the built ombrel-cli run
// under a time limit so that a hang fails the test instead of stalling it.
#pragma once

#include <fcntl.h>
#include <sqlite3.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace hardening {

namespace fs = std::filesystem;

// A fresh working directory, removed again (made writable first) at the end.
class WorkDir {
 public:
  explicit WorkDir(const std::string& name) {
    m_path = fs::path(::testing::TempDir()) / ("hardening_" + name + "_" + std::to_string(::getpid()));
    Remove();
    fs::create_directories(m_path);
  }
  ~WorkDir() { Remove(); }
  std::string File(const std::string& name) const { return (m_path / name).string(); }
  std::string Path() const { return m_path.string(); }
  std::string CopyDatabase() const {
    fs::copy_file(OMBREL_DB_PATH, File("History.mdb"), fs::copy_options::overwrite_existing);
    return File("History.mdb");
  }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary | std::ios::trunc) << bytes;
    return File(name);
  }
  // Every entry but the database: what a command left behind.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(m_path)) names.push_back(e.path().filename().string());
    return names;
  }

 private:
  void Remove() {
    std::error_code ec;
    if (!fs::exists(m_path, ec)) return;
    for (const auto& e : fs::recursive_directory_iterator(m_path, ec))
      fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
  }
  fs::path m_path;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Runs a statement on a database file, as a damaged copy is made.
inline void ExecSql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* message = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
  const std::string text = message ? message : "";
  sqlite3_free(message);
  sqlite3_close(db);
  ASSERT_EQ(rc, SQLITE_OK) << sql << ": " << text;
}

struct CliRun {
  int exitCode = -1;  // the exit status, or -1 when it did not exit normally
  int signal = 0;     // the signal that ended it
  bool timedOut = false;
  std::string out, err;
  bool Exited() const { return exitCode >= 0; }
};

// Runs ombrel-cli --workdir dir ARGS with dir as its current directory, and
// kills it when it takes longer than `limit`.
inline CliRun RunCli(const WorkDir& dir, const std::vector<std::string>& args,
                  std::chrono::milliseconds limit = std::chrono::seconds(30)) {
  const std::string outFile = dir.File(".stdout"), errFile = dir.File(".stderr");
  std::vector<std::string> all = {OMBREL_CLI, "--workdir", dir.Path()};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  CliRun r;
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || ::chdir(dir.Path().c_str()) != 0) ::_exit(127);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  if (pid < 0) return r;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      r.timedOut = true;
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (!r.timedOut && WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
  r.out = ReadFile(outFile);
  r.err = ReadFile(errFile);
  fs::remove(outFile);
  fs::remove(errFile);
  return r;
}

// A printable account of a run for failure messages.
inline std::string Describe(const CliRun& r) {
  return "exit " + std::to_string(r.exitCode) + " signal " + std::to_string(r.signal) +
         (r.timedOut ? " (timed out)" : "") + " stderr: " + r.err.substr(0, 300);
}

// True when the error output is the one line a failure or usage error gives.
inline bool IsOneLineError(const std::string& err) {
  return err.rfind("ombrel-cli: ", 0) == 0 && err.find('\n') == err.size() - 1;
}

}  // namespace hardening
