// Strict readers for command-line arguments, shared by both programs: the
// whole text must be the number, finite and within [lo, hi]. On failure they
// return false and leave the output alone. (Texts typed into the windows are
// read the almanac's own forgiving way, with atof; these are for arguments.)
#pragma once

#include <string>

namespace args {

bool ParseInt(const std::string& s, long long lo, long long hi, long long& out);
bool ParseDouble(const std::string& s, double lo, double hi, double& out);
// YYYY-MM-DD with an optional leading minus on the year (|year| <= 999999);
// month 1..12, day 1..31 (the day is not checked against the month's length).
bool ParseDate(const std::string& s, int& year, int& month, int& day);

}  // namespace args
