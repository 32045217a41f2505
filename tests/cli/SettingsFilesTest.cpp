// The settings files and the anniversaries file as the command line reads
// them: a byte order mark and any line end read the same settings, and a file
// that cannot be read or decodes with doubt is said once on stderr.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

// The day panel's line with this label ("曜日\t木"), or "".
std::string PanelLine(const std::string& out, const std::string& label) {
  const std::size_t at = out.find("\n" + label + "\t");
  if (at == std::string::npos) return "";
  return out.substr(at + 1, out.find('\n', at + 1) - at - 1);
}

}  // namespace

// 1500-03-01 is a Thursday in the proleptic Gregorian calendar (line 4 = 1)
// and a Sunday in the Julian; 2024-01-01 lists 元日 only with holidays=1.
TEST(SettingsFiles, EveryLineEndAndByteOrderMarkReadTheSame) {
  const testsupport::ScratchDir dir{"ombrel-settings-cli"};
  dir.CopyDatabase();
  struct Case {
    const char* name;
    std::string dat, conf;
  } cases[] = {
      {"LF", "139.7\n35.6\n0\n1\n", "holidays=1\n"},
      {"CR", "139.7\r35.6\r0\r1\r", "# mine\rholidays=1\r"},
      {"CR LF", "139.7\r\n35.6\r\n0\r\n1\r\n", "# mine\r\nholidays=1\r\n"},
      {"mark", "\xEF\xBB\xBF" "139.7\n35.6\n0\n1\n", "\xEF\xBB\xBFholidays=1\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dir.Write("ombrel.dat", c.dat);
    dir.Write("ombrel.conf", c.conf);
    const testsupport::RunResult gregorian = testsupport::RunCli({"--workdir", dir.Path(), "day", "1500-03-01"});
    ASSERT_EQ(gregorian.status, 0) << testsupport::Describe(gregorian);
    EXPECT_EQ(PanelLine(gregorian.out, "曜日"), "曜日\t木");
    EXPECT_EQ(gregorian.err, "");
    const testsupport::RunResult newYear = testsupport::RunCli({"--workdir", dir.Path(), "day", "2024-01-01"});
    EXPECT_EQ(PanelLine(newYear.out, "暦注"), "暦注\t元日");
  }
}

// Each doubtful or unreadable file is named once, on its own warning line;
// the command still answers.
TEST(SettingsFiles, DoubtfulAndUnreadableFilesAreSaidOnce) {
  const testsupport::ScratchDir dir{"ombrel-settings-cli"};
  dir.CopyDatabase();
  struct Case {
    const char* name;
    const char* file;
    std::string bytes;
    std::string warning;
  } cases[] = {
      {"anniversaries with a stray byte", "kinenbi.dat", "元日,1,1\n成\x80人の日,1,8\n",
       "kinenbi.dat: neither clean CP932 nor UTF-8; read as CP932"},
      {"settings with a stray byte", "ombrel.dat", "東経\x80\n", "ombrel.dat: neither clean CP932 nor UTF-8; read as CP932"},
      {"additions not UTF-8", "ombrel.conf", "holidays=1\n# \xE6\x97\n",
       "ombrel.conf: not valid UTF-8; its lines are read as they are"},
      {"settings too large", "ombrel.dat", std::string(1024 * 1024 + 1, '1'),
       "ombrel.dat: larger than 1 MiB (1048577 bytes); settings not read"},
      {"additions too large", "ombrel.conf", std::string(1024 * 1024 + 1, '#'),
       "ombrel.conf: larger than 1 MiB (1048577 bytes)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.Write(c.file, c.bytes);
    const testsupport::RunResult r = testsupport::RunCli({"--workdir", dir.Path(), "day", "2024-01-08"});
    EXPECT_EQ(r.status, 0) << testsupport::Describe(r);
    EXPECT_EQ(r.err, "ombrel-cli: warning: " + c.warning + "\n");
    std::filesystem::remove(path);
  }
}

// A settings file whose first line is empty reads the longitude as 0, as the
// window does (its sun rises at 15:03 in Japan's clock on 2005-03-20); no
// file, or a file without a line, keeps Tokyo's.
TEST(SettingsFiles, AnEmptyLongitudeLineIsZero) {
  const testsupport::ScratchDir dir{"ombrel-settings-cli"};
  dir.CopyDatabase();
  struct Case {
    const char* dat;  // nullptr: no file
    const char* sunrise;
  } cases[] = {{"\n35.6\n", "15:03"}, {"\n\n\n", "05:45"}, {nullptr, "05:45"}, {"139.7\n35.6\n", "05:45"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dat ? c.dat : "(no file)");
    if (c.dat)
      dir.Write("ombrel.dat", c.dat);
    else
      std::remove(dir.File("ombrel.dat").c_str());
    const testsupport::RunResult r = testsupport::RunCli({"--workdir", dir.Path(), "day", "2005-03-20"});
    ASSERT_EQ(r.status, 0) << testsupport::Describe(r);
    EXPECT_NE(r.out.find(std::string("日の出 ") + c.sunrise), std::string::npos) << r.out;
  }
}
