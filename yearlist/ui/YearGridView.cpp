#include "yearlist/ui/YearGridView.h"

#include <QPainter>

#include "core/Text.h"
#include "view/ui/AlmanacFont.h"

namespace {

const QColor kGridBackground(255, 255, 200);
const QColor kBlue(0, 0, 255);
const QColor kGreen(0, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

// Text drawn from its top-left corner (the font's ascent above the
// baseline), transparent background.
void TextAt(QPainter& painter, int x, int y, const std::string& text, const QColor& colour) {
  painter.setPen(colour);
  painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()),
                   QString::fromUtf8(text.data(), static_cast<int>(text.size())));
}

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

}  // namespace

void PaintYearGrid(QPainter& painter, QSize size, const YearGrid& grid, int layout, const std::string& yearText,
                   int calendarMode) {
  painter.save();
  painter.setPen(kGridBackground);
  painter.setBrush(kGridBackground);
  painter.drawRect(0, 0, size.width() - 1, size.height() - 1);
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.setFont(AlmanacFont(12));

  const bool lunisolar = layout == kLunisolarLayout;
  const int width = lunisolar ? kYearGridLunisolarWidth : kYearGridWesternWidth;
  const int columns = YearGridColumnCount(grid, layout);
  const std::string caption = text::SjisFormat(lunisolar ? " %4s年和暦表示" : " %4s年西暦表示", yearText);
  const int x0 = kYearGridX0, y0 = kYearGridY0, rh = kYearGridRowHeight;
  const int right = x0 + columns * width;

  for (int k = 1; k <= columns; ++k) TextAt(painter, x0 + (k - 1) * width, y0, text::SjisFormat("    %2s月", grid[0][k]), kBlue);
  TextAt(painter, x0 - 30, y0, "日", kBlue);
  TextAt(painter, right - 10, y0, caption, kBlue);
  TextAt(painter, right + 7, y0 + 3 * rh, YearCalendarName(calendarMode, yearText), kBlue);
  TextAt(painter, right + 7, y0 + rh, "朔日", kGreen);
  TextAt(painter, right + 7, y0 + 2 * rh, "二十四節季中", kRed);
  for (int r = 1; r < kYearGridRows; ++r) {
    TextAt(painter, x0 - 30, y0 + rh * r, text::SjisFormat("%2s", grid[r][0]), kBlue);
    for (int k = 1; k <= columns; ++k)
      TextAt(painter, x0 + (k - 1) * width, y0 + rh * r, text::SjisFormat("%10s", grid[r][k]), CellColour(grid[r][k]));
  }
  painter.restore();
}
