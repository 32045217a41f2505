// The sky panel as drawn: the moon picture's lit halves, the frame, the
// redraw counter, the readout's sun lines and a full panel rendered offscreen.
#include <QImage>
#include <QPainter>
#include <QtTest>

#include "astro/astro.h"
#include "sky/Chart.h"
#include "sky/Readout.h"
#include "sky/ui/SkyPanel.h"
#include "widgets/AlmanacFont.h"

namespace {

// The default moment (Tokyo, the design's zone and model) at a date and hour.
Moment MomentAt(double year, double month, double day, double hour) {
  Moment m;
  m.year = year, m.month = month, m.day = day, m.hour = hour;
  return m;
}

QImage Blank(int w = 120, int h = 160) {
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::gray);
  return image;
}

bool IsYellow(QRgb c) { return qRed(c) == 255 && qGreen(c) == 255 && qBlue(c) == 0; }
bool IsBlack(QRgb c) { return qRed(c) == 0 && qGreen(c) == 0 && qBlue(c) == 0; }
// Black text's ink, antialiased edges included, on the cyan ground.
bool IsText(QRgb c) { return qRed(c) < 80 && qGreen(c) < 80 && qBlue(c) < 80; }

// Yellow pixels on row y strictly left and right of the picture's centre (35, 95).
std::pair<int, int> YellowLeftRight(const QImage& image, int y) {
  int left = 0, right = 0;
  for (int x = 5; x < 65; ++x) {
    if (!IsYellow(image.pixel(x, y))) continue;
    if (x < 35) ++left;
    if (x > 35) ++right;
  }
  return {left, right};
}

}  // namespace

class TestSky : public QObject {
  Q_OBJECT
 private slots:
  void moonHalves_data() {
    QTest::addColumn<double>("phase");
    QTest::addColumn<bool>("leftLit");
    QTest::addColumn<bool>("rightLit");
    QTest::newRow("first quarter") << 90.0 << false << true;
    QTest::newRow("full") << 180.0 << true << true;
    QTest::newRow("last quarter") << 270.0 << true << false;
    QTest::newRow("new") << 0.0 << false << false;
  }
  void moonHalves() {
    QFETCH(double, phase);
    QFETCH(bool, leftLit);
    QFETCH(bool, rightLit);
    QImage image = Blank();
    {
      QPainter painter(&image);
      DrawMoonPhase(painter, phase);
    }
    for (int y : {80, 95, 110}) {
      QCOMPARE(IsYellow(image.pixel(22, y)), leftLit);
      QCOMPARE(IsBlack(image.pixel(22, y)), !leftLit);
      QCOMPARE(IsYellow(image.pixel(48, y)), rightLit);
      QCOMPARE(IsBlack(image.pixel(48, y)), !rightLit);
    }
    QVERIFY(IsBlack(image.pixel(35, 70)));  // outline at the top
    QVERIFY(!IsBlack(image.pixel(35, 60)) && !IsYellow(image.pixel(35, 60)));
  }

  // Soon after new moon only a thin sliver on the right edge stays lit.
  void thinCrescent() {
    QImage image = Blank();
    {
      QPainter painter(&image);
      DrawMoonPhase(painter, 20.0);
    }
    const auto [left, right] = YellowLeftRight(image, 95);
    QCOMPARE(left, 0);
    QVERIFY(right >= 1 && right <= 4);
    QVERIFY(IsBlack(image.pixel(48, 95)));
    // Waning crescent: the mirror image.
    image = Blank();
    {
      QPainter painter(&image);
      DrawMoonPhase(painter, 340.0);
    }
    const auto [left2, right2] = YellowLeftRight(image, 95);
    QCOMPARE(right2, 0);
    QVERIFY(left2 >= 1 && left2 <= 4);
  }

  void panelFrameCounterAndReadout() {
    SkyPanelInputs in;
    in.at.year = 2000;
    in.at.month = 1;
    in.at.day = 1;
    in.at.hour = 21.0;
    QImage image = Blank(1100, 600);
    SkyPanelMemory memory;
    for (int i = 0; i < 2; ++i) {
      QPainter painter(&image);
      DrawSkyPanel(painter, in, EphemerisOf(in.at.model), memory);
    }
    QCOMPARE(memory.redrawCount, 3);  // from 1, one more per drawing
    QCOMPARE(image.pixel(0, 150), qRgb(0, 0, 0));         // frame edge
    QCOMPARE(image.pixel(519, 10), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(515, 295), qRgb(0, 255, 255));   // cyan inside
    QCOMPARE(image.pixel(530, 10), Blank(1, 1).pixel(0, 0));  // nothing right of the frame
    // Some text is drawn where the readout and the status line stand.
    auto inked = [&](QRect r) {
      for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
          if (qGray(image.pixel(x, y)) < 100) return true;
      return false;
    };
    QVERIFY(inked(QRect(2, 6, 60, 12)));     // 日の出
    QVERIFY(inked(QRect(470, 82, 40, 12)));  // 満
    QVERIFY(inked(QRect(52, 522, 200, 12))); // status line
    if (qEnvironmentVariableIsSet("OMBREL_SKY_PNG")) image.save(qEnvironmentVariable("OMBREL_SKY_PNG"));
  }

  // Each body's disc in its own colour, as drawn. On 2000-02-04 at 15:00 all
  // seven stand in the frame of a chart facing south, 37 pixels apart or more.
  void bodyColours_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QRgb>("colour");
    QTest::newRow("moon") << 0 << qRgb(255, 255, 0);
    QTest::newRow("Mercury") << 1 << qRgb(255, 0, 255);
    QTest::newRow("Venus") << 2 << qRgb(255, 255, 255);
    QTest::newRow("sun") << 3 << qRgb(255, 0, 0);
    QTest::newRow("Mars") << 4 << qRgb(0, 0, 255);
    QTest::newRow("Jupiter") << 5 << qRgb(0, 255, 0);
    QTest::newRow("Saturn") << 6 << qRgb(0, 0, 0);
  }
  void bodyColours() {
    QFETCH(int, index);
    QFETCH(QRgb, colour);
    SkyPanelInputs in;
    const double jd = MomentJulianDay(MomentAt(2000, 2, 4, 15.0));
    QImage image = Blank(520, 300);
    {
      QPainter painter(&image);
      DrawGridAndBodies(painter, jd, in, EphemerisOf(in.at.model));
    }
    BodyMark marks[kChartBodyCount];
    LayoutBodies(jd, in.at.place, in.chartAzimuth, marks, EphemerisOf(in.at.model));
    const BodyMark& m = marks[index];
    QVERIFY(m.visible);
    QCOMPARE(image.pixel(TruncToPixel(m.x), TruncToPixel(m.y)), colour);
  }

  // Star dots take their colour from the colour code, figure lines are red.
  // Lines run through the dots' centres and later dots may overlap, so each
  // colour is judged by the majority of its bright dots, looking at the
  // dot's inner pixels.
  void starColours() {
    SkyPanelInputs in;
    in.showConstellations = false;
    const double jd = MomentJulianDay(MomentAt(2000, 1, 1, 21.0));
    QImage image = Blank(520, 460);
    {
      QPainter painter(&image);
      DrawSkyChart(painter, jd, in, EphemerisOf(in.at.model));
    }
    SkyChartLayout layout;
    LayoutSkyChart(jd, in.at.place.latitude, in.at.place.longitude, in.chartAzimuth, false, false, layout);
    const QRgb byCode[8] = {0,
                            qRgb(0, 0, 255),
                            qRgb(255, 0, 0),
                            qRgb(255, 0, 255),
                            qRgb(0, 255, 0),
                            qRgb(0, 0, 0),
                            qRgb(255, 255, 0),
                            qRgb(255, 255, 255)};
    auto shows = [&](const StarDot& d, QRgb colour) {
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          if (image.pixel(d.centre.x + dx, d.centre.y + dy) == colour) return true;
      return false;
    };
    int seen[8] = {}, matched[8] = {};
    for (const StarDot& d : layout.dots) {
      if (d.halfSize < 2.0 || d.colourCode < 1 || d.colourCode > 7) continue;
      ++seen[d.colourCode];
      matched[d.colourCode] += shows(d, byCode[d.colourCode]);
    }
    for (int code : {1, 3, 5, 6, 7}) {
      QVERIFY2(seen[code] > 0, qPrintable(QString::number(code)));
      QVERIFY2(2 * matched[code] > seen[code], qPrintable(QString::number(code)));
    }
    bool red = false;
    for (const PixelPoint& p : layout.figureLines.points) red |= image.pixel(p.x, p.y) == qRgb(255, 0, 0);
    QVERIFY(red);
  }

  // The readout's sun lines as drawn for the moment's place: "--" where the
  // sun does not rise or set that day (once 23:00), else the clock time. Each
  // line's ink ends where its text, in the panel's font, ends.
  void sunLinesAsDrawn_data() {
    QTest::addColumn<double>("latitude");
    QTest::addColumn<double>("longitude");
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("rise");
    QTest::addColumn<QString>("set");
    QTest::newRow("polar night at 78.2 N") << 78.2 << 15.6 << 1 << "日の出 --" << "日の入 --";
    QTest::newRow("midnight sun at 78.2 N") << 78.2 << 15.6 << 6 << "日の出 --" << "日の入 --";
    QTest::newRow("Tokyo in January") << 35.6 << 139.7 << 1 << "日の出 06:5" << "日の入 16:4";
  }
  void sunLinesAsDrawn() {
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    QFETCH(int, month);
    QFETCH(QString, rise);
    QFETCH(QString, set);
    SkyPanelInputs in;
    in.at = MomentAt(2025, month, 10, 12.0);
    in.at.place = {latitude, longitude};
    QImage image = Blank(600, 600);
    {
      QPainter painter(&image);
      SkyPanelMemory memory;
      DrawSkyPanel(painter, in, EphemerisOf(in.at.model), memory);
    }
    if (qEnvironmentVariableIsSet("OMBREL_SKY_PNG")) image.save(qEnvironmentVariable("OMBREL_SKY_PNG"));
    QPainter probe(&image);
    const QFontMetrics metrics = probe.fontMetrics();
    probe.end();
    int lines = 0;
    for (const ReadoutText& t : ComputeReadout(in.at, EphemerisOf(in.at.model), in.chartAzimuth)) {
      const QString text = QString::fromStdString(t.text);
      const QString& expected = t.y == 5 ? rise : set;
      if (t.x != 0 || (t.y != 5 && t.y != 20)) continue;
      ++lines;
      QVERIFY2(text.startsWith(expected), qPrintable(text));
      // The rightmost black pixel of the line's band (the lines stand 15
      // apart), left of the chart's labels; the grid crossing it is blue.
      int right = -1;
      for (int y = t.y; y < t.y + 15; ++y)
        for (int x = 2; x < 120; ++x)
          if (IsText(image.pixel(x, y))) right = std::max(right, x);
      QVERIFY2(std::abs(right - metrics.horizontalAdvance(text)) <= 3,
               qPrintable(QStringLiteral("%1: ink to %2, text %3").arg(text).arg(right).arg(metrics.horizontalAdvance(text))));
    }
    QCOMPARE(lines, 2);
  }

  // Garbage moments and places draw without hanging or crashing.
  void garbageInputs() {
    QImage image = Blank(600, 600);
    for (double v : {qQNaN(), 1e300, -1e9}) {
      SkyPanelInputs in;
      in.at.year = v;
      in.at.hour = v;
      in.at.place.longitude = v;
      in.at.place.latitude = v;
      in.chartAzimuth = v;
      QPainter painter(&image);
      SkyPanelMemory memory;
      DrawSkyPanel(painter, in, EphemerisOf(in.at.model), memory);
    }
  }

  // The names are placed so that none covers a body, a readout text (the
  // tides among them), the moon's picture or another name, and all stay in
  // the panel; few are left out.
  void namesCoverNothing_data() {
    QTest::addColumn<QDateTime>("at");  // on Tokyo's clock
    QTest::addColumn<double>("azimuth");
    QTest::addColumn<bool>("mansions");
    const auto row = [](const char* name, int y, int m, int d, int h, int min, double azimuth, bool mansions) {
      QTest::newRow(name) << QDateTime(QDate(y, m, d), QTime(h, min)) << azimuth << mansions;
    };
    row("Oph. by the sun", 2026, 12, 11, 12, 40, 0, false);
    row("Peg. and And. by the tides", 2025, 9, 8, 3, 0, 0, false);
    row("the same with the mansions", 2025, 9, 8, 3, 0, 0, true);
    row("winter evening", 2000, 1, 1, 21, 0, 0, true);
    row("facing north", 2024, 3, 20, 22, 0, 180, true);
    row("facing east at dawn", 2023, 8, 13, 4, 30, -90, false);
    row("planets near the sun", 2020, 12, 21, 17, 30, 60, true);
    row("full moon", 2026, 3, 3, 23, 0, 0, true);
  }
  void namesCoverNothing() {
    QFETCH(QDateTime, at);
    QFETCH(double, azimuth);
    QFETCH(bool, mansions);
    SkyPanelInputs in;
    in.at = MomentAt(at.date().year(), at.date().month(), at.date().day(), at.time().hour() + at.time().minute() / 60.0);
    in.chartAzimuth = azimuth;
    in.showMansions = mansions;
    const QFont font = AlmanacFont(12);
    const QFontMetrics metrics(font);
    const TextWidth width = [&metrics](const std::string& t) { return metrics.horizontalAdvance(QString::fromStdString(t)); };
    const std::vector<ReadoutText> readout = ComputeReadout(in.at, EphemerisOf(in.at.model), azimuth);
    SkyPanelLayout layout;
    LayoutSkyPanel(font, MomentJulianDay(in.at), in, EphemerisOf(in.at.model), readout, layout);
    const std::vector<LabelRect> fixed = FixedSkyBoxes(layout.marks, readout, width, metrics.height());
    std::vector<std::pair<LabelRect, QString>> labels;
    const QRect panel(0, 0, 520, 300);
    for (int i = 0; i < kChartBodyCount; ++i)
      if (layout.labels.at[i])
        labels.push_back({{layout.labels.at[i]->x, layout.labels.at[i]->y, width(BodyLabelText(i)), metrics.height()},
                          QString::fromStdString(BodyLabelText(i))});
    int named = 0;
    for (const FigureSpan& f : layout.chart.figures) {
      if (f.name < 0) continue;
      const ChartLabel& n = layout.chart.names[f.name];
      labels.push_back({{n.topLeft.x, n.topLeft.y, width(n.text), metrics.height()}, QString::fromUtf8(n.text)});
      ++named;
    }
    for (const ChartLabel& m : layout.chart.mansions)
      labels.push_back({{m.topLeft.x, m.topLeft.y, width(m.text), metrics.height()}, QString::fromUtf8(m.text)});
    QVERIFY(named > 0);
    QVERIFY2(3 * named >= 2 * static_cast<int>(layout.chart.names.size()),
             qPrintable(QStringLiteral("%1 of %2").arg(named).arg(layout.chart.names.size())));
    const std::size_t bodyLabels = labels.size() - named - layout.chart.mansions.size();  // first in the list
    for (std::size_t i = 0; i < labels.size(); ++i) {
      const auto& [r, text] = labels[i];
      // Star names stay in the panel; a body's name may not, at its edge.
      QVERIFY2(i < bodyLabels || panel.contains(QRect(r.x, r.y, r.w, r.h)), qPrintable(text));
      for (const LabelRect& f : fixed) QVERIFY2(!r.Overlaps(f), qPrintable(text));
      for (std::size_t k = i + 1; k < labels.size(); ++k)
        QVERIFY2(!r.Overlaps(labels[k].first), qPrintable(text + QStringLiteral(" / ") + labels[k].second));
    }
  }
};

QTEST_MAIN(TestSky)
#include "tst_sky.moc"
