#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Result {
  int status = -1;
  std::string out;
};

Result RunCli(const std::string& args) {
  Result r;
  std::string command = std::string("'") + OMBREL_CLI + "' " + args + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
  int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Byte for byte, reporting the first line that differs.
void ExpectSameLines(const std::string& got, const std::string& want) {
  std::istringstream g(got), w(want);
  std::string gl, wl;
  for (int n = 1; std::getline(w, wl); ++n) {
    ASSERT_TRUE(std::getline(g, gl)) << "output ends before line " << n << ": " << wl;
    ASSERT_EQ(gl, wl) << "line " << n;
  }
  ASSERT_FALSE(std::getline(g, gl)) << "extra output: " << gl;
  EXPECT_EQ(got, want);  // line ends included
}

// A working directory with the built database and the anniversaries fixture.
class WorkDir {
 public:
  explicit WorkDir(bool withDatabase) {
    dir_ = fs::temp_directory_path() / ("ombrel-day-" + std::to_string(::getpid()) + (withDatabase ? "a" : "b"));
    fs::create_directories(dir_);
    if (withDatabase) fs::copy_file(OMBREL_DB_PATH, dir_ / "History.mdb", fs::copy_options::overwrite_existing);
    fs::copy_file(fs::path(OMBREL_FIXTURES) / "signs" / "kinenbi-cp932.dat", dir_ / "kinenbi.dat",
                  fs::copy_options::overwrite_existing);
  }
  ~WorkDir() { fs::remove_all(dir_); }
  std::string Arg() const { return "--workdir '" + dir_.string() + "'"; }

 private:
  fs::path dir_;
};

}  // namespace

// The whole output for a fixed moment, byte for byte.
TEST(DayCommand, GoldenOutput) {
  WorkDir wd(true);
  // Across the calendar table: its first years, the last Julian day, the
  // first year of the Western calendar, 2033's leap eleventh month, today.
  for (const char* date : {"2005-01-31 12", "2000-01-01 0", "-660-02-11 12", "1582-10-04 12", "1873-01-01 12",
                           "2033-12-22 12", "2026-12-10 12"}) {
    SCOPED_TRACE(date);
    std::string name = std::string("day-") + std::string(date).substr(0, 10) + ".txt";
    Result r = RunCli(wd.Arg() + " day " + date);
    EXPECT_EQ(r.status, 0);
    ExpectSameLines(r.out, ReadFile(fs::path(OMBREL_FIXTURES) / "view" / name));
  }
}

TEST(DayCommand, ExitStatuses) {
  WorkDir wd(true);
  WorkDir empty(false);
  struct Case {
    std::string args;
    int status;
  } cases[] = {
      {wd.Arg() + " day", 0},
      {wd.Arg() + " day 2005-13-01", 2},
      {wd.Arg() + " day 2005-01-31 25", 2},
      {wd.Arg() + " day 2005-01-31 noon", 2},
      {wd.Arg() + " day 2005-01-31 12 3", 2},
      {empty.Arg() + " day 2005-01-31", 1},  // no calendar database
  };
  for (const Case& c : cases) EXPECT_EQ(RunCli(c.args).status, c.status) << c.args;
}
