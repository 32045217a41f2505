#include "core/Args.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace args {

bool ParseInt(const std::string& s, long long lo, long long hi, long long& out) {
  if (s.empty() || std::strlen(s.c_str()) != s.size()) return false;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(s.c_str(), &end, 10);
  if (errno != 0 || end == s.c_str() || *end != '\0' || v < lo || v > hi) return false;
  out = v;
  return true;
}

bool ParseDouble(const std::string& s, double lo, double hi, double& out) {
  if (s.empty() || std::strlen(s.c_str()) != s.size()) return false;
  errno = 0;
  char* end = nullptr;
  double v = std::strtod(s.c_str(), &end);
  if (errno != 0 || end == s.c_str() || *end != '\0' || !std::isfinite(v) || v < lo || v > hi) return false;
  out = v;
  return true;
}

bool ParseDate(const std::string& s, int& year, int& month, int& day) {
  std::size_t start = (!s.empty() && s[0] == '-') ? 1 : 0;
  std::size_t d1 = s.find('-', start);
  if (d1 == std::string::npos) return false;
  std::size_t d2 = s.find('-', d1 + 1);
  if (d2 == std::string::npos) return false;
  long long y, m, d;
  if (!ParseInt(s.substr(0, d1), -999999, 999999, y)) return false;
  if (!ParseInt(s.substr(d1 + 1, d2 - d1 - 1), 1, 12, m)) return false;
  if (!ParseInt(s.substr(d2 + 1), 1, 31, d)) return false;
  // A sign belongs only to the year.
  if (s[d1 + 1] == '+' || s[d1 + 1] == '-' || s[d2 + 1] == '+' || s[d2 + 1] == '-') return false;
  year = static_cast<int>(y);
  month = static_cast<int>(m);
  day = static_cast<int>(d);
  return true;
}

}  // namespace args
