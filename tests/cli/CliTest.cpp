#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

using Result = testsupport::RunResult;

// Runs the built ombrel-cli in a scratch directory of its own: these commands
// need no calendar database, and nothing is made under the user's home.
Result RunCli(const std::vector<std::string>& args) {
  const testsupport::ScratchDir dir("cli");
  std::vector<std::string> all = {"--workdir", dir.Path()};
  all.insert(all.end(), args.begin(), args.end());
  return testsupport::RunCli(all);
}

TEST(Cli, UsageErrorsAreOneLineAndStatusTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"terms"},
      {"terms", "2000", "2001"},
      {"terms", "two thousand"},
      {"phases", "1e3"},
      {"phases", "99999999999"},
      {"bodies"},
      {"bodies", "2000-13-01"},
      {"bodies", "2000-01-32"},
      {"bodies", "2000/01/01"},
      {"bodies", "2000-01-01", "25"},
      {"bodies", "2000-01-01", "nan"},
      {"bodies", "2000-01-01", "12", "13"},
      {"bodies", "2000-01-01", "--lon"},
      {"bodies", "2000-01-01", "--lon", "east"},
      {"bodies", "2000-01-01", "--lat", "91"},
      {"bodies", "2000-01-01", "--depth", "3"},
      {"holidays"},
      {"holidays", "1947"},
      {"holidays", "2101"},
      {"holidays", "2026", "2027"},
      {"yearlist", "2042", "--output", "y.csv"},
      {"yearlist", "-667", "--output", "y.csv"},
  };
  for (const auto& args : cases) {
    const Result r = RunCli(args);
    std::string shown;
    for (const auto& a : args) shown += a + " ";
    EXPECT_EQ(r.status, 2) << shown;
    EXPECT_EQ(r.out, "") << shown;
    EXPECT_EQ(r.err.rfind("ombrel-cli: ", 0), 0u) << shown << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << shown << r.err;
    // One language: the messages are English, like the help.
    for (unsigned char ch : r.err) EXPECT_LT(ch, 0x80) << shown << r.err;
  }
}

// A global option after the command says where it belongs.
TEST(Cli, GlobalOptionsAfterTheCommandAreShownTheirPlace) {
  const std::vector<std::vector<std::string>> cases = {
      {"holidays", "2024", "--json"}, {"day", "--json"}, {"terms", "2024", "--precise"},
      {"bodies", "2024-01-01", "--zone", "UTC"}, {"lunar", "2024-01-01", "--workdir=."}};
  for (const auto& args : cases) {
    const Result r = RunCli(args);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_NE(r.err.find(" before the command"), std::string::npos) << r.err;
  }
  // The hint is a command line to copy, with the option's value named.
  EXPECT_NE(RunCli({"bodies", "2024-01-01", "--zone", "UTC"}).err.find("(ombrel-cli --zone NAME bodies ...)"),
            std::string::npos);
  EXPECT_NE(RunCli({"day", "--workdir=."}).err.find("(ombrel-cli --workdir DIR day ...)"), std::string::npos);
  EXPECT_NE(RunCli({"day", "--json"}).err.find("(ombrel-cli --json day ...)"), std::string::npos);
}

TEST(Cli, TermsOf2000) {
  const Result r = RunCli({"terms", "2000"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            " 小寒  1/ 6 09:51:51\n"
            " 大寒  1/21 03:14:27\n"
            " 立春  2/ 4 21:33:30\n"
            " 雨水  2/19 17:27:24\n"
            " 啓蟄  3/ 5 15:35:32\n"
            " 春分  3/20 16:25:05\n"
            " 清明  4/ 4 20:21:58\n"
            " 穀雨  4/20 03:28:38\n"
            " 立夏  5/ 5 13:39:30\n"
            " 小満  5/21 02:37:46\n"
            " 芒種  6/ 5 17:51:51\n"
            " 夏至  6/21 10:37:07\n"
            " 小暑  7/ 7 04:06:01\n"
            " 大暑  7/22 21:33:30\n"
            " 立秋  8/ 7 13:57:03\n"
            " 処暑  8/23 04:34:37\n"
            " 白露  9/ 7 16:51:25\n"
            " 秋分  9/23 02:12:24\n"
            " 寒露 10/ 8 08:30:38\n"
            " 霜降 10/23 11:31:06\n"
            " 立冬 11/ 7 11:37:20\n"
            " 小雪 11/22 09:06:20\n"
            " 大雪 12/ 7 04:28:23\n"
            " 冬至 12/21 22:24:48\n");
}

TEST(Cli, HolidaysLines) {
  const Result r = RunCli({"holidays", "2026"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "2026-01-01\t元日\n2026-01-12\t成人の日\n2026-02-11\t建国記念の日\n2026-02-23\t天皇誕生日\n"
            "2026-03-20\t春分の日\n2026-04-29\t昭和の日\n2026-05-03\t憲法記念日\n2026-05-04\tみどりの日\n"
            "2026-05-05\tこどもの日\n2026-05-06\t振替休日\n2026-07-20\t海の日\n2026-08-11\t山の日\n"
            "2026-09-21\t敬老の日\n2026-09-22\t国民の休日\n2026-09-23\t秋分の日\n2026-10-12\tスポーツの日\n"
            "2026-11-03\t文化の日\n2026-11-23\t勤労感謝の日\n");
}

TEST(Cli, PhasesAndBodiesLines) {
  const Result phases = RunCli({"phases", "2000"});
  EXPECT_EQ(phases.status, 0);
  EXPECT_EQ(phases.out.rfind(" 新月  1/ 7 03:09:55\n 上弦  1/14", 0), 0u) << phases.out;
  std::size_t lines = 0;
  for (char c : phases.out) lines += c == '\n';
  EXPECT_EQ(lines, 49u);

  // Tokyo, 2000-01-01: sunrise 06:50, solar transit 11:44, sunset 16:37,
  // moonrise 01:37; the tides of Tokyo Bay at 01:07, 13:21 and 07:07, 20:34.
  const Result bodies = RunCli({"bodies", "2000-01-01", "12", "--lon", "139.77", "--lat", "35.68"});
  EXPECT_EQ(bodies.status, 0);
  std::istringstream in(bodies.out);
  std::vector<std::string> rows;
  for (std::string line; std::getline(in, line);) rows.push_back(line);
  ASSERT_EQ(rows.size(), 16u) << bodies.out;
  // The data window's column headings, each over its eight-byte field.
  EXPECT_EQ(rows[0], "       出時刻 南中時刻   入時刻     黄径     黄緯     赤径     赤緯   方位角     高度");
  const char* starts[] = {"太陽 06:50:", "月   01:37:", "水星 ", "金星 ", "火星 ", "木星 ", "土星 "};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(rows[1 + i].rfind(starts[i], 0), 0u) << rows[1 + i];
  EXPECT_NE(rows[1].find(" 11:44:"), std::string::npos) << rows[1];
  EXPECT_NE(rows[1].find(" 16:37:"), std::string::npos) << rows[1];
  EXPECT_EQ(rows[8], "東京湾潮汐");
  EXPECT_EQ(rows[9], "満潮 01:07 13:21");
  EXPECT_EQ(rows[10], "干潮 07:07 20:34");
  // Then the moon's light, a waning crescent five days before the new moon.
  EXPECT_EQ(rows[11], "月 輝面比 0.261 位相角 118.52");
  // Then the twilights' dawn and dusk and the day's length (sunset less
  // sunrise).
  EXPECT_EQ(rows[12].rfind("市民薄明 06:2", 0), 0u) << rows[12];
  EXPECT_EQ(rows[13].rfind("航海薄明 05:5", 0), 0u) << rows[13];
  EXPECT_EQ(rows[14].rfind("天文薄明 05:1", 0), 0u) << rows[14];
  EXPECT_EQ(rows[15].rfind("昼の長さ 09:4", 0), 0u) << rows[15];
}

TEST(Cli, FarDatesAndPolesStillAnswer) {
  const std::vector<std::vector<std::string>> cases = {
      {"bodies", "-999999-01-01", "0", "--lon", "-180", "--lat", "-90"},
      {"bodies", "999999-12-31", "24"},
      {"bodies", "2000-06-21", "--lat", "90"},
      {"terms", "-1000"},  // the ends of the lists' span (beyond it: ClockAndListsTest)
      {"phases", "3000"},
  };
  for (const auto& args : cases) EXPECT_EQ(RunCli(args).status, 0) << args[0] << " " << args[1];
}

}  // namespace
