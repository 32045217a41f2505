// Bad input through the real windows, offscreen: any text in the main form's
// date fields, in the year list and in the data window; damaged settings and
// anniversary files and a damaged calendar database at start-up. Nothing may
// crash or hang, and each window stays usable afterwards.
#include <QElapsedTimer>
#include <QFileInfo>
#include <QToolButton>
#include <QtTest>
#include <sqlite3.h>

#include "astrodata/ui/AstroDataDlg.h"
#include "tst_main_support.h"
#include "almanac/Settings.h"
#include "widgets/UpDown.h"
#include "yearlist/ui/YearListDlg.h"

namespace {

// Texts a user may type where a number belongs.
const char* const kBadTexts[] = {"",        " ",    "abc",   "1e308", "-1e308", "99999999", "-99999999",
                                 "9999999999999", "nan", "inf",  "-inf", "12abc",  "１２", "--", "."};

QStringList g_messages;
void RecordMessage(QWidget*, const QString& text, const QString&) { g_messages << text; }
QString g_savePath;
QString SaveAs(QWidget*, const QString&) { return g_savePath; }

}  // namespace

class TstBadInput : public QObject {
  Q_OBJECT

  std::unique_ptr<ScratchWorkDir> m_dir;
  std::unique_ptr<CMyView> m_view;

  void OpenView() {
    m_view = StartedView();
  }
  // A menu command as the frame runs it: an engine error is reported, not thrown.
  void OpenFromMenu(void (CMyView::*command)()) {
    m_view->RunCommand([this, command] { (m_view.get()->*command)(); });
  }
  QString Text(int id) { return Control(m_view.get(), id)->text(); }
  void Spin(QWidget* parent, int id, bool up) {
    auto* spin = Control<CUpDown>(parent, id);
    QTest::mouseClick(up ? spin->UpButton() : spin->DownButton(), Qt::LeftButton);
  }
  // The form still answers a good date.
  void ExpectUsable() {
    TypeMoment(m_view.get(), "2005", "1", "31", "10.0");
    QCOMPARE(Text(1003) + "-" + Text(1004).trimmed() + "-" + Text(1007).trimmed(), QStringLiteral("2005-1-31"));
    QVERIFY(!Text(1009).isEmpty());
  }

 private slots:
  void initTestCase() {
    CYearListDlg::ShowMessage = RecordMessage;
    CYearListDlg::ChooseSaveFile = SaveAs;
    CAstroDataDlg::ShowMessage = RecordMessage;
    CAstroDataDlg::AskSaveFileName = SaveAs;
  }
  void init() {
    g_messages.clear();
    m_dir = std::make_unique<ScratchWorkDir>();
    OpenView();
  }
  void cleanup() {
    m_view.reset();
    m_dir.reset();
  }

  // Each bad text in each date field: 日時変更, every spinner both ways, a
  // click in the month calendar.
  void formDateFields() {
    MessageBoxWatcher boxes;  // a date the calendar table lacks may be reported
    const int fields[] = {1003, 1004, 1007, 1011};
    for (int field : fields) {
      for (const char* bad : kBadTexts) {
        const QString good[] = {"2024", "6", "15", "12.0"};
        QElapsedTimer t;
        t.start();
        QString texts[4];
        for (int i = 0; i < 4; ++i) texts[i] = fields[i] == field ? QString::fromUtf8(bad) : good[i];
        TypeMoment(m_view.get(), texts[0], texts[1], texts[2], texts[3]);
        for (int spinner : {1005, 1006, 1008}) {
          Spin(m_view.get(), spinner, true);
          Spin(m_view.get(), spinner, false);
        }
        QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(600, 400));
        QVERIFY2(t.elapsed() < 5000, qPrintable(QStringLiteral("%1 in %2").arg(bad).arg(field)));
      }
    }
    ExpectUsable();
  }

  // The year list opened from the menu command, with bad texts in its year,
  // month and day fields and its buttons and spinner pressed.
  void yearListFields() {
    OpenFromMenu(&CMyView::OnYearList);
    CYearListDlg* dlg = m_view->m_pYearListDlg;
    QVERIFY(dlg && dlg->IsWindowOpen());
    g_savePath = m_dir->FilePath(QStringLiteral("y.csv"));
    for (int field : {1004, 1006, 1008}) {
      for (const char* bad : kBadTexts) {
        dlg->Field(1004)->setText(QStringLiteral("2033"));
        dlg->Field(1006)->setText(QStringLiteral("11"));
        dlg->Field(1008)->setText(QStringLiteral("15"));
        dlg->Field(field)->setText(QString::fromUtf8(bad));
        Click(dlg, "和暦表示");
        Click(dlg, "西暦表示");
        QTest::mouseClick(dlg->findChild<CUpDown*>()->UpButton(), Qt::LeftButton);
        Click(dlg, "FILE出力");
      }
    }
    // Still converting.
    g_messages.clear();
    dlg->Field(1004)->setText(QStringLiteral("2033"));
    dlg->Field(1006)->setText(QStringLiteral("11"));
    dlg->Field(1008)->setText(QStringLiteral("15"));
    Click(dlg, "和暦表示");
    QCOMPARE(dlg->Field(1015)->text() + "/" + dlg->Field(1016)->text(), QStringLiteral("10/24"));
    QVERIFY(g_messages.isEmpty());
    ExpectUsable();
  }

  // The data window opened from the menu command, with bad texts in each of
  // its six inputs and 再計算表示 pressed; one yearly file from a bad year.
  void dataWindowFields() {
    OpenFromMenu(&CMyView::OnAstroData);
    CAstroDataDlg* dlg = m_view->m_pAstroDataDlg;
    QVERIFY(dlg);
    const int inputs[] = {CAstroDataDlg::IDC_YEAR, CAstroDataDlg::IDC_MONTH, CAstroDataDlg::IDC_DAY,
                          CAstroDataDlg::IDC_HOUR, CAstroDataDlg::IDC_LONGITUDE, CAstroDataDlg::IDC_LATITUDE};
    QStringList present;
    for (int id : inputs) {
      QVERIFY2(dlg->Field(id), qPrintable(QString::number(id)));
      present << dlg->Field(id)->text();
    }
    for (int i = 0; i < 6; ++i) {
      for (const char* bad : kBadTexts) {
        for (int k = 0; k < 6; ++k) dlg->Field(inputs[k])->setText(k == i ? QString::fromUtf8(bad) : present[k]);
        Click(dlg, "再計算表示");
        for (int r = 0; r < kAstroRows; ++r) QVERIFY(dlg->m_strCells[r][0].size() < 64);
      }
    }
    g_savePath = m_dir->FilePath(QStringLiteral("a.csv"));
    for (const char* year : {"abc", "1e308", "nan"}) {
      dlg->Field(CAstroDataDlg::IDC_YEAR)->setText(QString::fromUtf8(year));
      Click(dlg, "FILE出力");
    }
    ExpectUsable();
  }

  // A file the windows cannot write (a directory stands in its place): the
  // settings dialog, the year list and the data window each say so, and
  // nothing is put in its place.
  void failedWritesAreReported() {
    const QString blocked = m_dir->FilePath(QStringLiteral("blocked"));
    QVERIFY(QDir().mkpath(blocked));
    QVERIFY(QDir().mkpath(m_dir->FilePath(QStringLiteral("ombrel.dat"))));
    QStringList boxes;
    {
      ModalWatcher watcher([&boxes](QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
          boxes << box->text();
          box->accept();
        } else if (auto* ok = Control<QPushButton>(w, 1)) {
          // Queued: the warning it brings up must find this watcher idle.
          QMetaObject::invokeMethod(ok, &QPushButton::click, Qt::QueuedConnection);
        }
      });
      OpenFromMenu(&CMyView::OnSettings);
      QTRY_COMPARE(boxes.size(), 1);
    }
    QVERIFY2(boxes[0].startsWith(QStringLiteral("設定値を保存できませんでした。")), qPrintable(boxes[0]));
    QVERIFY(QFileInfo(m_dir->FilePath(QStringLiteral("ombrel.dat"))).isDir());

    g_savePath = blocked;
    OpenFromMenu(&CMyView::OnYearList);
    Click(m_view->m_pYearListDlg, "FILE出力");
    OpenFromMenu(&CMyView::OnAstroData);
    Click(m_view->m_pAstroDataDlg, "FILE出力");
    QCOMPARE(g_messages.size(), 2);
    for (const QString& m : g_messages)
      QVERIFY2(m.startsWith(QStringLiteral("ファイルに書き込めませんでした。")), qPrintable(m));
    QVERIFY(QFileInfo(blocked).isDir());
    QCOMPARE(QDir(blocked).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 0);
    ExpectUsable();
  }

  // A calendar database that lacks a table or rows the form reads: the
  // engine's error is reported (an empty lunisolar table too: it is damaged,
  // not a date beyond the table), the year list copes too, and with the database mended the
  // window answers again.
  void damagedDatabaseTables_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("reported");  // else the field shows nothing, as for a date beyond the table
    QTest::newRow("no Data table") << "DROP TABLE [Data];" << true;
    QTest::newRow("no History table") << "DROP TABLE [History];" << true;
    QTest::newRow("no pentads") << "DELETE FROM [七十二候];" << true;
    QTest::newRow("no weekday row") << "DELETE FROM [Data] WHERE [No]=1;" << true;
    QTest::newRow("no lunisolar months") << "DELETE FROM [Kyuureki];" << true;
  }
  void damagedDatabaseTables() {
    QFETCH(QString, sql);
    QFETCH(bool, reported);
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open("History.mdb", &db), SQLITE_OK);
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(rc, SQLITE_OK);
    {
      MessageBoxWatcher boxes;
      TypeMoment(m_view.get(), "2005", "1", "31", "10.0");
      for (int spinner : {1005, 1006, 1008}) Spin(m_view.get(), spinner, true);
      QCOMPARE(!boxes.texts.isEmpty(), reported);
      if (!reported) QCOMPARE(Text(1015), QString());  // 旧暦
      OpenFromMenu(&CMyView::OnYearList);
      Click(m_view->m_pYearListDlg, "和暦表示");
      Click(m_view->m_pYearListDlg, "西暦表示");
    }
    QFile::remove(QStringLiteral("History.mdb"));
    QVERIFY(QFile::copy(QStringLiteral(OMBREL_DB_PATH), QStringLiteral("History.mdb")));
    ExpectUsable();
  }

  // Damaged settings and anniversary files at start-up: the window opens on
  // the present and answers; a database that is not one is reported, and the
  // window stays usable.
  void damagedFilesAtStartUp_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QByteArray binary(20000, '\0');
    for (int i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>((i * 7919) >> 3);
    for (const char* file : {"ombrel.dat", "kinenbi.dat"}) {
      const QString f = QString::fromLatin1(file);
      QTest::newRow(QByteArray(file) + " empty") << f << QByteArray();
      QTest::newRow(QByteArray(file) + " binary") << f << binary;
      QTest::newRow(QByteArray(file) + " overlong lines") << f << QByteArray(100000, '9');
      QTest::newRow(QByteArray(file) + " bad numbers")
          << f << QByteArray("nan\n1e308\n-inf\n99999999999\n-5\nabc\n99999999999\n-1\n2\n");
      QTest::newRow(QByteArray(file) + " invalid Shift-JIS") << f << QByteArray("\x81\n\x82\xff\n\xa0,\x81,\x81\n");
    }
    QTest::newRow("History.mdb empty") << "History.mdb" << QByteArray();
    QTest::newRow("History.mdb not a database") << "History.mdb" << QByteArray(10000, 'x');
  }
  void damagedFilesAtStartUp() {
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    m_view.reset();
    QVERIFY(WriteFileBytes(file, bytes));
    MessageBoxWatcher boxes;
    OpenView();
    const Now now;
    QCOMPARE(Text(1003), QString::number(now.year));
    TypeMoment(m_view.get(), "2005", "1", "31", "10.0");
    if (file == QStringLiteral("History.mdb")) {
      QVERIFY(!boxes.texts.isEmpty());
      QFile::remove(file);
      QVERIFY(QFile::copy(QStringLiteral(OMBREL_DB_PATH), file));
    }
    ExpectUsable();
    QVERIFY(QFile(file).size() > 0 || bytes.isEmpty());
  }
};

QTEST_MAIN(TstBadInput)
#include "tst_badinput.moc"
