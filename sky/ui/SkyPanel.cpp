#include "sky/ui/SkyPanel.h"

#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <QPolygon>
#include <QStaticText>
#include <QString>

#include <array>
#include <cmath>

#include "astro/Clock.h"
#include "astro/Moon.h"
#include "astro/Sun.h"
#include "astro/TimeScales.h"
#include "core/Cpu.h"
#include "core/Text.h"
#include "sky/Chart.h"
#include "sky/Labels.h"
#include "sky/MoonPicture.h"
#include "sky/Readout.h"
#include "sky/Stars.h"

namespace {

const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kGreen(0, 255, 0);
const QColor kYellow(255, 255, 0);
const QColor kMagenta(255, 0, 255);
const QColor kWhite(255, 255, 255);
const QColor kCyan(0, 255, 255);

QColor StarColour(int code) {
  switch (code) {
    case 1: return kBlue;
    case 2: return kRed;
    case 3: return kMagenta;
    case 4: return kGreen;
    case 5: return kBlack;
    case 6: return kYellow;
    default: return kWhite;
  }
}

// A box given by two corners the way the drawing calls take them: the right
// and bottom edges are outside, so the shape covers right - left pixels.
QRect Box(int x1, int y1, int x2, int y2) {
  const int left = std::min(x1, x2), right = std::max(x1, x2);
  const int top = std::min(y1, y2), bottom = std::max(y1, y2);
  return QRect(left, top, std::max(right - left - 1, 0), std::max(bottom - top - 1, 0));
}

using TextLayouts = QHash<const char*, QStaticText>;

// Text with its top-left corner at (x, y). Fixed texts (names, labels) keep
// their layout in `cache` between refreshes; it is dropped if it ever grows large.
void DrawTextAt(QPainter& painter, TextLayouts& cache, int x, int y, const char* utf8) {
  auto it = cache.find(utf8);
  if (it == cache.end()) {
    if (cache.size() > 1024) cache.clear();
    QStaticText text(QString::fromUtf8(utf8));
    text.setTextFormat(Qt::PlainText);
    text.setPerformanceHint(QStaticText::AggressiveCaching);
    it = cache.insert(utf8, text);
  }
  painter.drawStaticText(QPointF(x, y), *it);
}

void DrawTextAt(QPainter& painter, int x, int y, const std::string& utf8) {
  painter.drawText(QPointF(x, y + painter.fontMetrics().ascent()), QString::fromStdString(utf8));
}

// The image a painter draws on, when lines may be plotted into it directly:
// a 32-bit image, opaque source-over painting, no clip, whole-pixel
// translation only. Anything else goes through QPainter.
QImage* DirectTarget(QPainter& painter, int& dx, int& dy) {
  QPaintDevice* device = painter.device();
  if (!device || device->devType() != QInternal::Image) return nullptr;
  QImage* image = static_cast<QImage*>(device);
  const QImage::Format f = image->format();
  if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
      f != QImage::Format_ARGB32_Premultiplied)
    return nullptr;
  // A shared image would detach on bits() and leave the painter on the old copy.
  if (!image->isDetached() || painter.hasClipping() || painter.opacity() != 1.0 ||
      image->devicePixelRatio() != 1.0 ||
      painter.compositionMode() != QPainter::CompositionMode_SourceOver ||
      painter.testRenderHint(QPainter::Antialiasing) || painter.pen().widthF() > 1.0 ||
      painter.pen().style() != Qt::SolidLine || painter.pen().color().alpha() != 255)
    return nullptr;
  const QTransform& t = painter.deviceTransform();
  if (t.type() > QTransform::TxTranslate || t.dx() != std::floor(t.dx()) ||
      t.dy() != std::floor(t.dy()))
    return nullptr;
  dx = static_cast<int>(t.dx());
  dy = static_cast<int>(t.dy());
  return image;
}

// Bresenham over one segment, end points included as QPainter draws them.
void PlotSegment(QImage& image, QRgb colour, int x0, int y0, int x1, int y1) {
  const int w = image.width(), h = image.height();
  const qsizetype stride = image.bytesPerLine() / 4;
  QRgb* bits = reinterpret_cast<QRgb*>(image.bits());
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  const int ax = std::abs(x1 - x0), ay = std::abs(y1 - y0);
  int err = ax - ay;
  for (;;) {
    if (x0 >= 0 && y0 >= 0 && x0 < w && y0 < h) bits[y0 * stride + x0] = colour;
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 > -ay) {
      err -= ay;
      x0 += sx;
    }
    if (e2 < ax) {
      err += ax;
      y0 += sy;
    }
  }
}

// Far-off points (a huge place or moment) are left to QPainter's own clipping.
bool Plottable(const PixelPoint& p) { return std::abs(p.x) < 100000 && std::abs(p.y) < 100000; }

// The grid alone is thousands of short segments per refresh; plotting them
// directly into the panel's image is several times faster than QPainter's
// general line path.
void DrawPolylines(QPainter& painter, const ChartPolylines& lines, int from, int to, QPolygon& polygon) {
  int dx = 0, dy = 0;
  QImage* image = DirectTarget(painter, dx, dy);
  const QRgb colour = painter.pen().color().rgba();
  for (int i = from; i < to; ++i) {
    const int begin = lines.starts[i];
    const int end = i + 1 < lines.RunCount() ? lines.starts[i + 1]
                                             : static_cast<int>(lines.points.size());
    bool direct = image != nullptr;
    for (int k = begin; k < end && direct; ++k) direct = Plottable(lines.points[k]);
    if (direct) {
      for (int k = begin + 1; k < end; ++k)
        PlotSegment(*image, colour, lines.points[k - 1].x + dx, lines.points[k - 1].y + dy,
                    lines.points[k].x + dx, lines.points[k].y + dy);
      continue;
    }
    polygon.resize(end - begin);
    for (int k = begin; k < end; ++k) polygon[k - begin] = QPoint(lines.points[k].x, lines.points[k].y);
    painter.drawPolyline(polygon);
  }
}

void DrawAllPolylines(QPainter& painter, const ChartPolylines& lines, QPolygon& polygon) {
  DrawPolylines(painter, lines, 0, lines.RunCount(), polygon);
}

// Qt's chord angles: counterclockwise from three o'clock, y upwards.
int QtAngle(double dx, double dy) {
  return static_cast<int>(std::lround(std::atan2(-dy, dx) * 180.0 / M_PI * 16.0));
}

void DrawOrbitSymbol(QPainter& painter, const MoonPhaseView& view) {
  const OrbitSymbolShape s = OrbitSymbol(view.sunLongitude, view.moonLongitude, view.moonSemiDiameter);
  painter.setPen(QPen(kBlack, 1));
  painter.setBrush(kBlack);
  painter.drawEllipse(Box(TruncToPixel(s.centreX - 3.125), TruncToPixel(s.centreY - 3.125),
                          TruncToPixel(s.centreX + 3.125), TruncToPixel(s.centreY + 3.125)));
  painter.setBrush(kYellow);
  const QRect box = Box(TruncToPixel(s.centreX - 5), TruncToPixel(s.centreY - 5),
                        TruncToPixel(s.centreX + 5), TruncToPixel(s.centreY + 5));
  painter.drawChord(box, QtAngle(s.chordStartX - s.centreX, s.chordStartY - s.centreY), 180 * 16);
}

using cpu::ClearUpperVectorState;

const char* const kModelMark = "計算方式 高精度";

}  // namespace

namespace {

void DrawGrid(QPainter& painter, double jd, const SkyPanelInputs& in, SkyPanelMemory& memory) {
  painter.save();
  painter.setPen(QPen(kBlack, 1));
  DrawAllPolylines(painter, HorizontalGridLines(), memory.polygon);
  ClearUpperVectorState();
  EquatorialGridLines(jd, in.at.place.latitude, in.at.place.longitude, in.chartAzimuth, memory.equatorial);
  painter.setPen(QPen(kBlue, 1));
  DrawAllPolylines(painter, memory.equatorial, memory.polygon);
  painter.restore();
}

void DrawBodies(QPainter& painter, const BodyMark marks[kChartBodyCount], const BodyLabelPlaces& labels,
                TextLayouts& texts) {
  static const QColor colours[kChartBodyCount] = {kYellow, kMagenta, kWhite, kRed,
                                                  kBlue,   kGreen,   kBlack};
  painter.save();
  for (int i = 0; i < kChartBodyCount; ++i) {
    const BodyMark& m = marks[i];
    if (!m.visible) continue;
    const double d = m.halfSize;
    painter.setPen(kBlack);
    if (labels.at[i]) DrawTextAt(painter, texts, labels.at[i]->x, labels.at[i]->y, BodyLabelText(i).c_str());
    painter.setPen(QPen(colours[i], i == 3 ? 2 : 1));
    painter.setBrush(colours[i]);
    painter.drawEllipse(Box(TruncToPixel(m.x - d), TruncToPixel(m.y + d), TruncToPixel(m.x + d),
                            TruncToPixel(m.y - d)));
  }
  painter.restore();
}

void DrawChartLayout(QPainter& painter, const SkyChartLayout& layout, SkyPanelMemory& memory) {
  painter.save();
  const QPen black(kBlack, 1), red(kRed, 1);
  int dot = 0;
  for (const FigureSpan& f : layout.figures) {
    painter.setPen(black);
    for (; dot < f.dotsEnd; ++dot) {
      const StarDot& s = layout.dots[dot];
      painter.setBrush(StarColour(s.colourCode));
      painter.drawEllipse(Box(TruncToPixel(s.x - s.halfSize), TruncToPixel(s.y + s.halfSize),
                              TruncToPixel(s.x + s.halfSize), TruncToPixel(s.y - s.halfSize)));
    }
    if (f.name >= 0) {
      const ChartLabel& n = layout.names[f.name];
      DrawTextAt(painter, memory.texts, n.topLeft.x, n.topLeft.y, n.text);
    }
    if (f.run >= 0) {
      painter.setPen(red);
      DrawPolylines(painter, layout.figureLines, f.run, f.run + 1, memory.polygon);
    }
  }
  painter.setPen(kRed);
  for (const ChartLabel& m : layout.mansions) DrawTextAt(painter, memory.texts, m.topLeft.x, m.topLeft.y, m.text);
  painter.restore();
}

TextWidth WidthIn(const QFont& font) {
  return [metrics = QFontMetrics(font)](const std::string& text) {
    return metrics.horizontalAdvance(QString::fromStdString(text));
  };
}

}  // namespace

void LayoutSkyPanel(const QFont& font, double jd, const SkyPanelInputs& in, const Ephemeris& ephemeris,
                    const std::vector<ReadoutText>& readout, SkyPanelLayout& out) {
  ClearUpperVectorState();
  LayoutBodies(jd, in.at.place, in.chartAzimuth, out.marks, ephemeris);
  ClearUpperVectorState();
  LayoutSkyChart(jd, in.at.place.latitude, in.at.place.longitude, in.chartAzimuth, in.showConstellations,
                 in.showMansions, out.chart);
  out.labels = PlaceSkyLabels(out.chart, out.marks, readout, WidthIn(font), QFontMetrics(font).height());
}

void DrawGridAndBodies(QPainter& painter, double jd, const SkyPanelInputs& in, const Ephemeris& ephemeris) {
  SkyPanelInputs bodiesOnly = in;
  bodiesOnly.showConstellations = bodiesOnly.showMansions = false;
  SkyPanelLayout layout;
  LayoutSkyPanel(painter.font(), jd, bodiesOnly, ephemeris, {}, layout);
  SkyPanelMemory memory;
  DrawGrid(painter, jd, in, memory);
  DrawBodies(painter, layout.marks, layout.labels, memory.texts);
}

void DrawSkyChart(QPainter& painter, double jd, const SkyPanelInputs& in, const Ephemeris& ephemeris) {
  SkyPanelLayout layout;
  LayoutSkyPanel(painter.font(), jd, in, ephemeris, {}, layout);
  SkyPanelMemory memory;
  DrawChartLayout(painter, layout.chart, memory);
}

void DrawMoonPicture(QPainter& painter, double jd, const Place& observer, const Ephemeris& ephemeris) {
  painter.save();
  ClearUpperVectorState();
  const MoonPhaseView view = MoonPhaseOf(jd, observer, ephemeris);
  DrawOrbitSymbol(painter, view);
  DrawMoonPhase(painter, view.phase);
  painter.restore();
}

void DrawMoonPhase(QPainter& painter, double phase) {
  painter.save();
  MoonShape shapes[kMaxMoonShapes];
  const int count = MoonPictureShapes(phase, shapes);
  for (int i = 0; i < count; ++i) {
    const MoonShape& s = shapes[i];
    const QColor colour = s.yellow ? kYellow : kBlack;
    const QRect box = Box(s.left, s.top, s.right, s.bottom);
    painter.setPen(QPen(colour, 1));
    if (s.kind == MoonShape::Outline) {
      painter.drawArc(box, 0, 360 * 16);
      continue;
    }
    painter.setBrush(colour);
    painter.drawChord(box, (s.rightHalf ? -90 : 90) * 16, 180 * 16);
  }
  painter.restore();
}

void DrawSkyPanel(QPainter& painter, const SkyPanelInputs& in, const Ephemeris& ephemeris, SkyPanelMemory& memory) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(kBlack, 1));
  painter.setBrush(kCyan);
  painter.drawRect(Box(0, 0, 520, 300));
  painter.setBrush(Qt::NoBrush);

  const Place& place = in.at.place;
  const double jd = MomentJulianDay(in.at);
  DrawTextAt(painter, 50, 520, StatusLineText(in.at, memory.redrawCount));
  ++memory.redrawCount;
  DrawTextAt(painter, 50, 540, ClockLineText(in.at));

  // The names go where they cover no body, readout text or other name, so
  // everything is laid out before anything is drawn.
  ClearUpperVectorState();
  std::vector<ReadoutText> readout = ComputeReadout(in.at, ephemeris, in.chartAzimuth);
  const std::optional<ReadoutText> eclipse = in.showEclipses ? EclipseReadout(in.at) : std::nullopt;
  std::vector<ReadoutText> texts = readout;
  if (eclipse) texts.push_back(*eclipse);
  const std::optional<ReadoutText> clockNote = ClockNoteReadout(in.at);
  if (clockNote) texts.push_back(*clockNote);
  const std::optional<ReadoutText> moonLight =
      in.showMoonLight ? std::optional<ReadoutText>(MoonLightReadout(in.at, ephemeris)) : std::nullopt;
  if (moonLight) texts.push_back(*moonLight);
  SkyPanelLayout layout;
  LayoutSkyPanel(painter.font(), jd, in, ephemeris, texts, layout);
  DrawGrid(painter, jd, in, memory);
  DrawBodies(painter, layout.marks, layout.labels, memory.texts);
  DrawChartLayout(painter, layout.chart, memory);
  DrawMoonPicture(painter, jd, place, ephemeris);

  painter.setPen(kBlack);
  for (const ReadoutText& t : readout) DrawTextAt(painter, t.x, t.y, t.text);
  // The notes over the chart: on the sky's colour, so the chart's lines and
  // stars under them do not break the text.
  auto drawNote = [&painter](const ReadoutText& note) {
    const QFontMetrics metrics = painter.fontMetrics();
    painter.fillRect(QRect(note.x, note.y, metrics.horizontalAdvance(QString::fromStdString(note.text)) + 2,
                           metrics.height()),
                     kCyan);
    DrawTextAt(painter, note.x, note.y, note.text);
  };
  if (eclipse) drawNote(*eclipse);
  if (clockNote) drawNote(*clockNote);
  if (moonLight) drawNote(*moonLight);
  // So that no picture of the window leaves the model in doubt.
  if (in.at.model == AstroModel::Precise) {
    const QRect mark = ModelMarkRect(painter.font());
    DrawTextAt(painter, memory.texts, mark.x(), mark.y(), kModelMark);
  }
  painter.restore();
}

QRect ModelMarkRect(const QFont& font) {
  // The strip is 20 pixels high (the buttons end at form y 250, the panel
  // starts at 270); the text is centred in it.
  constexpr int kStripTop = -20, kStripHeight = 20, kLeft = 480;
  const QFontMetrics metrics(font);
  const int height = metrics.height();
  return QRect(kLeft, kStripTop + (kStripHeight - height) / 2, metrics.horizontalAdvance(QString::fromUtf8(kModelMark)),
               height);
}
