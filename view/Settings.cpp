#include "view/Settings.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/Files.h"
#include "core/Text.h"

SettingsRecord SettingsDlg;
double ChartAzimuth = 0.0;

namespace {

constexpr int kSettingsLines = 9;
// A line holds at most this many bytes; a longer one is cut and ends the read.
constexpr std::size_t kMaxLineBytes = 99;

// The most a read can take: nine lines of kMaxLineBytes and a CRLF each.
constexpr std::size_t kMaxReadBytes = kSettingsLines * (kMaxLineBytes + 2);

// Reads one line of at most kMaxLineBytes bytes (without its line end) from
// `bytes` at `pos`. Returns false when the line was longer, after cutting it.
bool ReadLine(const std::string& bytes, std::size_t& pos, std::string& line) {
  line.clear();
  while (pos < bytes.size()) {
    const char c = bytes[pos++];
    if (c == '\n') break;
    if (line.size() == kMaxLineBytes) {
      // A CRLF line end after a full line still ends that line.
      if (c == '\r' && pos < bytes.size() && bytes[pos] == '\n') return ++pos, true;
      return false;
    }
    line.push_back(c);
  }
  return true;
}

// The stored text as a C string would see it: up to a NUL, without the CR of
// a CRLF line end, decoded from CP932 or UTF-8.
std::string LineText(std::string raw) {
  raw.resize(std::strlen(raw.c_str()));
  if (!raw.empty() && raw.back() == '\r') raw.pop_back();
  return text::DecodeCp932OrUtf8(raw);
}

void StoreLine(SettingsRecord& s, int lineNo, const std::string& v, SettingsReadResult& r) {
  const int n = std::atoi(v.c_str());
  switch (lineNo) {
    case 1: s.m_strLongitude = v; break;
    case 2: s.m_strLatitude = v; break;
    case 3: s.m_strAzimuth = v; break;
    case 4: s.m_nCalendarMode = n; r.calendarModeRead = true; break;
    case 5: s.m_nSignDisplay = n; r.signDisplayRead = true; break;
    case 6: s.m_bAutoUpdate = n; break;
    case 7: s.m_strInterval = v; break;
    case 8: s.m_bConstellations = n; break;
    case 9: s.m_bMansions = n; break;
    default: break;
  }
}

// Length in bytes of the UTF-8 character starting with byte c.
std::size_t Utf8Length(unsigned char c) { return c < 0xc0 ? 1 : c < 0xe0 ? 2 : c < 0xf0 ? 3 : 4; }

// One value as one line the reader takes back whole: a line break inside the
// text would shift every later value, and a line longer than the reader's
// limit (in CP932 bytes) would end its reading there, so both are kept out.
std::string FileLine(std::string utf8) {
  for (char& c : utf8)
    if (c == '\n' || c == '\r') c = ' ';
  std::size_t end = 0, width = 0;
  while (end < utf8.size()) {
    const std::size_t len = std::min(Utf8Length(static_cast<unsigned char>(utf8[end])), utf8.size() - end);
    width += text::Cp932Width(std::string_view(utf8).substr(end, len));
    if (width > kMaxLineBytes) break;
    end += len;
  }
  utf8.resize(end);
  return utf8;
}

std::string SettingsFileText(const SettingsRecord& s) {
  std::string out;
  for (const std::string& value :
       {s.m_strLongitude, s.m_strLatitude, s.m_strAzimuth, text::SjisFormat("%1d", s.m_nCalendarMode),
        text::SjisFormat("%1d", s.m_nSignDisplay), text::SjisFormat("%1d", s.m_bAutoUpdate), s.m_strInterval,
        text::SjisFormat("%1d", s.m_bConstellations), text::SjisFormat("%1d", s.m_bMansions)}) {
    out += FileLine(value);
    out += '\n';
  }
  return out;
}

}  // namespace

double SettingsNumber(const std::string& text) { return std::atof(text.c_str()); }

SettingsReadResult LoadSettings(SettingsRecord& settings, const char* path) {
  SettingsReadResult result;
  std::string bytes;
  if (!ReadFileHead(path, kMaxReadBytes, bytes)) return result;
  std::string raw;
  std::size_t pos = 0;
  for (int lineNo = 1; lineNo <= kSettingsLines; ++lineNo) {
    const bool whole = ReadLine(bytes, pos, raw);
    const std::string v = LineText(raw);
    if (!v.empty()) {
      StoreLine(settings, lineNo, v, result);
      ++result.nonEmptyLines;
    }
    if (!whole) break;
  }
  return result;
}

bool SaveSettings(const SettingsRecord& settings, std::string& error, const char* path) {
  return WriteTextFileAtomically(path, SettingsFileText(settings), true, error);
}
