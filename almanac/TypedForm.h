// The main form's date and hour as the user typed them, read strictly: every
// field must name its part of one moment exactly, or the form is refused with
// a message naming the field (the window then keeps the moment it showed).
#pragma once

#include <optional>
#include <string>

#include "core/Calendar.h"

struct TypedMoment {
  double year = 0, month = 0, day = 0, hour = 0;
};

enum class FormField { kYear, kMonth, kDay, kHour };

struct FormRefusal {
  FormField field;
  std::string message;  // Japanese, as the window shows it
};

// Reads the four texts (blanks around them and full-width digits, '-' and
// '.' allowed): the year a whole number, the month 1..12, the day a day of
// that month in the calendar `rule` writes, the hour a decimal 0 <= h < 24.
// On refusal `refusal` says which field and why.
std::optional<TypedMoment> ReadTypedMoment(const std::string& year, const std::string& month,
                                           const std::string& day, const std::string& hour, CalendarRule rule,
                                           FormRefusal& refusal);

// The text with blanks (half- and full-width) around it removed and the
// full-width digits, minus and full stop an input method types made ASCII.
std::string PlainFormText(const std::string& text);

// The hour field's text of an hour: "%2.1f", except that an hour in the last
// three minutes of the day shows 23.9, never the next day's 24.0.
std::string HourFieldText(double hour);
