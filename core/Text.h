// Text encodings and the byte-width printf the almanac formats with.
//
// Texts inside the program are UTF-8. The almanac's printf widths count
// Shift-JIS (CP932) bytes: "%5s" pads a two-kanji name with one blank. So every
// formatted text goes through SjisFormat, which converts the format and its
// string arguments to CP932, runs snprintf there and converts the result back.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace text {

// UTF-8 -> CP932. Characters CP932 lacks become '?'.
std::string ToCp932(std::string_view utf8);
// CP932 -> UTF-8. Invalid byte sequences become U+FFFD.
std::string FromCp932(std::string_view cp932);
// True when the bytes are well-formed UTF-8 (plain ASCII included).
bool IsValidUtf8(std::string_view bytes);
// The bytes with every byte that does not belong to a well-formed UTF-8
// character replaced by U+FFFD.
std::string ReplaceInvalidUtf8(std::string_view bytes);
// True when the bytes are well-formed UTF-8 whose every non-ASCII character
// is kana, a CJK ideograph, CJK punctuation or a full-width form.
bool IsJapaneseUtf8(std::string_view bytes);
// A whole file read from disk may be CP932 or UTF-8: returns UTF-8 either
// way. The file is UTF-8 when IsJapaneseUtf8 holds for all of it, else CP932:
// the bytes of CP932 text (half-width katakana pairs such as ﾃｽ) are often
// well-formed UTF-8 of other scripts, while ordinary UTF-8 Japanese is not
// read as those. Decide once per file, never per line.
std::string DecodeCp932OrUtf8(std::string_view bytes);
// True when DecodeCp932OrUtf8 reads the bytes without doubt: they are UTF-8
// as above, or CP932 with no invalid sequence that does not look like UTF-8
// with a few damaged bytes (more than half of its non-ASCII bytes forming
// well-formed three- or four-byte UTF-8 characters, as Japanese UTF-8 does).
bool DecodesCleanly(std::string_view bytes);
// A text file's bytes with a leading UTF-8 byte order mark removed and every
// line end (CR LF, a CR alone, LF) made one LF. CR is never a byte of a CP932
// double-byte character, so this may run before the decoding.
std::string UnifyLineEnds(std::string_view bytes);
// The text with every control character (C0, DEL and the C1 range) written
// as "\xNN" with the code point's hex digits, so it prints as one line and
// cannot steer a terminal.
std::string EscapeControls(std::string_view utf8);
// Width of a UTF-8 text counted in CP932 bytes.
std::size_t Cp932Width(std::string_view utf8);
// A UTF-8 text without the blanks and full-width blanks that pad it at
// either end (the layout of a fixed-width field).
std::string TrimPadding(std::string_view utf8);

// snprintf over an already-CP932 format; the result stays CP932.
std::string FormatRawCp932(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

namespace detail {
template <class T>
decltype(auto) Pass(const T& v, std::string&) {
  static_assert(std::is_arithmetic_v<T> || std::is_pointer_v<T>,
                "SjisFormat takes numbers and texts");
  return v;
}
inline const char* Pass(const char* s, std::string& buf) {
  buf = ToCp932(s ? s : "");
  return buf.c_str();
}
inline const char* Pass(char* s, std::string& buf) { return Pass(static_cast<const char*>(s), buf); }
inline const char* Pass(const std::string& s, std::string& buf) {
  buf = ToCp932(s);
  return buf.c_str();
}
inline const char* Pass(std::string_view s, std::string& buf) {
  buf = ToCp932(s);
  return buf.c_str();
}
std::string FormatCp932Impl(const char* fmtCp932, ...);

template <class... A, std::size_t... I>
std::string FormatIndexed(const char* fmt, std::index_sequence<I...>, const A&... a) {
  std::array<std::string, sizeof...(A) + 1> bufs;
  const std::string f = ToCp932(fmt);
  return FromCp932(FormatCp932Impl(f.c_str(), Pass(a, bufs[I])...));
}
}  // namespace detail

// printf with widths counted in CP932 bytes; format, arguments and result UTF-8.
template <class... A>
std::string SjisFormat(const char* fmt, const A&... args) {
  return detail::FormatIndexed(fmt, std::index_sequence_for<A...>{}, args...);
}

}  // namespace text
