// Shared by the calendar database tests: scratch directories and copies of
// the built database, and running the built programs.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace caldbtest {

namespace fs = std::filesystem;

// A fresh directory under the test temp dir, removed again at the end.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& name) {
    m_path = fs::path(::testing::TempDir()) / ("caldb_" + name + "_" + std::to_string(getpid()));
    fs::remove_all(m_path);
    fs::create_directories(m_path);
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
  }
  std::string File(const std::string& name) const { return (m_path / name).string(); }
  std::string Path() const { return m_path.string(); }
  // A private copy of the built calendar database, for tests that write.
  std::string CopyDatabase(const std::string& name = "History.mdb") const {
    fs::copy_file(OMBREL_DB_PATH, File(name), fs::copy_options::overwrite_existing);
    return File(name);
  }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary) << bytes;
  }

 private:
  fs::path m_path;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

struct RunResult {
  int status = -1;
  std::string out, err;
};

// Runs a shell command line, capturing stdout and stderr.
inline RunResult RunCommand(const std::string& commandLine, const ScratchDir& scratch) {
  const std::string errFile = scratch.File("stderr.txt");
  RunResult r;
  FILE* p = popen((commandLine + " 2>" + Quote(errFile)).c_str(), "r");
  if (!p) return r;
  char buf[4096];
  for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
  int raw = pclose(p);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.err = ReadFile(errFile);
  return r;
}

}  // namespace caldbtest
