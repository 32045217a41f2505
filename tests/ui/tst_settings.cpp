// The settings dialog and its file through the real window: the defaults, the
// nine lines OK writes, the place it applies, a cancel, an unwritable file,
// and the time zone the window's clock and dates are read on.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QTreeWidget>
#include <QtTest>
#include <cmath>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

#include "core/Text.h"
#include "tst_main_support.h"
#include "almanac/Settings.h"
#include "view/ui/SettingsDlg.h"

namespace {

// Sets the process's TZ for its lifetime and puts back what was there.
class ProcessZone {
 public:
  explicit ProcessZone(const QByteArray& tz) : m_had(qEnvironmentVariableIsSet("TZ")), m_old(qgetenv("TZ")) {
    qputenv("TZ", tz);
    ::tzset();
  }
  ~ProcessZone() {
    if (m_had)
      qputenv("TZ", m_old);
    else
      qunsetenv("TZ");
    ::tzset();
  }
  ProcessZone(const ProcessZone&) = delete;
  ProcessZone& operator=(const ProcessZone&) = delete;

 private:
  bool m_had;
  QByteArray m_old;
};

QComboBox* ZoneBox(CSettingsDlg* dlg) { return dlg->findChild<QComboBox*>(QStringLiteral("zone")); }

// Picks a place from the dialog's list as a click on its item does.
void PickPlace(CSettingsDlg* dlg, const QString& label) {
  QComboBox* list = dlg->findChild<QComboBox*>(QStringLiteral("place"));
  const int i = list->findText(label);
  QVERIFY2(i > 0, qPrintable(label));
  list->setCurrentIndex(i);
  emit list->activated(i);
}

}  // namespace

class TstSettings : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ScratchWorkDir> m_dir;
  std::unique_ptr<CMyView> m_view;

  void Start() {
    m_view = StartedView();
  }
  static void WriteFile(const QByteArray& bytes) { QVERIFY(WriteFileBytes(QStringLiteral("ombrel.dat"), bytes)); }
  // Opens the dialog from the view, runs `act` on it, returns when it closed.
  void WithDialog(std::function<void(CSettingsDlg*)> act) {
    ModalWatcher watcher([act](QWidget* w) {
      if (auto* dlg = qobject_cast<CSettingsDlg*>(w)) act(dlg);
    });
    m_view->OnSettings();
  }
  static void PressOk(CSettingsDlg* dlg) { QTest::mouseClick(Control<QPushButton>(dlg, 1), Qt::LeftButton); }
  // Changes both switches that live in ombrel.conf, then OK.
  static void TickHolidaysAndPrecise(CSettingsDlg* dlg) {
    dlg->findChild<QCheckBox*>(QStringLiteral("holidays"))->setChecked(true);
    Control<QRadioButton>(dlg, 1051)->setChecked(true);
    PressOk(dlg);
  }

 private slots:
  void init() {
    m_dir = std::make_unique<ScratchWorkDir>();
  }
  void cleanup() {
    m_view.reset();
    m_dir.reset();
  }

  void defaultsAndTheNineLinesOkWrites() {
    Start();
    WithDialog([](CSettingsDlg* dlg) {
      QCOMPARE(dlg->windowTitle(), QStringLiteral("設定値入力"));
      QCOMPARE(Control(dlg, 1003)->text(), QStringLiteral("139.7"));
      QCOMPARE(Control(dlg, 1004)->text(), QStringLiteral("35.6"));
      QCOMPARE(Control(dlg, 1005)->text(), QStringLiteral("  0"));
      QVERIFY(Control<QRadioButton>(dlg, 1034)->isChecked());
      QVERIFY(Control<QRadioButton>(dlg, 1036)->isChecked());
      QCOMPARE(Control<QRadioButton>(dlg, 1034)->text(), QStringLiteral("ユリウス＋グレゴリオ暦"));
      QCOMPARE(Control<QRadioButton>(dlg, 1037)->text(), QStringLiteral("六曜表示"));
      QVERIFY(!Control<QCheckBox>(dlg, 1038)->isChecked());
      QCOMPARE(Control(dlg, 1007)->text(), QStringLiteral("1"));
      QVERIFY(Control<QCheckBox>(dlg, 1041)->isChecked());
      QVERIFY(!Control<QCheckBox>(dlg, 1042)->isChecked());
      QCOMPARE(Control<QPushButton>(dlg, 1)->text(), QStringLiteral("終了"));
      PressOk(dlg);
    });
    QCOMPARE(FileBytes(QStringLiteral("ombrel.dat")), QByteArray("139.7\n35.6\n  0\n0\n0\n0\n1\n1\n0\n"));
  }

  void okAppliesThePlaceAndTheSwitches() {
    Start();
    WithDialog([](CSettingsDlg* dlg) {
      Control(dlg, 1003)->setText(QStringLiteral("135.0"));
      Control(dlg, 1004)->setText(QStringLiteral("35.0"));
      Control(dlg, 1005)->setText(QStringLiteral(" -45.0"));
      Control<QRadioButton>(dlg, 1035)->setChecked(true);
      Control<QRadioButton>(dlg, 1037)->setChecked(true);
      Control<QCheckBox>(dlg, 1038)->setChecked(true);
      Control(dlg, 1007)->setText(QStringLiteral("15"));
      Control<QCheckBox>(dlg, 1041)->setChecked(false);
      Control<QCheckBox>(dlg, 1042)->setChecked(true);
      PressOk(dlg);
    });
    QCOMPARE(m_view->m_dLongitude, 135.0);
    QCOMPARE(m_view->m_dLatitude, 35.0);
    QCOMPARE(m_view->m_dAzimuth, -45.0);
    QCOMPARE(m_view->m_settingsRecord.m_nCalendarMode, 1);
    QCOMPARE(m_view->m_settings.calendar, CalendarRule::Gregorian);
    QCOMPARE(m_view->m_settingsRecord.m_nSignDisplay, 1);
    QCOMPARE(m_view->m_settingsRecord.m_bAutoUpdate, 1);
    QCOMPARE(QString::fromStdString(m_view->m_settingsRecord.m_strInterval), QStringLiteral("15"));
    QCOMPARE(m_view->m_settingsRecord.m_bConstellations, 0);
    QCOMPARE(m_view->m_settingsRecord.m_bMansions, 1);
    QCOMPARE(m_view->m_pYearListDlg->m_settings.calendar, CalendarRule::Gregorian);
    QCOMPARE(m_view->m_pYearListDlg->m_nSignDisplay, 1);
    QCOMPARE(FileBytes(QStringLiteral("ombrel.dat")),
             QByteArray("135.0\n35.0\n -45.0\n1\n1\n1\n15\n0\n1\n"));
  }

  void calendarRuleRebuildsTheYearListsInTheSameYear() {
    Start();
    TypeMoment(m_view.get(), "1500", "3", "1", "12.0");
    auto* phases = Control<QTreeWidget>(m_view.get(), 1027);
    const QString julian = phases->topLevelItem(0)->text(0);
    WithDialog([](CSettingsDlg* dlg) {
      Control<QRadioButton>(dlg, 1035)->setChecked(true);
      PressOk(dlg);
    });
    QTRY_VERIFY(phases->topLevelItem(0)->text(0) != julian);
    QCOMPARE(Control(m_view.get(), 1003)->text(), QStringLiteral("1500"));
  }

  void cancelAppliesNothing() {
    Start();
    WithDialog([](CSettingsDlg* dlg) {
      Control(dlg, 1003)->setText(QStringLiteral("100"));
      Control<QRadioButton>(dlg, 1035)->setChecked(true);
      QTest::keyClick(dlg, Qt::Key_Escape);
    });
    QCOMPARE(m_view->m_dLongitude, 139.7);
    QCOMPARE(m_view->m_settingsRecord.m_nCalendarMode, 0);
    QCOMPARE(m_view->m_settings.calendar, CalendarRule::JulianThenGregorian);
    QVERIFY(!QFile::exists(QStringLiteral("ombrel.dat")));
    QCOMPARE(QString::fromStdString(m_view->m_settingsRecord.m_strLongitude), QStringLiteral("139.7"));
  }

  // A place from the list fills 東経, 北緯 and the zone; ombrel.conf keeps its
  // name, the window's title shows it, ombrel.dat keeps nine lines, and the
  // dialog reopens on its own numbers, not rounded to a tenth.
  void placeListFillsTheFieldsAndIsKept() {
    Start();
    WithDialog([](CSettingsDlg* dlg) {
      PickPlace(dlg, QStringLiteral("鹿児島県 鹿児島市"));
      QCOMPARE(Control(dlg, 1003)->text(), QStringLiteral("130.558056"));
      QCOMPARE(Control(dlg, 1004)->text(), QStringLiteral("31.560278"));
      QCOMPARE(ZoneBox(dlg)->currentText(), QStringLiteral("Asia/Tokyo"));
      PressOk(dlg);
    });
    QCOMPARE(m_view->m_dLongitude, 130.558056);
    QCOMPARE(m_view->m_dLatitude, 31.560278);
    QCOMPARE(FileBytes(QStringLiteral("ombrel.dat")), QByteArray("130.558056\n31.560278\n  0\n0\n0\n0\n1\n1\n0\n"));
    QVERIFY(FileBytes(QStringLiteral("ombrel.conf")).contains("place=鹿児島県\n"));
    QVERIFY(m_view->window()->windowTitle().endsWith(QStringLiteral("鹿児島県 鹿児島市")));
    WithDialog([](CSettingsDlg* dlg) {
      QCOMPARE(Control(dlg, 1003)->text(), QStringLiteral("130.558056"));
      QCOMPARE(dlg->findChild<QComboBox*>(QStringLiteral("place"))->currentText(), QStringLiteral("鹿児島県 鹿児島市"));
      PickPlace(dlg, QStringLiteral("America/New_York"));
      QCOMPARE(Control(dlg, 1003)->text(), QStringLiteral("-74.0064"));
      QCOMPARE(Control(dlg, 1004)->text(), QStringLiteral("40.7142"));
      QCOMPARE(ZoneBox(dlg)->currentText(), QStringLiteral("America/New_York"));
      PressOk(dlg);
    });
    QCOMPARE(QString::fromStdString(m_view->m_settingsRecord.m_strZone), QStringLiteral("America/New_York"));
    QVERIFY(FileBytes(QStringLiteral("ombrel.conf")).contains("place=America/New_York\n"));
    // A longitude typed over the place's leaves no name behind.
    WithDialog([](CSettingsDlg* dlg) {
      Control(dlg, 1003)->setText(QStringLiteral("-74.1"));
      PressOk(dlg);
    });
    QVERIFY(FileBytes(QStringLiteral("ombrel.conf")).contains("place=\n"));
    QVERIFY(!m_view->window()->windowTitle().contains(QStringLiteral("New_York")));
    QCOMPARE(FileBytes(QStringLiteral("ombrel.dat")).count('\n'), 9);
  }

  // 輝面比を表示 is kept as moonlight=1 and reaches the view's sky panel.
  void moonLightBoxIsSavedAndApplied() {
    Start();
    WithDialog([](CSettingsDlg* dlg) {
      QVERIFY(!dlg->findChild<QCheckBox*>(QStringLiteral("moonlight"))->isChecked());
      dlg->findChild<QCheckBox*>(QStringLiteral("moonlight"))->setChecked(true);
      PressOk(dlg);
    });
    QVERIFY(m_view->m_bShowMoonLight);
    QVERIFY(FileBytes(QStringLiteral("ombrel.conf")).contains("moonlight=1\n"));
    WithDialog([](CSettingsDlg* dlg) {
      QVERIFY(dlg->findChild<QCheckBox*>(QStringLiteral("moonlight"))->isChecked());
      PressOk(dlg);
    });
  }

  void fileSetsThePlaceAndTheDialogRoundsIt() {
    WriteFile("139.75\n35.6\n-90\n\n\n\n\n\n\n");
    Start();
    QCOMPARE(m_view->m_dLongitude, 139.75);
    QCOMPARE(m_view->m_dAzimuth, -90.0);
    WithDialog([](CSettingsDlg* dlg) {
      QCOMPARE(Control(dlg, 1003)->text(), QStringLiteral("139.8"));
      QCOMPARE(Control(dlg, 1005)->text(), QStringLiteral("-90"));
      PressOk(dlg);
    });
    QVERIFY(FileBytes(QStringLiteral("ombrel.dat")).startsWith("139.8\n35.6\n-90\n"));
  }

  void firstLineEmptySecondNotGivesLongitudeZero() {
    WriteFile("\n36.5\n");
    Start();
    QCOMPARE(m_view->m_dLongitude, 0.0);
    QCOMPARE(m_view->m_dLatitude, 36.5);
  }

  void todayRereadsTheFile() {
    Start();
    WriteFile("135.5\n");
    QTest::mouseClick(Control<QPushButton>(m_view.get(), 1031), Qt::LeftButton);
    QCOMPARE(m_view->m_dLongitude, 135.5);
  }

  // A place the sky cannot be drawn for falls back to the default with one
  // message (not again when the file is read again).
  void unusablePlacesInTheFileFallBack() {
    WriteFile("nan\n999\n");
    MessageBoxWatcher boxes;
    Start();
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY2(boxes.texts[0].contains(QStringLiteral("1 行目")) && boxes.texts[0].contains(QStringLiteral("2 行目")),
             qPrintable(boxes.texts[0]));
    QCOMPARE(m_view->m_dLongitude, 139.7);
    QCOMPARE(m_view->m_dLatitude, 35.6);
    QTest::mouseClick(Control<QPushButton>(m_view.get(), 1031), Qt::LeftButton);
    QCOMPARE(boxes.texts.size(), 1);
  }

  // The dialog refuses a place that is not a number or that the sky cannot
  // be drawn for, and a zone the tz database does not know: in Japanese, the
  // field named, its value from before shown again and selected, the dialog
  // open, nothing saved.
  void refusalsNameTheFieldAndRestoreIt_data() {
    QTest::addColumn<QString>("field");  // an edit's id, or "zone"
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("said");
    for (const char* bad : {"nan", "inf", "abc", "", "139.7abc", "0x10", "１３９", "1e308"})
      QTest::newRow(bad) << "1003" << QString::fromUtf8(bad)
                         << QStringLiteral("東経「%1」は数字ではありません").arg(QString::fromUtf8(bad));
    QTest::newRow("longitude 180.5") << "1003" << "180.5" << "東経「180.5」は ±180 度を超えています";
    QTest::newRow("latitude -91") << "1004" << "-91" << "北緯「-91」は ±90 度を超えています";
    QTest::newRow("a latitude too large to be a number") << "1004" << QString(400, '9') << "は使える数ではありません";
    QTest::newRow("azimuth 東") << "1005" << "東" << "プラネタリウム方位角「東」は数字ではありません";
    for (const char* bad : {"Mars/Olympus", "Asia/Tokio", "../../etc/passwd"})
      QTest::newRow(bad) << "zone" << QString::fromUtf8(bad)
                         << QStringLiteral("時間帯「%1」は tz データベースにありません。").arg(QString::fromUtf8(bad));
  }
  void refusalsNameTheFieldAndRestoreIt() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, said);
    WriteFile("135.0\n35.0\n10\n");
    QVERIFY(WriteFileBytes(QStringLiteral("ombrel.conf"), "zone=Europe/Paris\n"));
    Start();
    MessageBoxWatcher boxes;
    WithDialog([&](CSettingsDlg* dlg) {
      QLineEdit* edit = field == QLatin1String("zone") ? ZoneBox(dlg)->lineEdit() : Control(dlg, field.toInt());
      const QString before = edit->text();
      edit->setText(typed);
      PressOk(dlg);
      QVERIFY(dlg->isVisible());
      QCOMPARE(edit->text(), before);
      QCOMPARE(edit->selectedText(), before);
      QTest::keyClick(dlg, Qt::Key_Escape);
    });
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY2(boxes.texts[0].contains(said), qPrintable(boxes.texts[0]));
    // Japanese throughout: no English word but in the typed text and the
    // names a zone is given by.
    QString rest = boxes.texts[0];
    rest.remove(typed).remove(QStringLiteral("Asia/Tokyo")).remove(QStringLiteral("design")).remove(QStringLiteral("tz"));
    QVERIFY2(!rest.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))), qPrintable(boxes.texts[0]));
    QCOMPARE(FileBytes(QStringLiteral("ombrel.dat")), QByteArray("135.0\n35.0\n10\n"));
    QCOMPARE(FileBytes(QStringLiteral("ombrel.conf")), QByteArray("zone=Europe/Paris\n"));
  }

  // An empty zone, in the box or in the file, is the default zone.
  void emptyZoneIsTheDefault() {
    QVERIFY(WriteFileBytes(QStringLiteral("ombrel.conf"), "zone=Europe/Paris\n"));
    Start();
    MessageBoxWatcher boxes;
    WithDialog([](CSettingsDlg* dlg) {
      ZoneBox(dlg)->setCurrentText(QStringLiteral("  "));
      PressOk(dlg);
    });
    QCOMPARE(boxes.texts, QStringList());
    QCOMPARE(QString::fromStdString(m_view->m_settings.zone.Name()), QStringLiteral("Asia/Tokyo"));
    QVERIFY(WriteFileBytes(QStringLiteral("ombrel.conf"), "zone=\n"));
    QTest::mouseClick(Control<QPushButton>(m_view.get(), 1031), Qt::LeftButton);
    QCOMPARE(boxes.texts, QStringList());
    QCOMPARE(QString::fromStdString(m_view->m_settings.zone.Name()), QStringLiteral("Asia/Tokyo"));
  }

  // A click on a check box's text turns it, as a click on its box does.
  void checkBoxTextsToggleTheirBoxes() {
    Start();
    WithDialog([](CSettingsDlg* dlg) {
      for (const char* name : {"1041", "1042", "holidays", "eclipses"}) {
        auto* box = dlg->findChild<QCheckBox*>(QString::fromUtf8(name));
        QVERIFY(box);
        // The middle of the text, right of the box itself.
        QVERIFY2(!box->text().isEmpty(), name);
        const QStyle* style = box->style();
        const QPoint centre(style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) +
                                style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box) +
                                box->fontMetrics().horizontalAdvance(box->text()) / 2,
                            box->height() / 2);
        const QPoint at = box->mapTo(dlg, centre);
        QCOMPARE(dlg->childAt(at), box);
        const bool was = box->isChecked();
        QTest::mouseClick(dlg->childAt(at), Qt::LeftButton, {}, box->mapFrom(dlg, at));
        QVERIFY2(box->isChecked() != was, name);
      }
      QTest::keyClick(dlg, Qt::Key_Escape);
    });
  }

  // A zone chosen in the box is saved as zone= in ombrel.conf and read back by
  // 今日の表示, whose date and hour are then the present instant on that zone's
  // clock, whatever TZ the process runs with. The design's zone is the whole
  // hour nearest the longitude (74 W: UTC-5 all year).
  void chosenZoneIsSavedAndSetsThePresent_data() {
    QTest::addColumn<QString>("zone");
    QTest::addColumn<QByteArray>("processTz");
    QTest::addColumn<QByteArray>("place");  // ombrel.dat, empty: none
    QTest::addColumn<int>("designOffsetHours");
    QTest::newRow("New York under Tokyo's TZ") << "America/New_York" << QByteArray("Asia/Tokyo") << QByteArray() << 0;
    QTest::newRow("Tokyo under Auckland's TZ") << "Asia/Tokyo" << QByteArray("Pacific/Auckland") << QByteArray() << 0;
    QTest::newRow("London under UTC") << "Europe/London" << QByteArray("UTC") << QByteArray() << 0;
    QTest::newRow("design at 74 W under Tokyo's TZ")
        << "design" << QByteArray("Asia/Tokyo") << QByteArray("-74.0\n40.7\n") << -5;
  }
  void chosenZoneIsSavedAndSetsThePresent() {
    QFETCH(QString, zone);
    QFETCH(QByteArray, processTz);
    QFETCH(QByteArray, place);
    QFETCH(int, designOffsetHours);
    const ProcessZone tz(processTz);
    if (!place.isEmpty()) WriteFile(place);
    Start();
    WithDialog([&zone](CSettingsDlg* dlg) {
      ZoneBox(dlg)->setCurrentText(zone);
      PressOk(dlg);
    });
    const QByteArray conf = FileBytes(QStringLiteral("ombrel.conf"));
    if (zone == QLatin1String("Asia/Tokyo"))
      QVERIFY2(!conf.contains("zone="), conf.constData());  // the default is not written
    else
      QVERIFY2(conf.contains("zone=" + zone.toUtf8() + "\n"), conf.constData());
    QCOMPARE(QString::fromStdString(m_view->m_settings.zone.Name()), zone);

    TypeMoment(m_view.get(), "2005", "1", "31", "10.0");
    QTest::mouseClick(Control<QPushButton>(m_view.get(), 1031), Qt::LeftButton);
    const Now now(zone == QLatin1String("design") ? QTimeZone(designOffsetHours * 3600)
                                                  : QTimeZone(zone.toUtf8()));
    QCOMPARE(Control(m_view.get(), 1003)->text().trimmed(), QString::number(now.year));
    QCOMPARE(Control(m_view.get(), 1004)->text().trimmed(), QString::number(now.month));
    QCOMPARE(Control(m_view.get(), 1007)->text().trimmed(), QString::number(now.day));
    const double hour = QString::fromStdString(m_view->m_strHourExact).toDouble();
    QVERIFY2(std::fabs(hour - now.hour) < 0.02, qPrintable(QStringLiteral("%1 / %2").arg(hour).arg(now.hour)));
  }

  // A zone in ombrel.conf that the tz database does not know (edited by
  // hand): the window starts on Asia/Tokyo and says so once, as for an
  // unusable place, not again at each reading of the file.
  void unknownZoneInTheFileFallsBackToTokyo() {
    QVERIFY(WriteFileBytes(QStringLiteral("ombrel.conf"), "zone=Mars/Olympus\n"));
    MessageBoxWatcher boxes;
    Start();
    QCOMPARE(boxes.texts.size(), 1);
    // The dialog's own refusal, then the zone used in its place.
    QCOMPARE(boxes.texts[0], ZoneRefusal("Mars/Olympus") + QStringLiteral("Asia/Tokyo を使います（ombrel.conf の zone=）。"));
    QCOMPARE(QString::fromStdString(m_view->m_settings.zone.Name()), QStringLiteral("Asia/Tokyo"));
    QCOMPARE(Control(m_view.get(), 1003)->text(), QString::number(Now().year));
    QTest::mouseClick(Control<QPushButton>(m_view.get(), 1031), Qt::LeftButton);
    QCOMPARE(boxes.texts.size(), 1);
    QCOMPARE(QString::fromStdString(m_view->m_settings.zone.Name()), QStringLiteral("Asia/Tokyo"));
  }

  // OK never loses what ombrel.conf holds: a long file keeps every line (the
  // dialog once wrote back only its first 64 KiB); one that cannot be read
  // whole is reported and left as it was.
  void okKeepsEveryLineOfTheAdditions() {
    QByteArray conf = "# the user's notes\n";
    for (int i = 0; conf.size() < 102400; ++i) conf += "mine." + QByteArray::number(i) + "=kept\n";
    conf += "qt-language=system\n";
    QVERIFY(WriteFileBytes(QStringLiteral("ombrel.conf"), conf));
    Start();
    MessageBoxWatcher boxes;
    WithDialog(TickHolidaysAndPrecise);
    QCOMPARE(boxes.texts, QStringList());
    QCOMPARE(FileBytes(QStringLiteral("ombrel.conf")), conf + "holidays=1\nmodel=precise\n");
  }

  void okLeavesAnUnreadableAdditionsFileAlone_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("too large") << QStringLiteral("large");
    QTest::newRow("named pipe") << QStringLiteral("fifo");
    QTest::newRow("write-only") << QStringLiteral("write-only");
  }
  void okLeavesAnUnreadableAdditionsFileAlone() {
    QFETCH(QString, kind);
    const QByteArray path = "ombrel.conf";
    const QByteArray text = kind == QLatin1String("large") ? "holidays=0\n#" + QByteArray(1024 * 1024, 'x') + "\n" : "holidays=0\nmine=7\n";
    if (kind == QLatin1String("fifo")) {
      QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    } else {
      QVERIFY(WriteFileBytes(QString::fromLatin1(path), text));
      if (kind == QLatin1String("write-only")) QCOMPARE(::chmod(path.constData(), 0200), 0);
    }
    // Whoever may read a write-only file (root) reads it and keeps its lines.
    const bool readable = kind == QLatin1String("write-only") && ::access(path.constData(), R_OK) == 0;
    MessageBoxWatcher boxes;
    Start();
    QCOMPARE(boxes.texts.size(), readable ? 0 : 1);  // said once at the start
    WithDialog(TickHolidaysAndPrecise);
    QCOMPARE(boxes.texts.size(), readable ? 0 : 3);  // and at each refused save
    for (const QString& t : boxes.texts) QVERIFY2(t.contains(QStringLiteral("ombrel.conf")), qPrintable(t));
    struct stat st {};
    QCOMPARE(::lstat(path.constData(), &st), 0);
    if (kind == QLatin1String("fifo")) {
      QVERIFY(S_ISFIFO(st.st_mode));
      return;
    }
    if (kind == QLatin1String("write-only")) QCOMPARE(st.st_mode & 07777, 0200u);
    QCOMPARE(::chmod(path.constData(), 0600), 0);
    QCOMPARE(FileBytes(QString::fromLatin1(path)), readable ? QByteArray("holidays=1\nmine=7\nmodel=precise\n") : text);
  }

  // A mark and CR line ends read the settings as written, and an
  // anniversaries file that decodes with doubt is said once in a message, not
  // at every refresh.
  void filesReadWithAnyLineEndAndDoubtSaidOnce() {
    WriteFile("\xEF\xBB\xBF" "135\r35\r0\r1\r");
    QVERIFY(WriteFileBytes(QStringLiteral("ombrel.conf"), "\xEF\xBB\xBFholidays=1\rmodel=precise\r"));
    QVERIFY(WriteFileBytes(QStringLiteral("kinenbi.dat"), "元日,1,1\n成\x80人の日,1,8\n"));
    MessageBoxWatcher boxes;
    Start();
    QCOMPARE(m_view->m_dLongitude, 135.0);
    QCOMPARE(m_view->m_settingsRecord.m_nCalendarMode, 1);
    QCOMPARE(m_view->m_settingsRecord.m_model, AstroModel::Precise);
    QVERIFY(m_view->m_bShowHolidays);
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY2(boxes.texts[0].contains(QStringLiteral("kinenbi.dat")), qPrintable(boxes.texts[0]));
    TypeMoment(m_view.get(), QStringLiteral("2024"), QStringLiteral("1"), QStringLiteral("8"), QStringLiteral("12"));
    QCOMPARE(boxes.texts.size(), 1);
  }

  // What the start-up's read of ombrel.dat replaces or cannot read is said
  // in the window's language, naming the file, the line and the field.
  void startUpWarningsAreJapanese_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("said");
    QTest::newRow("longitude beyond 180") << QByteArray("999\n")
                                          << QStringLiteral("ombrel.dat の 1 行目: 東経「999」は ±180 度を超えています。139.7 を使います。");
    QTest::newRow("latitude not finite") << QByteArray("139.7\ninf\n")
                                         << QStringLiteral("ombrel.dat の 2 行目: 北緯「inf」は使える数ではありません。35.6 を使います。");
    QTest::newRow("a line too long") << QByteArray(200, '1')
                                     << QStringLiteral("ombrel.dat の 1 行目が 99 バイトを超えています。");
  }
  void startUpWarningsAreJapanese() {
    QFETCH(QByteArray, file);
    QFETCH(QString, said);
    WriteFile(file);
    MessageBoxWatcher boxes;
    Start();
    QVERIFY(!boxes.texts.isEmpty());
    QVERIFY2(boxes.texts[0].startsWith(said), qPrintable(boxes.texts[0]));
  }

  void unwritableFileIsReportedAndTheValuesApply() {
    QDir().mkdir(QStringLiteral("ombrel.dat"));  // a directory where the file belongs
    MessageBoxWatcher boxes;
    Start();  // said at the start, and again when OK cannot write it
    WithDialog([](CSettingsDlg* dlg) {
      Control(dlg, 1003)->setText(QStringLiteral("130.0"));
      PressOk(dlg);
    });
    QCOMPARE(boxes.texts.size(), 2);
    for (const QString& t : boxes.texts) QVERIFY2(t.contains(QStringLiteral("ombrel.dat")), qPrintable(t));
    QCOMPARE(m_view->m_dLongitude, 130.0);
    QVERIFY(QFileInfo(QStringLiteral("ombrel.dat")).isDir());
  }
};

QTEST_MAIN(TstSettings)
#include "tst_settings.moc"
