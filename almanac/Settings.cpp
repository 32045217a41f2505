#include "almanac/Settings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <regex>

#include "core/Files.h"
#include "core/Text.h"

namespace {

constexpr int kSettingsLines = 9;
// A line holds at most this many bytes; a longer one is cut and ends the read.
constexpr std::size_t kMaxLineBytes = kMaxSettingsLineBytes;

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
// a CRLF line end.
std::string LineBytes(std::string raw) {
  raw.resize(std::strlen(raw.c_str()));
  if (!raw.empty() && raw.back() == '\r') raw.pop_back();
  return raw;
}

struct PlaceSetting {
  const char* name;
  const char* fallback;
  double limit;  // the largest magnitude that makes sense
};
constexpr PlaceSetting kPlaces[] = {{"longitude", "139.7", 180.0}, {"latitude", "35.6", 90.0}, {"azimuth", "0", 0.0}};

std::optional<PlaceProblem> ValueCheck(int lineNo, const std::string& text);

// A value the drawing cannot use is replaced by the window's default.
void CheckPlace(SettingsRecord& s, int lineNo, SettingsReadResult& r) {
  std::string* texts[] = {&s.m_strLongitude, &s.m_strLatitude, &s.m_strAzimuth};
  std::string& value = *texts[lineNo - 1];
  const std::optional<PlaceProblem> problem = ValueCheck(lineNo, value);
  if (!problem) return;
  r.warnings.push_back(SettingsPlaceReplaced{lineNo, value, *problem});
  value = SettingsDefault(lineNo);
}

void StoreLine(SettingsRecord& s, int lineNo, const std::string& v, SettingsReadResult& r) {
  const int n = std::atoi(v.c_str());
  switch (lineNo) {
    case 1: s.m_strLongitude = v; break;
    case 2: s.m_strLatitude = v; break;
    case 3: s.m_strAzimuth = v; break;
    case 4: s.m_nCalendarMode = n; r.calendarRead = true; break;
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

namespace {

std::optional<PlaceProblem> ValueCheck(int lineNo, const std::string& text) {
  const PlaceSetting& p = kPlaces[lineNo - 1];
  const double v = SettingsNumber(text);
  if (!std::isfinite(v)) return PlaceProblem::kNotFinite;
  if (p.limit > 0 && std::fabs(v) > p.limit) return PlaceProblem::kBeyondLimit;
  return std::nullopt;
}

std::string ProblemText(int lineNo, const std::string& text, PlaceProblem problem) {
  const std::string value = std::string("the ") + kPlaces[lineNo - 1].name + " '" + text + "'";
  switch (problem) {
    case PlaceProblem::kNotANumber: break;  // the file's values are read as atof reads them
    case PlaceProblem::kNotFinite: return value + " is not a finite number";
    case PlaceProblem::kBeyondLimit:
      return value + " is beyond ±" + text::SjisFormat("%.0f", kPlaces[lineNo - 1].limit) + " degrees";
  }
  return "";
}

}  // namespace

std::vector<std::string> SettingsWarningLines(const SettingsReadResult& read) {
  struct Words {
    const std::string& path;
    std::string operator()(const SettingsNotRead& w) const { return w.why + "; settings not read"; }
    std::string operator()(const SettingsLineCut& w) const {
      return path + " line " + std::to_string(w.lineNo) + ": longer than " + std::to_string(kMaxLineBytes) +
             " bytes; cut there, and no later line is read";
    }
    std::string operator()(const SettingsDoubtfulEncoding&) const {
      return path + ": neither clean CP932 nor UTF-8; read as CP932";
    }
    std::string operator()(const SettingsPlaceReplaced& w) const {
      return std::string(kSettingsFileName) + " line " + std::to_string(w.lineNo) + ": " + ProblemText(w.lineNo, w.value, w.problem) +
             "; using " + SettingsDefault(w.lineNo);
    }
  };
  std::vector<std::string> lines;
  for (const SettingsWarning& w : read.warnings) lines.push_back(std::visit(Words{read.path}, w));
  return lines;
}

std::optional<PlaceProblem> SettingsEntryCheck(int lineNo, const std::string& text) {
  if (lineNo < 1 || lineNo > 3) return std::nullopt;
  static const std::regex number(R"( *[+-]?([0-9]+(\.[0-9]*)?|\.[0-9]+) *)");
  if (!std::regex_match(text, number)) return PlaceProblem::kNotANumber;
  return ValueCheck(lineNo, text);
}

double SettingsLimit(int lineNo) { return lineNo >= 1 && lineNo <= 3 ? kPlaces[lineNo - 1].limit : 0.0; }

const char* SettingsDefault(int lineNo) { return lineNo >= 1 && lineNo <= 3 ? kPlaces[lineNo - 1].fallback : ""; }

SettingsReadResult LoadSettings(SettingsRecord& settings, const char* path) {
  SettingsReadResult result;
  const WholeFile file = ReadWholeFile(path, kMaxSettingsFileBytes);
  result.path = path;
  if (file.status == WholeFile::Status::kRefused) result.warnings.push_back(SettingsNotRead{file.problem});
  if (file.status != WholeFile::Status::kRead) return result;
  const std::string bytes = text::UnifyLineEnds(file.bytes);
  std::vector<std::string> lines;
  std::string raw, read;
  std::size_t pos = 0;
  for (bool whole = true; whole && static_cast<int>(lines.size()) < kSettingsLines;) {
    whole = ReadLine(bytes, pos, raw);
    lines.push_back(LineBytes(raw));
    read += lines.back() + "\n";
    if (!whole) result.warnings.push_back(SettingsLineCut{static_cast<int>(lines.size())});
  }
  // One decision for the whole file: a line-by-line guess misreads CP932
  // half-width katakana whose bytes happen to be well-formed UTF-8.
  const bool utf8 = text::IsJapaneseUtf8(read);
  if (!text::DecodesCleanly(read))
    result.warnings.push_back(SettingsDoubtfulEncoding{});
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string v = utf8 ? lines[i] : text::FromCp932(lines[i]);
    if (v.empty()) continue;
    const int lineNo = static_cast<int>(i) + 1;
    StoreLine(settings, lineNo, v, result);
    if (lineNo <= 3) CheckPlace(settings, lineNo, result);
    ++result.nonEmptyLines;
  }
  return result;
}

void EmptyPlacesReadAsZero(SettingsRecord& settings, const SettingsReadResult& read) {
  if (read.nonEmptyLines == 0) return;
  for (std::string* text : {&settings.m_strLongitude, &settings.m_strLatitude, &settings.m_strAzimuth})
    if (text->empty()) *text = "0";
}

bool SaveSettings(const SettingsRecord& settings, std::string& error, const char* path) {
  const std::string utf8 = SettingsFileText(settings);
  // The file is CP932. Only where those bytes would be taken for UTF-8 when
  // read back (a kanji followed by half-width katakana can look like one
  // UTF-8 character) is it written as UTF-8, which reads back as written.
  const std::string cp932 = text::ToCp932(utf8);
  const bool misread = cp932 != utf8 && text::IsJapaneseUtf8(cp932) && text::IsJapaneseUtf8(utf8);
  // A file that could not be read is the user's to look at, not to replace.
  if (const WholeFile old = ReadWholeFile(path, kMaxSettingsFileBytes); old.status == WholeFile::Status::kRefused) {
    error = old.problem + "; not rewritten";
    return false;
  }
  return WriteTextFileAtomically(path, utf8, !misread, error);
}

void ReadModelSetting(const Conf& conf, SettingsRecord& settings) {
  settings.m_model = AstroModelFromText(conf.Get("model", "design"));
  // An empty zone= is the default zone, as an empty 時間帯 box is.
  const std::string zone = conf.Get("zone", "");
  settings.m_strZone = zone.find_first_not_of(" \t") == std::string::npos ? TimeZone::kDefaultName : zone;
}

bool SaveModelSetting(const SettingsRecord& settings, std::string& error, const std::string& path) {
  Conf conf;
  conf.Load(path);
  // An untouched file stays untouched: the design's model needs no line.
  const bool defaultModel = !conf.Has("model") && settings.m_model == AstroModel::Design;
  const bool defaultZone = !conf.Has("zone") && settings.m_strZone == TimeZone::kDefaultName;
  if (defaultModel && defaultZone) return true;
  if (!defaultModel) conf.Set("model", AstroModelText(settings.m_model));
  if (!defaultZone) conf.Set("zone", settings.m_strZone);
  return conf.Save(error, path);
}

namespace {

// An empty settings text keeps the window's own default.
double SettingOr(const std::string& text, int lineNo) {
  return SettingsNumber(text.empty() ? SettingsDefault(lineNo) : text);
}

}  // namespace

std::optional<Moment> SettingsMoment(const SettingsRecord& settings, double year, double month, double day,
                                     double hour, std::string& error) {
  const std::optional<TimeZone> zone = TimeZone::Named(settings.m_strZone, error);
  if (!zone) return std::nullopt;
  Moment m;
  m.year = year, m.month = month, m.day = day, m.hour = hour;
  m.place = {SettingOr(settings.m_strLatitude, 2), SettingOr(settings.m_strLongitude, 1)};
  m.calendar = CalendarRuleOfMode(settings.m_nCalendarMode);
  m.zone = *zone;
  m.model = settings.m_model;
  return m;
}
