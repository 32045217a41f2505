// Two yearly files written at the same time from one calendar database: each
// run's Memory rewrite and read-back must not see the other's year.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The 1-based number of the first line where two texts differ; 0 when equal.
int FirstDifferentLine(const std::string& a, const std::string& b) {
  std::istringstream sa(a), sb(b);
  std::string la, lb;
  for (int n = 1;; ++n) {
    const bool ga = static_cast<bool>(std::getline(sa, la)), gb = static_cast<bool>(std::getline(sb, lb));
    if (!ga && !gb) return a == b ? 0 : n;
    if (ga != gb || la != lb) return n;
  }
}

// `ombrel-cli astrodata YEAR` in `dir`, bounded in time; its exit status.
int RunAstroData(const fs::path& dir, const std::string& year) {
  const std::string cmd = "timeout 60 " + std::string(OMBREL_CLI) + " --workdir " + dir.string() + " astrodata " +
                          year + " --output " + (dir / (year + ".csv")).string() + " 2>" +
                          (dir / (year + ".err")).string();
  const int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A scratch directory, removed however the test ends.
struct ScratchDir {
  fs::path path;
  ScratchDir() {
    char tmpl[] = "/tmp/ombrel-concurrent-XXXXXX";
    if (mkdtemp(tmpl)) path = tmpl;
  }
  ~ScratchDir() {
    std::error_code ignored;
    if (!path.empty()) fs::remove_all(path, ignored);
  }
};

TEST(ConcurrentYearlyFiles, TwoYearsAtOnceEachGetTheirOwnEvents) {
  ScratchDir scratch;
  ASSERT_FALSE(scratch.path.empty());
  const fs::path& dir = scratch.path;
  fs::copy_file(OMBREL_DB_PATH, dir / "History.mdb");
  const std::string years[] = {"2000", "2001"};
  std::string golden[2];
  for (int i = 0; i < 2; ++i) golden[i] = ReadAll(fs::path(OMBREL_FIXTURES) / "astrodata" / (years[i] + ".csv"));

  constexpr int kRounds = 10;
  for (int round = 1; round <= kRounds; ++round) {
    int status[2] = {-1, -1};
    std::thread other([&] { status[1] = RunAstroData(dir, years[1]); });
    status[0] = RunAstroData(dir, years[0]);
    other.join();
    for (int i = 0; i < 2; ++i) {
      ASSERT_EQ(status[i], 0) << "round " << round << ", " << years[i] << ": " << ReadAll(dir / (years[i] + ".err"));
      EXPECT_EQ(FirstDifferentLine(ReadAll(dir / (years[i] + ".csv")), golden[i]), 0)
          << "round " << round << ", " << years[i] << ": first differing line";
    }
  }
}

}  // namespace
