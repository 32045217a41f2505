// The precise model reaches the window: with model=precise in ombrel.conf
// the day panel, the sky readout and the data window show what
// `ombrel-cli --precise` prints for the same moment, the iCalendar export
// computes in it, and the sky panel names the model.
#include <QProcess>
#include <QSet>
#include <QtTest>

#include "astro/astro.h"
#include "astrodata/ui/AstroDataDlg.h"
#include "sky/Readout.h"
#include "tst_main_support.h"
#include "almanac/Settings.h"
#include "sky/ui/SkyPanel.h"
#include "widgets/AlmanacFont.h"

namespace {

// ombrel-cli's output lines for these arguments in the working directory.
QStringList CliLines(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(OMBREL_CLI), QStringList{"--workdir", QDir::currentPath()} + args);
  if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
  return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

}  // namespace

class TstPrecise : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ScratchWorkDir> m_dir;
  std::unique_ptr<CMyView> m_view;

  void Show(const char* conf) {
    QVERIFY(WriteFileBytes(QStringLiteral("ombrel.conf"), conf));
    m_view = std::make_unique<CMyView>();
    m_view->OnInitialUpdate();
    WriteFormDate(*m_view, 2023, 6, 21, 21.0);
    m_view->UpdateData(false);
    m_view->RunCommand([this] { m_view->OnChangeDateTime(); });
  }

 private slots:
  void init() { m_dir = std::make_unique<ScratchWorkDir>(); }
  void cleanup() {
    m_view.reset();
    m_dir.reset();
  }

  // 2023-06-21 21:00 JST: 夏至 begins at 23:57:45, which the design's
  // formulas put on the next day.
  void panelAndReadoutAsTheCliPrintsThem() {
    Show("model=precise\n");
    QCOMPARE(m_view->m_settings.model, AstroModel::Precise);
    const QStringList cli = CliLines({"--precise", "day", "2023-06-21", "21"});
    QVERIFY(!cli.isEmpty());
    for (const auto& [label, text] : DayPanelFields(*m_view)) {
      const QString line = QString::fromStdString(label + "\t" + text);
      QVERIFY2(cli.contains(line), qPrintable(line));
    }
    QCOMPARE(QString::fromStdString(m_view->m_strSolarTerm), QStringLiteral("夏至"));
    // The window's readout for its moment (the view's settings at the form's
    // date and hour): every line as the CLI prints it, the four rise and set
    // lines among them.
    Moment at = m_view->m_settings;
    at.year = 2023, at.month = 6, at.day = 21, at.hour = 21.0;
    int riseSetLines = 0;
    for (const std::string& text : ReadoutLines(at, EphemerisOf(at.model), 0.0)) {
      const QString line = QString::fromStdString(text);
      QVERIFY2(cli.contains(line), qPrintable(line));
      if (line.startsWith(QStringLiteral("日の")) || line.startsWith(QStringLiteral("月の"))) ++riseSetLines;
    }
    QCOMPARE(riseSetLines, 4);
  }

  // Where the CLI warns that a series leaves its validated span, the window
  // says so too: once as the moment leaves the span, not at each refresh
  // outside it, and again after a return inside.
  void spanWarningsAsTheCliGivesThem_data() {
    QTest::addColumn<QByteArray>("conf");
    QTest::addColumn<QStringList>("moments");  // typed one after the other: year-month-day
    QTest::addColumn<QStringList>("said");     // the series named by each box, in order
    QTest::newRow("precise, leaving 1900-2100")
        << QByteArray("model=precise\n") << QStringList{"2026-6-1", "2500-6-1", "2500-6-2", "2026-6-1", "2600-1-1"}
        << QStringList{"eraEpv00", "eraEpv00"};
    QTest::newRow("precise, leaving 1000-3000 too")
        << QByteArray("model=precise\n") << QStringList{"99999-2-1", "99999-2-2"}
        << QStringList{"eraEpv00", "eraPlan94"};
    QTest::newRow("the design's model with eclipses")
        << QByteArray("eclipses=1\n") << QStringList{"2500-6-1", "3500-6-1"} << QStringList{"eraEpv00"};
    QTest::newRow("the design's model alone") << QByteArray() << QStringList{"2500-6-1", "99999-2-1"} << QStringList{};
  }
  void spanWarningsAsTheCliGivesThem() {
    QFETCH(QByteArray, conf);
    QFETCH(QStringList, moments);
    QFETCH(QStringList, said);
    Show(conf.constData());
    MessageBoxWatcher boxes;
    for (const QString& m : moments) {
      const QStringList ymd = m.split('-');
      TypeMoment(m_view.get(), ymd[0], ymd[1], ymd[2], QStringLiteral("12.0"));
      QCOMPARE(Control(m_view.get(), 1003)->text().trimmed(), ymd[0]);
    }
    QStringList named;
    for (const QString& t : boxes.texts) named << (t.contains(QStringLiteral("eraEpv00")) ? "eraEpv00" : "eraPlan94");
    QCOMPARE(named, said);
    // The CLI warns for the same moment.
    if (!said.isEmpty()) {
      QProcess p;
      const QStringList ymd = moments[1].split('-');
      p.start(QStringLiteral(OMBREL_CLI), QStringList{"--workdir", QDir::currentPath(), "day",
                                                      QStringLiteral("%1-%2-%3").arg(ymd[0], ymd[1].rightJustified(2, '0'), ymd[2].rightJustified(2, '0')), "12"});
      QVERIFY(p.waitForFinished(60000));
      QVERIFY(p.readAllStandardError().contains("eraEpv00"));
    }
  }

  void dataWindowAsTheCliPrintsIt() {
    Show("model=precise\n");
    m_view->RunCommand([this] { m_view->OnAstroData(); });
    CAstroDataDlg& data = *m_view->m_pAstroDataDlg;
    QTest::mouseClick(data.Button(CAstroDataDlg::IDC_RECALC), Qt::LeftButton);
    const QStringList cli = CliLines({"--precise", "bodies", "2023-06-21", "21.0", "--lon", "139.7", "--lat", "35.6"});
    QCOMPARE(cli.size(), 16);
    for (int row = 0; row < kAstroRows; ++row) {
      QStringList cells;
      for (int column = 0; column < kAstroColumns; ++column)
        cells << QString::fromStdString(data.m_strCells[row][column]).trimmed();
      const QStringList printed = cli[1 + row].split(' ', Qt::SkipEmptyParts).mid(1);
      QCOMPARE(cells, printed);
    }
  }

  // The iCalendar export computes in the view's model: 春分 2025 begins at
  // 18:01:29 JST (09:01:29 UTC) in the precise model, at 17:45:36 in the
  // design's; the year lists it once.
  void exportComputesInTheViewsModel_data() {
    QTest::addColumn<QByteArray>("conf");
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("precise") << QByteArray("model=precise\n") << QByteArray("DTSTART:20250320T090129Z\r\n");
    QTest::newRow("design") << QByteArray() << QByteArray("DTSTART:20250320T084536Z\r\n");
  }
  void exportComputesInTheViewsModel() {
    QFETCH(QByteArray, conf);
    QFETCH(QByteArray, start);
    Show(conf.constData());
    TypeMoment(m_view.get(), "2025", "3", "20", "12.0");
    m_view->m_strExportPath = m_dir->FilePath(QStringLiteral("2025.ics"));
    {
      MessageBoxWatcher boxes;  // the file written is said
      m_view->OnExportCalendar();
    }
    const QByteArray ics = FileBytes(m_view->m_strExportPath);
    QVERIFY(ics.endsWith("END:VCALENDAR\r\n"));
    QStringList equinoxes;
    for (const QString& event : QString::fromUtf8(ics).split(QStringLiteral("BEGIN:VEVENT")))
      if (event.contains(QStringLiteral("SUMMARY:春分\r\n"))) equinoxes << event;
    QCOMPARE(equinoxes.size(), 1);
    QVERIFY2(equinoxes[0].contains(QString::fromUtf8(start)), qPrintable(equinoxes[0]));
  }

  // The model is named in the precise model only, where the window draws
  // nothing else: in the design model that place is one plain colour.
  void skyPanelNamesThePreciseModel() {
    const QRect mark = ModelMarkRect(AlmanacFont(12)).translated(kSkyPanelAnchorX, kSkyPanelAnchorY);
    QVERIFY(QRect(0, 0, kFormWidth, kFormHeight).contains(mark));
    Show("");
    const QImage design = m_view->grab().toImage().copy(mark.adjusted(-2, -2, 2, 2));
    QSet<QRgb> colours;
    for (int y = 0; y < design.height(); ++y)
      for (int x = 0; x < design.width(); ++x) colours.insert(design.pixel(x, y));
    QCOMPARE(colours.size(), 1);
    m_view.reset();
    Show("model=precise\n");
    const QImage precise = m_view->grab().toImage().copy(mark.adjusted(-2, -2, 2, 2));
    QVERIFY(design != precise);
    if (qEnvironmentVariableIsSet("PRECISE_SHOT")) m_view->grab().save(qEnvironmentVariable("PRECISE_SHOT"));
  }
};

QTEST_MAIN(TstPrecise)
#include "tst_precise.moc"
