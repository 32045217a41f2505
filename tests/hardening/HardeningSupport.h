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

// Runs ombrel-cli --workdir dir ARGS for each argument vector, with dir as
// its current directory, up to `parallel` at a time; a run that takes longer
// than `limit` is killed and marked as timed out.
// Without passWorkdir the tool picks its directory itself, from dir.
inline std::vector<CliRun> RunCliAll(const WorkDir& dir, const std::vector<std::vector<std::string>>& argLists,
                                     std::chrono::milliseconds limit = std::chrono::seconds(30), int parallel = 4,
                                     bool passWorkdir = true) {
  struct Job {
    pid_t pid;
    std::size_t index;
    std::chrono::steady_clock::time_point deadline;
  };
  std::vector<CliRun> runs(argLists.size());
  auto outFile = [&](std::size_t i) { return dir.File(".stdout-" + std::to_string(i)); };
  auto errFile = [&](std::size_t i) { return dir.File(".stderr-" + std::to_string(i)); };
  auto start = [&](std::size_t i) -> pid_t {
    std::vector<std::string> all = {OMBREL_CLI};
    if (passWorkdir) all.insert(all.end(), {"--workdir", dir.Path()});
    all.insert(all.end(), argLists[i].begin(), argLists[i].end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string out = outFile(i), err = errFile(i);
    const pid_t pid = ::fork();
    if (pid == 0) {
      const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (o < 0 || e < 0 || ::chdir(dir.Path().c_str()) != 0) ::_exit(127);
      ::dup2(o, 1);
      ::dup2(e, 2);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    return pid;
  };
  auto finish = [&](const Job& job, int status, bool timedOut) {
    CliRun& r = runs[job.index];
    r.timedOut = timedOut;
    if (!timedOut && WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
    r.out = ReadFile(outFile(job.index));
    r.err = ReadFile(errFile(job.index));
    std::error_code ec;
    fs::remove(outFile(job.index), ec);
    fs::remove(errFile(job.index), ec);
  };
  std::vector<Job> running;
  std::size_t next = 0;
  while (next < argLists.size() || !running.empty()) {
    while (next < argLists.size() && static_cast<int>(running.size()) < parallel) {
      const pid_t pid = start(next);
      if (pid > 0) running.push_back({pid, next, std::chrono::steady_clock::now() + limit});
      ++next;
    }
    bool any = false;
    for (std::size_t k = 0; k < running.size();) {
      int status = 0;
      const Job job = running[k];
      bool late = false;
      if (::waitpid(job.pid, &status, WNOHANG) != job.pid) {
        late = std::chrono::steady_clock::now() > job.deadline;
        if (!late) {
          ++k;
          continue;
        }
        ::kill(job.pid, SIGKILL);
        ::waitpid(job.pid, &status, 0);
      }
      finish(job, status, late);
      running.erase(running.begin() + static_cast<long>(k));
      any = true;
    }
    if (!any) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return runs;
}

inline CliRun RunCli(const WorkDir& dir, const std::vector<std::string>& args,
                     std::chrono::milliseconds limit = std::chrono::seconds(30)) {
  return RunCliAll(dir, {args}, limit, 1).front();
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
