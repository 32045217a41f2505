// What the GoogleTest programs share: scratch directories (with a private
// copy of the built calendar database), reading files whole, running the built
// ombrel-cli or a shell line with a time limit, and line-by-line golden checks.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Single-quoted for /bin/sh.
inline std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// A fresh directory under the test temp dir, removed again (made writable
// first) at the end. The name carries the process id and a per-process count,
// because ctest runs the tests side by side and one test may hold several.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& name) {
    static std::atomic<int> count{0};
    m_path = fs::path(::testing::TempDir()) /
             (name + "_" + std::to_string(::getpid()) + "_" + std::to_string(count++));
    Remove();
    fs::create_directories(m_path);
  }
  ~ScratchDir() { Remove(); }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string File(const std::string& name) const { return (m_path / name).string(); }
  std::string Path() const { return m_path.string(); }
  // A private copy of the built calendar database, for tests that write.
  std::string CopyDatabase(const std::string& name = "History.mdb") const {
    fs::copy_file(OMBREL_DB_PATH, File(name), fs::copy_options::overwrite_existing);
    return File(name);
  }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary | std::ios::trunc) << bytes;
    return File(name);
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

struct RunResult {
  int status = -1;  // the exit status, or -1 when it did not exit normally
  int signal = 0;   // the signal that ended it
  bool timedOut = false;
  std::string out, err;
  bool Exited() const { return status >= 0; }
};

// A printable account of a run for failure messages.
inline std::string Describe(const RunResult& r) {
  return "exit " + std::to_string(r.status) + " signal " + std::to_string(r.signal) +
         (r.timedOut ? " (timed out)" : "") + " stderr: " + r.err.substr(0, 300);
}

struct Invocation {
  std::vector<std::string> argv;  // argv[0] is the program's path
  std::string cwd;                // empty: the test's own directory
};

constexpr std::chrono::milliseconds kRunLimit = std::chrono::seconds(30);

// How long one bad input may keep an in-process fill busy before a test calls
// it a hang. A guard, not a speed test (the benchmarks measure speed): it has
// to hold on a loaded machine and under the sanitizers.
constexpr std::chrono::milliseconds kHangLimit = std::chrono::seconds(20);

// Runs the scope in another working directory and returns to the one it
// came from, so no test leaves the process in a directory that a later test
// (in any order) may find removed.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& path) : m_previous(fs::current_path()) {
    m_entered = ::chdir(path.c_str()) == 0;
  }
  ~WorkingDirectory() {
    std::error_code ec;
    fs::current_path(m_previous, ec);
  }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;
  bool Entered() const { return m_entered; }

 private:
  fs::path m_previous;
  bool m_entered = false;
};

// Sets an environment variable for the scope and puts back what was there
// (or its absence) afterwards.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : m_name(name) {
    const char* old = std::getenv(name);
    m_had = old != nullptr;
    if (m_had) m_old = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    if (m_had)
      ::setenv(m_name.c_str(), m_old.c_str(), 1);
    else
      ::unsetenv(m_name.c_str());
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string m_name, m_old;
  bool m_had = false;
};

// Runs `check` as a user whom file permissions bind: when the tests run as
// root (who reads and writes any file), in a child process as nobody (65534),
// after handing `dir` and what it holds to that user; as anyone else, here.
// True when `check` returned true.
inline bool AsUnprivilegedUser(const std::string& dir, const std::function<bool()>& check) {
  if (::geteuid() != 0) return check();
  constexpr uid_t kNobody = 65534;
  std::error_code ec;
  if (::lchown(dir.c_str(), kNobody, kNobody) != 0) return false;
  for (const auto& e : fs::recursive_directory_iterator(dir, ec))
    if (::lchown(e.path().c_str(), kNobody, kNobody) != 0) return false;
  const pid_t pid = ::fork();
  if (pid == 0) {
    const bool dropped = ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
    ::_exit(dropped && check() ? 0 : 1);
  }
  int status = 0;
  while (pid > 0 && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return pid > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The directory of the built calendar database.
inline std::string DatabaseDir() { return fs::path(OMBREL_DB_PATH).parent_path().string(); }

namespace detail {

struct Running {
  pid_t pid = -1;
  std::size_t index = 0;
  int fds[2] = {-1, -1};  // stdout, stderr
  bool exited = false;
  int status = 0;
  std::chrono::steady_clock::time_point deadline;
};

// Starts one program in a process group of its own (so that a time limit ends
// whatever it started too), stdin from /dev/null, stdout and stderr to pipes.
inline bool Start(const Invocation& inv, Running& job) {
  int out[2], err[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return false;
  if (::pipe2(err, O_CLOEXEC) != 0) {
    ::close(out[0]);
    ::close(out[1]);
    return false;
  }
  std::vector<std::string> args = inv.argv;
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setpgid(0, 0);
    const int in = ::open("/dev/null", O_RDONLY);
    if (in < 0 || ::dup2(in, 0) < 0 || ::dup2(out[1], 1) < 0 || ::dup2(err[1], 2) < 0) ::_exit(127);
    if (!inv.cwd.empty() && ::chdir(inv.cwd.c_str()) != 0) ::_exit(127);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  if (pid > 0) ::setpgid(pid, pid);  // whichever of the two runs first
  ::close(out[1]);
  ::close(err[1]);
  if (pid < 0) {
    ::close(out[0]);
    ::close(err[0]);
    return false;
  }
  job.pid = pid;
  job.fds[0] = out[0];
  job.fds[1] = err[0];
  return true;
}

inline void CloseFds(Running& job) {
  for (int& fd : job.fds)
    if (fd >= 0) ::close(fd), fd = -1;
}

// Reads what is there; closes a pipe at its end.
inline void Drain(int& fd, std::string& into) {
  char buf[65536];
  const ssize_t n = ::read(fd, buf, sizeof buf);
  if (n > 0) {
    into.append(buf, static_cast<std::size_t>(n));
  } else if (n == 0 || errno != EINTR) {
    ::close(fd);
    fd = -1;
  }
}

// Ends a run: a late one is killed with all it started, then reaped.
inline void Finish(Running& job, RunResult& r, bool late) {
  if (late) {
    ::kill(-job.pid, SIGKILL);
    ::kill(job.pid, SIGKILL);
  }
  while (!job.exited && ::waitpid(job.pid, &job.status, 0) < 0 && errno == EINTR) {
  }
  const int status = job.status;
  CloseFds(job);
  r.timedOut = late;
  if (!late && WIFEXITED(status)) r.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
}

}  // namespace detail

// Runs every invocation, up to `parallel` at a time, capturing stdout and
// stderr; one that takes longer than `limit` is killed and marked timed out.
inline std::vector<RunResult> RunAll(const std::vector<Invocation>& invocations,
                                     std::chrono::milliseconds limit = kRunLimit, int parallel = 1) {
  using Clock = std::chrono::steady_clock;
  std::vector<RunResult> results(invocations.size());
  std::vector<detail::Running> running;
  std::size_t next = 0;
  while (next < invocations.size() || !running.empty()) {
    while (next < invocations.size() && static_cast<int>(running.size()) < std::max(parallel, 1)) {
      detail::Running job;
      job.index = next;
      job.deadline = Clock::now() + limit;
      if (detail::Start(invocations[next], job)) running.push_back(job);
      ++next;
    }
    std::vector<pollfd> polled;
    auto soonest = Clock::time_point::max();
    long long longest = 100;  // ms; short while a run has closed its output but not yet ended
    for (const detail::Running& job : running) {
      soonest = std::min(soonest, job.deadline);
      if (job.fds[0] < 0 && job.fds[1] < 0) longest = 1;
      for (int fd : job.fds)
        if (fd >= 0) polled.push_back({fd, POLLIN, 0});
    }
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(soonest - Clock::now()).count();
    ::poll(polled.data(), polled.size(), static_cast<int>(std::clamp<long long>(wait + 1, 0, longest)));
    for (std::size_t k = 0; k < running.size();) {
      detail::Running& job = running[k];
      RunResult& r = results[job.index];
      for (const pollfd& p : polled) {
        if (!p.revents) continue;
        if (p.fd == job.fds[0]) detail::Drain(job.fds[0], r.out);
        if (p.fd == job.fds[1]) detail::Drain(job.fds[1], r.err);
      }
      if (job.fds[0] < 0 && job.fds[1] < 0 && !job.exited)
        job.exited = ::waitpid(job.pid, &job.status, WNOHANG) == job.pid;
      const bool late = !job.exited && Clock::now() > job.deadline;
      if (!job.exited && !late) {
        ++k;
        continue;
      }
      detail::Finish(job, r, late);
      running.erase(running.begin() + static_cast<long>(k));
    }
  }
  return results;
}

inline RunResult Run(const std::vector<std::string>& argv, std::chrono::milliseconds limit = kRunLimit,
                     const std::string& cwd = "") {
  return RunAll({{argv, cwd}}, limit).front();
}

// Runs a line through /bin/sh, for tests that need its redirections or `env`.
inline RunResult RunShell(const std::string& commandLine, std::chrono::milliseconds limit = kRunLimit) {
  return Run({"/bin/sh", "-c", commandLine}, limit);
}

// Runs the built ombrel-cli with these arguments.
inline RunResult RunCli(const std::vector<std::string>& args, std::chrono::milliseconds limit = kRunLimit,
                        const std::string& cwd = "") {
  std::vector<std::string> argv = {OMBREL_CLI};
  argv.insert(argv.end(), args.begin(), args.end());
  return Run(argv, limit, cwd);
}

// Byte for byte, reporting the first line that differs (shown through `show`,
// e.g. to make CP932 readable).
inline void ExpectSameLines(const std::string& got, const std::string& want,
                            const std::function<std::string(const std::string&)>& show = nullptr) {
  auto shown = [&](const std::string& line) { return show ? show(line) : line; };
  std::istringstream g(got), w(want);
  std::string gl, wl;
  for (int n = 1; std::getline(w, wl); ++n) {
    ASSERT_TRUE(std::getline(g, gl)) << "output ends before line " << n << ": " << shown(wl);
    ASSERT_EQ(gl, wl) << "line " << n << ":\n  " << shown(gl) << "\n  " << shown(wl);
  }
  ASSERT_FALSE(std::getline(g, gl)) << "extra output: " << shown(gl);
  EXPECT_EQ(got, want);  // line ends included
}

}  // namespace testsupport
