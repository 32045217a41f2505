// The windows as the user meets them: the main frame from nothing to its first
// paint, the year list opened from the menu for a year with a leap month, and
// the data window's yearly file for a leap year.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

#include "app/MainFrm.h"
#include "astrodata/ui/AstroDataDlg.h"
#include "almanac/Settings.h"
#include "view/ui/MyView.h"
#include "yearlist/ui/YearListDlg.h"

namespace {

// A fresh working directory holding the built calendar database, made current
// for the benchmark's life (the programs open their files by bare names).
class ScratchWorkDir {
 public:
  ScratchWorkDir() : m_previous(QDir::currentPath()) {
    QFile::copy(QStringLiteral(OMBREL_DB_PATH), m_dir.filePath(QStringLiteral("History.mdb")));
    QDir::setCurrent(m_dir.path());
  }
  ~ScratchWorkDir() { QDir::setCurrent(m_previous); }

 private:
  QString m_previous;
  QTemporaryDir m_dir;
};

// Notices the first paint event a widget receives.
class PaintWatch : public QObject {
 public:
  explicit PaintWatch(QWidget* w) { w->installEventFilter(this); }
  bool painted = false;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) painted = true;
    return false;
  }
};

// Processes events until the widget has painted, at most a second.
bool WaitForPaint(const PaintWatch& watch) {
  QElapsedTimer t;
  t.start();
  while (!watch.painted && t.elapsed() < 1000) QApplication::processEvents(QEventLoop::AllEvents, 5);
  return watch.painted;
}

// What CMyApp::InitInstance does, up to the view's first paint: the frame with
// its menu and view, the initial update (clock and settings file), show, and
// the refresh that paint runs. The process start and QApplication are outside
// the loop; docs/PERFORMANCE.md measures them with `ombrel --render`.
void BM_StartUpToFirstPaint(benchmark::State& state) {
  ScratchWorkDir dir;
  for (auto _ : state) {
    auto frame = std::make_unique<CMainFrame>();
    PaintWatch watch(frame->View());
    frame->View()->OnInitialUpdate();
    frame->show();
    frame->View()->RequestRefresh();
    if (!WaitForPaint(watch)) {
      state.SkipWithError("the main view was never painted");
      break;
    }
    state.PauseTiming();
    frame.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartUpToFirstPaint)->Unit(benchmark::kMillisecond);

// The menu command 年間暦一覧表 with the main window on 2033-08-01: the year
// list's 和暦表示 (conversions, the year's phases and terms through the view,
// the lunisolar grid), both era lists, the view's refresh, and the dialog's
// first paint. Closed again outside the timing.
void BM_OpenYearList2033(benchmark::State& state) {
  ScratchWorkDir dir;
  CMainFrame frame;
  CMyView* view = frame.View();
  view->m_bQuietErrors = true;
  view->OnInitialUpdate();
  WriteFormDate(*view, 2033, 8, 1, 21.0);
  view->UpdateData(false);
  view->RunCommand([view] { view->OnChangeDateTime(); });
  for (auto _ : state) {
    PaintWatch watch(view->m_pYearListDlg);
    view->RunCommand([view] { view->OnYearList(); });
    if (!WaitForPaint(watch) || view->m_pYearListDlg->m_nDisplayMode != kLunisolarLayout) {
      state.SkipWithError("the year list did not show 2033");
      break;
    }
    state.PauseTiming();
    view->m_pYearListDlg->close();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  if (!view->m_strLastError.empty()) state.SkipWithError(view->m_strLastError.c_str());
}
BENCHMARK(BM_OpenYearList2033)->Unit(benchmark::kMillisecond);

// FILE出力 of the data window for 2024 through the main view, as the button
// runs it once the file name is chosen: Memory rewritten for the year, then
// one request and one line per day, the window showing each day.
// Argument 1: the precise model, through ombrel.conf.
void BM_DataWindowYearlyFile2024(benchmark::State& state) {
  ScratchWorkDir dir;
  QFile conf(QStringLiteral("ombrel.conf"));
  if (state.range(0) && conf.open(QIODevice::WriteOnly)) conf.write("model=precise\n");
  conf.close();
  CMainFrame frame;
  CMyView* view = frame.View();
  view->m_bQuietErrors = true;
  view->OnInitialUpdate();
  view->RunCommand([view] { view->OnAstroData(); });
  CAstroDataDlg& data = *view->m_pAstroDataDlg;
  data.UpdateData(true);
  data.m_strYear = "2024";
  data.UpdateData(false);
  const std::string path = QDir::current().filePath(QStringLiteral("year.csv")).toStdString();
  std::string error;
  for (auto _ : state) {
    if (!data.WriteFileTo(path, error)) {
      state.SkipWithError(error.c_str());
      break;
    }
  }
}
BENCHMARK(BM_DataWindowYearlyFile2024)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
