// Strict readers for command-line arguments, shared by both programs. An
// argument must be exactly one of the documented forms:
//   whole numbers (years)        -?[0-9]+
//   dates                        -?[0-9]+-[0-9]{1,2}-[0-9]{1,2}
//   hours and coordinates        -?[0-9]+(\.[0-9]+)?
// with nothing around it: no blanks, no '+', no hexadecimal or exponent form.
// On failure the readers return false and leave the output alone; Refusal
// says why in words. (The main form's date and hour are read with them too,
// almanac/TypedForm.h; the other texts typed into the windows are read the
// almanac's own forgiving way, with atof.)
#pragma once

#include <string>

namespace args {

enum class Form { kWhole, kDate, kDecimal };

bool ParseInt(const std::string& s, long long lo, long long hi, long long& out);
bool ParseDouble(const std::string& s, double lo, double hi, double& out);
// Month 1..12 and day 1..31; whether the day exists in its month and
// calendar is DateExists's question (core/CalendarDays.h).
bool ParseDate(const std::string& s, int& year, int& month, int& day);

// Why the text is not of the form, as a short phrase ("has a '+' sign"); ""
// when it is (its value may still be out of range).
std::string Refusal(const std::string& s, Form form);
// The form written out for messages: "YYYY-MM-DD", "a whole number"...
const char* FormName(Form form);

}  // namespace args
