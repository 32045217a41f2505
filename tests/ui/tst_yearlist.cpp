// The year list window through its controls: opening and reopening, the
// conversion rows, the range message, the spinner, the era pick, the lists,
// the drawn grid and the file output.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <sqlite3.h>
#include <unistd.h>

#include "tst_main_support.h"
#include "widgets/AlmanacFont.h"
#include "widgets/UpDown.h"
#include "widgets/WindowPlacement.h"
#include "yearlist/ui/YearGridView.h"
#include "yearlist/ui/YearListDlg.h"
#include "widgets/CsvFileDialog.h"

namespace {

struct Message {
  QString text, caption;
};
QList<Message> g_messages;
void RecordMessage(QWidget*, const QString& text, const QString& caption) { g_messages.append({text, caption}); }

QString g_savePath;
QString g_proposedName;
QString ChosenFile(QWidget*, const QString& proposedName) {
  g_proposedName = proposedName;
  // The file dialog may leave the process in another directory.
  QDir::setCurrent(QDir::tempPath());
  return g_savePath;
}

QByteArray Golden(const char* name) {
  return FileBytes(QStringLiteral(OMBREL_FIXTURES "/yearlist/") + QString::fromLatin1(name));
}

}  // namespace

class TstYearList : public QObject {
  Q_OBJECT

  std::unique_ptr<ScratchWorkDir> m_dir;
  std::unique_ptr<CYearListDlg> m_dlg;

  QString Field(int id) { return m_dlg->Field(id)->text(); }
  void Type(int id, const QString& text) { m_dlg->Field(id)->setText(text); }
  void Click(const char* text) { ::Click(m_dlg.get(), text); }

 private slots:
  void initTestCase() {
    m_dir = std::make_unique<ScratchWorkDir>();
    CYearListDlg::ShowMessage = RecordMessage;
    CYearListDlg::ChooseSaveFile = ChosenFile;
  }

  void init() {
    g_messages.clear();
    m_dlg = std::make_unique<CYearListDlg>(EphemerisOf(AstroModel::Design));
    m_dlg->m_strYear = "2033";
    m_dlg->m_strMonth = "11";
    m_dlg->m_strDay = "15";
  }

  void cleanup() { m_dlg.reset(); }

  // The window's layout at 2 pixels per dialog unit: the top row, the three
  // conversion rows' ends, the lists and the grid frame.
  void controlsStandWhereTheLayoutPutsThem() {
    const struct {
      const char* button;  // or null for a field id
      int id;
      QRect du;
    } controls[] = {
        {nullptr, 1004, {25, 5, 46, 25}},    {nullptr, 1006, {90, 5, 17, 25}},    {nullptr, 1008, {125, 5, 17, 25}},
        {nullptr, 1003, {25, 30, 55, 15}},   {nullptr, 1010, {35, 50, 40, 15}},   {nullptr, 1022, {295, 50, 30, 15}},
        {nullptr, 1028, {160, 70, 15, 15}},  {nullptr, 1037, {35, 90, 40, 15}},   {nullptr, 1048, {295, 90, 30, 15}},
        {"和暦表示", 0, {150, 5, 40, 25}},   {"西暦表示", 0, {195, 5, 40, 25}},   {"FILE出力", 0, {240, 5, 40, 25}},
        {"終了", 0, {295, 5, 40, 25}},
    };
    auto px = [](QRect du) { return QRect(du.x() * 2, du.y() * 2, du.width() * 2, du.height() * 2); };
    for (const auto& c : controls) {
      QWidget* w = c.button ? static_cast<QWidget*>(Button(m_dlg.get(), QString::fromUtf8(c.button)))
                            : static_cast<QWidget*>(m_dlg->Field(c.id));
      QVERIFY2(w, c.button ? c.button : qPrintable(QString::number(c.id)));
      QCOMPARE(w->geometry(), px(c.du));
    }
    QCOMPARE(m_dlg->findChild<CUpDown*>()->geometry(), px({71, 5, 9, 25}));
    QCOMPARE(m_dlg->PhaseList()->geometry(), px({340, 0, 103, 56}));
    QCOMPARE(m_dlg->TermList()->geometry(), px({340, 57, 103, 56}));
    QCOMPARE(m_dlg->GridFrame()->geometry(), px({5, 115, 555, 285}));
    const struct {
      const char* text;
      QPoint du;
    } labels[] = {{"西暦", {10, 5}},  {"天皇", {105, 40}}, {"曜日", {225, 40}},     {"二十八宿", {295, 40}},
                  {"和暦変換", {5, 50}}, {"六曜", {250, 40}}, {"干支", {270, 40}}};
    for (const auto& l : labels) {
      QLabel* found = nullptr;
      for (QLabel* label : m_dlg->findChildren<QLabel*>())
        if (label->text() == QString::fromUtf8(l.text)) found = label;
      QVERIFY2(found, l.text);
      QCOMPARE(found->pos(), l.du * 2);
    }
  }

  void opensOnceAndAgainAfterEscOrQuit() {
    QElapsedTimer t;
    t.start();
    QVERIFY(m_dlg->Create());
    qInfo("opening the year list took %lld ms", static_cast<long long>(t.elapsed()));
    QVERIFY(m_dlg->IsWindowOpen());
    QCOMPARE(m_dlg->windowTitle(), QStringLiteral("一覧表"));
    QVERIFY(!m_dlg->Create());
    QTest::keyClick(m_dlg.get(), Qt::Key_Escape);
    QVERIFY(!m_dlg->IsWindowOpen());
    t.restart();
    QVERIFY(m_dlg->Create());
    qInfo("opening it again took %lld ms", static_cast<long long>(t.elapsed()));
    Click("終了");
    QVERIFY(!m_dlg->IsWindowOpen());
    m_dlg->m_strYear = "2005";
    QVERIFY(m_dlg->Create());
    QCOMPARE(m_dlg->m_nDisplayMode, kLunisolarLayout);
    QCOMPARE(Field(1004), QStringLiteral("2005"));
    QVERIFY(g_messages.isEmpty());
  }

  void conversionRowsAndLists() {
    QVERIFY(m_dlg->Create());
    // 2033-11-15 is 10/24; 11/15 is 12-06 and 閏11/15 is 2034-01-05.
    QCOMPARE(Field(1015) + "/" + Field(1016), QStringLiteral("10/24"));
    QCOMPARE(Field(1029) + "/" + Field(1030), QStringLiteral("12/6"));
    QCOMPARE(Field(1041) + Field(1042) + "/" + Field(1043), QStringLiteral("閏1/5"));
    QCOMPARE(Field(1003), QStringLiteral("年干支  癸丑"));
    QCOMPARE(Field(1010), QStringLiteral("令和"));
    QCOMPARE(m_dlg->PhaseList()->headerItem()->text(0), QStringLiteral("月のこよみ"));
    QCOMPARE(m_dlg->TermList()->headerItem()->text(0), QStringLiteral("二十四節季"));
    QCOMPARE(m_dlg->PhaseList()->topLevelItemCount(), static_cast<int>(m_dlg->m_events.phases.size()));
    QVERIFY(m_dlg->m_events.phases.size() > 50 && m_dlg->m_events.terms.size() > 25);
    QVERIFY(m_dlg->TermList()->topLevelItem(0)->text(0).contains(QStringLiteral("2033/ 1/")));
    // 西暦表示 keeps the year's sign and empties the leap row for month 4.
    Type(1006, QStringLiteral("4"));
    Click("西暦表示");
    QCOMPARE(m_dlg->m_nDisplayMode, kWesternLayout);
    QCOMPARE(Field(1003), QStringLiteral("年干支  癸丑"));
    QVERIFY(Field(1042).isEmpty());
    QCOMPARE(QString::fromStdString(m_dlg->m_strGrid[0][1]), QStringLiteral("1"));
  }

  // A History table of 300,000 rows more (one statement makes them): the
  // window opens quickly with one message naming the table, the lists empty.
  void aHugeHistoryTableIsRefusedQuickly() {
    ScratchWorkDir huge;
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open("History.mdb", &db), SQLITE_OK);
    const int rc = sqlite3_exec(db,
                                "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; "
                                "WITH RECURSIVE c(x) AS (SELECT 3000 UNION ALL SELECT x + 1 FROM c WHERE x < 302999) "
                                "INSERT INTO History SELECT x, x + 660, '令和', 'れいわ', x - 2018, '今上天皇', '', '', "
                                "'甲', '子' FROM c;",
                                nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(rc, SQLITE_OK);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(m_dlg->Create());
    QVERIFY2(timer.elapsed() < 3000, QByteArray::number(timer.elapsed()).constData());
    QCOMPARE(g_messages.size(), 1);
    QVERIFY2(g_messages[0].text.contains(QStringLiteral("table History holds more than")), qPrintable(g_messages[0].text));
    QCOMPARE(m_dlg->EraListByTable()->count(), 0);
    QCOMPARE(Field(1010), QStringLiteral("令和"));
  }

  void rangeMessageLeavesTheWindowAlone() {
    QVERIFY(m_dlg->Create());
    const YearGrid before = m_dlg->m_strGrid;
    for (const char* year : {"2042", "-667"}) {
      for (const char* button : {"和暦表示", "西暦表示"}) {
        g_messages.clear();
        Type(1004, QString::fromLatin1(year));
        Click(button);
        QCOMPARE(g_messages.size(), 1);
        QCOMPARE(g_messages[0].text, QStringLiteral("西暦を-666年～2041年以内で入力してください。"));
        QCOMPARE(g_messages[0].caption, QStringLiteral("入力範囲"));
        QCOMPARE(Field(1004), QString::fromLatin1(year));
        QVERIFY(m_dlg->m_strGrid == before);
      }
    }
    // The spinner's up arrow on 2041 gives 2042, then the message.
    Type(1004, QStringLiteral("2041"));
    g_messages.clear();
    auto* spin = m_dlg->findChild<CUpDown*>();
    QTest::mouseClick(spin->UpButton(), Qt::LeftButton);
    QCOMPARE(Field(1004), QStringLiteral("2042"));
    QCOMPARE(g_messages.size(), 1);
    QTest::mouseClick(spin->DownButton(), Qt::LeftButton);
    QCOMPARE(Field(1004), QStringLiteral("2041"));
    QCOMPARE(g_messages.size(), 1);
    QCOMPARE(m_dlg->m_nGridYear, 2041);
  }

  void typedTextsAreNotQueries() {
    QVERIFY(m_dlg->Create());
    g_messages.clear();
    Type(1006, QStringLiteral("1 OR 1=1"));
    Click("和暦表示");
    QCOMPARE(g_messages.size(), 1);
    Type(1006, QStringLiteral("1"));
    Click("和暦表示");
    QCOMPARE(g_messages.size(), 1);
    QCOMPARE(Field(1015) + "/" + Field(1016), QStringLiteral("12/15"));  // 2033-01-15
  }

  // A date field that is not a number is named in Japanese and given back
  // the text last shown; the grid stays.
  void aFieldThatIsNotANumberIsRestored() {
    QVERIFY(m_dlg->Create());
    const YearGrid before = m_dlg->m_strGrid;
    const struct {
      int id;
      const char* text;
      const char* message;
      const char* restored;
    } cases[] = {{1004, "abc", "西暦は数字で入力してください（「abc」）。", "2033"},
                 {1006, "x", "月は数字で入力してください（「x」）。", "11"},
                 {1008, "", "日は数字で入力してください（「」）。", "15"}};
    for (const auto& c : cases) {
      g_messages.clear();
      Type(c.id, QString::fromUtf8(c.text));
      QTest::keyClick(m_dlg->Field(c.id), Qt::Key_Return);
      QCOMPARE(g_messages.size(), 1);
      QCOMPARE(g_messages[0].text, QString::fromUtf8(c.message));
      QCOMPARE(Field(c.id), QString::fromUtf8(c.restored));
      QCOMPARE(m_dlg->focusWidget(), m_dlg->Field(c.id));
      QVERIFY(m_dlg->m_strGrid == before);
    }
  }

  void pickingAnEraShowsItsYear() {
    QVERIFY(m_dlg->Create());
    QListWidget* list = m_dlg->EraListByTable();
    QVERIFY(list->count() > 1000);
    // Preselected: the item of the year shown.
    QVERIFY(list->currentItem() && list->currentItem()->text().endsWith(QStringLiteral("2033")));
    const QList<QListWidgetItem*> found = list->findItems(QStringLiteral("   2005"), Qt::MatchEndsWith);
    QCOMPARE(found.size(), 1);
    list->setCurrentItem(found[0]);
    QCOMPARE(Field(1004), QStringLiteral("2005"));
    QCOMPARE(m_dlg->m_nGridYear, 2005);
    QCOMPARE(m_dlg->m_nDisplayMode, kLunisolarLayout);
  }

  // The year field answers the keys as the main window's does: Up and Down
  // step the year (and show it), Enter shows the typed date in the layout on
  // show; Enter in the month and day fields too.
  void yearFieldKeysStepAndApply() {
    QVERIFY(m_dlg->Create());
    QLineEdit* year = m_dlg->Field(1004);
    QTest::keyClick(year, Qt::Key_Up);
    QCOMPARE(Field(1004), QStringLiteral("2034"));
    QCOMPARE(m_dlg->m_nGridYear, 2034);
    QTest::keyClick(year, Qt::Key_Down);
    QTest::keyClick(year, Qt::Key_Down);
    QCOMPARE(Field(1004), QStringLiteral("2032"));
    QCOMPARE(m_dlg->m_nGridYear, 2032);

    Click("西暦表示");
    year->setText(QStringLiteral("2005"));
    QTest::keyClick(year, Qt::Key_Return);
    QCOMPARE(m_dlg->m_nGridYear, 2005);
    QCOMPARE(m_dlg->m_nDisplayMode, kWesternLayout);
    Click("和暦表示");
    Type(1006, QStringLiteral("1"));
    QTest::keyClick(m_dlg->Field(1006), Qt::Key_Enter);
    QCOMPARE(m_dlg->m_nDisplayMode, kLunisolarLayout);
    QCOMPARE(Field(1015) + "/" + Field(1016), QStringLiteral("12/6"));  // 2005-01-15
    Type(1008, QStringLiteral("16"));
    QTest::keyClick(m_dlg->Field(1008), Qt::Key_Return);
    QCOMPARE(Field(1015) + "/" + Field(1016), QStringLiteral("12/7"));
    QVERIFY(m_dlg->IsWindowOpen());
    QVERIFY(g_messages.isEmpty());
  }

  // The era lists show their selected row whole, the first time and after a
  // step, early and late in the table.
  void selectedEraRowsAreWhollyVisible() {
    for (const char* start : {"2033", "700", "1868"}) {
      m_dlg = std::make_unique<CYearListDlg>(EphemerisOf(AstroModel::Design));
      m_dlg->m_strYear = start;
      m_dlg->m_strMonth = "1";
      m_dlg->m_strDay = "1";
      QVERIFY(m_dlg->Create());
      QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
      for (int step = 0; step < 2; ++step) {
        for (QListWidget* list : {m_dlg->EraListByTable(), m_dlg->EraListByReading()}) {
          QVERIFY2(list->currentItem(), start);
          const QRect row = list->visualItemRect(list->currentItem());
          // Nothing beside the list covers the row either.
          const QRect onPage(list->viewport()->mapTo(list->parentWidget(), row.topLeft()), row.size());
          for (QWidget* other : list->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(other == list || !other->isVisible() || !other->geometry().intersects(onPage),
                     qPrintable(QStringLiteral("%1: under %2").arg(start, other->metaObject()->className())));
          QVERIFY2(row.top() >= 0 && row.bottom() < list->viewport()->height(), qPrintable(QStringLiteral("%1: row %2,%3 %4x%5 in %6x%7")
              .arg(start).arg(row.x()).arg(row.y()).arg(row.width()).arg(row.height())
              .arg(list->viewport()->width()).arg(list->viewport()->height())));
        }
        QTest::keyClick(m_dlg->Field(1004), Qt::Key_Up);
      }
      if (qEnvironmentVariableIsSet("YEARLIST_SHOT"))
        m_dlg->EraListByTable()->parentWidget()->grab(QRect(900, 0, 220, 250))
            .save(qEnvironmentVariable("YEARLIST_SHOT") + QString::fromLatin1(start) + ".png");
    }
  }

  // Each text of the grid drawn alone, in both layouts of a thirteen-month
  // year with markers: no pixel is inked by two texts, and no two texts' ink
  // meets side by side (a cell running into the next column, a heading into
  // the caption).
  void gridTextsNeverInkEachOther() {
    QVERIFY(m_dlg->Create());
    for (const char* button : {"和暦表示", "西暦表示"}) {
      Click(button);
      QImage probe(1, 1, QImage::Format_ARGB32_Premultiplied);
      QPainter measure(&probe);
      measure.setFont(AlmanacFont(12));
      const std::vector<YearGridText> texts = YearGridTexts(measure.fontMetrics(), m_dlg->m_strGrid,
                                                            m_dlg->m_nDisplayMode, m_dlg->GridYear(),
                                                            CalendarRule::JulianThenGregorian);
      const QSize frame = m_dlg->GridFrame()->size();
      std::vector<int> owner(static_cast<std::size_t>(frame.width() * frame.height()), -1);
      int inked = 0;
      for (int i = 0; i < static_cast<int>(texts.size()); ++i) {
        const YearGridText& t = texts[i];
        const QRect box(t.at - QPoint(4, 4), QSize(measure.fontMetrics().horizontalAdvance(t.text) + 8, 22));
        QImage image(box.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
          QPainter p(&image);
          p.setFont(AlmanacFont(12));
          p.translate(-box.topLeft());
          PaintYearGridText(p, t);
        }
        for (int y = 0; y < image.height(); ++y)
          for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) == 0) continue;
            const QPoint at = box.topLeft() + QPoint(x, y);
            if (!QRect(QPoint(), frame).contains(at)) QFAIL(qPrintable(t.text + " leaves the frame"));
            ++inked;
            for (int dx = -1; dx <= 1; ++dx) {
              if (at.x() + dx < 0 || at.x() + dx >= frame.width()) continue;
              const int other = owner[static_cast<std::size_t>(at.y() * frame.width() + at.x() + dx)];
              if (other >= 0 && other != i)
                QFAIL(qPrintable(QStringLiteral("%1: \"%2\" meets \"%3\" at %4,%5")
                                     .arg(QString::fromUtf8(button), texts[other].text, t.text)
                                     .arg(at.x())
                                     .arg(at.y())));
            }
            owner[static_cast<std::size_t>(at.y() * frame.width() + at.x())] = i;
          }
      }
      QVERIFY(inked > 20000);
    }
  }

  // Opened on a year it cannot show, the window still heads its lists.
  void outOfRangeYearKeepsTheListHeadings() {
    m_dlg->m_strYear = "2100";
    QVERIFY(m_dlg->Create());
    QCOMPARE(g_messages.size(), 1);
    QCOMPARE(m_dlg->PhaseList()->headerItem()->text(0), QStringLiteral("月のこよみ"));
    QCOMPARE(m_dlg->TermList()->headerItem()->text(0), QStringLiteral("二十四節季"));
  }

  // On a 1366 x 768 screen the window fits inside it and scrolls to every control.
  void smallScreenReachesEveryControl() {
    QVERIFY(m_dlg->Create());
    const QRect screen(0, 0, 1366, 768 - 30);  // a panel's worth less
    m_dlg->resize(1120, 810);
    FitBeside(m_dlg.get(), nullptr, screen);
    QVERIFY2(screen.contains(m_dlg->geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(m_dlg->geometry().x()).arg(m_dlg->geometry().y()).arg(m_dlg->width()).arg(m_dlg->height())));
    QTest::qWait(0);
    auto* area = m_dlg->findChild<QScrollArea*>();
    QVERIFY(area);
    QVERIFY(area->verticalScrollBar()->maximum() > 0);
    int controls = 0;
    for (QWidget* w : area->widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      area->ensureWidgetVisible(w, 0, 0);
      const QRect shown(w->mapTo(area->viewport(), QPoint()), w->size());
      QVERIFY2(area->viewport()->rect().contains(shown),
               qPrintable(QStringLiteral("%1 at %2,%3 in %4x%5")
                              .arg(QString::fromLatin1(w->metaObject()->className()))
                              .arg(shown.x()).arg(shown.y())
                              .arg(area->viewport()->width()).arg(area->viewport()->height())));
      ++controls;
    }
    QVERIFY(controls > 40);
  }

  void fileOutputAndTheDrawnGrid() {
    m_dlg->m_nSignDisplay = 0;
    m_dlg->m_settings.calendar = CalendarRule::JulianThenGregorian;
    QVERIFY(m_dlg->Create());
    // The view's copy of a new date must not retitle the grid shown.
    m_dlg->m_strYear = "1999";
    const QString saved = QDir::currentPath();
    g_savePath = m_dir->FilePath(QStringLiteral("y.csv"));
    Click("FILE出力");
    QCOMPARE(QDir::currentPath(), saved);
    QFile out(g_savePath);
    QVERIFY(out.open(QIODevice::ReadOnly));
    QCOMPARE(out.readAll(), Golden("year-2033-lunisolar.csv"));
    // The file's own caption is the name proposed, and the file written is said.
    QCOMPARE(g_proposedName, QStringLiteral("2033年和暦表示.csv"));
    QCOMPARE(g_messages.size(), 1);
    QCOMPARE(g_messages[0].text, WrittenText(g_savePath));
    QVERIFY(g_messages[0].text.startsWith(g_savePath + QStringLiteral(" に書き出しました（")));
    g_messages.clear();

    g_savePath = m_dir->FilePath(QStringLiteral("missing/y.csv"));
    Click("FILE出力");
    QCOMPARE(g_messages.size(), 1);
    QCOMPARE(g_messages[0].caption, QStringLiteral("FILE出力"));
    QCOMPARE(QDir::currentPath(), saved);

    // The grid as drawn: light yellow, green new-moon days, red term days.
    const QImage grid = m_dlg->GridFrame()->grab().toImage();
    const QImage window = m_dlg->grab().toImage();
    if (!qEnvironmentVariableIsEmpty("OMBREL_SAVE_PNG")) window.save(qEnvironmentVariable("OMBREL_SAVE_PNG"));
    QCOMPARE(grid.size(), QSize(1110, 570));
    QCOMPARE(QColor(grid.pixel(grid.width() - 2, grid.height() - 2)), QColor(255, 255, 200));
    int green = 0, red = 0;
    for (int y = 0; y < grid.height(); ++y)
      for (int x = 0; x < grid.width(); ++x) {
        const QColor c = grid.pixel(x, y);
        green += c.green() > 200 && c.red() < 80 && c.blue() < 80;
        red += c.red() > 200 && c.green() < 80 && c.blue() < 80;
      }
    QVERIFY(green > 100);
    QVERIFY(red > 100);
  }
};

QTEST_MAIN(TstYearList)
#include "tst_yearlist.moc"
