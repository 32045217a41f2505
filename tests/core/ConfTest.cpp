#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "core/Conf.h"
#include "core/Files.h"
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

// The whole file is read and written back, however long: a file past the old
// 64 KiB head kept its last lines (the window's language, the user's keys)
// only up to there.
TEST(Conf, LongFilesKeepEveryLineUpToTheBound) {
  const testsupport::ScratchDir scratch{"ombrel-conf"};
  const std::string path = scratch.File("ombrel.conf");
  std::string text = "# the user's notes\n";
  for (int i = 0; text.size() < 102400; ++i) text += "mine." + std::to_string(i) + "=a value the user keeps\n";
  text += "qt-language=system\n";
  scratch.Write("ombrel.conf", text);
  Conf conf;
  ASSERT_TRUE(conf.Load(path)) << conf.LoadError();
  EXPECT_EQ(conf.Get("qt-language"), "system");
  conf.Set("model", "precise");
  std::string error;
  ASSERT_TRUE(conf.Save(error, path)) << error;
  EXPECT_EQ(testsupport::ReadFile(path), text + "model=precise\n");

  // At the bound the file still reads; one byte more and it is refused, and
  // never rewritten.
  for (const std::size_t size : {kMaxSettingsFileBytes, kMaxSettingsFileBytes + 1}) {
    const std::string big = "holidays=1\n# " + std::string(size - 14, 'x') + "\n";
    ASSERT_EQ(big.size(), size);
    scratch.Write("ombrel.conf", big);
    const bool fits = size <= kMaxSettingsFileBytes;
    EXPECT_EQ(conf.Load(path), fits);
    EXPECT_EQ(conf.Get("holidays"), fits ? "1" : "");
    EXPECT_EQ(conf.LoadError(), fits ? "" : path + ": larger than 1 MiB (" + std::to_string(size) + " bytes)");
    conf.Set("model", "precise");
    error.clear();
    EXPECT_EQ(conf.Save(error, path), fits);
    if (!fits) {
      EXPECT_EQ(error, conf.LoadError() + "; not rewritten");
      EXPECT_EQ(testsupport::ReadFile(path), big);
    }
  }
}

// A file that cannot be read (write-only, a pipe, a directory) is never
// replaced by what little was known: it used to become the one line written.
TEST(Conf, UnreadableFilesAreNeverReplaced) {
  const testsupport::ScratchDir scratch{"ombrel-conf"};
  const std::string path = scratch.File("ombrel.conf");
  const std::string text = "holidays=1\nmine=7\n";
  scratch.Write("ombrel.conf", text);
  ASSERT_EQ(::chmod(path.c_str(), 0200), 0);
  EXPECT_TRUE(testsupport::AsUnprivilegedUser(scratch.Path(), [&path] {
    Conf conf;
    std::string error;
    conf.Set("model", "precise");
    return !conf.Load(path) && conf.LoadError() == path + ": cannot be read: Permission denied" &&
           !conf.Save(error, path) && error == conf.LoadError() + "; not rewritten";
  }));
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  EXPECT_EQ(testsupport::ReadFile(path), text);

  const std::string fifo = scratch.File("fifo.conf");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  Conf conf;
  EXPECT_FALSE(conf.Load(fifo));
  EXPECT_EQ(conf.LoadError(), fifo + ": a named pipe (FIFO), not a regular file");
  std::string error;
  EXPECT_FALSE(conf.Save(error, fifo));
  EXPECT_TRUE(fs::is_fifo(fifo));
}

// A byte order mark and any line end read the same keys; bytes that are not
// UTF-8 are read as they are and said once.
TEST(Conf, ByteOrderMarkAndEveryLineEndReadTheSame) {
  const testsupport::ScratchDir scratch{"ombrel-conf"};
  const std::string path = scratch.File("ombrel.conf");
  for (const char* text : {"\xEF\xBB\xBFholidays=1\nmodel=precise\n", "holidays=1\rmodel=precise\r",
                           "holidays=1\r\nmodel=precise\r\n", "\xEF\xBB\xBFholidays=1\r\n\rmodel=precise",
                           "holidays=1\nmodel=precise\n# \xE6\x97\xA5\xE6\x9C\xAC\n"}) {
    scratch.Write("ombrel.conf", text);
    Conf conf;
    ASSERT_TRUE(conf.Load(path));
    EXPECT_EQ(conf.Get("holidays"), "1") << text;
    EXPECT_EQ(conf.Get("model"), "precise") << text;
    EXPECT_TRUE(conf.Problems().empty()) << text;
  }
  scratch.Write("ombrel.conf", "holidays=1\n# \xE6\x97\n");
  Conf conf;
  ASSERT_TRUE(conf.Load(path));
  EXPECT_EQ(conf.Get("holidays"), "1");
  EXPECT_EQ(conf.Problems(), std::vector<std::string>{path + ": not valid UTF-8; its lines are read as they are"});
}
