// The almanac's settings: one small text file "ombrel.dat" in the working
// directory, nine lines, CP932, read into a SettingsRecord value. The main
// view owns the window's record and hands it to the settings dialog, which
// edits it, and what it holds to the other windows and the drawings.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "astro/Model.h"
#include "core/Conf.h"

// Name of the settings file, opened by its bare name in the working directory.
inline constexpr const char* kSettingsFileName = "ombrel.dat";
// The longest line of the file read; a longer one is cut there.
inline constexpr std::size_t kMaxSettingsLineBytes = 99;

// The nine settings, in the order of the file's lines.
struct SettingsRecord {
  std::string m_strLongitude;     // 1: east longitude, degrees, as typed
  std::string m_strLatitude;      // 2: north latitude, degrees, as typed
  std::string m_strAzimuth;       // 3: azimuth the sky chart faces (south 0, west 90)
  int m_nCalendarMode = 0;        // 4: 0 Julian before 1582-10-15, else proleptic Gregorian
  int m_nSignDisplay = 0;         // 5: month calendar and year list: 0 干支, 1 六曜
  int m_bAutoUpdate = 0;          // 6: 1 returns the main form to the present periodically
  std::string m_strInterval = "1";  // 7: minutes between automatic updates, as typed
  int m_bConstellations = 1;      // 8: the sky chart writes constellation names
  int m_bMansions = 0;            // 9: the sky chart writes lunar mansion names
  // Not in ombrel.dat: `model` of ombrel.conf (design or precise) and
  // `zone` (an IANA time zone name, or "design").
  AstroModel m_model = AstroModel::Design;
  std::string m_strZone = TimeZone::kDefaultName;
};

// Why a place value typed into the settings dialog is refused (the file's
// values are read as atof reads them, so a file knows only the last two).
enum class PlaceProblem { kNotANumber, kNotFinite, kBeyondLimit };

// What a read of the settings file could not take as it stood; each front
// end words it (the command line in English, the window in Japanese).
struct SettingsNotRead {
  std::string why;  // "<path>: <reason>"
};
struct SettingsLineCut {
  int lineNo;  // the line cut at kMaxLineBytes; no later line is read
};
struct SettingsDoubtfulEncoding {};  // neither clean CP932 nor UTF-8: read as CP932
struct SettingsPlaceReplaced {
  int lineNo;  // 1 longitude, 2 latitude, 3 azimuth: replaced by SettingsDefault
  std::string value;
  PlaceProblem problem;
};
using SettingsWarning = std::variant<SettingsNotRead, SettingsLineCut, SettingsDoubtfulEncoding, SettingsPlaceReplaced>;

// What one read of the settings file found.
struct SettingsReadResult {
  int nonEmptyLines = 0;      // 0: nothing changed (missing, empty or unreadable file)
  bool calendarRead = false;      // line 4 was present (the calendar rule follows it)
  bool signDisplayRead = false;   // line 5 was present
  std::string path;               // the file read
  std::vector<SettingsWarning> warnings;
};

// The warnings as the command line prints them, one English line each.
std::vector<std::string> SettingsWarningLines(const SettingsReadResult& read);

// Reads up to nine lines of the file into the record. An empty or missing
// line leaves its member alone; a line longer than 99 bytes is cut there and
// ends the reading. Accepts CP932 or UTF-8 (decided once for the whole file),
// a UTF-8 byte order mark, and CR, LF or CR LF line ends. Never fails: a
// missing file changes nothing; an unreadable or non-regular file, or one
// larger than kMaxSettingsFileBytes, changes nothing and is named in a
// warning. Text that decodes with doubt (text::DecodesCleanly) is read all
// the same, with a warning. A longitude, latitude or azimuth that is not
// finite, or a longitude beyond ±180 or a latitude beyond ±90, is replaced by
// its default, with a warning (SettingsPlaceReplaced; a text that is not a
// number reads as 0 and is used).
SettingsReadResult LoadSettings(SettingsRecord& settings, const char* path = kSettingsFileName);

// After a first read that took at least one line, a place text the file left
// empty (longitude, latitude, azimuth) reads as 0, as the window reads it;
// "0" is written into it. Without such a line the record keeps its texts
// (empty: the window's defaults, SettingsDefault).
void EmptyPlacesReadAsZero(SettingsRecord& settings, const SettingsReadResult& read);

// Writes the nine lines (CP932, "\n" line ends) through a temporary file that
// replaces the old one by rename, so a crash never leaves half a file. A file
// that LoadSettings could not read (see there) is left alone and the reason
// returned. In the
// rare case where the CP932 bytes would read back as other text (see
// text::DecodeCp932OrUtf8), the file is written as UTF-8 instead.
// Returns false with a readable reason when the file cannot be written.
bool SaveSettings(const SettingsRecord& settings, std::string& error, const char* path = kSettingsFileName);

// The astronomical model from `model` of ombrel.conf (missing file or key:
// the design's) and the zone from `zone` (missing or empty: Asia/Tokyo), and their
// writing back with the file's other lines kept.
void ReadModelSetting(const Conf& conf, SettingsRecord& settings);
bool SaveModelSetting(const SettingsRecord& settings, std::string& error, const std::string& path = kConfFileName);

// The moment the settings give every computation: the place (an empty text
// keeps the window's default), the calendar rule, the zone and the model, at
// `at`'s date and hour. nullopt with `error` set when the zone is unknown to
// the tz database.
std::optional<Moment> SettingsMoment(const SettingsRecord& settings, double year, double month, double day,
                                     double hour, std::string& error);

// A settings text read as a number the way the almanac reads typed numbers
// (atof: text that is not a number reads as 0).
double SettingsNumber(const std::string& text);

// Why a place value (line 1 longitude, 2 latitude, 3 azimuth) typed into the
// settings dialog is refused: the file's rule above, or a text that is not a
// decimal number (blanks around it allowed), as a kind the dialog words
// itself; none when it is taken. SettingsLimit is the largest magnitude a
// value may have (0: any).
std::optional<PlaceProblem> SettingsEntryCheck(int lineNo, const std::string& text);
double SettingsLimit(int lineNo);
// The value the window starts with for line 1, 2 or 3: "139.7", "35.6", "0".
const char* SettingsDefault(int lineNo);
