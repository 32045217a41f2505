// The application shell: the frame, its menu, the about box, Ctrl+N, the two
// dialog commands and the --render path, with the real application object.
#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QtTest>

#include "app/MainFrm.h"
#include "app/MyApp.h"
#include "astrodata/ui/AstroDataDlg.h"
#include "tst_main_support.h"
#include "almanac/Settings.h"
#include "yearlist/ui/YearListDlg.h"

class TstApp : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ScratchWorkDir> m_dir;
  CMyApp* App() { return static_cast<CMyApp*>(QCoreApplication::instance()); }
  CMyView* View() { return App()->View(); }

 private slots:
  void init() {
    m_dir = std::make_unique<ScratchWorkDir>();
    SettingsDlg = SettingsRecord{};
    QVERIFY(App()->InitInstance(false));
    View()->RunCommand([this] { View()->OnPaint(); });
  }
  void cleanup() {
    App()->ExitInstance();
    m_dir.reset();
  }

  void frameHasTheCaptionAndAFixedSize() {
    CMainFrame* frame = App()->MainFrame();
    QCOMPARE(frame->windowTitle(), QStringLiteral("Ombrelの窓"));
    QCOMPARE(frame->minimumSize(), frame->maximumSize());
    QCOMPARE(frame->width(), 750);
    QCOMPARE(frame->height(), 520 + frame->menuBar()->sizeHint().height());
    const Qt::WindowFlags flags = frame->windowFlags();
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(View()->geometry(), QRect(0, frame->menuBar()->sizeHint().height(), 750, 520));
  }

  // The designed menu, with the iCalendar export added to the file menu.
  void menuTextsAreExact() {
    QStringList texts;
    for (QAction* top : App()->MainFrame()->menuBar()->actions()) {
      QString line = top->text();
      if (QMenu* m = top->menu())
        for (QAction* item : m->actions()) line += " / " + (item->isSeparator() ? QStringLiteral("-") : item->text());
      texts << line;
    }
    QCOMPARE(texts, QStringList({QStringLiteral("ﾌｧｲﾙ(&F) / iCalendar書き出し(&I)... / - / Ombrelの窓終了(&X)"), QStringLiteral("年間暦一覧表"),
                                 QStringLiteral("天文データ"), QStringLiteral("設定値 / 設定値"),
                                 QStringLiteral("ﾍﾙﾌﾟ(&H) / ﾄﾋﾟｯｸの検索(&H) / - / Ombrel のﾊﾞｰｼﾞｮﾝ情報(&A)...")}));
  }

  void aboutBoxShowsTheVersionAndClosesWithOk() {
    QString caption, text;
    bool hasIcon = false;
    ModalWatcher watcher([&](QWidget* w) {
      caption = w->windowTitle();
      text = w->findChild<QLabel*>(QStringLiteral("version"))->text();
      hasIcon = !w->findChild<QLabel*>(QStringLiteral("icon"))->pixmap().isNull();
      QTest::mouseClick(Control<QPushButton>(w, 1), Qt::LeftButton);
    });
    App()->MainFrame()->m_actAbout->trigger();
    QCOMPARE(caption, QStringLiteral("Ombrelのﾊﾞｰｼﾞｮﾝ情報"));
    QCOMPARE(text, QStringLiteral("Ombrel Version 2.0"));
    QVERIFY(hasIcon);
    QVERIFY(!QApplication::activeModalWidget());
  }

  void escapeClosesEveryWindow() {
    CMainFrame* frame = App()->MainFrame();
    frame->show();
    QVERIFY(QTest::qWaitForWindowActive(frame));
    for (QAction* open : {frame->m_actAbout, frame->m_actSettings}) {
      ModalWatcher watcher([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
      open->trigger();
      QVERIFY(!QApplication::activeModalWidget());
    }
    // The modeless windows close too, and the menu opens them again.
    const std::pair<QAction*, QDialog*> modeless[] = {{frame->m_actYearList, View()->m_pYearListDlg},
                                                      {frame->m_actAstroData, View()->m_pAstroDataDlg}};
    for (auto [open, dlg] : modeless) {
      open->trigger();
      QVERIFY(dlg->isVisible());
      QTest::keyClick(dlg, Qt::Key_Escape);
      QVERIFY(!dlg->isVisible());
      open->trigger();
      QVERIFY(dlg->isVisible());
    }
  }

  void ctrlNReturnsToThePresentAndRereadsTheSettings() {
    CMainFrame* frame = App()->MainFrame();
    QCOMPARE(frame->m_actNew->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    frame->show();
    QVERIFY(QTest::qWaitForWindowActive(frame));
    TypeMoment(View(), "2005", "1", "31", "10.0");
    QVERIFY(WriteFileBytes(QStringLiteral("ombrel.dat"), "135.5\n"));
    QTest::keyClick(frame, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(Control(View(), 1003)->text(), QString::number(Now().year));
    QCOMPARE(View()->m_dLongitude, 135.5);
  }

  void yearListOpensOnceAndAgainAfterClosing() {
    CMainFrame* frame = App()->MainFrame();
    TypeMoment(View(), "2005", "1", "31", "10.0");
    frame->m_actYearList->trigger();
    CYearListDlg* dlg = View()->m_pYearListDlg;
    QVERIFY(dlg->IsWindowOpen());
    QCOMPARE(QString::fromStdString(dlg->m_strYear), QStringLiteral("2005"));
    QCOMPARE(Control(View(), 1003)->text(), QStringLiteral("2005"));
    dlg->YearEdit()->setText(QStringLiteral("1999"));
    frame->m_actYearList->trigger();  // already open: nothing happens
    QCOMPARE(dlg->YearEdit()->text(), QStringLiteral("1999"));
    QVERIFY(dlg->m_events.phases.size() > 12);  // the view answered its list requests
    static_cast<QDialog*>(dlg)->accept();  // its 終了
    QVERIFY(!dlg->IsWindowOpen());
    frame->m_actYearList->trigger();
    QVERIFY(dlg->IsWindowOpen());
    QCOMPARE(dlg->YearEdit()->text(), QStringLiteral("2005"));
  }

  void dataWindowStartsFromTheForm() {
    TypeMoment(View(), "2005", "1", "31", "10.0");
    App()->MainFrame()->m_actAstroData->trigger();
    CAstroDataDlg* dlg = View()->m_pAstroDataDlg;
    QVERIFY(dlg->IsWindowOpen());
    QCOMPARE(dlg->Field(CAstroDataDlg::IDC_YEAR)->text(), QStringLiteral("2005"));
    QCOMPARE(dlg->Field(CAstroDataDlg::IDC_HOUR)->text(), QStringLiteral("10.0"));
    QCOMPARE(dlg->Field(CAstroDataDlg::IDC_LONGITUDE)->text(), QStringLiteral("139.7"));
    // The view computes the table for the window.
    View()->OnAstroRequest(1, 0);
    const std::optional<double> transit = dlg->m_table.times[BodySun].transit;
    QVERIFY(transit && *transit > 11 && *transit < 13);
  }

  void renderWritesThePicture() {
    RenderRequest request;
    request.file = m_dir->FilePath(QStringLiteral("form.png")).toStdString();
    QVERIFY(ParseRenderDate("2005-01-31", request.year, request.month, request.day));
    request.hasDate = true;
    std::string error;
    QCOMPARE(RenderMainWindow(*App(), request, error), 0);
    QImage image(QString::fromStdString(request.file));
    QCOMPARE(image.width(), 750);
    QCOMPARE(Control(View(), 1003)->text(), QStringLiteral("2005"));

    request.file = "/nonexistent-dir/form.png";
    QCOMPARE(RenderMainWindow(*App(), request, error), 1);
    QVERIFY2(QString::fromStdString(error).contains("/nonexistent-dir/form.png"), error.c_str());
  }

  void renderProgramExitStatus_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("written");
    QTest::newRow("a date") << QStringList{"--date", "2005-01-31"} << 0 << true;
    QTest::newRow("a date and an hour") << QStringList{"--date", "-660-02-11", "--hour", "21.5"} << 0 << true;
    QTest::newRow("bad date") << QStringList{"--date", "2005-02-30x"} << 2 << false;
    QTest::newRow("bad hour") << QStringList{"--hour", "24"} << 2 << false;
    QTest::newRow("missing working directory") << QStringList{"--workdir", "/nonexistent-dir"} << 2 << false;
    QTest::newRow("unwritable file") << QStringList{"--date", "2005-01-31", "--to", "/nonexistent-dir/x.png"} << 1
                                     << false;
  }
  void renderProgramExitStatus() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(bool, written);
    // The window program is built next to the command-line tool.
    const QString program = QFileInfo(QStringLiteral(OMBREL_CLI)).dir().absoluteFilePath(QStringLiteral("ombrel"));
    QVERIFY2(QFileInfo::exists(program), qPrintable(program));
    QString file = m_dir->FilePath(QStringLiteral("out.png"));
    if (const qsizetype to = args.indexOf(QStringLiteral("--to")); to >= 0) {
      file = args[to + 1];
      args.remove(to, 2);
    }
    QProcess p;
    p.start(program, QStringList{"--workdir", QDir::currentPath(), "--render", file} + args);
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), status);
    QCOMPARE(QFileInfo::exists(file), written);
    const QByteArray err = p.readAllStandardError();
    if (status != 0) QVERIFY(!err.isEmpty());
    else QVERIFY2(!err.contains("font"), err.constData());  // no word about fonts where there is one
  }

  // --render --date is a day of the calendar ombrel.dat's line 4 chooses:
  // 1582-10-10 exists only in the Gregorian calendar throughout, 1500-02-29
  // only in the Julian.
  void renderDateInTheCalendarInForce_data() {
    QTest::addColumn<QByteArray>("dat");
    QTest::addColumn<QString>("date");
    QTest::addColumn<int>("status");
    QTest::newRow("Gregorian throughout, 1582-10-10") << QByteArray("139.7\n35.6\n0\n1\n") << "1582-10-10" << 0;
    QTest::newRow("default, 1582-10-10") << QByteArray() << "1582-10-10" << 2;
    QTest::newRow("Gregorian throughout, 1500-02-29") << QByteArray("139.7\n35.6\n0\n1\n") << "1500-02-29" << 2;
    QTest::newRow("default, 1500-02-29") << QByteArray() << "1500-02-29" << 0;
  }
  void renderDateInTheCalendarInForce() {
    QFETCH(QByteArray, dat);
    QFETCH(QString, date);
    QFETCH(int, status);
    if (!dat.isEmpty()) QVERIFY(WriteFileBytes(QStringLiteral("ombrel.dat"), dat));
    const QString program = QFileInfo(QStringLiteral(OMBREL_CLI)).dir().absoluteFilePath(QStringLiteral("ombrel"));
    const QString file = m_dir->FilePath(QStringLiteral("out.png"));
    QProcess p;
    p.start(program, {"--workdir", QDir::currentPath(), "--render", file, "--date", date});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), status);
    QCOMPARE(QFileInfo::exists(file), status == 0);
    if (status != 0) QVERIFY(p.readAllStandardError().contains(date.toLatin1()));
  }

  // Qt's own dialogs speak Japanese like the rest of the program: the CSV
  // files' save dialog, through the real chooser.
  void saveDialogSpeaksJapanese() {
    QString title;
    QStringList buttons;
    ModalWatcher watcher([&](QWidget* w) {
      auto* dialog = qobject_cast<QFileDialog*>(w);
      if (!dialog) return;
      title = dialog->windowTitle();
      for (QPushButton* b : dialog->findChildren<QPushButton*>()) buttons << b->text();
      dialog->reject();
    });
    QVERIFY(CYearListDlg::ChooseSaveFile(nullptr).isEmpty());
    QCOMPARE(title, QStringLiteral("名前を付けて保存"));
    QVERIFY2(buttons.contains(QStringLiteral("キャンセル")), qPrintable(buttons.join('|')));
  }

  void renderArguments_data() {
    QTest::addColumn<QString>("date");
    QTest::addColumn<bool>("ok");
    QTest::newRow("plain") << "2005-01-31" << true;
    QTest::newRow("before the era") << "-660-02-11" << true;
    QTest::newRow("month 13") << "2005-13-01" << false;
    QTest::newRow("day 0") << "2005-01-00" << false;
    QTest::newRow("trailing text") << "2005-01-31x" << false;
    QTest::newRow("not a date") << "yesterday" << false;
    QTest::newRow("overflowing year") << "99999999999-01-01" << false;
    QTest::newRow("year that wraps an int") << "4294969320-01-01" << false;
    QTest::newRow("a day February lacks") << "2024-02-31" << false;
    // Days of one calendar only: checked once ombrel.dat says which is in force.
    QTest::newRow("a day the calendar skipped") << "1582-10-10" << true;
    QTest::newRow("a Julian leap day") << "1500-02-29" << true;
    QTest::newRow("a day neither calendar has") << "1500-02-30" << false;
    QTest::newRow("leading blank") << " 2005-01-31" << false;
    QTest::newRow("plus sign") << "+2005-01-31" << false;
  }
  void renderArguments() {
    QFETCH(QString, date);
    QFETCH(bool, ok);
    int y = 0, m = 0, d = 0;
    QCOMPARE(ParseRenderDate(date.toStdString(), y, m, d), ok);
  }
};

int main(int argc, char** argv) {
  CMyApp app(argc, argv);
  TstApp test;
  return QTest::qExec(&test, argc, argv);
}
#include "tst_app.moc"
