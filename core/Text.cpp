#include "core/Text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdarg>
#include <algorithm>
#include <utility>
#include <vector>

namespace text {
namespace {

// One conversion through iconv; an unconvertible or invalid sequence is
// replaced and skipped so that no input can stop the conversion.
std::string Convert(const char* to, const char* from, std::string_view in, std::string_view replacement,
                    std::size_t skipOnError) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
  std::string out;
  out.reserve(in.size() * 2 + 4);
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  std::vector<char> buf(in.size() * 4 + 16);
  while (srcLeft > 0) {
    char* dst = buf.data();
    std::size_t dstLeft = buf.size();
    std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buf.data(), buf.size() - dstLeft);
    if (rc != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL (truncated sequence at the end): replace one unit.
    out.append(replacement);
    std::size_t skip = std::min(srcLeft, skipOnError);
    if (from == std::string_view("UTF-8")) {
      // skip one whole UTF-8 character
      skip = 1;
      while (skip < srcLeft && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80) ++skip;
    }
    src += skip;
    srcLeft -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string ToCp932(std::string_view utf8) {
  bool ascii = true;
  for (unsigned char c : utf8) ascii = ascii && c < 0x80;
  if (ascii) return std::string(utf8);
  return Convert("CP932", "UTF-8", utf8, "?", 1);
}

std::string FromCp932(std::string_view cp932) {
  bool ascii = true;
  for (unsigned char c : cp932) ascii = ascii && c < 0x80;
  if (ascii) return std::string(cp932);
  return Convert("UTF-8", "CP932", cp932, "\xEF\xBF\xBD", 1);
}

namespace {

// The length of the well-formed UTF-8 character at s[i] (its code point in
// cp), or 0 where the bytes there are not one.
std::size_t DecodeAt(std::string_view s, std::size_t i, char32_t& cp) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  std::size_t n;
  if (c < 0x80) { cp = c; return 1; }
  if ((c & 0xE0) == 0xC0) { n = 1; cp = c & 0x1F; }
  else if ((c & 0xF0) == 0xE0) { n = 2; cp = c & 0x0F; }
  else if ((c & 0xF8) == 0xF0) { n = 3; cp = c & 0x07; }
  else return 0;
  if (i + n >= s.size()) return 0;
  for (std::size_t k = 1; k <= n; ++k) {
    const unsigned char d = static_cast<unsigned char>(s[i + k]);
    if ((d & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (d & 0x3F);
  }
  if ((n == 1 && cp < 0x80) || (n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) || cp > 0x10FFFF ||
      (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  return n + 1;
}

// Walks well-formed UTF-8, calling accept(code point) for each non-ASCII
// character; false at the first malformed sequence or refused character.
template <class Accept>
bool WalkUtf8(std::string_view s, Accept accept) {
  for (std::size_t i = 0; i < s.size();) {
    char32_t cp;
    const std::size_t n = DecodeAt(s, i, cp);
    if (n == 0 || (cp >= 0x80 && !accept(cp))) return false;
    i += n;
  }
  return true;
}

// Kana (half-width too), CJK ideographs, and the full-width forms and CJK
// punctuation (the ideographic space, 「」、。々) of Japanese text.
bool JapaneseCharacter(char32_t cp) {
  return (cp >= 0x3000 && cp <= 0x30FF) || (cp >= 0x31F0 && cp <= 0x31FF) || (cp >= 0x3400 && cp <= 0x4DBF) ||
         (cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFF01 && cp <= 0xFF9F) ||
         (cp >= 0xFFE0 && cp <= 0xFFEE) || (cp >= 0x20000 && cp <= 0x2FFFF);
}

}  // namespace

bool IsValidUtf8(std::string_view s) {
  return WalkUtf8(s, [](char32_t) { return true; });
}

bool IsJapaneseUtf8(std::string_view s) { return WalkUtf8(s, JapaneseCharacter); }

std::string ReplaceInvalidUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    char32_t cp;
    const std::size_t n = DecodeAt(s, i, cp);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
      continue;
    }
    out.append(s, i, n);
    i += n;
  }
  return out;
}

std::string DecodeCp932OrUtf8(std::string_view bytes) {
  if (IsJapaneseUtf8(bytes)) return std::string(bytes);
  return FromCp932(bytes);
}

namespace {

// The number of bytes in well-formed UTF-8 characters of three or four bytes,
// and the number of the other non-ASCII bytes.
std::pair<std::size_t, std::size_t> WideUtf8Bytes(std::string_view s) {
  std::size_t wide = 0, other = 0;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const std::size_t n = (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
    if (n > 1 && IsValidUtf8(s.substr(i, n)) && i + n <= s.size()) {
      wide += n;
      i += n;
      continue;
    }
    if (c >= 0x80) ++other;
    ++i;
  }
  return {wide, other};
}

}  // namespace

bool DecodesCleanly(std::string_view bytes) {
  if (IsJapaneseUtf8(bytes)) return true;
  if (FromCp932(bytes).find("\xEF\xBF\xBD") != std::string::npos) return false;
  const auto [wide, other] = WideUtf8Bytes(bytes);
  return wide <= other;
}

std::string UnifyLineEnds(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r') {
      out += bytes[i];
      continue;
    }
    out += '\n';
    if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
  }
  return out;
}

std::string EscapeControls(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    unsigned c = static_cast<unsigned char>(utf8[i]);
    // U+0080..U+009F arrive as C2 80..C2 9F.
    if (c == 0xC2 && i + 1 < utf8.size() && (static_cast<unsigned char>(utf8[i + 1]) & 0xE0) == 0x80)
      c = static_cast<unsigned char>(utf8[++i]);
    else if (c >= 0x20 && c != 0x7F) {
      out += static_cast<char>(c);
      continue;
    }
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
    out += escaped;
  }
  return out;
}

std::size_t Cp932Width(std::string_view utf8) { return ToCp932(utf8).size(); }

namespace {
std::string VFormat(const char* fmt, va_list ap) {
  va_list ap2;
  va_copy(ap2, ap);
  char small[256];
  int n = std::vsnprintf(small, sizeof small, fmt, ap);
  std::string out;
  if (n >= 0 && static_cast<std::size_t>(n) < sizeof small) {
    out.assign(small, static_cast<std::size_t>(n));
  } else if (n >= 0) {
    out.resize(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), fmt, ap2);
    out.resize(static_cast<std::size_t>(n));
  }
  va_end(ap2);
  return out;
}
}  // namespace

std::string FormatRawCp932(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string out = VFormat(fmt, ap);
  va_end(ap);
  return out;
}

namespace detail {
std::string FormatCp932Impl(const char* fmtCp932, ...) {
  va_list ap;
  va_start(ap, fmtCp932);
  std::string out = VFormat(fmtCp932, ap);
  va_end(ap);
  return out;
}
}  // namespace detail

std::string TrimPadding(std::string_view utf8) {
  constexpr std::string_view kWide = "\u3000";
  for (bool more = true; more;) {
    const std::size_t size = utf8.size();
    while (!utf8.empty() && utf8.front() == ' ') utf8.remove_prefix(1);
    while (!utf8.empty() && utf8.back() == ' ') utf8.remove_suffix(1);
    if (utf8.starts_with(kWide)) utf8.remove_prefix(kWide.size());
    if (utf8.ends_with(kWide)) utf8.remove_suffix(kWide.size());
    more = utf8.size() != size;
  }
  return std::string(utf8);
}

}  // namespace text
