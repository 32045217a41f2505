// One full refresh of the main window as a user's step triggers it: the day
// panel with its database queries, the two day lists, the sky panel and the
// month calendar, drawn into the form's off-screen image.
#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "almanac/Settings.h"
#include "astro/precise/Events.h"
#include "view/ui/MyView.h"

namespace {

// The view in a scratch working directory holding the built calendar database.
// The argument of a benchmark sets ombrel.conf: bit 1 the precise model,
// bit 2 the eclipses in the 暦注 list and the readout.
struct ViewInScratchDir {
  QTemporaryDir dir;
  QString previous = QDir::currentPath();
  std::unique_ptr<CMyView> view;
  explicit ViewInScratchDir(const benchmark::State& state) {
    QFile::copy(QStringLiteral(OMBREL_DB_PATH), dir.filePath(QStringLiteral("History.mdb")));
    QDir::setCurrent(dir.path());
    QFile conf(QStringLiteral("ombrel.conf"));
    if (state.range(0) && conf.open(QIODevice::WriteOnly)) {
      if (state.range(0) & 1) conf.write("model=precise\n");
      if (state.range(0) & 2) conf.write("eclipses=1\n");
    }
    conf.close();
    view = std::make_unique<CMyView>();
    view->m_bQuietErrors = true;
    view->OnInitialUpdate();
    view->RunCommand([this] { view->OnPaint(); });
  }
  ~ViewInScratchDir() {
    view.reset();
    QDir::setCurrent(previous);
  }
  void Show(int year, int month, int day) {
    WriteFormDate(*view, year, month, day, 21.0);
    view->UpdateData(false);
  }
};

// Day by day through one year: the year lists stay, everything else is redone.
void BM_MainWindowRefresh(benchmark::State& state) {
  ViewInScratchDir s(state);
  int day = 0;
  for (auto _ : state) {
    const QDate date = QDate(2005, 1, 1).addDays(day++ % 365);
    s.Show(date.year(), date.month(), date.day());
    s.view->RunCommand([&] { s.view->OnChangeDateTime(); });
  }
  if (!s.view->m_strLastError.empty()) state.SkipWithError(s.view->m_strLastError.c_str());
}
BENCHMARK(BM_MainWindowRefresh)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

// A new year each time: the moon-phase and solar-term lists are rebuilt too.
// Argument 1 sets ombrel.conf as above, argument 2 picks the span: 0 the years 1000 to 3000, 1 the years 1900 to
// 2100 (where the precise model takes the shorter nutation series). Each year
// follows the one before it, as when a user steps a year at a time. Every
// run (each configuration, each repetition) starts at the span's first year
// with the memos of found events emptied, outside the timing: the
// configurations measure the same years, and no year is ever answered from
// a memo.
void BM_MainWindowRefreshNewYear(benchmark::State& state) {
  ViewInScratchDir s(state);
  static constexpr int kFirst[2] = {1000, 1900}, kLast[2] = {3000, 2100};
  const int span = static_cast<int>(state.range(1));
  int year = kFirst[span];
  precise::ForgetFoundEvents();
  for (auto _ : state) {
    if (year > kLast[span]) {
      state.PauseTiming();
      year = kFirst[span];
      precise::ForgetFoundEvents();
      state.ResumeTiming();
    }
    s.Show(year++, 6, 15);
    s.view->RunCommand([&] { s.view->OnChangeDateTime(); });
  }
  if (!s.view->m_strLastError.empty()) state.SkipWithError(s.view->m_strLastError.c_str());
}
BENCHMARK(BM_MainWindowRefreshNewYear)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1}})
    ->ArgNames({"conf", "span"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
