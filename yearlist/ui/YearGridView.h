// QPainter drawing of the year grid (the body of DrawYearGrid): the painter's
// origin is the grid frame's top-left corner.
#pragma once

#include <QColor>
#include <QPoint>
#include <QSize>
#include <QString>
#include <string>
#include <vector>

#include "yearlist/YearList.h"

class QFontMetrics;
class QPainter;

// Pixel geometry of the grid's texts.
inline constexpr int kYearGridX0 = 40;
inline constexpr int kYearGridY0 = 5;
inline constexpr int kYearGridRowHeight = 13;
inline constexpr int kYearGridLunisolarWidth = 65;
inline constexpr int kYearGridWesternWidth = 70;

// One text of the grid: drawn from its top-left corner `at`, squeezed
// sideways by `stretch` (1 = as the font draws it).
struct YearGridText {
  QPoint at;
  QString text;
  QColor colour;
  double stretch = 1.0;
};

// Every text of the grid in `layout` (1 lunisolar, any other value Western),
// measured with the grid's font. A cell keeps to its ten characters' room
// ("%10s"): a longer one (its markers, the Western leap-mark column) is
// squeezed into it, so no cell runs into the next column; the caption starts
// after the last month heading.
std::vector<YearGridText> YearGridTexts(const QFontMetrics& metrics, const YearGrid& grid, int layout,
                                        int year, CalendarRule calendar);

// Draws one of those texts with the painter's font.
void PaintYearGridText(QPainter& painter, const YearGridText& text);

// Draws the grid over a light yellow background of `size`.
void PaintYearGrid(QPainter& painter, QSize size, const YearGrid& grid, int layout, int year, CalendarRule calendar);
