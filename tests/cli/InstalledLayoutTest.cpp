// The installed layout (<prefix>/bin/ombrel-cli, <prefix>/share/ombrel/
// History.mdb) run the way a user runs it: by its bare name from PATH, in an
// empty directory, with a fresh home. The first run must copy the database
// into the user's data directory and answer.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

struct Installed {
  const testsupport::ScratchDir scratch{"ombrel_installed"};
  const fs::path root = scratch.Path();
  Installed() {
    fs::create_directories(root / "bin");
    fs::create_directories(root / "share" / "ombrel");
    fs::create_directories(root / "home");
    fs::create_directories(root / "empty");
    fs::copy_file(OMBREL_CLI, root / "bin" / "ombrel-cli");
    fs::copy_file(OMBREL_DB_PATH, root / "share" / "ombrel" / "History.mdb");
  }
  // Runs `ombrel-cli ARGS` from PATH in the empty directory.
  testsupport::RunResult Run(const std::string& args) const {
    return testsupport::RunShell("cd " + testsupport::Quote((root / "empty").string()) +
                                 " && env -u XDG_DATA_HOME HOME=" + testsupport::Quote((root / "home").string()) +
                                 " PATH=" + testsupport::Quote((root / "bin").string() + ":/usr/bin:/bin") +
                                 " ombrel-cli " + args);
  }
};

TEST(InstalledLayout, FirstRunFromPathCopiesTheDatabaseAndAnswers) {
  Installed inst;
  const testsupport::RunResult r = inst.Run("day 2033-08-01");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("旧暦\t　7月7日"), std::string::npos) << r.out << r.err;
  EXPECT_TRUE(fs::is_regular_file(inst.root / "home" / ".local" / "share" / "ombrel" / "History.mdb"));
  // Nothing is left in the directory the user ran it from.
  EXPECT_TRUE(fs::is_empty(inst.root / "empty"));
}

}  // namespace
