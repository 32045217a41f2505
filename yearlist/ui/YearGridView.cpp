#include "yearlist/ui/YearGridView.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "core/Text.h"
#include "widgets/AlmanacFont.h"

namespace {

const QColor kGridBackground(255, 255, 200);
const QColor kBlue(0, 0, 255);
const QColor kGreen(0, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

// The room of a cell: ten half-width characters.
constexpr int kCellCharacters = 10;

QString Qs(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

// A marker counts only after the cell's first character.
bool MarkedAfterFirst(const std::string& cell, const char* marker) {
  const std::size_t at = cell.find(marker);
  return at != std::string::npos && at > 0;
}

QColor CellColour(const std::string& cell) {
  if (MarkedAfterFirst(cell, "*")) return kRed;
  if (MarkedAfterFirst(cell, "●")) return kGreen;
  return kBlack;
}

// A cell's text at x, squeezed into the cell's room when it is wider.
YearGridText CellText(const QFontMetrics& metrics, int x, int y, const std::string& cell) {
  const QString text = Qs(text::SjisFormat("%10s", cell));
  const int room = metrics.horizontalAdvance(QString(kCellCharacters, QLatin1Char('0')));
  const int width = metrics.horizontalAdvance(text);
  return {QPoint(x, y), text, CellColour(cell), width > room ? double(room) / width : 1.0};
}

}  // namespace

std::vector<YearGridText> YearGridTexts(const QFontMetrics& metrics, const YearGrid& grid, int layout,
                                        int year, CalendarRule calendar) {
  const bool lunisolar = layout == kLunisolarLayout;
  const int width = lunisolar ? kYearGridLunisolarWidth : kYearGridWesternWidth;
  const int columns = YearGridColumnCount(grid, layout);
  const int x0 = kYearGridX0, y0 = kYearGridY0, rh = kYearGridRowHeight;
  const int right = x0 + columns * width;

  std::vector<YearGridText> out;
  out.reserve(kYearGridRows * (columns + 1) + 6);
  int headingsEnd = 0;
  for (int k = 1; k <= columns; ++k) {
    const QString heading = Qs(text::SjisFormat("    %2s月", grid[0][k]));
    const int x = x0 + (k - 1) * width;
    headingsEnd = x + metrics.horizontalAdvance(heading);
    out.push_back({QPoint(x, y0), heading, kBlue});
  }
  out.push_back({QPoint(x0 - 30, y0), QStringLiteral("日"), kBlue});
  // A leap twelfth month's heading reaches past R - 10, where the caption
  // would begin.
  const std::string caption = text::SjisFormat(lunisolar ? " %4d年和暦表示" : " %4d年西暦表示", year);
  out.push_back({QPoint(std::max(right - 10, headingsEnd), y0), Qs(caption), kBlue});
  out.push_back({QPoint(right + 7, y0 + 3 * rh), Qs(YearCalendarName(calendar, year)), kBlue});
  out.push_back({QPoint(right + 7, y0 + rh), QStringLiteral("朔日"), kGreen});
  out.push_back({QPoint(right + 7, y0 + 2 * rh), QStringLiteral("二十四節季中"), kRed});
  for (int r = 1; r < kYearGridRows; ++r) {
    out.push_back({QPoint(x0 - 30, y0 + rh * r), Qs(text::SjisFormat("%2s", grid[r][0])), kBlue});
    for (int k = 1; k <= columns; ++k) out.push_back(CellText(metrics, x0 + (k - 1) * width, y0 + rh * r, grid[r][k]));
  }
  return out;
}

void PaintYearGridText(QPainter& painter, const YearGridText& t) {
  // From the top-left corner: the font's ascent above the baseline.
  const int baseline = t.at.y() + painter.fontMetrics().ascent();
  painter.setPen(t.colour);
  if (t.stretch == 1.0) {
    painter.drawText(QPoint(t.at.x(), baseline), t.text);
    return;
  }
  painter.save();
  painter.translate(t.at.x(), baseline);
  painter.scale(t.stretch, 1.0);
  painter.drawText(QPoint(0, 0), t.text);
  painter.restore();
}

void PaintYearGrid(QPainter& painter, QSize size, const YearGrid& grid, int layout, int year, CalendarRule calendar) {
  painter.save();
  painter.setPen(kGridBackground);
  painter.setBrush(kGridBackground);
  painter.drawRect(0, 0, size.width() - 1, size.height() - 1);
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.setFont(AlmanacFont(12));
  for (const YearGridText& t : YearGridTexts(painter.fontMetrics(), grid, layout, year, calendar))
    PaintYearGridText(painter, t);
  painter.restore();
}
