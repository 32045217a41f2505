// One version, the project's, in what the programs say and what the package
// and the software centres read.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestSupport.h"

namespace {

TEST(Version, ProgramsChangelogAndMetadataCarryTheProjectVersion) {
  EXPECT_EQ(testsupport::RunCli({"--version"}).out, "ombrel-cli " OMBREL_VERSION "\n");
#ifdef OMBREL_WINDOW
  EXPECT_EQ(testsupport::Run({OMBREL_WINDOW, "--version"}).out, "ombrel " OMBREL_VERSION "\n");
#endif
  const std::string changelog = testsupport::ReadFile(OMBREL_PACKAGING_BUILD_DIR "/changelog");
  EXPECT_EQ(changelog.rfind("ombrel (" OMBREL_VERSION ") ", 0), 0u) << changelog;
  const std::string metainfo = testsupport::ReadFile(OMBREL_PACKAGING_BUILD_DIR "/" OMBREL_APP_ID ".metainfo.xml");
  // The newest release comes first.
  const std::string newest = "<release version=\"" OMBREL_VERSION "\"";
  EXPECT_EQ(metainfo.find("<release "), metainfo.find(newest)) << metainfo;
  EXPECT_NE(metainfo.find(newest), std::string::npos) << metainfo;
}

}  // namespace
