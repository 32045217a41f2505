#include <gtest/gtest.h>

#include <sqlite3.h>

#include <chrono>
#include <limits>

#include "caldb/Eras.h"
#include "tests/support/TestSupport.h"

namespace {

class Eras : public ::testing::Test {
 protected:
  void SetUp() override { m_db.Open(OMBREL_DB_PATH, true, true, kCalendarConnect); }
  CDaoDatabase m_db;
};

TEST_F(Eras, HistoryRowsAndReigns) {
  struct Case { double year; const char *name, *eraYear, *emperor, *extra, *panel; } cases[] = {
      {2005, "平成", "17", "上皇明仁", "", "平成 17"},
      {2025, "令和", "7", "今上天皇", "", "令和 7"},
      {645, "大化", "1", "孝徳天皇", "", "大化 1"},
      {588, "(崇峻天皇)", "1", "崇峻天皇", "", "(崇峻天皇) 1"},
      {1338, "延元", "3", "後醍醐天皇", "北朝暦応1年", "延元 3"},
      {-666, "(神武即位前天皇)", "  1", "(神武即位前天皇)", "  1", "(神武即位前天皇)  1年"},
      {587, "(用明天皇)", "  2", "(用明天皇)", "  2", "(用明天皇)  2年"},
      // The reign names are spelt with 崇 (worship), not the look-alike 祟 (curse).
      {-96, "(崇神天皇)", "  1", "(崇神天皇)", "  1", "(崇神天皇)  1年"},
      {0, "(垂仁天皇)", " 29", "(垂仁天皇)", " 29", "(垂仁天皇) 29年"},
      {-667, "", "", "", "", ""},
      {-700, "", "", "", "", ""},
      {2101, "", "", "", "", ""},  // after the table: no reign covers it
      {std::numeric_limits<double>::quiet_NaN(), "", "", "", "", ""},
      {1e12, "", "", "", "", ""},
  };
  for (const auto& c : cases) {
    EraTexts era = EraForYear(m_db, c.year);
    EXPECT_EQ(era.eraName, c.name) << c.year;
    EXPECT_EQ(era.eraYear, c.eraYear) << c.year;
    EXPECT_EQ(era.emperor, c.emperor) << c.year;
    EXPECT_EQ(era.eraExtra, c.extra) << c.year;
    EXPECT_EQ(EraPanelText(era), c.panel) << c.year;
  }
}

// The year list asks History with the lunisolar year and falls back on the
// reigns with the Western year it shows.
TEST_F(Eras, HistoryYearAndReignYearMayDiffer) {
  EXPECT_EQ(EraForYear(m_db, 2004, 2005, kHistoryQueryTwoSpaces).eraYear, "16");
  EXPECT_EQ(EraForYear(m_db, -700, 100, kHistoryQueryOneSpace).eraName, "(景行天皇)");
}

// Well-known reigns, checked against the emperor column.
TEST_F(Eras, EmperorsOfKnownYears) {
  struct Case { int year; const char* emperor; } cases[] = {
      {604, "推古天皇"}, {710, "元明天皇"}, {794, "桓武天皇"}, {1016, "後一条天皇"}, {1192, "後鳥羽天皇"},
      {1274, "後宇多天皇"}, {1600, "後陽成天皇"}, {1603, "後陽成天皇"}, {1853, "孝明天皇"},
      {1868, "明治天皇"}, {1945, "昭和天皇"}, {2000, "上皇明仁"}, {2019, "今上天皇"},
  };
  for (const auto& c : cases) EXPECT_EQ(EraForYear(m_db, c.year).emperor, c.emperor) << c.year;
}

TEST_F(Eras, EraListItems) {
  EraListItems items = EraListItemTexts(m_db, "2005");
  ASSERT_EQ(items.byTable.size(), 2100u - 588u + 1u);
  EXPECT_EQ(items.byTable.front(), "令和 82 庚申   2100");  // newest first
  EXPECT_EQ(items.byTable.back(), "(崇峻天皇) 1 戊申   588");
  EXPECT_EQ(items.byTableSelected, "平成 17 乙酉   2005");
  ASSERT_EQ(items.byReading.size(), items.byTable.size());
  EXPECT_EQ(items.byReading.front(), "あんえい 安永 1    1772");
  EXPECT_EQ(items.byReadingSelected, items.byReading.front());
  // The year list writes short years with a leading blank: nothing matches.
  EXPECT_EQ(EraListItemTexts(m_db, " 645").byTableSelected, "");
  EXPECT_EQ(EraPickYearText("大化 1 乙巳    645"), " 645");
  EXPECT_EQ(EraPickYearText("平成 17 乙酉   2005"), "2005");
  EXPECT_EQ(EraPickYearText("ab"), "ab");
}

}  // namespace

// 300,000 rows more in History (made by one statement): the year
// list's era lists are refused with one message naming the table, quickly and
// without reading them all.
TEST(EraLists, AHugeHistoryTableIsRefusedQuickly) {
  const testsupport::ScratchDir dir("eras_huge");
  const std::string path = dir.CopyDatabase();
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(raw,
                         "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; "
                         "WITH RECURSIVE c(x) AS (SELECT 3000 UNION ALL SELECT x + 1 FROM c WHERE x < 302999) "
                         "INSERT INTO History SELECT x, x + 660, '令和', 'れいわ', x - 2018, '今上天皇', '', '', "
                         "'甲', '子' FROM c;",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(raw);
  CDaoDatabase db;
  db.Open(path, true, true, kCalendarConnect);
  const auto start = QueryClock::now();
  try {
    EraListItemTexts(db, "2024");
    ADD_FAILURE() << "the lists were filled";
  } catch (const CDaoException& e) {
    EXPECT_NE(std::string(e.what()).find("table History holds more than"), std::string::npos) << e.what();
  }
  EXPECT_LT(QueryClock::now() - start, std::chrono::milliseconds(kQueryTimeLimitMs));
}

TEST(EraLists, TheShippedTableIsListedWhole) {
  CDaoDatabase db;
  db.Open(OMBREL_DB_PATH, true, true, kCalendarConnect);
  const EraListItems items = EraListItemTexts(db, "2024");
  EXPECT_EQ(items.byTable.size(), 2100u - 588u + 1u);
  EXPECT_EQ(items.byReading.size(), items.byTable.size());
}
