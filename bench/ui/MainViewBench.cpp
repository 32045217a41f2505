// One full refresh of the main window as a user's step triggers it: the day
// panel with its database queries, the two day lists, the sky panel and the
// month calendar, drawn into the form's off-screen image.
// bench/ui is also globbed into the window library: only the benchmark
// program (which defines OMBREL_DB_PATH) compiles this.
#ifdef OMBREL_DB_PATH
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "view/ui/MyView.h"

namespace {

// The view in a scratch working directory holding the built calendar database.
struct ViewInScratchDir {
  QTemporaryDir dir;
  QString previous = QDir::currentPath();
  std::unique_ptr<CMyView> view;
  ViewInScratchDir() {
    QFile::copy(QStringLiteral(OMBREL_DB_PATH), dir.filePath(QStringLiteral("History.mdb")));
    QDir::setCurrent(dir.path());
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
  ViewInScratchDir s;
  int day = 0;
  for (auto _ : state) {
    s.Show(2005, 1, 1 + day % 365);  // day numbers past the month carry into the next
    ++day;
    s.view->RunCommand([&] { s.view->OnChangeDateTime(); });
  }
  if (!s.view->m_strLastError.empty()) state.SkipWithError(s.view->m_strLastError.c_str());
}
BENCHMARK(BM_MainWindowRefresh)->Unit(benchmark::kMillisecond);

// A new year each time: the moon-phase and solar-term lists are rebuilt too.
void BM_MainWindowRefreshNewYear(benchmark::State& state) {
  ViewInScratchDir s;
  int year = 1900;
  for (auto _ : state) {
    s.Show(year++, 6, 15);
    if (year > 2100) year = 1900;
    s.view->RunCommand([&] { s.view->OnChangeDateTime(); });
  }
  if (!s.view->m_strLastError.empty()) state.SkipWithError(s.view->m_strLastError.c_str());
}
BENCHMARK(BM_MainWindowRefreshNewYear)->Unit(benchmark::kMillisecond);

}  // namespace
#endif  // OMBREL_DB_PATH
