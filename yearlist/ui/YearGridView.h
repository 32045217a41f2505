// QPainter drawing of the year grid (the body of DrawYearGrid): the painter's
// origin is the grid frame's top-left corner.
#pragma once

#include <QSize>
#include <string>

#include "yearlist/YearList.h"

class QPainter;

// Pixel geometry of the grid's texts.
inline constexpr int kYearGridX0 = 40;
inline constexpr int kYearGridY0 = 5;
inline constexpr int kYearGridRowHeight = 13;
inline constexpr int kYearGridLunisolarWidth = 65;
inline constexpr int kYearGridWesternWidth = 70;

// Draws the grid in `layout` (1 lunisolar, any other value Western) over a
// light yellow background of `size`.
void PaintYearGrid(QPainter& painter, QSize size, const YearGrid& grid, int layout, const std::string& yearText,
                   int calendarMode);
