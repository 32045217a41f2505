// The database-backed work of the main window and the two dialogs, measured on
// the built calendar database: the day panel with its lists, the single
// lookups it is made of, the year list's computation and the yearly data file.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "astrodata/AstroRequest.h"
#include "caldb/Dao.h"
#include "caldb/Digest.h"
#include "caldb/Eras.h"
#include "caldb/Lunisolar.h"
#include "almanac/DayPanel.h"
#include "yearlist/YearList.h"

namespace {

namespace fs = std::filesystem;

// A scratch working directory holding a copy of the built database (the yearly
// file rewrites its Memory table), made current for the benchmark's life.
class ScratchDir {
 public:
  ScratchDir() {
    char pattern[] = "/tmp/ombrel-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return;
    m_dir = pattern;
    std::error_code ec;
    fs::copy_file(OMBREL_DB_PATH, m_dir / kCalendarDatabase, ec);
    m_previous = fs::current_path(ec);
    fs::current_path(m_dir, ec);
  }
  ~ScratchDir() {
    std::error_code ec;
    if (!m_previous.empty()) fs::current_path(m_previous, ec);
    if (!m_dir.empty()) fs::remove_all(m_dir, ec);
  }
  bool Ready() const { return !m_dir.empty() && fs::exists(m_dir / kCalendarDatabase); }
  std::string Path(const char* name) const { return (m_dir / name).string(); }

 private:
  fs::path m_dir;
  fs::path m_previous;
};

// The settings of a default run: Asia/Tokyo, the design's model.
Moment DefaultSettings() {
  Moment m;
  m.model = AstroModel::Design;  // the window's default, said here rather than taken from Moment
  std::string error;
  if (const std::optional<TimeZone> zone = TimeZone::Named(TimeZone::kDefaultName, error)) m.zone = *zone;
  return m;
}

#define REQUIRE_SCRATCH(s, state)                                      \
  if (!(s).Ready()) {                                                  \
    (state).SkipWithError("cannot copy " OMBREL_DB_PATH " to /tmp");   \
    return;                                                            \
  }

// The day panel of one refresh: the sixteen fields with their queries and the
// two day lists, day by day through a year (the year lists stay, as in the view).
void BM_DayPanel(benchmark::State& state) {
  ScratchDir s;
  REQUIRE_SCRATCH(s, state);
  const Moment settings = DefaultSettings();
  const Ephemeris& ephemeris = EphemerisOf(AstroModel::Design);
  DayPanel panel;
  int day = 0;
  for (auto _ : state) {
    WriteFormDate(panel, 2005, 1, 1 + day % 365, 21.0);
    ++day;
    FillDayPanel(panel, ReadFormMoment(panel, panel.m_strHour, settings), ephemeris, kCalendarDatabase);
    FillSelectedDays(panel);
    FillSeasonalDays(panel, ephemeris, "kinenbi.dat", {});
  }
  benchmark::DoNotOptimize(panel.m_strLunarDate);
}
BENCHMARK(BM_DayPanel)->Unit(benchmark::kMicrosecond);

// The two year lists the panel rebuilds when the year changes.
void BM_DayPanelYearLists(benchmark::State& state) {
  DayPanel panel;
  panel.m_at = DefaultSettings();
  const Ephemeris& ephemeris = EphemerisOf(AstroModel::Design);
  int year = 1900;
  for (auto _ : state) {
    WriteFormDate(panel, year, 6, 15, 21.0);
    if (++year > 2100) year = 1900;
    FillPhaseList(panel, ephemeris);
    FillTermList(panel, ephemeris);
  }
  benchmark::DoNotOptimize(panel.m_listTerms);
}
BENCHMARK(BM_DayPanelYearLists)->Unit(benchmark::kMicrosecond);

// Opening and closing the database, as every operation does.
void BM_DatabaseOpenClose(benchmark::State& state) {
  ScratchDir s;
  REQUIRE_SCRATCH(s, state);
  for (auto _ : state) {
    CDaoDatabase db;
    db.Open(kCalendarDatabase, false, true, kCalendarConnect);
    db.Close();
  }
}
BENCHMARK(BM_DatabaseOpenClose)->Unit(benchmark::kMicrosecond);

// The check a command that reads the calendar makes first: the read-only
// tables' rows against the digest the file carries, and their numbering.
void BM_CalendarContentCheck(benchmark::State& state) {
  ScratchDir s;
  REQUIRE_SCRATCH(s, state);
  CDaoDatabase db;
  db.Open(kCalendarDatabase, false, true, kCalendarConnect);
  for (auto _ : state) benchmark::DoNotOptimize(CalendarContentProblem(db.Handle()));
}
BENCHMARK(BM_CalendarContentCheck)->Unit(benchmark::kMicrosecond);

// The lunisolar month of a day, on an open connection.
void BM_LunisolarLookup(benchmark::State& state) {
  ScratchDir s;
  REQUIRE_SCRATCH(s, state);
  CDaoDatabase db;
  db.Open(kCalendarDatabase, false, true, kCalendarConnect);
  int day = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(LunisolarLookup(db, 2005, 1, 1 + day++ % 365, 2005, 1,
                                             CalendarRule::JulianThenGregorian).lunarDay);
  }
}
BENCHMARK(BM_LunisolarLookup)->Unit(benchmark::kMicrosecond);

// The era of a year from History, on an open connection.
void BM_EraForYear(benchmark::State& state) {
  ScratchDir s;
  REQUIRE_SCRATCH(s, state);
  CDaoDatabase db;
  db.Open(kCalendarDatabase, false, true, kCalendarConnect);
  int year = 600;
  for (auto _ : state) {
    benchmark::DoNotOptimize(EraForYear(db, year).eraName);
    if (++year > 2040) year = 600;
  }
}
BENCHMARK(BM_EraForYear)->Unit(benchmark::kMicrosecond);

// The year list's two era lists: every History row, twice.
void BM_EraListItems(benchmark::State& state) {
  ScratchDir s;
  REQUIRE_SCRATCH(s, state);
  CDaoDatabase db;
  db.Open(kCalendarDatabase, false, true, kCalendarConnect);
  for (auto _ : state) benchmark::DoNotOptimize(EraListItemTexts(db, "2033").byTable.size());
}
BENCHMARK(BM_EraListItems)->Unit(benchmark::kMicrosecond);

// 和暦表示 of a year with a leap month: conversions, the year's phases and
// terms and the lunisolar grid (the window adds its lists and drawing).
void BM_YearListLunisolar2033(benchmark::State& state) {
  ScratchDir s;
  REQUIRE_SCRATCH(s, state);
  const std::string first = "1";
  std::string error;
  const Ephemeris& ephemeris = EphemerisOf(AstroModel::Design);
  for (auto _ : state) {
    YearListState ys;
    ys.m_nYear = 2033;
    ys.m_strMonth = first;
    ys.m_strDay = first;
    ys.m_nSignDisplay = 1;
    ys.m_settings = DefaultSettings();
    if (!ShowYear(ys, kLunisolarLayout, ephemeris, error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(ys.m_strGrid);
  }
}
BENCHMARK(BM_YearListLunisolar2033)->Unit(benchmark::kMillisecond);

// The yearly data file for a leap year, as `ombrel-cli astrodata 2024` writes
// it: the year's events into Memory, then 366 day tables and lines.
void BM_YearlyFileLeapYear(benchmark::State& state) {
  ScratchDir s;
  REQUIRE_SCRATCH(s, state);
  AstroInput input{"2024", "1", "1", "12", "139.7", "35.6", DefaultSettings()};
  const AstroModel model = state.range(0) ? AstroModel::Precise : AstroModel::Design;
  input.settings.model = model;
  const Ephemeris& ephemeris = EphemerisOf(model);
  const AstroDayRequest request = [&input, &ephemeris](double month, double day) {
    AstroInput dayInput = input;
    dayInput.month = std::to_string(static_cast<int>(month));
    dayInput.day = std::to_string(static_cast<int>(day));
    return ComputeAstroRequest(dayInput, ephemeris);
  };
  const std::string out = s.Path("year.csv");
  std::string error;
  for (auto _ : state) {
    const AstroYearEvents events = CollectYearEvents(2024, input.settings, ephemeris);
    if (!StoreAndWriteYearlyFile(2024, events, out, input, request, true, error)) {
      state.SkipWithError(error.c_str());
      break;
    }
  }
}
// Argument 0: the design's formulas; 1: the precise model.
BENCHMARK(BM_YearlyFileLeapYear)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
