// The month calendar as drawn: colours of its days, and every drawn pixel of
// a day selecting that day through the click grid.
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QtTest>
#include <unistd.h>

#include "caldb/ui/MonthCalendarView.h"

namespace {

using namespace monthcal;

const QColor kBack(kBackground.r, kBackground.g, kBackground.b);

QImage Render(const MonthCalendarModel& model) {
  QImage image(kControlWidth, kControlHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  PaintMonthCalendar(painter, model);
  return image;
}

bool IsRed(QColor c) { return c.red() > 200 && c.green() < 90 && c.blue() < 90; }
// Fully covered grey pixels; the edges of black text on light yellow are
// never this neutral.
bool IsGrey(QColor c) {
  return std::abs(c.red() - 125) < 8 && std::abs(c.green() - 125) < 8 && std::abs(c.blue() - 125) < 8;
}
bool IsBlack(QColor c) { return c.red() < 60 && c.green() < 60 && c.blue() < 60; }

}  // namespace

class TstMonthCal : public QObject {
  Q_OBJECT

  const QString m_startDir = QDir::currentPath();

 private slots:
  void initTestCase() {
    const QByteArray db = OMBREL_DB_PATH;
    QVERIFY(chdir(db.left(db.lastIndexOf('/')).constData()) == 0);
  }
  void cleanupTestCase() { QDir::setCurrent(m_startDir); }

  // February 2009 runs Sunday to Saturday: six rows, grey weeks on both sides.
  void coloursOfTheDays() {
    const MonthCalendarModel model = BuildMonthCalendar(2009, 2, 14, 1, CalendarRule::JulianThenGregorian);
    QCOMPARE(model.cells.size(), std::size_t(42));
    const QImage image = Render(model);
    if (!qEnvironmentVariableIsEmpty("OMBREL_SAVE_PNG")) image.save(qEnvironmentVariable("OMBREL_SAVE_PNG"));
    QCOMPARE(QColor(image.pixel(2, 245)), kBack);
    QCOMPARE(QColor(image.pixel(kTitleBarLeft + 2, kTitleBarTop + 2)), QColor(0, 0, 255));
    for (const MonthCalendarCell& c : model.cells) {
      const Point o = CellOrigin(c.row, c.column);
      int red = 0, grey = 0, black = 0;
      for (int y = o.y; y < o.y + kCellHeight; ++y)
        for (int x = o.x; x < o.x + kCellWidth; ++x) {
          const QColor p = image.pixel(x, y);
          red += IsRed(p);
          grey += IsGrey(p);
          black += IsBlack(p);
        }
      const QString where = QString::fromStdString(c.dayText + " " + c.signText);
      switch (c.tone) {
        case MonthCellTone::Selected:
          QVERIFY2(red > 0 && grey == 0 && black == 0, qPrintable(where));
          QCOMPARE(QString::fromStdString(c.dayText), QStringLiteral("14"));
          break;
        case MonthCellTone::OtherMonth: QVERIFY2(grey > 0 && red == 0 && black == 0, qPrintable(where)); break;
        case MonthCellTone::Current: QVERIFY2(black > 0 && red == 0 && grey == 0, qPrintable(where)); break;
      }
    }
  }

  // The title bar keeps its left, top and right edges with the white title
  // on it, and the weekday headings never ink a pixel a day inks.
  void titleAndHeadingsStandClearOfTheDays() {
    const MonthCalendarModel model = BuildMonthCalendar(2009, 2, 14, 1, CalendarRule::JulianThenGregorian);
    MonthCalendarModel headingsOnly = model, daysOnly = model, neither = model;
    headingsOnly.cells.clear();
    daysOnly.headings.clear();
    neither.cells.clear();
    neither.headings.clear();
    const QImage headings = Render(headingsOnly), days = Render(daysOnly), bare = Render(neither);
    const QColor blue(0, 0, 255);
    const struct {
      int x, y;
      QColor colour;
    } pixels[] = {{10, 5, blue}, {219, 5, blue}, {10, kTitleBarBottom - 1, blue}, {9, 5, kBack},
                  {10, 4, kBack}, {220, 5, kBack}, {10, kTitleBarBottom, kBack}};
    for (const auto& p : pixels) QCOMPARE(QColor(headings.pixel(p.x, p.y)), p.colour);
    int white = 0, headingInk = 0;
    for (int y = kTitleBarTop; y < kTitleBarBottom; ++y)
      for (int x = kTitleBarLeft; x < kTitleBarRight; ++x) {
        const QColor c = headings.pixel(x, y);
        white += c.red() > 180 && c.green() > 180;
      }
    QVERIFY(white > 50);
    for (int y = 0; y < kControlHeight; ++y)
      for (int x = 0; x < kControlWidth; ++x) {
        if (headings.pixel(x, y) == bare.pixel(x, y)) continue;
        ++headingInk;
        QVERIFY2(days.pixel(x, y) == bare.pixel(x, y), qPrintable(QStringLiteral("%1,%2 inked twice").arg(x).arg(y)));
      }
    QVERIFY(headingInk > 7 * 20);
  }

  // What every refresh of the main form pays for the calendar (reported, not
  // judged: the machine's load decides the figure).
  void drawingTime() {
    QImage image(kControlWidth, kControlHeight, QImage::Format_ARGB32_Premultiplied);
    for (int signDisplay : {0, 1}) {
      QElapsedTimer t;
      t.start();
      for (int i = 0; i < 50; ++i) {
        QPainter painter(&image);
        Moment at;
        at.year = 2033, at.month = 12, at.day = 25;
        DrawMonthCalendar(painter, at, EphemerisOf(at.model), signDisplay, nullptr, false);
      }
      qInfo("DrawMonthCalendar, signs %d: %.3f ms", signDisplay, t.nsecsElapsed() / 50e6);
    }
  }

  // Each day drawn alone: every pixel it inks, number and sign, lies in the
  // click cell that selects it, in both sign displays.
  void everyDrawnPixelSelectsItsDay() {
    for (int signDisplay : {0, 1}) {
      const MonthCalendarModel model = BuildMonthCalendar(2009, 2, 14, signDisplay, CalendarRule::JulianThenGregorian);
      QVERIFY(model.error.empty());
      MonthCalendarModel blank = model;
      blank.cells.clear();
      const QImage background = Render(blank);
      for (const MonthCalendarCell& c : model.cells) {
        MonthCalendarModel one = blank;
        one.cells = {c};
        const QImage image = Render(one);
        int inked = 0;
        for (int y = 0; y < kControlHeight; ++y)
          for (int x = 0; x < kControlWidth; ++x) {
            if (image.pixel(x, y) == background.pixel(x, y)) continue;
            ++inked;
            JulianDay jd = 0;
            QVERIFY2(HitTest(x + kControlLeft, y + kControlTop, model.firstCellJulianDay, jd),
                     qPrintable(QStringLiteral("pixel %1,%2 outside the grid").arg(x).arg(y)));
            QCOMPARE(jd, c.julianDay);
          }
        QVERIFY(inked > 20);  // a number and a sign were drawn
      }
    }
  }
};

QTEST_MAIN(TstMonthCal)
#include "tst_monthcal.moc"
