#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/Conf.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

TEST(Conf, MissingFileMeansDefaultsAndRewriteKeepsUnknownKeysAndComments) {
  const testsupport::ScratchDir scratch{"ombrel-conf"};
  const std::string path = (fs::path(scratch.Path()) / "ombrel.conf").string();
  Conf conf;
  EXPECT_FALSE(conf.Load(path));
  EXPECT_EQ(conf.LoadError(), "");
  EXPECT_EQ(conf.Get("model", "design"), "design");

  std::ofstream(path) << "# mine\r\nfuture = 7\r\nmodel=design\nnot a setting\n";
  ASSERT_TRUE(conf.Load(path));
  EXPECT_EQ(conf.Get("future"), "7");
  conf.Set("model", "precise");
  conf.Set("holidays", "1\nmodel=design");  // a line break never makes a second key
  std::string error;
  ASSERT_TRUE(conf.Save(error, path)) << error;
  EXPECT_EQ(testsupport::ReadFile(path),
            "# mine\nfuture = 7\nmodel=precise\nnot a setting\nholidays=1 model=design\n");
  Conf again;
  ASSERT_TRUE(again.Load(path));
  EXPECT_EQ(again.Get("model"), "precise");
  EXPECT_EQ(again.Get("holidays"), "1 model=design");
}

TEST(Conf, UnreadableOrUnwritablePlacesAreReported) {
  const testsupport::ScratchDir scratch{"ombrel-conf"};
  const fs::path dir = fs::path(scratch.Path()) / "ombrel.conf";
  fs::create_directory(dir);  // a directory where the file should be
  Conf conf;
  EXPECT_FALSE(conf.Load(dir.string()));
  EXPECT_NE(conf.LoadError(), "");
  std::string error;
  conf.Set("model", "precise");
  EXPECT_FALSE(conf.Save(error, dir.string()));
  EXPECT_NE(error, "");
}
