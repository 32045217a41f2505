// The astronomical data window through the real dialog, offscreen: the table
// 再計算表示 shows, the computation of each opening and of the main window's
// refresh, Enter closing it, the requests it makes of the view, and FILE出力
// on the built database.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "astrodata/ui/AstroDataDlg.h"
#include "core/Text.h"
#include "tst_main_support.h"

namespace {

// A stand-in for the main view that computes as the view does and records the
// requests in the order they arrive.
class RecordingView : public CAstroRequestTarget {
 public:
  AstroTable AnswerAstroRequest(const AstroInput& input) override {
    calls.append(QStringLiteral("astro %1-%2-%3").arg(QString::fromStdString(input.year), QString::fromStdString(input.month), QString::fromStdString(input.day)));
    return ComputeAstroRequest(input, EphemerisOf(input.settings.model));
  }
  std::vector<CalendarEvent> AnswerListRequest(const YearEventRequest& request) override {
    calls.append(QStringLiteral("list %1 %2 %3")
                     .arg(request.kind == EventKind::SolarTerms ? "terms" : "phases")
                     .arg(request.year)
                     .arg(request.lastDay));
    return YearEventTable(EphemerisOf(settings.model), request.kind, request.year, request.lastDay,
                          ListClock(settings));
  }
  Moment settings;
  QStringList calls;
};

QString g_message;
void RecordMessage(QWidget*, const QString& text, const QString&) { g_message = text; }
QString g_saveAs;
QString g_proposedName;
QString SaveAs(QWidget*, const QString& proposedName) {
  g_proposedName = proposedName;
  return g_saveAs;
}

void SetInputs(CAstroDataDlg& dlg, const char* y, const char* m, const char* d, const char* h) {
  dlg.m_strYear = y;
  dlg.m_strMonth = m;
  dlg.m_strDay = d;
  dlg.m_strHour = h;
  dlg.m_strLongitude = "139.77";
  dlg.m_strLatitude = "35.68";
}

QString Text(CAstroDataDlg& dlg, int id) { return dlg.Field(id)->text(); }

QString Describe(QWidget* w) {
  const QRect r = w->geometry();
  QString text = w->objectName();
  if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
  if (auto* b = qobject_cast<QPushButton*>(w)) text = b->text();
  return QStringLiteral("%1 (%2,%3 %4x%5)").arg(text).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

}  // namespace

class TstAstroData : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    CAstroDataDlg::ShowMessage = RecordMessage;
    CAstroDataDlg::AskSaveFileName = SaveAs;
    g_message.clear();
  }

  void recalcShowsTheTable() {
    CAstroDataDlg dlg(EphemerisOf(AstroModel::Design));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("天文データ"));
    QCOMPARE(dlg.size(), QSize(748, 350));
    SetInputs(dlg, "2000", "1", "1", "9.5");
    QVERIFY(dlg.Create());
    QVERIFY(!dlg.Create());  // at most one window
    QTest::mouseClick(dlg.Button(CAstroDataDlg::IDC_RECALC), Qt::LeftButton);

    // Tokyo on 2000-01-01: the sun's rise, transit and set, the moonrise and
    // the four tides.
    const struct {
      int id;
      const char* prefix;
    } cells[] = {{1010, "06:50:"}, {1012, "11:44:"}, {1013, "16:37:"}, {1022, "01:37:"},
                 {1076, "01:07"},  {1077, "13:21"},  {1078, "07:07"},  {1079, "20:34"}};
    for (const auto& c : cells) QVERIFY2(Text(dlg, c.id).startsWith(QString::fromUtf8(c.prefix)), qPrintable(Text(dlg, c.id)));
    // Angles are "%8.2f": eight characters, right-aligned.
    for (int id : {1014, 1015, 1016, 1017, 1018, 1019, 1038, 1031, 1036}) {
      QCOMPARE(Text(dlg, id).size(), 8);
      QCOMPARE(Text(dlg, id).size() - Text(dlg, id).indexOf('.'), 3);  // two decimals, nothing after
    }
    QVERIFY(Text(dlg, 1016).startsWith(QStringLiteral("  28")));  // the sun's right ascension, about 281

    // A day the moon does not rise says so, not a time.
    dlg.Field(CAstroDataDlg::IDC_DAY)->setText(QStringLiteral("28"));
    QTest::mouseClick(dlg.Button(CAstroDataDlg::IDC_RECALC), Qt::LeftButton);
    QCOMPARE(Text(dlg, 1022), QStringLiteral("--"));
    // The main view's hour, five decimals, shows from its hour's digits.
    SetInputs(dlg, "2000", "1", "1", "12.10972");
    dlg.UpdateData(false);
    QVERIFY(TextOverflows(dlg.Field(CAstroDataDlg::IDC_HOUR)));
    QVERIFY(ShowsItsStart(dlg.Field(CAstroDataDlg::IDC_HOUR)));
    if (qEnvironmentVariableIsSet("ASTRODATA_SHOT")) dlg.grab().save(qEnvironmentVariable("ASTRODATA_SHOT"));
  }

  // Table fields every 32 units from x 36, rows every 16 from y 64, 28 wide;
  // the tides at x 328 (2 px per dialog unit).
  void fieldsStandInTheirColumnsAndRows() {
    CAstroDataDlg dlg(EphemerisOf(AstroModel::Design));
    const struct {
      int id, x, y;
    } fields[] = {{1010, 36, 64}, {1019, 292, 64}, {1031, 260, 96}, {1036, 292, 96}, {1067, 36, 160},
                  {1075, 292, 160}, {1076, 328, 64}, {1079, 328, 112}};
    for (const auto& f : fields) {
      const QRect r = dlg.Field(f.id)->geometry();
      QCOMPARE(QPoint(r.x(), r.y()), QPoint(f.x * 2, f.y * 2));
      QCOMPARE(r.width(), 56);
    }
  }

  // No label, field or button covers another, and each label's text fits
  // its own box (so none is drawn over the field after it).
  void controlsDoNotOverlap() {
    CAstroDataDlg dlg(EphemerisOf(AstroModel::Design));
    QList<QWidget*> controls;
    for (QWidget* w : dlg.findChildren<QWidget*>())
      if (qobject_cast<QLabel*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QPushButton*>(w)) controls << w;
    QVERIFY(controls.size() > 80);
    for (int i = 0; i < controls.size(); ++i) {
      if (auto* l = qobject_cast<QLabel*>(controls[i]))
        QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->width(), qPrintable(l->text()));
      for (int j = i + 1; j < controls.size(); ++j)
        QVERIFY2(!controls[i]->geometry().intersects(controls[j]->geometry()),
                 qPrintable(QStringLiteral("%1 / %2").arg(Describe(controls[i]), Describe(controls[j]))));
    }
  }

  // Enter closes the window as 終了 and Esc do (終了 is the default button);
  // recalculation stays on its button.
  void enterClosesTheWindow() {
    CAstroDataDlg dlg(EphemerisOf(AstroModel::Design));
    SetInputs(dlg, "2000", "1", "1", "9.5");
    for (int id : {int(CAstroDataDlg::IDC_MONTH), int(CAstroDataDlg::IDC_LONGITUDE), 1010}) {
      QVERIFY(dlg.Create());
      QVERIFY(QTest::qWaitForWindowExposed(&dlg));
      QVERIFY(dlg.Button(CAstroDataDlg::IDC_QUIT)->isDefault());
      dlg.Field(id)->setFocus();
      QTest::keyClick(dlg.Field(id), Qt::Key_Return);
      QVERIFY2(!dlg.IsWindowOpen(), qPrintable(QString::number(id)));
    }
    QVERIFY(dlg.Create());
    dlg.Field(CAstroDataDlg::IDC_MONTH)->setText(QStringLiteral("7"));
    QTest::mouseClick(dlg.Button(CAstroDataDlg::IDC_RECALC), Qt::LeftButton);
    QVERIFY(dlg.IsWindowOpen());
    QVERIFY2(Text(dlg, 1010).startsWith(QStringLiteral("04:")), qPrintable(Text(dlg, 1010)));  // July's sunrise
  }

  // Every opening shows the table of the moment its fields show: the first,
  // and a reopening on another date.
  void openingComputesForTheFieldsShown() {
    CAstroDataDlg dlg(EphemerisOf(AstroModel::Design));
    SetInputs(dlg, "2000", "1", "1", "9.5");
    QVERIFY(dlg.Create());
    QVERIFY(Text(dlg, 1010).startsWith(QStringLiteral("06:50:")));

    QTest::mouseClick(dlg.Button(CAstroDataDlg::IDC_QUIT), Qt::LeftButton);
    QVERIFY(!dlg.IsWindowOpen());
    SetInputs(dlg, "2000", "7", "1", "9.5");
    QVERIFY(dlg.Create());
    QCOMPARE(Text(dlg, CAstroDataDlg::IDC_MONTH), QStringLiteral("7"));
    QVERIFY2(Text(dlg, 1010).startsWith(QStringLiteral("04:2")), qPrintable(Text(dlg, 1010)));  // July's sunrise
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QVERIFY(!dlg.IsWindowOpen());
  }

  // Opened from the main window, the table follows the main window's
  // refreshes, for the moment the data window's own fields show.
  void mainWindowRefreshRecomputesTheTable() {
    ScratchWorkDir dir;
    const std::unique_ptr<CMyView> view = StartedView();
    TypeMoment(view.get(), "2026", "12", "11", "12.0");
    view->RunCommand([&view] { view->OnAstroData(); });
    CAstroDataDlg& dlg = *view->m_pAstroDataDlg;
    QVERIFY(dlg.IsWindowOpen());
    QVERIFY2(Text(dlg, 1010).startsWith(QStringLiteral("06:4")), qPrintable(Text(dlg, 1010)));
    dlg.Field(CAstroDataDlg::IDC_MONTH)->setText(QStringLiteral("6"));
    dlg.Field(CAstroDataDlg::IDC_DAY)->setText(QStringLiteral("21"));
    TypeMoment(view.get(), "2026", "12", "12", "12.0");
    QVERIFY2(Text(dlg, 1010).startsWith(QStringLiteral("04:2")), qPrintable(Text(dlg, 1010)));
    QCOMPARE(Text(dlg, CAstroDataDlg::IDC_DAY), QStringLiteral("21"));
    dlg.OnQuitDialog();
  }

  void requestsGoToTheViewInOrder() {
    ScratchWorkDir dir;
    RecordingView view;
    CAstroDataDlg real(EphemerisOf(AstroModel::Design), &view);
    SetInputs(real, "2001", "3", "4", "12");
    QVERIFY(real.Create());
    QTest::mouseClick(real.Button(CAstroDataDlg::IDC_RECALC), Qt::LeftButton);
    QCOMPARE(view.calls, QStringList(2, QStringLiteral("astro 2001-3-4")));  // opening, then the button
    QVERIFY(Text(real, 1010).startsWith(QStringLiteral("06:")));

    // FILE出力: the term list, then the phase list, then one request per day;
    // the window ends on the moment it showed, table and tides alike.
    QStringList shown;
    for (int id : {1010, 1025, 1076, 1079}) shown << Text(real, id);
    view.calls.clear();
    g_saveAs = dir.FilePath(QStringLiteral("astro.csv"));
    QTest::mouseClick(real.Button(CAstroDataDlg::IDC_FILEOUT), Qt::LeftButton);
    QCOMPARE(g_proposedName, QStringLiteral("2001年天文データ.csv"));
    QVERIFY2(g_message.startsWith(g_saveAs + QStringLiteral(" に書き出しました（")), qPrintable(g_message));
    QCOMPARE(view.calls.size(), 2 + 365 + 1);
    QCOMPARE(view.calls[0], QStringLiteral("list terms 2001 430"));
    QCOMPARE(view.calls[1], QStringLiteral("list phases 2001 430"));
    QCOMPARE(view.calls.last(), QStringLiteral("astro 2001-3-4"));
    QCOMPARE(Text(real, CAstroDataDlg::IDC_MONTH), QStringLiteral("3"));
    QCOMPARE(Text(real, CAstroDataDlg::IDC_DAY), QStringLiteral("4"));
    QStringList after;
    for (int id : {1010, 1025, 1076, 1079}) after << Text(real, id);
    QCOMPARE(after, shown);
    QFile out(g_saveAs);
    QVERIFY(out.open(QIODevice::ReadOnly));
    const QByteArray bytes = out.readAll();
    QCOMPARE(bytes.count('\n'), 366);
    QVERIFY(bytes.contains("\n20010101 , "));
    QVERIFY(bytes.contains(text::ToCp932(" 春分 ").c_str()));
  }

  void fileOutputFailuresAreReported() {
    // Cancelled: nothing written, no message.
    ScratchWorkDir dir;
    CAstroDataDlg dlg(EphemerisOf(AstroModel::Design));
    SetInputs(dlg, "2001", "1", "1", "12");
    QVERIFY(dlg.Create());
    g_saveAs.clear();
    QTest::mouseClick(dlg.Button(CAstroDataDlg::IDC_FILEOUT), Qt::LeftButton);
    QVERIFY(g_message.isEmpty());
    QCOMPARE(QDir(QDir::currentPath()).entryList(QDir::Files), QStringList{QStringLiteral("History.mdb")});

    // A directory that does not exist.
    g_saveAs = dir.FilePath(QStringLiteral("no-such-dir/astro.csv"));
    std::string error;
    QVERIFY(!dlg.WriteFileTo(g_saveAs.toStdString(), error));
    QVERIFY(error.find("no-such-dir") != std::string::npos);

    // No calendar database: reported before the file dialog opens.
    ScratchWorkDir empty(false);
    g_saveAs = empty.FilePath(QStringLiteral("astro.csv"));
    QTest::mouseClick(dlg.Button(CAstroDataDlg::IDC_FILEOUT), Qt::LeftButton);
    QVERIFY(!g_message.isEmpty());
    QVERIFY(!QFile::exists(g_saveAs));
  }
};

QTEST_MAIN(TstAstroData)
#include "tst_astrodata.moc"
