// QPainter drawing of the month calendar. The painter's origin is the
// calendar control's top-left corner (form pixel (520, 270)); the drawing
// covers 230 x 250 pixels.
#pragma once

#include "caldb/MonthCalendar.h"

class QPainter;

// Paints a built calendar.
void PaintMonthCalendar(QPainter& painter, const MonthCalendarModel& model);

// The main view's DrawMonthCalendar: builds the month of the selected date
// (its calendar rule; the holidays' equinoxes from `ephemeris`, the model of
// the moment) and paints it;
// returns the Julian day of the top-left cell (none when the month could not
// be drawn), which the view keeps as m_dFirstCellJulianDay for its click
// handler (monthcal::HitTest).
// A database error is returned in `error` (empty on success) after what was
// built has been painted, so the view can report it.
// With `showHolidays` the month's national holidays are drawn in Sunday's colour.
std::optional<JulianDay> DrawMonthCalendar(QPainter& painter, const Moment& at, const Ephemeris& ephemeris,
                                          int signDisplay, std::string* error, bool showHolidays);
