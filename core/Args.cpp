#include "core/Args.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace args {
namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }

// Digits from `at`, at least `min` and at most `max` of them; returns the
// position after them, or npos.
std::size_t Digits(const std::string& s, std::size_t at, std::size_t min, std::size_t max) {
  std::size_t n = 0;
  while (at + n < s.size() && Digit(s[at + n])) ++n;
  return n >= min && n <= max ? at + n : std::string::npos;
}

std::size_t Sign(const std::string& s) { return !s.empty() && s[0] == '-' ? 1 : 0; }

bool Fits(const std::string& s, Form form) {
  constexpr std::size_t kAny = std::string::npos;
  std::size_t at = Digits(s, Sign(s), 1, kAny);
  if (at == kAny) return false;
  switch (form) {
    case Form::kWhole: return at == s.size();
    case Form::kDecimal:
      if (at < s.size() && s[at] == '.') at = Digits(s, at + 1, 1, kAny);
      return at == s.size();
    case Form::kDate:
      for (int part = 0; part < 2; ++part) {
        if (at >= s.size() || s[at] != '-') return false;
        at = Digits(s, at + 1, 1, 2);
        if (at == kAny) return false;
      }
      return at == s.size();
  }
  return false;
}

bool Has(const std::string& s, bool (*test)(unsigned char)) {
  for (unsigned char c : s)
    if (test(c)) return true;
  return false;
}

}  // namespace

const char* FormName(Form form) {
  switch (form) {
    case Form::kWhole: return "a whole number such as 2024 or -660";
    case Form::kDate: return "YYYY-MM-DD such as 2024-06-15 or -660-2-11";
    case Form::kDecimal: return "a decimal number such as 139.7 or -35";
  }
  return "";
}

std::string Refusal(const std::string& s, Form form) {
  if (Fits(s, form)) return "";
  if (s.empty()) return "is empty";
  if (Has(s, [](unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); })) return "has blanks or line breaks in it";
  if (Has(s, [](unsigned char c) { return c == '+'; })) return "has a '+' sign";
  if (Has(s, [](unsigned char c) { return c < 0x20 || c == 0x7f; })) return "has control characters in it";
  if (Has(s, [](unsigned char c) { return c >= 0x80; })) return "has characters other than ASCII digits (full-width digits?)";
  const std::size_t body = Sign(s);
  if (s.size() > body + 1 && s[body] == '0' && (s[body + 1] == 'x' || s[body + 1] == 'X')) return "is hexadecimal";
  if (form != Form::kDate && Has(s, [](unsigned char c) { return c == 'e' || c == 'E'; })) return "has an exponent";
  if (form == Form::kWhole && Has(s, [](unsigned char c) { return c == '.'; })) return "has a fraction";
  return "is not of the form " + std::string(FormName(form));
}

bool ParseInt(const std::string& s, long long lo, long long hi, long long& out) {
  if (!Fits(s, Form::kWhole)) return false;
  errno = 0;
  long long v = std::strtoll(s.c_str(), nullptr, 10);
  if (errno != 0 || v < lo || v > hi) return false;
  out = v;
  return true;
}

bool ParseDouble(const std::string& s, double lo, double hi, double& out) {
  if (!Fits(s, Form::kDecimal)) return false;
  double v = std::strtod(s.c_str(), nullptr);
  if (!std::isfinite(v) || v < lo || v > hi) return false;
  out = v;
  return true;
}

bool ParseDate(const std::string& s, int& year, int& month, int& day) {
  if (!Fits(s, Form::kDate)) return false;
  const std::size_t d2 = s.rfind('-'), d1 = s.rfind('-', d2 - 1);
  long long y = 0, m = 0, d = 0;
  if (!ParseInt(s.substr(0, d1), -999999, 999999, y) || !ParseInt(s.substr(d1 + 1, d2 - d1 - 1), 1, 12, m) ||
      !ParseInt(s.substr(d2 + 1), 1, 31, d))
    return false;
  year = static_cast<int>(y);
  month = static_cast<int>(m);
  day = static_cast<int>(d);
  return true;
}

}  // namespace args
