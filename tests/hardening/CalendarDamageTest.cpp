// Damaged lunisolar months: one value changed, or one bit of a stored row
// flipped, in the months around February 2024. Whatever the damage, every
// reader answers as with the shipped file or fails with one line naming the
// table Kyuureki; none prints another date.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "caldb/Dao.h"
#include "caldb/Lunisolar.h"
#include "HardeningSupport.h"

using namespace hardening;

namespace {

const std::vector<std::vector<std::string>> kReaders = {
    {"lunar", "2024-02-20"},
    {"lunar", "2024-01-20"},
    {"western", "2024", "1", "11"},
    {"western", "2023", "12", "10"},
    {"day", "2024-02-20", "12"},
    {"yearlist", "2024", "--output", "lunisolar.csv"},
    {"yearlist", "2024", "--layout", "western", "--output", "western.csv"},
};

}  // namespace

TEST(CalendarDamage, EveryReaderIsRightOrNamesTheRow) {
  WorkDir good("damage_good");
  good.CopyDatabase();
  const std::vector<CliRun> expected = RunCliAll(good, kReaders);
  for (const CliRun& r : expected) ASSERT_EQ(r.status, 0) << Describe(r);
  ASSERT_EQ(expected[0].out, "　1月11日\n");

  const std::string feb = "西暦 = 2024 AND 月 = 2";
  struct Case {
    const char* name;
    std::string sql;
  };
  const std::vector<Case> cases = {
      {"a first day one later (January 31 days, February 28)", "UPDATE Kyuureki SET 日 = 11 WHERE " + feb},
      {"a first day two earlier", "UPDATE Kyuureki SET 日 = 8 WHERE " + feb},
      {"a first day in another month", "UPDATE Kyuureki SET 月 = 3 WHERE " + feb},
      {"a first day in another year", "UPDATE Kyuureki SET 西暦 = 2025 WHERE " + feb},
      {"the first month not marked", "UPDATE Kyuureki SET 指標 = 0 WHERE " + feb},
      {"the first month marked leap", "UPDATE Kyuureki SET 指標 = 2 WHERE " + feb},
      {"a second month marked first", "UPDATE Kyuureki SET 指標 = 1 WHERE 西暦 = 2024 AND 月 = 3"},
      {"a month marked leap", "UPDATE Kyuureki SET 指標 = 2 WHERE 西暦 = 2024 AND 月 = 3"},
      {"a month numbered one on", "UPDATE Kyuureki SET 旧暦 = 2 WHERE " + feb},
      {"a twelfth month numbered eleven", "UPDATE Kyuureki SET 旧暦 = 11 WHERE 西暦 = 2024 AND 月 = 1"},
      {"a month missing", "DELETE FROM Kyuureki WHERE " + feb},
      {"an ID gap", "UPDATE Kyuureki SET ID = ID + 1000000 WHERE " + feb},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WorkDir dir("damage");
    dir.CopyDatabase();
    ExecSql(dir.File("History.mdb"), c.sql);
    const std::vector<CliRun> got = RunCliAll(dir, kReaders);
    for (std::size_t i = 0; i < got.size(); ++i) {
      SCOPED_TRACE(kReaders[i][0] + " " + kReaders[i][1]);
      const CliRun& r = got[i];
      if (r.status == 0) {
        EXPECT_EQ(r.out, expected[i].out) << "exit 0 must mean the right answer";
        if (kReaders[i][0] == "yearlist") {
          EXPECT_EQ(ReadFile(dir.File(kReaders[i].back())), ReadFile(good.File(kReaders[i].back())));
        }
        continue;
      }
      EXPECT_EQ(r.status, 1) << Describe(r);
      EXPECT_TRUE(IsOneLineError(r.err)) << r.err;
      EXPECT_NE(r.err.find("table Kyuureki"), std::string::npos) << r.err;
    }
    EXPECT_EQ(got[0].status, 1) << "February 2024's lunisolar date is read from the damaged rows: " << got[0].out;
  }
}

namespace {

// Where a row's stored record lies in the file: its header and values, found
// by their bytes (the ID is the row's key and not in the record).
std::size_t RecordOffset(const std::string& file, const std::string& record) {
  const std::size_t at = file.find(record);
  EXPECT_NE(at, std::string::npos);
  EXPECT_EQ(file.find(record, at + 1), std::string::npos) << "the record is not unique";
  return at;
}

void FlipBit(const std::string& path, std::size_t offset, int bit) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  f.seekg(static_cast<std::streamoff>(offset));
  char byte = 0;
  f.get(byte);
  byte = static_cast<char>(byte ^ (1 << bit));
  f.seekp(static_cast<std::streamoff>(offset));
  f.put(byte);
}

struct Target {
  int month, day;
  int lunarMonth, lunarDay, flag;
};

}  // namespace

// Every single-bit flip of the rows of 2024's first three months, February's
// entry in the month index, and the bytes before them (the cell's size and
// key): each lookup near them is the right date, no date (旧暦 0, the table's
// own mark for that) or an error. The one damage the rules cannot see is a
// first day moved by one: the month before and the month itself then swap
// their lengths of 29 and 30 days.
TEST(CalendarDamage, SingleBitFlipsNeverGiveAnotherDate) {
  WorkDir dir("damage_bits");
  const std::string path = dir.CopyDatabase();
  const std::string file = ReadFile(path);
  // Header (size, six column types; 0 and 1 are types of their own), then
  // 西暦 2024 and the 1-byte values; where the first day's byte is.
  const struct {
    std::string bytes;
    std::size_t dayByte;
  } records[] = {
      {std::string("\x07\x00\x02\x09\x01\x08\x01\x07\xE8\x0B\x0C", 11), 9},      // 2024-01-11, 0, 12
      {std::string("\x07\x00\x02\x01\x01\x09\x09\x07\xE8\x02\x0A", 11), 10},     // 2024-02-10, 1, 1
      {std::string("\x07\x00\x02\x01\x01\x08\x01\x07\xE8\x03\x0A\x02", 12), 10},  // 2024-03-10, 0, 2
      {std::string("\x04\x02\x01\x03\x07\xE8\x02\x00\x81\xFA", 10), 99},          // index entry (2024, 2)
  };
  const std::vector<Target> targets = {{1, 20, 12, 10, 0}, {2, 20, 1, 11, 1}, {3, 20, 2, 11, 0}};
  int flips = 0, refused = 0;
  for (const auto& record : records) {
    const std::size_t at = RecordOffset(file, record.bytes);
    for (std::size_t offset = at - 3; offset < at + record.bytes.size(); ++offset) {
      for (int bit = 0; bit < 8; ++bit) {
        FlipBit(path, offset, bit);
        ++flips;
        const int day = static_cast<unsigned char>(file[offset]) ^ (1 << bit);
        const bool unseen = offset == at + record.dayByte && (day == 9 || day == 11);
        for (const Target& t : targets) {
          SCOPED_TRACE("byte " + std::to_string(offset) + " bit " + std::to_string(bit) + ", 2024-" +
                       std::to_string(t.month) + "-" + std::to_string(t.day));
          try {
            // A connection that writes is never kept for reuse: each flip is read afresh.
            CDaoDatabase db;
            db.Open(path, false, false);
            const LunisolarResult r = LunisolarLookup(db, 2024, t.month, t.day, 2024, t.month, CalendarRule::JulianThenGregorian);
            if (unseen || (r.found && r.row.lunarMonth == 0)) continue;
            EXPECT_TRUE(r.found);
            EXPECT_EQ(r.row.lunarMonth, t.lunarMonth);
            EXPECT_EQ(r.lunarDay, t.lunarDay);
            EXPECT_EQ(r.row.flag, t.flag);
          } catch (const CDaoException&) {
            ++refused;
          }
        }
        FlipBit(path, offset, bit);
      }
    }
  }
  EXPECT_GT(refused, flips / 4) << "most flips damage a value the lookups read";
}

namespace {

// The yearly texts as stored, for seeing that a refused run changed nothing.
std::string MemoryTexts(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT ID, date, 節気, 月相 FROM Memory NOT INDEXED ORDER BY ID", -1, &st, nullptr);
  std::string out;
  while (sqlite3_step(st) == SQLITE_ROW)
    for (int i = 0; i < 4; ++i) out += std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, i))) + "|";
  sqlite3_finalize(st);
  sqlite3_close(db);
  return out;
}

}  // namespace

// One damaged byte in the Memory table's date index (18 February pointing at
// another day's row), or in an index the yearly file never reads: astrodata
// refuses the file, writes nothing into the database and leaves no output.
TEST(CalendarDamage, TheYearlyFileNeedsAWholeDatabase) {
  const struct {
    const char* name;
    std::string bytes;  // an index entry as stored
    std::size_t at;     // the byte changed in it
    char to;
  } cases[] = {
      {"Memory's index: 2/18 gives row 55 (2/24)", std::string("\x03\x02\x01\x00\xDA\x31", 6), 5, '\x37'},
      {"History's reading index: 2024 gives row 2025",
       std::string("\x04\x1F\x02\x02") + "れいわ" + std::string("\x07\xE8\x07\xE8", 4), 16, '\xE9'},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WorkDir dir("damage_memory");
    const std::string path = dir.CopyDatabase();
    std::string file = ReadFile(path);
    const std::size_t at = RecordOffset(file, c.bytes) + c.at;
    file[at] = c.to;
    dir.Write("History.mdb", file);
    const std::string before = MemoryTexts(path);
    const CliRun r = RunCli(dir, {"astrodata", "2024", "--output", "astrodata.csv"});
    EXPECT_EQ(r.status, 1) << Describe(r);
    EXPECT_TRUE(IsOneLineError(r.err)) << r.err;
    EXPECT_NE(r.err.find("History.mdb is damaged"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir.File("astrodata.csv")));
    EXPECT_EQ(MemoryTexts(path), before);
  }
}
