#include "view/Settings.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "core/Text.h"

SettingsRecord SettingsDlg;
double ChartAzimuth = 0.0;

namespace {

constexpr int kSettingsLines = 9;
// A line holds at most this many bytes; a longer one is cut and ends the read.
constexpr std::size_t kMaxLineBytes = 99;

// Reads one line of at most kMaxLineBytes bytes (without its line end).
// Returns false when the line was longer, after cutting it.
bool ReadLine(std::FILE* f, std::string& line) {
  line.clear();
  int c;
  while ((c = std::fgetc(f)) != EOF && c != '\n') {
    if (line.size() == kMaxLineBytes) {
      // A CRLF line end after a full line still ends that line.
      if (c == '\r' && (c = std::fgetc(f)) == '\n') return true;
      return false;
    }
    line.push_back(static_cast<char>(c));
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

std::string SettingsFileText(const SettingsRecord& s) {
  std::string out;
  for (const std::string& line :
       {s.m_strLongitude, s.m_strLatitude, s.m_strAzimuth, text::SjisFormat("%1d", s.m_nCalendarMode),
        text::SjisFormat("%1d", s.m_nSignDisplay), text::SjisFormat("%1d", s.m_bAutoUpdate), s.m_strInterval,
        text::SjisFormat("%1d", s.m_bConstellations), text::SjisFormat("%1d", s.m_bMansions)}) {
    out += text::ToCp932(line);
    out += '\n';
  }
  return out;
}

}  // namespace

double SettingsNumber(const std::string& text) { return std::atof(text.c_str()); }

SettingsReadResult LoadSettings(SettingsRecord& settings, const char* path) {
  SettingsReadResult result;
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return result;
  std::string raw;
  for (int lineNo = 1; lineNo <= kSettingsLines; ++lineNo) {
    const bool whole = ReadLine(f, raw);
    const std::string v = LineText(raw);
    if (!v.empty()) {
      StoreLine(settings, lineNo, v, result);
      ++result.nonEmptyLines;
    }
    if (!whole) break;
  }
  std::fclose(f);
  return result;
}

bool SaveSettings(const SettingsRecord& settings, std::string& error, const char* path) {
  const std::string content = SettingsFileText(settings);
  const std::string tmp = std::string(path) + ".tmp";
  std::FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) {
    error = std::string(path) + ": " + std::strerror(errno);
    return false;
  }
  bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
  ok = (std::fflush(f) == 0) && ok;
  ok = (fsync(fileno(f)) == 0) && ok;
  const int savedErrno = errno;
  ok = (std::fclose(f) == 0) && ok;
  if (ok && std::rename(tmp.c_str(), path) == 0) return true;
  error = std::string(path) + ": " + std::strerror(ok ? errno : savedErrno);
  std::remove(tmp.c_str());
  return false;
}
