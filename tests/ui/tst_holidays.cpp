// The holidays switch of the settings dialog through the real window: off by
// default, stored in ombrel.conf, the holiday heading the 暦注 list and drawn
// in the headings' blue in the month calendar; and the iCalendar menu command.
#include <QCheckBox>
#include <QTreeWidget>
#include <QtTest>

#include "caldb/MonthCalendar.h"
#include "tst_main_support.h"
#include "widgets/CsvFileDialog.h"
#include "almanac/Settings.h"
#include "view/ui/SettingsDlg.h"

namespace {

QStringList Items(QTreeWidget* list) {
  QStringList items;
  for (int i = 0; i < list->topLevelItemCount(); ++i) items << list->topLevelItem(i)->text(0);
  return items;
}

// Counts the blue and the black pixels of a day's cell in the form's image.
void CellInk(const QImage& form, int dayOfMonth, double year, double month, int& blue, int& black) {
  blue = black = 0;
  for (const MonthCalendarCell& c : BuildMonthCalendar(year, month, 1, 0, CalendarRule::JulianThenGregorian).cells) {
    if (c.tone == MonthCellTone::OtherMonth || std::atoi(c.dayText.c_str()) != dayOfMonth) continue;
    const monthcal::Point o = monthcal::CellOrigin(c.row, c.column);
    for (int y = o.y; y < o.y + monthcal::kCellHeight; ++y)
      for (int x = o.x; x < o.x + monthcal::kCellWidth; ++x) {
        const QColor p = form.pixel(monthcal::kControlLeft + x, monthcal::kControlTop + y);
        blue += p.blue() > 200 && p.red() < 90 && p.green() < 90;
        black += p.red() < 60 && p.green() < 60 && p.blue() < 60;
      }
  }
}

}  // namespace

class TstHolidays : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ScratchWorkDir> m_dir;
  std::unique_ptr<CMyView> m_view;

  void Start() {
    m_view = StartedView();
    TypeMoment(m_view.get(), "2026", "9", "22", "12.0");
  }
  void SetHolidays(bool on) { SwitchSettingsBox(m_view.get(), "holidays", on); }

 private slots:
  void init() {
    m_dir = std::make_unique<ScratchWorkDir>();
  }
  void cleanup() {
    m_view.reset();
    m_dir.reset();
  }

  // 2026-09-21 敬老の日, 22 国民の休日 (selected), 23 秋分の日; 24 is a workday.
  void switchChangesTheListAndTheCalendar() {
    Start();
    auto* seasonal = Control<QTreeWidget>(m_view.get(), 1030);
    const QStringList designed = Items(seasonal);
    QVERIFY(!designed.contains(QStringLiteral("国民の休日")));
    int blue = 0, black = 0;
    CellInk(m_view->RenderForm(), 23, 2026, 9, blue, black);
    QVERIFY(black > 0 && blue == 0);

    SetHolidays(true);
    QVERIFY(FileBytes(QStringLiteral("ombrel.conf")).contains("holidays=1\n"));
    QCOMPARE(Items(seasonal), QStringList{QStringLiteral("国民の休日")} + designed);
    const QImage form = m_view->RenderForm();
    for (int day : {21, 23}) {
      CellInk(form, day, 2026, 9, blue, black);
      QVERIFY2(blue > 0 && black == 0, qPrintable(QString::number(day)));
    }
    CellInk(form, 24, 2026, 9, blue, black);
    QVERIFY(black > 0 && blue == 0);

    // Read back at start-up, and turned off again.
    m_view.reset();
    Start();
    QCOMPARE(Items(Control<QTreeWidget>(m_view.get(), 1030)).value(0), QStringLiteral("国民の休日"));
    SetHolidays(false);
    QVERIFY(FileBytes(QStringLiteral("ombrel.conf")).contains("holidays=0\n"));
    QCOMPARE(Items(Control<QTreeWidget>(m_view.get(), 1030)), designed);
  }

  // Leaving the box as it was writes no ombrel.conf: the designed files only.
  void untouchedSwitchWritesNoFile() {
    Start();
    ModalWatcher watcher([](QWidget* w) {
      if (auto* dlg = qobject_cast<CSettingsDlg*>(w)) QTest::mouseClick(Control<QPushButton>(dlg, 1), Qt::LeftButton);
    });
    m_view->OnSettings();
    QVERIFY(QFile::exists(QStringLiteral("ombrel.dat")));
    QVERIFY(!QFile::exists(QStringLiteral("ombrel.conf")));
  }

  void exportWritesTheShownYear() {
    Start();
    m_view->m_strExportPath = m_dir->FilePath(QStringLiteral("year.ics"));
    {
      MessageBoxWatcher boxes;
      m_view->OnExportCalendar();
      QCOMPARE(boxes.texts, QStringList{WrittenText(m_view->m_strExportPath)});
    }
    const QByteArray ics = FileBytes(m_view->m_strExportPath);
    QVERIFY(ics.startsWith("BEGIN:VCALENDAR\r\n"));
    QVERIFY(ics.contains("DTSTART;VALUE=DATE:20260923\r\n"));
    QVERIFY(ics.contains("SUMMARY:秋分の日\r\n"));
    QVERIFY(ics.endsWith("END:VCALENDAR\r\n"));
    // The form shows its own date again.
    QCOMPARE(Control(m_view.get(), 1007)->text().trimmed(), QStringLiteral("22"));

    MessageBoxWatcher boxes;
    m_view->m_strExportPath = m_dir->FilePath(QStringLiteral("missing/year.ics"));
    m_view->OnExportCalendar();
    QCOMPARE(boxes.texts.size(), 1);
  }
};

QTEST_MAIN(TstHolidays)
#include "tst_holidays.moc"
