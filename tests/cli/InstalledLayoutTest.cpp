// The installed layout (<prefix>/bin/ombrel-cli, <prefix>/share/ombrel/
// History.mdb) run the way a user runs it: by its bare name from PATH, in an
// empty directory, with a fresh home. The first run must copy the database
// into the user's data directory and answer.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Installed {
  fs::path root;
  Installed() {
    root = fs::path(testing::TempDir()) / ("ombrel_installed_" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "bin");
    fs::create_directories(root / "share" / "ombrel");
    fs::create_directories(root / "home");
    fs::create_directories(root / "empty");
    fs::copy_file(OMBREL_CLI, root / "bin" / "ombrel-cli");
    fs::copy_file(OMBREL_DB_PATH, root / "share" / "ombrel" / "History.mdb");
  }
  ~Installed() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  // Runs `ombrel-cli ARGS` from PATH in the empty directory; returns the exit
  // status, the output in `out`.
  int Run(const std::string& args, std::string& out) const {
    const std::string cmd = "cd '" + (root / "empty").string() + "' && env -u XDG_DATA_HOME HOME='" +
                            (root / "home").string() + "' PATH='" + (root / "bin").string() +
                            ":/usr/bin:/bin' ombrel-cli " + args + " 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return -1;
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    const int raw = pclose(p);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
};

TEST(InstalledLayout, FirstRunFromPathCopiesTheDatabaseAndAnswers) {
  Installed inst;
  std::string out;
  ASSERT_EQ(inst.Run("day 2033-08-01", out), 0) << out;
  EXPECT_NE(out.find("旧暦\t　7月7日"), std::string::npos) << out;
  EXPECT_TRUE(fs::is_regular_file(inst.root / "home" / ".local" / "share" / "ombrel" / "History.mdb"));
  // Nothing is left in the directory the user ran it from.
  EXPECT_TRUE(fs::is_empty(inst.root / "empty"));
}

}  // namespace
