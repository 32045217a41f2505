#include "astrodata/AstroRequest.h"

#include <cmath>
#include <cstdlib>
#include <map>

#include "astro/Model.h"
#include "astro/TimeScales.h"
#include "caldb/Dao.h"
#include "core/Cpu.h"
#include "core/Text.h"
#include "yearlist/YearList.h"

const char* const AstroColumnNames[kAstroColumns] = {"出時刻", "南中時刻", "入時刻", "黄径", "黄緯",
                                                     "赤径",   "赤緯",     "方位角", "高度"};

Moment AstroInputMoment(const AstroInput& input) {
  Moment m = input.settings;
  m.year = std::atof(input.year.c_str());
  m.month = std::atof(input.month.c_str());
  m.day = std::atof(input.day.c_str());
  m.hour = std::atof(input.hour.c_str());
  m.place.longitude = std::atof(input.longitude.c_str());
  m.place.latitude = std::atof(input.latitude.c_str());
  return m;
}

AstroTable ComputeAstroRequest(const AstroInput& input, const Ephemeris& ephemeris) {
  // Called from the data window between Qt's drawings (see core/Cpu.h).
  cpu::ClearUpperVectorState();
  return ComputeAstroTable(AstroInputMoment(input), ephemeris);
}

namespace {

double AstroAngleValue(const AstroTable& table, int row, AstroColumn column) {
  const BodyPosition& b = table.bodies[kAstroTableRows[row]];
  switch (column) {
    case ColumnRise:
    case ColumnTransit:
    case ColumnSet: break;
    case ColumnLongitude: return b.longitude;
    case ColumnLatitude: return b.latitude;
    case ColumnRightAscension: return b.rightAscension;
    case ColumnDeclination: return b.declination;
    case ColumnAzimuth: return b.azimuth;
    case ColumnAltitude: return b.altitude;
  }
  return 0.0;
}

}  // namespace

std::string AstroCellText(const AstroTable& table, int row, AstroColumn column) {
  const BodyTimes& t = table.times[kAstroTableRows[row]];
  switch (column) {
    case ColumnRise: return EventTimeText(t.rise, "--");
    case ColumnTransit: return EventTimeText(t.transit, "--");
    case ColumnSet: return EventTimeText(t.set, "--");
    default: return AstroAngleText(AstroAngleValue(table, row, column));
  }
}

// ---- The yearly data file ----

namespace {

// Days of the event lists the yearly file asks for, and the Memory table's
// rows and the positions of its two texts.
constexpr int kMemoryRows = 366;
constexpr int kTermColumn = 8;
constexpr int kPhaseColumn = 9;
// Memory's mark for a day without an event.
const char* const kNoEvent = " ";

std::string MemoryByIdQuery(int id) { return text::SjisFormat("SELECT * FROM [Memory] WHERE  [ID]=%d;", id); }

std::string MemoryByDateQuery(int month, int day) {
  return text::SjisFormat("SELECT * FROM [Memory] WHERE  [date]=%d%02d;", month, day);
}

// Opens a Memory row, or says which one is missing: the table must hold all
// 366 rows, and a missing one would silently lose that day's texts.
bool OpenMemoryRow(CDaoRecordset& rs, const std::string& query, std::string& error) {
  rs.Open(dbOpenDynaset, query);
  if (!rs.IsEOF()) return true;
  error = "The Memory table of " + std::string(kCalendarDatabase) + " has no row for: " + query;
  return false;
}

bool SetMemoryTexts(CDaoRecordset& rs, const std::string& query, const std::vector<std::pair<int, std::string>>& texts,
                    std::string& error) {
  if (!OpenMemoryRow(rs, query, error)) return false;
  rs.Edit();
  for (const auto& [column, value] : texts) rs.SetFieldValue(column, value);
  rs.Update();
  rs.Close();
  return true;
}

// The texts Memory holds for a year: for each day (100 × month + day) with
// an event, its term and phase texts (kNoEvent for none); a later event of
// the same kind on the same day replaces the earlier one, as in the table.
struct DayTexts {
  std::string term = kNoEvent;
  std::string phase = kNoEvent;
};
using YearTexts = std::map<int, DayTexts>;

YearTexts TextsOfYear(int year, const AstroYearEvents& events, const DateClock& lists) {
  YearTexts texts;
  for (const EventKind kind : {EventKind::SolarTerms, EventKind::MoonPhases}) {
    const bool terms = kind == EventKind::SolarTerms;
    for (const CalendarEvent& e : terms ? events.terms : events.phases) {
      const LocalTime t = JulianDayToDate(e.julianDay, lists);
      if (t.year != year) continue;
      DayTexts& day = texts[static_cast<int>(t.month) * 100 + static_cast<int>(t.day)];
      if (const std::optional<const char*> name = EventName(kind, e.angle))
        (terms ? day.term : day.phase) = EventText(*name, e.julianDay, lists);
    }
  }
  return texts;
}

// Writes the texts of the days with an event into their rows.
bool StoreTexts(CDaoRecordset& rs, const YearTexts& texts, std::string& error) {
  for (const auto& [date, day] : texts) {
    std::vector<std::pair<int, std::string>> columns;
    if (day.term != kNoEvent) columns.emplace_back(kTermColumn, day.term);
    if (day.phase != kNoEvent) columns.emplace_back(kPhaseColumn, day.phase);
    if (!SetMemoryTexts(rs, MemoryByDateQuery(date / 100, date % 100), columns, error)) return false;
  }
  return true;
}

}  // namespace

AstroYearEvents CollectYearEvents(int year, const Moment& settings, const Ephemeris& ephemeris) {
  const DateClock lists = ListClock(settings);
  return {YearEventTable(ephemeris, EventKind::SolarTerms, year, kYearEventDays, lists),
          YearEventTable(ephemeris, EventKind::MoonPhases, year, kYearEventDays, lists)};
}

std::string EventText(const char* name, JulianDay moment, const DateClock& lists) {
  return text::SjisFormat("%5s ", name ? name : "") + AstroTimeText(JulianDayToDate(moment, lists).hour);
}

namespace {

// Every row's term and phase text to " ", then the text of each event that
// falls in `year` into its day's row, inside the caller's transaction.
bool RewriteMemory(CDaoDatabase& db, const YearTexts& texts, std::string& error) {
  CDaoRecordset rs(&db);
  for (int id = 1; id <= kMemoryRows; ++id)
    if (!SetMemoryTexts(rs, MemoryByIdQuery(id), {{kTermColumn, kNoEvent}, {kPhaseColumn, kNoEvent}}, error))
      return false;
  return StoreTexts(rs, texts, error);
}

// Opens the calendar database for the yearly rewrite, refusing a file the
// engine finds damaged: nothing is committed into it.
bool OpenForRewrite(CDaoDatabase& db, std::string& error) {
  db.Open(kCalendarDatabase, false, false, kCalendarConnect);
  const std::string problem = db.IntegrityProblem();
  if (problem.empty()) return true;
  error = std::string(kCalendarDatabase) + " is damaged (" + problem + "); the Memory table was not written";
  return false;
}

}  // namespace

bool StoreYearEvents(int year, const AstroYearEvents& events, const DateClock& lists, std::string& error) {
  try {
    CDaoDatabase db;
    if (!OpenForRewrite(db, error)) return false;
    db.BeginTrans();
    if (!RewriteMemory(db, TextsOfYear(year, events, lists), error)) return false;  // closing the database rolls the rewrite back
    db.CommitTrans();
    db.Close();
    return true;
  } catch (const CDaoException& e) {
    error = DatabaseErrorText(kCalendarDatabase, e);
    return false;
  }
}

std::string YearlyHeaderLine() {
  return "  日時  , 日の出,日の入,太陽黄径,月の出,月の入,月黄径,水星出,水星入,金星出,金星入,火星出,火星入,"
         "木星出,木星入,土星出,土星入,東京満潮1,満潮2,干潮1,干潮2,二十四節季,月のこよみ";
}

namespace {

// Pieces 1 to 21 of a day line: the date and the day's table.
std::string YearlyDayHead(double year, double month, double day, const AstroTable& table,
                          const DateClock& placeClock) {
  const BodyPosition* b = table.bodies;
  const BodyTimes* t = table.times;
  auto time = [](const std::optional<double>& hours) { return EventMinuteText(hours, "--") + " ,"; };
  std::string line = text::SjisFormat("%04.0f%02.0f%02.0f , ", year, month, day);
  line += time(t[BodySun].rise) + time(t[BodySun].set);
  line += text::SjisFormat("%6.2f,", b[BodySun].longitude);
  line += time(t[BodyMoon].rise) + time(t[BodyMoon].set);
  line += text::SjisFormat("%6.2f ,", b[BodyMoon].longitude);
  for (int planet : {BodyMercury, BodyVenus, BodyMars, BodyJupiter}) line += time(t[planet].rise) + time(t[planet].set);
  line += time(t[BodySaturn].rise) + EventMinuteText(t[BodySaturn].set, "--") + " ,  ";
  for (int i = 0; i < kTideCount; ++i)
    line += text::SjisFormat("%5s ,", TideTimeText(TideMoment(table.tides, i), placeClock));
  return line;
}

// Pieces 22 and 23: the day's term and phase texts as Memory holds them.
std::string YearlyEventTail(const std::string& term, const std::string& phase) {
  std::string tail = term == kNoEvent ? std::string(",") : text::SjisFormat("%s ,", term);
  if (phase != kNoEvent) tail += text::SjisFormat("%s ,", phase);
  return tail;
}

}  // namespace

std::string YearlyDayLine(double year, double month, double day, const AstroTable& table,
                          const DateClock& placeClock, const std::string& term, const std::string& phase) {
  return YearlyDayHead(year, month, day, table, placeClock) + YearlyEventTail(term, phase);
}

namespace {

std::string FieldText(const CDaoRecordset& rs, int column) { return VariantToText(rs.GetFieldValue(column)); }

// One day of the file: its date and the part of its line the day's table
// gives.
struct YearlyDay {
  int month;
  int day;
  std::string head;
};

// Runs the request for every day of the input's year, in order. Needs no
// database, so it runs before the database is locked.
std::vector<YearlyDay> ComputeYearlyDays(const AstroInput& input, const AstroDayRequest& request) {
  Moment first = AstroInputMoment(input);
  first.month = first.day = 1.0;
  first.hour = 12.0;
  const DateClock on = PlaceClock(first);
  const JulianDay jd0 = MomentJulianDay(first);
  std::vector<YearlyDay> days;
  for (int k = 0; k < kMemoryRows; ++k) {
    const LocalTime t = JulianDayToDate(jd0 + k, on);
    if (t.year != first.year) break;
    const AstroTable table = request(t.month, t.day);
    days.push_back({static_cast<int>(t.month), static_cast<int>(t.day), YearlyDayHead(t.year, t.month, t.day, table, on)});
  }
  return days;
}

// What a day's read-back row should hold: its date and, when `written` is
// given, the texts just written. False with `error` naming the day.
bool ReadBackMatches(const CDaoRecordset& rs, const YearlyDay& day, const YearTexts* written, std::string& error) {
  const int date = day.month * 100 + day.day;
  bool ok = FieldText(rs, 1) == std::to_string(date);
  if (ok && written) {
    const auto it = written->find(date);
    const DayTexts expected = it == written->end() ? DayTexts{} : it->second;
    ok = FieldText(rs, kTermColumn) == expected.term && FieldText(rs, kPhaseColumn) == expected.phase;
  }
  if (!ok)
    error = "The Memory table of " + std::string(kCalendarDatabase) + " does not give back what was written for " +
            std::to_string(day.month) + "/" + std::to_string(day.day) + " (a damaged table or index)";
  return ok;
}

// The file's text: the header, then each day's line completed with its term
// and phase read back from Memory, each checked against `written` when given.
bool ReadYearlyText(CDaoDatabase& db, const std::vector<YearlyDay>& days, const YearTexts* written, std::string& out,
                    std::string& error) {
  out = YearlyHeaderLine() + "\n";
  CDaoRecordset rs(&db);
  for (const YearlyDay& day : days) {
    if (!OpenMemoryRow(rs, MemoryByDateQuery(day.month, day.day), error)) return false;
    if (!ReadBackMatches(rs, day, written, error)) return false;
    out += day.head + YearlyEventTail(FieldText(rs, kTermColumn), FieldText(rs, kPhaseColumn)) + "\n";
    rs.Close();
  }
  return true;
}

}  // namespace

bool WriteYearlyFile(const std::string& path, const AstroInput& input, const AstroDayRequest& request,
                     bool cp932, std::string& error) {
  std::string out;
  try {
    CDaoDatabase db;
    db.Open(kCalendarDatabase, false, true, kCalendarConnect);
    if (!ReadYearlyText(db, ComputeYearlyDays(input, request), nullptr, out, error)) return false;
  } catch (const CDaoException& e) {
    error = DatabaseErrorText(kCalendarDatabase, e);
    return false;
  }
  return WriteTextFileAtomically(path, out, cp932, error);
}

bool StoreAndWriteYearlyFile(int year, const AstroYearEvents& events, const std::string& path,
                             const AstroInput& input, const AstroDayRequest& request, bool cp932,
                             std::string& error) {
  std::string out;
  try {
    CDaoDatabase db;
    // A missing or damaged database fails before the year is computed.
    if (!OpenForRewrite(db, error)) return false;
    const std::vector<YearlyDay> days = ComputeYearlyDays(input, request);
    const YearTexts texts = TextsOfYear(year, events, ListClock(AstroInputMoment(input)));
    // Another run's rewrite waits here until this one has read its year back.
    db.BeginTrans();
    if (!RewriteMemory(db, texts, error) || !ReadYearlyText(db, days, &texts, out, error))
      return false;  // closing the database rolls the rewrite back
    db.CommitTrans();
    db.Close();
  } catch (const CDaoException& e) {
    error = DatabaseErrorText(kCalendarDatabase, e);
    return false;
  }
  return WriteTextFileAtomically(path, out, cp932, error);
}
