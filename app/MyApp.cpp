#include "app/MyApp.h"

#include <QAction>
#include <QFileDialog>
#include <QImageWriter>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "almanac/Settings.h"
#include "app/AppIcon.h"
#include "app/AboutDlg.h"
#include "app/MainFrm.h"
#include "core/Args.h"
#include "core/CalendarDays.h"
#include "core/Conf.h"
#include "core/Text.h"
#include "view/ui/MyView.h"
#include "widgets/AlmanacFont.h"

CMyApp::CMyApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Ombrel"));
  setApplicationVersion(QStringLiteral(OMBREL_VERSION));
  // Lets the desktop match the window to its menu entry and icon.
  setDesktopFileName(QStringLiteral(OMBREL_APP_ID));
  setWindowIcon(AppIcon());
  LoadQtTranslation();
}

void CMyApp::LoadQtTranslation() {
  // The whole interface is Japanese, so Qt's dialogs and buttons are too;
  // "qt-language=system" in ombrel.conf follows the system's language instead.
  Conf conf;
  conf.Load();
  const bool system = conf.Get(kQtLanguageKey, "ja") == "system";
  const QLocale locale = system ? QLocale::system() : QLocale(QLocale::Japanese, QLocale::Japan);
  if (m_qtTranslator.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    installTranslator(&m_qtTranslator);
}

CMyApp::~CMyApp() = default;

CMyView* CMyApp::View() const { return m_pMainWnd ? m_pMainWnd->View() : nullptr; }

bool CMyApp::InitInstance(bool show, bool quiet) {
  m_pMainWnd = std::make_unique<CMainFrame>();
  CMainFrame* frame = m_pMainWnd.get();
  connect(frame->m_actAbout, &QAction::triggered, this, &CMyApp::OnAppAbout);
  connect(frame->m_actNew, &QAction::triggered, this, &CMyApp::OnFileNew);
  connect(frame->m_actOpen, &QAction::triggered, this, &CMyApp::OnFileOpen);
  connect(frame->m_actPrint, &QAction::triggered, this, &CMyApp::OnFilePrint);
  connect(frame->m_actHelp, &QAction::triggered, this, &CMyApp::OnHelp);
  // The start-up's warnings (settings, fonts) open over the window once it
  // shows, not before it somewhere on the screen.
  if (show) View()->HoldReports();
  View()->m_bQuietErrors = quiet;
  m_doc.OnNewDocument();
  View()->OnInitialUpdate();
  WarnOnceWithoutJapaneseFont(show);
  if (show) {
    frame->show();
    View()->RequestRefresh();
    View()->ReleaseReportsWhenShown();
  }
  return true;
}

void CMyApp::WarnOnceWithoutJapaneseFont(bool window) {
  if (m_bFontChecked) return;
  m_bFontChecked = true;
  const QString text = MissingJapaneseFontText();
  if (text.isEmpty()) return;
  std::fprintf(stderr, "ombrel: %s\n", text.toLocal8Bit().constData());
  if (window) View()->Say(text);
}

int CMyApp::ExitInstance() {
  m_pMainWnd.reset();
  return 0;
}

void CMyApp::OnAppAbout() {
  CAboutDlg dlg(m_pMainWnd.get());
  dlg.exec();
}

void CMyApp::OnFileNew() {
  if (!m_doc.OnNewDocument()) return;
  View()->OnInitialUpdate();
  View()->RequestRefresh();
}

void CMyApp::OnFileOpen() {
  if (QFileDialog::getOpenFileName(m_pMainWnd.get()).isEmpty()) return;
  OnFileNew();
}

void CMyApp::OnFilePrint() {
  QPrinter printer;
  QPrintDialog dlg(&printer, m_pMainWnd.get());
  if (dlg.exec() != QDialog::Accepted) return;
  QPainter painter(&printer);
  const QImage form = View()->RenderForm();
  const QRect page = painter.viewport();
  const QSize size = form.size().scaled(page.size(), Qt::KeepAspectRatio);
  painter.setViewport(page.x(), page.y(), size.width(), size.height());
  painter.setWindow(form.rect());
  painter.drawImage(0, 0, form);
}

void CMyApp::OnHelp() {
  QMessageBox::information(
      m_pMainWnd.get(), QStringLiteral("Ombrel"),
      QStringLiteral("年・月・日・時間を入力して「日時変更」を押すと、その日時の暦と星空を表示します。\n"
                     "矢印で年・月・日を一つずつ進め戻し、右下のカレンダーの日をクリックするとその日を表示します。\n"
                     "「今日の表示」で現在の日時に戻ります。観測地と表示の設定はメニュー「設定値」で変更します。"));
}

bool ParseRenderDate(const std::string& text, int& year, int& month, int& day) {
  // The calendar in force is known once ombrel.dat is read (RenderMainWindow);
  // here a date no calendar has is refused.
  int y = 0, m = 0, d = 0;
  if (!args::ParseDate(text, y, m, d) || !(DateExists({y, m, d}, CalendarRule::JulianThenGregorian) ||
                                             DateExists({y, m, d}, CalendarRule::Gregorian)))
    return false;
  year = y, month = m, day = d;
  return true;
}

bool ParseRenderHour(const std::string& text, double& hour) {
  double h = 0;
  if (!args::ParseDouble(text, 0.0, 24.0, h) || h >= 24.0) return false;
  hour = h;
  return true;
}

int RenderMainWindow(CMyApp& app, const RenderRequest& request, std::string& error) {
  app.InitInstance(false, true);
  CMyView* view = app.View();
  const int line4 = view->m_settingsRecord.m_nCalendarMode;  // as start-up read it from ombrel.dat
  const CalendarRule calendar = CalendarRuleOfMode(line4);
  if (request.hasDate && !DateExists({request.year, request.month, request.day}, calendar)) {
    error = text::SjisFormat("bad date %d-%02d-%02d: not a day of the %s calendar ombrel.dat chooses (line 4 = %d)",
                             request.year, request.month, request.day,
                             calendar == CalendarRule::JulianThenGregorian ? "Julian-then-Gregorian" : "Gregorian",
                             line4);
    return 2;
  }
  view->m_bFollowClock = false;  // the moment asked for, to the second
  view->RunCommand([view] { view->OnPaint(); });  // the first paint: the present moment
  if (request.hasDate || request.hasHour) {
    view->UpdateData(true);
    const double year = request.hasDate ? request.year : ReadFormNumber(view->m_strYear);
    const double month = request.hasDate ? request.month : ReadFormNumber(view->m_strMonth);
    const double day = request.hasDate ? request.day : ReadFormNumber(view->m_strDay);
    const double hour = request.hasHour ? request.hour : ReadFormNumber(view->m_strHourExact);
    view->m_strLastError.clear();
    view->RunCommand([&] { view->ShowMoment(year, month, day, hour); });
  }
  CMainFrame* frame = app.MainFrame();
  frame->ensurePolished();
  const QImage image = frame->grab().toImage();
  // Written whole or not at all, like every other file the program writes.
  QSaveFile out(QString::fromStdString(request.file));
  QImageWriter writer(&out, "png");
  if (!out.open(QIODevice::WriteOnly) || !writer.write(image) || !out.commit()) {
    const QString why = out.error() != QFileDevice::NoError ? out.errorString() : writer.errorString();
    out.cancelWriting();
    error = request.file + ": " + why.toStdString();
    return 1;
  }
  if (!view->m_strLastError.empty()) {
    error = view->m_strLastError;
    return 1;
  }
  return 0;
}
