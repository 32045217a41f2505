// The application shell: the frame, its menu, the about box, Ctrl+N, the two
// dialog commands and the --render path, with the real application object.
#include <QAction>
#include <QFileDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QtTest>

#include "app/MainFrm.h"
#include "app/MyApp.h"
#include "astrodata/ui/AstroDataDlg.h"
#include "tst_main_support.h"
#include "view/ui/SettingsDlg.h"
#include "widgets/CsvFileDialog.h"
#include "core/WorkDir.h"
#include "almanac/Settings.h"
#include "yearlist/ui/YearListDlg.h"

class TstApp : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ScratchWorkDir> m_dir;
  CMyApp* App() { return static_cast<CMyApp*>(QCoreApplication::instance()); }
  CMyView* View() { return App()->View(); }

 private slots:
  // The folder the tests were started in is the program's start folder.
  void initTestCase() { workdir::FromStartDirectory("."); }
  void init() {
    m_dir = std::make_unique<ScratchWorkDir>();
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
    QCOMPARE(texts, QStringList({QStringLiteral("ﾌｧｲﾙ(&F) / iCalendar書き出し(&I)... / - / Ombrelの窓終了(&X)"), QStringLiteral("年間暦一覧表(&Y)"),
                                 QStringLiteral("天文データ(&D)"), QStringLiteral("設定値(&S) / 設定値(&S)..."),
                                 QStringLiteral("ﾍﾙﾌﾟ(&H) / ﾄﾋﾟｯｸの検索(&H) / - / Ombrel のﾊﾞｰｼﾞｮﾝ情報(&A)...")}));
  }

  // Every window the menu opens opens from the keyboard: Alt and the letter
  // (and the item's letter in the menu that opens).
  void altLettersOpenTheWindows_data() {
    QTest::addColumn<QList<int>>("keys");  // letters, the first with Alt
    QTest::addColumn<QString>("opened");   // the window's class
    QTest::newRow("Alt+Y") << QList<int>{Qt::Key_Y} << "CYearListDlg";
    QTest::newRow("Alt+D") << QList<int>{Qt::Key_D} << "CAstroDataDlg";
    QTest::newRow("Alt+S S") << QList<int>{Qt::Key_S, Qt::Key_S} << "CSettingsDlg";
  }
  void altLettersOpenTheWindows() {
    QFETCH(QList<int>, keys);
    QFETCH(QString, opened);
    CMainFrame* frame = App()->MainFrame();
    frame->show();
    QVERIFY(QTest::qWaitForWindowActive(frame));
    QString modal;
    ModalWatcher watcher([&](QWidget* w) {
      modal = QString::fromLatin1(w->metaObject()->className());
      QTest::keyClick(w, Qt::Key_Escape);
    });
    QTest::keyClick(frame, static_cast<Qt::Key>(keys[0]), Qt::AltModifier);
    for (qsizetype i = 1; i < keys.size(); ++i) {
      QTRY_VERIFY(QApplication::activePopupWidget());
      QTest::keyClick(QApplication::activePopupWidget(), static_cast<Qt::Key>(keys[i]));
    }
    QWidget* open = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible() && QString::fromLatin1(w->metaObject()->className()) == opened) open = w;
    QVERIFY2(open || modal == opened, qPrintable(modal));
    if (open) open->close();
  }

  // The start-up's warnings open over the window once it shows: a zone= the
  // tz database does not know, in the settings dialog's own words.
  void startUpWarningIsCentredOnTheWindow() {
    App()->ExitInstance();
    QVERIFY(WriteFileBytes(QStringLiteral("ombrel.conf"), "zone=Mars/Olympus\n"));
    MessageBoxWatcher boxes;
    QVERIFY(App()->InitInstance(true));
    QTRY_COMPARE(boxes.texts.size(), 1);
    QVERIFY2(boxes.texts[0].startsWith(ZoneRefusal("Mars/Olympus")), qPrintable(boxes.texts[0]));
    const QRect frame = App()->MainFrame()->frameGeometry();
    QVERIFY(frame.width() > 700);
    QVERIFY2((boxes.places[0].center() - frame.center()).manhattanLength() <= 2, qPrintable(QStringLiteral("%1,%2").arg(boxes.places[0].center().x()).arg(boxes.places[0].center().y())));
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

  // A render asked for an hour draws that hour, even a few minutes from the
  // present (where the window's typed moment follows the clock).
  void renderDrawsExactlyTheHourAskedFor() {
    const Now now;
    const double hour = now.hour >= 0.2 ? std::floor((now.hour - 0.1) * 10) / 10 : 0.15;
    RenderRequest request;
    request.file = m_dir->FilePath(QStringLiteral("form.png")).toStdString();
    request.hasDate = true;
    request.year = now.year, request.month = now.month, request.day = now.day;
    request.hasHour = true;
    request.hour = hour;
    std::string error;
    QCOMPARE(RenderMainWindow(*App(), request, error), 0);
    QCOMPARE(QString::fromStdString(View()->m_strHourExact).toDouble(), hour);
  }

  // Without a display the window program says so in one line naming what it
  // tried and exits 1; on a platform that shows nothing it says that.
  void windowWithoutADisplaySaysSo_data() {
    QTest::addColumn<QStringList>("env");  // NAME=VALUE to set, NAME alone to unset
    QTest::addColumn<QStringList>("said");
    QTest::newRow("no display at all") << QStringList{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}
                                       << QStringList{"no display", "DISPLAY unset"};
    QTest::newRow("a Wayland socket that is not there")
        << QStringList{"DISPLAY", "QT_QPA_PLATFORM", "WAYLAND_DISPLAY=wayland-nothing"}
        << QStringList{"no display", "WAYLAND_DISPLAY=wayland-nothing"};
    QTest::newRow("an X display that is not there") << QStringList{"DISPLAY=:97", "QT_QPA_PLATFORM=xcb"}
                                                    << QStringList{"no display", "xcb", "DISPLAY=:97"};
    QTest::newRow("offscreen") << QStringList{"QT_QPA_PLATFORM=offscreen"}
                               << QStringList{"offscreen shows no window", "--render"};
  }
  void windowWithoutADisplaySaysSo() {
    QFETCH(QStringList, env);
    QFETCH(QStringList, said);
    const QString program = QFileInfo(QStringLiteral(OMBREL_CLI)).dir().absoluteFilePath(QStringLiteral("ombrel"));
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const QString& v : env) {
      const qsizetype eq = v.indexOf('=');
      if (eq < 0) e.remove(v);
      else e.insert(v.left(eq), v.mid(eq + 1));
    }
    QProcess p;
    p.setProcessEnvironment(e);
    p.start(program, {"--workdir", QDir::currentPath()});
    if (!p.waitForFinished(20000)) {
      p.kill();
      p.waitForFinished();
      QFAIL("still running with nothing to show");
    }
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 1);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QCOMPARE(err.count('\n'), 1);
    for (const QString& s : said) QVERIFY2(err.contains(s), qPrintable(err));
  }

  // An angle that rounds to zero reads 0.00 in the data window and in
  // `ombrel-cli bodies` (the sun's ecliptic latitude was -0.00).
  void noAngleReadsMinusZero_data() {
    QTest::addColumn<QString>("date");  // where the precise sun's latitude is a little below 0
    QTest::newRow("2026-12-11") << "2026-12-11";
    QTest::newRow("1850-07-01") << "1850-07-01";
  }
  void noAngleReadsMinusZero() {
    QFETCH(QString, date);
    QVERIFY(WriteFileBytes(QStringLiteral("ombrel.conf"), "model=precise\n"));
    App()->OnFileNew();
    MessageBoxWatcher boxes;  // the span warning before 1900
    const QStringList ymd = date.split('-');
    TypeMoment(View(), ymd[0], ymd[1], ymd[2], "12.0");
    App()->MainFrame()->m_actAstroData->trigger();
    CAstroDataDlg* dlg = View()->m_pAstroDataDlg;
    QTest::mouseClick(dlg->Button(CAstroDataDlg::IDC_RECALC), Qt::LeftButton);
    int zeros = 0;
    for (QLineEdit* cell : dlg->findChildren<QLineEdit*>()) {
      QVERIFY2(cell->text().trimmed() != QLatin1String("-0.00"), qPrintable(cell->objectName()));
      zeros += cell->text().trimmed() == QLatin1String("0.00");
    }
    QVERIFY(zeros > 0);  // the sun's latitude
    dlg->close();
    for (const QStringList& options : {QStringList{"--precise"}, QStringList{"--precise", "--json"}}) {
      QProcess p;
      p.start(QStringLiteral(OMBREL_CLI), QStringList{"--workdir", QDir::currentPath()} + options + QStringList{"bodies", date, "12"});
      QVERIFY(p.waitForFinished(60000));
      QCOMPARE(p.exitCode(), 0);
      const QByteArray out = p.readAllStandardOutput();
      QVERIFY2(out.contains("0.00") && !out.contains("-0.00"), out.constData());
    }
  }

  // The window's refresh and `ombrel-cli day` compute one day report for one
  // moment: every number `--json day` gives of it is the window's.
  void theWindowAndDayReportOneDay_data() {
    QTest::addColumn<QByteArray>("conf");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("hour");
    QTest::addColumn<int>("termDays");
    QTest::addColumn<bool>("leap");
    QTest::newRow("a term's day") << QByteArray() << "2005-03-20" << "12.0" << 0 << false;
    QTest::newRow("early January, last year's terms") << QByteArray() << "2000-01-01" << "7.5" << 10 << false;
    QTest::newRow("a leap month, precise model") << QByteArray("model=precise\n") << "2033-12-23" << "21.0" << 2 << true;
  }
  void theWindowAndDayReportOneDay() {
    QFETCH(QByteArray, conf);
    QFETCH(QString, date);
    QFETCH(QString, hour);
    QFETCH(int, termDays);
    QFETCH(bool, leap);
    QVERIFY(WriteFileBytes(QStringLiteral("ombrel.conf"), conf));
    App()->OnFileNew();
    const QStringList ymd = date.split('-');
    TypeMoment(View(), ymd[0], ymd[1], ymd[2], hour);
    const DayReport& r = View()->m_report;
    QVERIFY(r.complete);
    QVERIFY(r.term);
    QCOMPARE(r.term->days, termDays);
    QCOMPARE(r.leapMonth, leap);
    QProcess p;
    p.start(QStringLiteral(OMBREL_CLI), {"--workdir", QDir::currentPath(), "--json", "day", date, hour});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    const QJsonObject doc = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    const QJsonObject lunar = doc["lunar"].toObject();
    QCOMPARE(lunar["month"].toInt(), static_cast<int>(r.lunarMonth));
    QCOMPARE(lunar["day"].toInt(), static_cast<int>(r.lunarDay));
    QCOMPARE(lunar["leap"].toBool(), r.leapMonth);
    const QJsonObject term = doc["term_in_force"].toObject();
    QCOMPARE(term["index"].toInt(), r.term->term);
    QCOMPARE(term["days"].toInt(), r.term->days);
    QCOMPARE(doc["solar_longitude"].toObject()["degrees"].toDouble(), r.solarLongitude);
    QVERIFY(r.moonAge);
    QCOMPARE(doc["moon_age"].toObject()["days"].toDouble(), *r.moonAge);
  }

  // Settings the window would warn about in a box: a render says them on
  // stderr and draws (it waited for a box nobody could see).
  void renderWithBadSettingsSaysSoAndDraws() {
    QVERIFY(WriteFileBytes(QStringLiteral("ombrel.conf"), "zone=Mars/Olympus\n"));
    QVERIFY(WriteFileBytes(QStringLiteral("ombrel.dat"), "999\n"));
    const QString program = QFileInfo(QStringLiteral(OMBREL_CLI)).dir().absoluteFilePath(QStringLiteral("ombrel"));
    const QString file = m_dir->FilePath(QStringLiteral("out.png"));
    QProcess p;
    p.start(program, {"--workdir", QDir::currentPath(), "--render", file, "--date", "2026-12-11"});
    if (!p.waitForFinished(30000)) {
      p.kill();
      p.waitForFinished();
      QFAIL("the render hangs");
    }
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(QFileInfo::exists(file));
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(err.contains(QStringLiteral("Mars/Olympus")) && err.contains(QStringLiteral("1 行目")), qPrintable(err));
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
    QVERIFY(CYearListDlg::ChooseSaveFile(nullptr, QString()).isEmpty());
    QCOMPARE(title, QStringLiteral("名前を付けて保存"));
    QVERIFY2(buttons.contains(QStringLiteral("キャンセル")), qPrintable(buttons.join('|')));
  }

  // The save dialogs open in the folder the program was started in (not the
  // working folder holding the database), with the year's file name proposed;
  // the file written is said, and its folder is where the next dialog opens,
  // in a later session too.
  void saveDialogStartsInTheUsersFolderAndSaysWhatItWrote() {
    const QString start = QDir::cleanPath(QString::fromStdString(workdir::FromStartDirectory(".")));
    QVERIFY(start != QDir::currentPath());
    TypeMoment(View(), "2026", "6", "1", "12.0");
    QVERIFY(QDir().mkdir(QStringLiteral("out")));
    const QString target = m_dir->FilePath(QStringLiteral("out/mine.ics"));
    QStringList opened, proposed, said;
    ModalWatcher watcher([&](QWidget* w) {
      if (auto* dialog = qobject_cast<QFileDialog*>(w)) {
        opened << dialog->directory().absolutePath();
        proposed << QFileInfo(dialog->selectedFiles().value(0)).fileName();
        dialog->selectFile(m_dir->FilePath(QStringLiteral("out/mine.") + dialog->defaultSuffix()));
        QMetaObject::invokeMethod(dialog, "accept");
      } else if (auto* box = qobject_cast<QMessageBox*>(w)) {
        said << box->text();
        box->accept();
      }
    });
    App()->MainFrame()->m_actExportCalendar->trigger();
    QTRY_COMPARE(said.size(), 1);
    QCOMPARE(said[0], WrittenText(target));
    QVERIFY(FileBytes(target).startsWith("BEGIN:VCALENDAR"));
    App()->ExitInstance();
    QVERIFY(App()->InitInstance(false));
    const QString csv = CYearListDlg::ChooseSaveFile(nullptr, QStringLiteral("2026年西暦表示.csv"));
    QCOMPARE(csv, m_dir->FilePath(QStringLiteral("out/mine.csv")));
    QCOMPARE(opened, QStringList({start, QFileInfo(target).absolutePath()}));
    QCOMPARE(proposed, QStringList({QStringLiteral("2026年.ics"), QStringLiteral("2026年西暦表示.csv")}));
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
