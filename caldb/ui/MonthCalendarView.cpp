#include "caldb/ui/MonthCalendarView.h"

#include <QPainter>

#include "widgets/AlmanacFont.h"

namespace {

QColor ToColor(monthcal::Rgb c) { return QColor(c.r, c.g, c.b); }

// Text drawn from its top-left corner (ascent above the baseline), on an
// opaque background of `back`. A plain baseline draw: no layout per text.
void DrawTextAt(QPainter& painter, int ascent, monthcal::Point at, const std::string& text, monthcal::Rgb fore,
                monthcal::Rgb back) {
  painter.setPen(ToColor(fore));
  painter.setBackground(ToColor(back));
  painter.drawText(QPoint(at.x, at.y + ascent), QString::fromUtf8(text.data(), static_cast<int>(text.size())));
}

monthcal::Rgb ToneColor(MonthCellTone tone, bool holiday) {
  switch (tone) {
    case MonthCellTone::Selected: return monthcal::kSelectedText;
    case MonthCellTone::OtherMonth: return monthcal::kOtherMonthText;
    case MonthCellTone::Current: break;
  }
  return holiday ? monthcal::kHolidayText : monthcal::kDayText;
}

}  // namespace

void PaintMonthCalendar(QPainter& painter, const MonthCalendarModel& model) {
  using namespace monthcal;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(ToColor(kBackground));
  painter.setBrush(ToColor(kBackground));
  painter.drawRect(0, 0, kControlWidth - 1, kControlHeight - 1);
  painter.setPen(ToColor(kTitleBar));
  painter.setBrush(ToColor(kTitleBar));
  painter.drawRect(kTitleBarLeft, kTitleBarTop, kTitleBarRight - kTitleBarLeft - 1, kTitleBarBottom - kTitleBarTop - 1);
  painter.setFont(AlmanacFont(kFontHeight));
  painter.setBackgroundMode(Qt::OpaqueMode);
  const int ascent = painter.fontMetrics().ascent();
  DrawTextAt(painter, ascent, {kTitleLeft, kTitleTop}, model.title, kTitleText, kTitleBar);
  for (int i = 0; i < static_cast<int>(model.headings.size()) && i < kColumns; ++i)
    DrawTextAt(painter, ascent, HeadingOrigin(i), model.headings[i], kHeadingText, kBackground);
  for (const MonthCalendarCell& c : model.cells) {
    const Rgb fore = ToneColor(c.tone, c.holiday);
    DrawTextAt(painter, ascent, DayNumberOrigin(c.row, c.column), c.dayText, fore, kBackground);
    if (!c.signText.empty()) DrawTextAt(painter, ascent, SignOrigin(c.row, c.column), c.signText, fore, kBackground);
  }
  painter.restore();
}

std::optional<JulianDay> DrawMonthCalendar(QPainter& painter, const Moment& at, const Ephemeris& ephemeris,
                                          int signDisplay, std::string* error, bool showHolidays) {
  MonthCalendarModel model = BuildMonthCalendar(at.year, at.month, at.day, signDisplay, at.calendar);
  if (showHolidays) MarkHolidays(model, at.year, at.month, ephemeris);
  PaintMonthCalendar(painter, model);
  if (error) *error = model.error;
  return model.firstCellJulianDay;
}
