// The main form through the real window: the refresh cycle, the clock, the
// spinners, the month-calendar click, the timer and database failures.
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <cmath>
#include <sqlite3.h>

#include "astro/astro.h"
#include "tst_main_support.h"
#include "almanac/Settings.h"
#include "sky/ui/SkyPanel.h"
#include "widgets/UpDown.h"
#include "yearlist/ui/YearListDlg.h"

class TstMainView : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ScratchWorkDir> m_dir;
  std::unique_ptr<CMyView> m_view;

  QString Text(int id) { return Control(m_view.get(), id)->text(); }
  // The form's date as "YYYY-MM-DD" from its three edits.
  QString FormDate() {
    return QStringLiteral("%1-%2-%3").arg(Text(1003).trimmed(), Text(1004).trimmed(), Text(1007).trimmed());
  }
  void Spin(int id, int delta) {
    auto* spin = Control<CUpDown>(m_view.get(), id);
    QTest::mouseClick(delta < 0 ? spin->UpButton() : spin->DownButton(), Qt::LeftButton);
  }

 private slots:
  void init() {
    m_dir = std::make_unique<ScratchWorkDir>();
    m_view = StartedView();
  }
  void cleanup() {
    m_view.reset();
    m_dir.reset();
  }

  void firstPaintShowsThePresent() {
    const Now now;
    QCOMPARE(Text(1003), QString::number(now.year));
    QCOMPARE(Text(1004).toInt(), now.month);
    QCOMPARE(Text(1007).toInt(), now.day);
    // The hour with one decimal, the exact hour with five.
    QVERIFY(QRegularExpression(QStringLiteral("^ ?\\d{1,2}\\.\\d$")).match(Text(1011)).hasMatch());
    QVERIFY(std::fabs(QString::fromStdString(m_view->m_strHourExact).toDouble() - now.hour) < 0.05);
    QVERIFY(!Text(1009).isEmpty());  // the weekday came from the database
    QVERIFY(!Text(1013).isEmpty());
    QCOMPARE(Control<QTreeWidget>(m_view.get(), 1027)->headerItem()->text(0), QStringLiteral("月のこよみ"));
    QCOMPARE(Control<QTreeWidget>(m_view.get(), 1028)->headerItem()->text(0), QStringLiteral("二十四節季"));
    QVERIFY(Control<QTreeWidget>(m_view.get(), 1027)->topLevelItemCount() >= 48);
    QVERIFY(Control<QTreeWidget>(m_view.get(), 1028)->topLevelItemCount() >= 24);
  }

  void typedMomentNearThePresentFollowsTheClock() {
    const Now now;
    if (now.hour < 0.5 || now.hour > 23.5) QSKIP("too close to midnight to type a moment 15 minutes away");
    TypeMoment(m_view.get(), QString::number(now.year), QString::number(now.month), QString::number(now.day),
               QString::number(now.hour - 0.25, 'f', 2));
    // The moment is the present to the second; the field shows it readably,
    // with one decimal, whole within the field.
    const QString hour = Text(1011);
    QVERIFY2(QRegularExpression(QStringLiteral("^ ?\\d{1,2}\\.\\d$")).match(hour).hasMatch(), qPrintable(hour));
    QVERIFY(std::fabs(QString::fromStdString(m_view->m_strHourExact).toDouble() - Now().hour) < 0.01);
    QVERIFY(std::fabs(m_view->m_at.hour - Now().hour) < 0.01);
    QVERIFY(!TextOverflows(Control(m_view.get(), 1011)));

    // Two hours away the typed hour stays, and so does a day long past.
    const QString away = QString::number(now.hour < 12 ? now.hour + 2 : now.hour - 2, 'f', 1);
    TypeMoment(m_view.get(), QString::number(now.year), QString::number(now.month), QString::number(now.day), away);
    QCOMPARE(Text(1011), away);
    TypeMoment(m_view.get(), "2005", "1", "31", "10.25");
    QCOMPARE(Text(1011), QStringLiteral("10.25"));
    QCOMPARE(QString::fromStdString(m_view->m_strHourExact), QStringLiteral("10.25000"));
  }

  // In the last minutes of a day the clock stays on that day: the field shows
  // 23.9, never 24.0, and the panel and the sky are the day's. A moment typed
  // just before midnight follows the clock into the next day, date and all.
  void theClockNearMidnight() {
    const JulianDay at235830 = DateToJulianDay(2026, 12, 9, 23.975, PlaceClock(m_view->m_settings));
    m_view->m_clock = [&] { return at235830; };
    m_view->OnShowToday();
    QCOMPARE(FormDate(), QStringLiteral("2026-12-9"));
    QCOMPARE(Text(1011), QStringLiteral("23.9"));
    QVERIFY(std::fabs(m_view->m_at.hour - 23.975) < 1e-4);
    QCOMPARE(m_view->m_at.day, 9.0);
    const JulianDay after = at235830 + 10.0 / 1440;  // 00:08:30 on the 10th
    m_view->m_clock = [&] { return after; };
    TypeMoment(m_view.get(), "2026", "12", "9", "23.9");
    QCOMPARE(FormDate(), QStringLiteral("2026-12-10"));
    QCOMPARE(Text(1011).trimmed(), QStringLiteral("0.1"));
    m_view->m_clock = CurrentJulianDay;
  }

  // A moment put into the form keeps its exact hour through every refresh:
  // the field shows one decimal, the panel and the sky use the hour given.
  void theMomentKeepsTheHourGiven() {
    for (double hour : {7.25, 12.05, 23.99}) {
      m_view->ShowMoment(2024, 1, 1, hour);
      QCOMPARE(m_view->m_at.hour, hour);
      QVERIFY(Text(1011) != QStringLiteral("24.0"));
      QTest::mouseClick(Control<QPushButton>(m_view.get(), 1021), Qt::LeftButton);  // 日時変更 with the field untouched
      QCOMPARE(m_view->m_at.hour, hour);
      QCOMPARE(FormDate(), QStringLiteral("2024-1-1"));
    }
    QCOMPARE(Text(1011), QStringLiteral("23.9"));
  }

  void spinnersCarry_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("spinner");
    QTest::addColumn<int>("delta");
    QTest::addColumn<QString>("expected");
    QTest::newRow("day up at the month's end") << "2005-1-31" << 1008 << -1 << "2005-2-1";
    QTest::newRow("month up from 31 January") << "2005-1-31" << 1006 << -1 << "2005-3-3";
    QTest::newRow("month up from 31 January, leap year") << "2004-1-31" << 1006 << -1 << "2004-3-2";
    QTest::newRow("year down from 29 February") << "2004-2-29" << 1005 << +1 << "2003-3-1";
    QTest::newRow("day down on New Year's day") << "2005-1-1" << 1008 << +1 << "2004-12-31";
    QTest::newRow("month up from December") << "2004-12-10" << 1006 << -1 << "2005-1-10";
    QTest::newRow("month down from January") << "2005-1-15" << 1006 << +1 << "2004-12-15";
    QTest::newRow("year up into 1 BC's successor") << "-1-6-1" << 1005 << -1 << "0-6-1";
  }
  void spinnersCarry() {
    QFETCH(QString, start);
    QFETCH(int, spinner);
    QFETCH(int, delta);
    QFETCH(QString, expected);
    const QStringList p = start.split('-', Qt::KeepEmptyParts);
    const bool bc = start.startsWith('-');
    TypeMoment(m_view.get(), bc ? "-" + p[1] : p[0], p[bc ? 2 : 1], p[bc ? 3 : 2], "10.0");
    Spin(spinner, delta);
    QCOMPARE(FormDate(), expected);
    QCOMPARE(Text(1011), QStringLiteral("10.0"));  // the hour does not change
  }

  // A spinner steps its own field; the other two parts of the date are the
  // ones the panel shows, not a text typed and not yet applied.
  void spinnerTakesTheOtherPartsFromTheLastRefresh() {
    TypeMoment(m_view.get(), "2005", "3", "20", "10.0");
    Control(m_view.get(), 1004)->setText(QStringLiteral("7"));
    Spin(1008, -1);
    QCOMPARE(FormDate(), QStringLiteral("2005-3-21"));
    Control(m_view.get(), 1007)->setText(QStringLiteral("9"));
    Spin(1005, +1);
    QCOMPARE(FormDate(), QStringLiteral("2004-3-21"));
  }

  void spinnerFormatsTheDateTexts() {
    TypeMoment(m_view.get(), "2005", "1", "31", "10.0");
    Spin(1008, -1);
    QCOMPARE(Text(1003), QStringLiteral("2005"));
    QCOMPARE(Text(1004), QStringLiteral(" 2"));
    QCOMPARE(Text(1007), QStringLiteral(" 1"));
  }

  void clickInTheMonthCalendarSelectsThatDay() {
    TypeMoment(m_view.get(), "2005", "1", "31", "10.0");
    QVERIFY(m_view->m_dFirstCellJulianDay);
    const double first = *m_view->m_dFirstCellJulianDay;
    QVERIFY(first > 2453000);
    // Every cell of the click grid, hit near its middle and near its corners.
    for (int row = 0; row < 6; ++row) {
      for (int col = 0; col < 7; ++col) {
        for (QPoint offset : {QPoint(15, 15), QPoint(1, 1), QPoint(29, 28)}) {
          TypeMoment(m_view.get(), "2005", "1", "31", "10.0");
          const QPoint at(525 + 31 * col + offset.x(), 300 + 30 * row + offset.y());
          QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::NoModifier, at);
          const LocalTime t = JulianDayToDate(first + col + 7 * row, DayCountClock(CalendarRule::JulianThenGregorian));
          QCOMPARE(FormDate(), QStringLiteral("%1-%2-%3").arg(t.year).arg(t.month).arg(t.day));
          QCOMPARE(Text(1011), QStringLiteral("12.0"));
        }
      }
    }
    // Left of the grid nothing is selected.
    TypeMoment(m_view.get(), "2005", "1", "31", "10.0");
    QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(510, 310));
    QCOMPARE(FormDate(), QStringLiteral("2005-1-31"));
  }

  void drawingsLandWhereTheFormPutsThem() {
    TypeMoment(m_view.get(), "2005", "1", "31", "10.0");
    const QImage form = m_view->RenderForm();
    QCOMPARE(form.size(), QSize(750, 520));
    // The month calendar's pale yellow ground inside its control, not left of it.
    QCOMPARE(QColor(form.pixel(522, 290)), QColor(255, 255, 200));
    QVERIFY(QColor(form.pixel(518, 290)) != QColor(255, 255, 200));
    // The sky panel's frame line starts at the anchor.
    QCOMPARE(QColor(form.pixel(200, 270)), QColor(0, 0, 0));
  }

  void automaticUpdateReturnsToThePresent() {
    m_view->m_settingsRecord.m_bAutoUpdate = 1;
    m_view->m_settingsRecord.m_strInterval = std::string("1");
    TypeMoment(m_view.get(), "2005", "1", "31", "10.0");
    m_view->OnTimer(1);
    QTRY_COMPARE(Text(1003), QString::number(Now().year));
    QCOMPARE(m_view->m_nTimerMinutes, 0);

    m_view->m_settingsRecord.m_strInterval = std::string("2");
    TypeMoment(m_view.get(), "2005", "1", "31", "10.0");
    m_view->OnTimer(1);
    QTest::qWait(50);
    QCOMPARE(Text(1003), QStringLiteral("2005"));
    m_view->OnTimer(1);
    QTRY_COMPARE(Text(1003), QString::number(Now().year));
  }

  void noAutomaticUpdateWithoutAnInterval_data() {
    QTest::addColumn<int>("autoUpdate");
    QTest::addColumn<QString>("interval");
    QTest::newRow("interval 0") << 1 << "0";
    QTest::newRow("interval not a number") << 1 << "abc";
    QTest::newRow("switched off") << 0 << "1";
  }
  void noAutomaticUpdateWithoutAnInterval() {
    QFETCH(int, autoUpdate);
    QFETCH(QString, interval);
    m_view->m_settingsRecord.m_bAutoUpdate = autoUpdate;
    m_view->m_settingsRecord.m_strInterval = interval.toStdString();
    TypeMoment(m_view.get(), "2005", "1", "31", "10.0");
    for (int i = 0; i < 5; ++i) m_view->OnTimer(1);
    QTest::qWait(50);
    QCOMPARE(FormDate(), QStringLiteral("2005-1-31"));
  }

  // Each refresh also reads the form's date and hour into a moment at most
  // once (not at all when it takes the clock): the spinners' check of the
  // typed moment is that refresh's reading.
  void eachTriggerRefreshesOnce_data() {
    QTest::addColumn<int>("trigger");
    QTest::addColumn<int>("formReads");
    QTest::newRow("日時変更") << 0 << 1;
    QTest::newRow("今日の表示") << 1 << 1;
    QTest::newRow("day spinner") << 2 << 1;
    QTest::newRow("calendar click") << 3 << 1;
    QTest::newRow("automatic update") << 4 << 0;
    QTest::newRow("repaint requests in a burst") << 5 << 1;
    QTest::newRow("Enter in the day field") << 6 << 1;
    QTest::newRow("arrow key in the day field") << 7 << 1;
  }
  void eachTriggerRefreshesOnce() {
    QFETCH(int, trigger);
    QFETCH(int, formReads);
    m_view->m_settingsRecord.m_bAutoUpdate = 1;
    m_view->m_settingsRecord.m_strInterval = std::string("1");
    TypeMoment(m_view.get(), "2005", "1", "31", "10.0");
    QTest::qWait(20);
    const int before = m_view->SkyPanelRedraws();
    const int readsBefore = m_view->FormReads();
    switch (trigger) {
      case 0: QTest::mouseClick(Control<QPushButton>(m_view.get(), 1021), Qt::LeftButton); break;
      case 1: QTest::mouseClick(Control<QPushButton>(m_view.get(), 1031), Qt::LeftButton); break;
      case 2: Spin(1008, -1); break;
      case 3: QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(600, 400)); break;
      case 4: m_view->OnTimer(1); break;
      case 5:
        for (int i = 0; i < 3; ++i) m_view->RequestRefresh();
        m_view->update();
        break;
      case 6: QTest::keyClick(Control(m_view.get(), 1007), Qt::Key_Return); break;
      case 7: QTest::keyClick(Control(m_view.get(), 1007), Qt::Key_Up); break;
    }
    QTest::qWait(50);  // anything deferred has run, and the blit repaint too
    QCOMPARE(m_view->SkyPanelRedraws() - before, 1);
    QCOMPARE(m_view->FormReads() - readsBefore, formReads);
  }

  void todayButtonReturnsToThePresent() {
    TypeMoment(m_view.get(), "2005", "1", "31", "10.0");
    QTest::mouseClick(Control<QPushButton>(m_view.get(), 1031), Qt::LeftButton);
    QCOMPARE(Text(1003), QString::number(Now().year));
  }

  void garbageInTheFormIsSurvived_data() {
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("hour");
    QTest::newRow("empty") << "" << "" << "" << "";
    QTest::newRow("words") << "abc" << "x" << "y" << "z";
    QTest::newRow("huge") << "999999999999" << "99999" << "-99999" << "1e300";
    QTest::newRow("not numbers") << "nan" << "inf" << "-inf" << "nan";
  }
  void garbageInTheFormIsSurvived() {
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(QString, day);
    QFETCH(QString, hour);
    MessageBoxWatcher boxes;  // a conversion the database cannot follow may be reported
    TypeMoment(m_view.get(), year, month, day, hour);
    for (int spinner : {1005, 1006, 1008}) Spin(spinner, -1);
    QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(600, 400));
    // Still alive and answering.
    TypeMoment(m_view.get(), "2005", "1", "31", "10.0");
    QCOMPARE(FormDate(), QStringLiteral("2005-1-31"));
  }

  void missingDatabaseIsReportedAndTheWindowStaysUsable() {
    ScratchWorkDir empty(false);
    MessageBoxWatcher boxes;
    TypeMoment(m_view.get(), "2005", "1", "31", "10.0");
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY2(boxes.texts[0].contains(QStringLiteral("History.mdb")), qPrintable(boxes.texts[0]));
    QVERIFY(!QFile::exists(QStringLiteral("History.mdb")));  // nothing created in its place
    Spin(1008, -1);
    QCOMPARE(FormDate(), QStringLiteral("2005-2-1"));
    QCOMPARE(boxes.texts.size(), 2);
  }

  // The year list opens on the main window's date, ready to type a year; the
  // years it shows are its own and never become the main window's.
  void yearListOpensOnTheMainWindowsYear() {
    TypeMoment(m_view.get(), "2010", "5", "5", "10.0");
    CYearListDlg& list = *m_view->m_pYearListDlg;
    for (const char* shown : {"2024", "1999"}) {
      m_view->RunCommand([this] { m_view->OnYearList(); });
      QVERIFY(list.IsWindowOpen());
      QCOMPARE(list.Field(1004)->text(), QStringLiteral("2010"));
      QCOMPARE(list.focusWidget(), list.Field(1004));
      list.Field(1004)->setText(QString::fromLatin1(shown));
      Click(&list, "西暦表示");
      QCOMPARE(list.m_nGridYear, std::atoi(shown));
      Click(&list, "終了");
      QVERIFY(!list.IsWindowOpen());
      m_view->RunCommand([this] { m_view->OnPaint(); });
      QCOMPARE(FormDate(), QStringLiteral("2010-5-5"));
    }
  }

  // Started without a database, the four lists still carry their titles.
  void listTitlesWithoutADatabase() {
    ScratchWorkDir empty(false);
    MessageBoxWatcher boxes;
    const std::unique_ptr<CMyView> view = StartedView();
    QVERIFY(!boxes.texts.isEmpty());
    const struct {
      int id;
      const char* title;
    } lists[] = {{1030, "暦注"}, {1029, "下段"}, {1027, "月のこよみ"}, {1028, "二十四節季"}};
    for (const auto& l : lists)
      QCOMPARE(Control<QTreeWidget>(view.get(), l.id)->headerItem()->text(0), QString::fromUtf8(l.title));
  }

  void databaseErrorKeepsTheFieldsNotYetShown_data() {
    QTest::addColumn<QString>("damage");  // SQL run on the database; empty: the database is gone
    QTest::addColumn<bool>("eraShown");
    QTest::newRow("no database") << QString() << false;
    QTest::newRow("no Data rows") << QStringLiteral("DELETE FROM [Data];") << true;
  }
  void databaseErrorKeepsTheFieldsNotYetShown() {
    QFETCH(QString, damage);
    QFETCH(bool, eraShown);
    const int upper[] = {1012, 1014, 1017, 1018, 1019, 1020};
    const int lower[] = {1009, 1010, 1015, 1016, 1022, 1023, 1024, 1025, 1026};
    TypeMoment(m_view.get(), "2006", "6", "15", "10.0");
    QMap<int, QString> later;
    for (int id : upper) later[id] = Text(id);
    TypeMoment(m_view.get(), "2005", "1", "31", "10.0");
    QMap<int, QString> shown;
    for (int id : upper) shown[id] = Text(id);
    for (int id : lower) shown[id] = Text(id);
    shown[1013] = Text(1013);

    std::unique_ptr<ScratchWorkDir> broken;
    if (damage.isEmpty()) {
      broken = std::make_unique<ScratchWorkDir>(false);
    } else {
      sqlite3* db = nullptr;
      QCOMPARE(sqlite3_open("History.mdb", &db), SQLITE_OK);
      QCOMPARE(sqlite3_exec(db, damage.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
      sqlite3_close(db);
    }
    MessageBoxWatcher boxes;
    TypeMoment(m_view.get(), "2006", "6", "15", "10.0");
    QCOMPARE(boxes.texts.size(), 1);
    QCOMPARE(FormDate(), QStringLiteral("2006-6-15"));
    // The panel shows its upper fields once the era is known; the rest keep
    // the previous day's texts, the imperial year its number without the sign.
    for (int id : upper) QCOMPARE(Text(id), eraShown ? later[id] : shown[id]);
    for (int id : lower) QCOMPARE(Text(id), shown[id]);
    QCOMPARE(Text(1013), eraShown ? QStringLiteral("2666年") : shown[1013]);
  }

  // A typed moment that is not exactly one day and hour is refused with a
  // message naming the field; the fields show the moment the panel shows
  // again, with the refused field selected, and no later refresh (日時変更,
  // the settings dialog's, the timer's) carries it into another day.
  void aMomentTheFormCannotNameIsRefused_data() {
    QTest::addColumn<QStringList>("typed");  // year, month, day, hour
    QTest::addColumn<QString>("says");
    QTest::addColumn<int>("field");
    const QString missing = QStringLiteral("日という日はありません");
    QTest::newRow("2024-02-31") << QStringList{"2024", "2", "31", "12.0"} << missing << 1007;
    QTest::newRow("2023-02-29") << QStringList{"2023", "2", "29", "12.0"} << missing << 1007;
    QTest::newRow("1700-02-29 Gregorian") << QStringList{"1700", "2", "29", "12.0"} << missing << 1007;
    QTest::newRow("1582-10-10 between the calendars") << QStringList{"1582", "10", "10", "12.0"} << missing << 1007;
    QTest::newRow("month 0") << QStringList{"2033", "0", "1", "12.0"} << QStringLiteral("月は1から12") << 1004;
    QTest::newRow("month 13") << QStringList{"2033", "13", "1", "12.0"} << QStringLiteral("月は1から12") << 1004;
    QTest::newRow("month 11.5") << QStringList{"2033", "11.5", "1", "12.0"} << QStringLiteral("月は1から12") << 1004;
    QTest::newRow("day 32") << QStringList{"2024", "2", "32", "12.0"} << QStringLiteral("日は1から31") << 1007;
    QTest::newRow("day 0") << QStringList{"2024", "3", "0", "12.0"} << QStringLiteral("日は1から31") << 1007;
    QTest::newRow("year abc") << QStringList{"abc", "1", "1", "12.0"} << QStringLiteral("年は") << 1003;
    QTest::newRow("year empty") << QStringList{"", "1", "1", "12.0"} << QStringLiteral("年は") << 1003;
    QTest::newRow("hour 25") << QStringList{"2024", "1", "1", "25"} << QStringLiteral("時間は0以上24未満") << 1011;
    QTest::newRow("hour 24") << QStringList{"2024", "1", "1", "24"} << QStringLiteral("時間は0以上24未満") << 1011;
    QTest::newRow("hour -1") << QStringList{"2024", "1", "1", "-1"} << QStringLiteral("時間は0以上24未満") << 1011;
    QTest::newRow("hour abc") << QStringList{"2024", "1", "1", "abc"} << QStringLiteral("時間は0以上24未満") << 1011;
  }
  void aMomentTheFormCannotNameIsRefused() {
    QFETCH(QStringList, typed);
    QFETCH(QString, says);
    QFETCH(int, field);
    TypeMoment(m_view.get(), "2024", "6", "15", "12.5");
    const QString weekday = Text(1009), lunar = Text(1015), era = Text(1012);
    {
      MessageBoxWatcher boxes;
      TypeMoment(m_view.get(), typed[0], typed[1], typed[2], typed[3]);
      QCOMPARE(boxes.texts.size(), 1);
      QVERIFY2(boxes.texts[0].contains(says), qPrintable(boxes.texts[0]));
      QVERIFY(Control(m_view.get(), field)->hasSelectedText() || Control(m_view.get(), field)->text().isEmpty());
    }
    QCOMPARE(FormDate(), QStringLiteral("2024-6-15"));
    QCOMPARE(Text(1011), QStringLiteral("12.5"));
    QCOMPARE(Text(1009), weekday);
    QCOMPARE(Text(1015), lunar);
    QCOMPARE(m_view->m_at.hour, 12.5);

    // Typed again and left there, a refresh from elsewhere refuses it too.
    Control(m_view.get(), 1003)->setText(typed[0]);
    Control(m_view.get(), 1004)->setText(typed[1]);
    Control(m_view.get(), 1007)->setText(typed[2]);
    Control(m_view.get(), 1011)->setText(typed[3]);
    {
      MessageBoxWatcher boxes;
      m_view->RunCommand([&] { m_view->OnPaint(); });
      QCOMPARE(boxes.texts.size(), 1);
    }
    QCOMPARE(FormDate(), QStringLiteral("2024-6-15"));
    QCOMPARE(Text(1012), era);
    QCOMPARE(Text(1015), lunar);
  }

  // What the form accepts: the day before the Gregorian calendar, and the
  // full-width digits and blanks an input method types.
  void typedMomentsTheFormTakes() {
    TypeMoment(m_view.get(), "2024", "6", "15", "12.0");
    const QString lunar = Text(1015);
    MessageBoxWatcher boxes;
    TypeMoment(m_view.get(), "1582", "10", "4", "12.0");
    QVERIFY(Text(1015) != lunar);
    TypeMoment(m_view.get(), QStringLiteral("２０２４"), QStringLiteral("　２"), QStringLiteral("２９ "),
               QStringLiteral("１２．２５"));
    QCOMPARE(boxes.texts.size(), 0);
    QCOMPARE(FormDate(), QStringLiteral("2024-2-29"));
    QCOMPARE(Text(1011), QStringLiteral("12.2"));
    QCOMPARE(m_view->m_at.hour, 12.25);
  }

  // The spinners stop at the ends of the calendar table, with a message.
  void spinnersStopAtTheCalendarTablesEnds_data() {
    QTest::addColumn<QStringList>("start");
    QTest::addColumn<int>("spinner");
    QTest::addColumn<int>("delta");
    QTest::newRow("the last day, day up") << QStringList{"2101", "1", "28"} << 1008 << -1;
    QTest::newRow("the last year, year up") << QStringList{"2100", "6", "1"} << 1005 << -1;
    QTest::newRow("the first day, day down") << QStringList{"-667", "12", "9"} << 1008 << +1;
    QTest::newRow("the first month, month down") << QStringList{"-667", "12", "20"} << 1006 << +1;
  }
  void spinnersStopAtTheCalendarTablesEnds() {
    QFETCH(QStringList, start);
    QFETCH(int, spinner);
    QFETCH(int, delta);
    TypeMoment(m_view.get(), start[0], start[1], start[2], "12.0");
    const QString date = FormDate(), lunar = Text(1015);
    QVERIFY(!lunar.trimmed().isEmpty());
    MessageBoxWatcher boxes;
    Spin(spinner, delta);
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY2(boxes.texts[0].contains(QStringLiteral("旧暦の表の外")), qPrintable(boxes.texts[0]));
    QCOMPARE(FormDate(), date);
    QCOMPARE(Text(1015), lunar);
    Spin(spinner, -delta);  // the other way still steps
    QVERIFY(FormDate() != date);
  }

  void keyboardGoesThroughTheDateAndTheButtons() {
    m_view->show();
    QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
    Control(m_view.get(), 1003)->setFocus();
    for (int id : {1004, 1007, 1011, 1021, 1031, 1032}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->objectName(), QString::number(id));
    }
    // Typing a date and pressing Enter in any date field applies it.
    for (int id : {1003, 1004, 1007}) Control(m_view.get(), id)->clear();
    QTest::keyClicks(Control(m_view.get(), 1003), "2005");
    QTest::keyClicks(Control(m_view.get(), 1004), "1");
    QTest::keyClicks(Control(m_view.get(), 1007), "31");
    QTest::keyClick(Control(m_view.get(), 1007), Qt::Key_Return);
    QCOMPARE(Text(1013), QStringLiteral("2665年 乙酉"));
    QCOMPARE(Text(1012), QStringLiteral("平成 17"));
    QCOMPARE(Text(1014), QStringLiteral("睦月　"));
    QCOMPARE(Text(1017), QStringLiteral(" 大寒 + 11"));
    QCOMPARE(Text(1024).left(5), QStringLiteral(" 20.6"));
    // The arrow keys in a date field work its spinner, carries and all.
    QTest::keyClick(Control(m_view.get(), 1007), Qt::Key_Up);
    QCOMPARE(FormDate(), QStringLiteral("2005-2-1"));
    QTest::keyClick(Control(m_view.get(), 1004), Qt::Key_Down);
    QCOMPARE(FormDate(), QStringLiteral("2005-1-1"));
    QTest::keyClick(Control(m_view.get(), 1003), Qt::Key_Down);
    QCOMPARE(FormDate(), QStringLiteral("2004-1-1"));
    // Enter on a focused button presses it.
    Control<QPushButton>(m_view.get(), 1031)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(Text(1003), QString::number(Now().year));
  }
};

QTEST_MAIN(TstMainView)
#include "tst_mainview.moc"
