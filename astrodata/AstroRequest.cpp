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
  Moment m;
  m.year = std::atof(input.year.c_str());
  m.month = std::atof(input.month.c_str());
  m.day = std::atof(input.day.c_str());
  m.hour = std::atof(input.hour.c_str());
  m.place.longitude = std::atof(input.longitude.c_str());
  m.place.latitude = std::atof(input.latitude.c_str());
  m.calendarMode = input.calendarMode;
  m.model = input.model;
  return m;
}

void ComputeAstroRequest(const AstroInput& input, AstroTable& table) {
  // Called from the data window between Qt's drawings (see core/Cpu.h).
  cpu::ClearUpperVectorState();
  ComputeAstroTable(AstroInputMoment(input), table);
}

double AstroCellValue(const AstroTable& table, int row, AstroColumn column) {
  const BodyPosition& b = table.bodies[kAstroTableRows[row]];
  switch (column) {
    case ColumnRise: return b.riseTime;
    case ColumnTransit: return b.transitTime;
    case ColumnSet: return b.setTime;
    case ColumnLongitude: return b.longitude;
    case ColumnLatitude: return b.latitude;
    case ColumnRightAscension: return b.rightAscension;
    case ColumnDeclination: return b.declination;
    case ColumnAzimuth: return b.azimuth;
    case ColumnAltitude: return b.altitude;
  }
  return 0.0;
}

std::string AstroCellText(const AstroTable& table, int row, AstroColumn column) {
  const double value = AstroCellValue(table, row, column);
  return column <= ColumnSet ? AstroTimeText(value) : AstroAngleText(value);
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

// The name index of an event's angle; -1 (an empty name) for a non-finite one.
int NameIndex(double angle, double step) {
  const double k = std::trunc(angle / step);
  return std::isfinite(k) && std::fabs(k) < 1000 ? static_cast<int>(k) : -1;
}

// The texts Memory holds for a year: for each day (100 × month + day) with
// an event, its term and phase texts (kNoEvent for none); a later event of
// the same kind on the same day replaces the earlier one, as in the table.
struct DayTexts {
  std::string term = kNoEvent;
  std::string phase = kNoEvent;
};
using YearTexts = std::map<int, DayTexts>;

YearTexts TextsOfYear(int year, const AstroYearEvents& events) {
  YearTexts texts;
  for (const bool terms : {true, false}) {
    for (const CalendarEvent& e : terms ? events.terms : events.phases) {
      double y = 0, m = 0, d = 0, h = 0;
      JulianDayToDate(e.julianDay, y, m, d, h, kJstLongitude);
      if (y != year) continue;
      DayTexts& day = texts[static_cast<int>(m) * 100 + static_cast<int>(d)];
      if (terms)
        day.term = EventText(SolarTermName(NameIndex(e.angle, 15.0)), e.julianDay);
      else
        day.phase = EventText(MoonPhaseName(NameIndex(e.angle, 90.0)), e.julianDay);
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

std::vector<CalendarEvent> YearEventVector(AstroModel model, EventKind kind, int year) {
  std::vector<CalendarEvent> events(kEventTableSize);
  events.resize(YearEventTable(model, kind, year, kYearEventDays, events.data()));
  return events;
}

}  // namespace

void CollectYearEvents(int year, AstroYearEvents& events, AstroModel model) {
  events.terms = YearEventVector(model, EventKind::SolarTerms, year);
  events.phases = YearEventVector(model, EventKind::MoonPhases, year);
}

std::string EventText(const char* name, JulianDay moment) {
  double y = 0, m = 0, d = 0, h = 0;
  JulianDayToDate(moment, y, m, d, h, kJstLongitude);
  return text::SjisFormat("%5s ", name ? name : "") + AstroTimeText(h);
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

bool StoreYearEvents(int year, const AstroYearEvents& events, std::string& error) {
  try {
    CDaoDatabase db;
    if (!OpenForRewrite(db, error)) return false;
    db.BeginTrans();
    if (!RewriteMemory(db, TextsOfYear(year, events), error)) return false;  // closing the database rolls the rewrite back
    db.CommitTrans();
    db.Close();
    return true;
  } catch (const CDaoException& e) {
    error = e.what();
    return false;
  }
}

std::string YearlyHeaderLine() {
  return "  日時  , 日の出,日の入,太陽黄径,月の出,月の入,月黄径,水星出,水星入,金星出,金星入,火星出,火星入,"
         "木星出,木星入,土星出,土星入,東京満潮1,満潮2,干潮1,干潮2,二十四節季,月のこよみ";
}

namespace {

// Pieces 1 to 21 of a day line: the date and the day's table.
std::string YearlyDayHead(double year, double month, double day, const AstroTable& table) {
  const BodyPosition* b = table.bodies;
  auto time = [](double hours) { return HoursMinutesText(hours) + " ,"; };
  std::string line = text::SjisFormat("%04.0f%02.0f%02.0f , ", year, month, day);
  line += time(b[BodySun].riseTime) + time(b[BodySun].setTime);
  line += text::SjisFormat("%6.2f,", b[BodySun].longitude);
  line += time(b[BodyMoon].riseTime) + time(b[BodyMoon].setTime);
  line += text::SjisFormat("%6.2f ,", b[BodyMoon].longitude);
  for (int planet : {BodyMercury, BodyVenus, BodyMars, BodyJupiter})
    line += time(b[planet].riseTime) + time(b[planet].setTime);
  line += time(b[BodySaturn].riseTime) + HoursMinutesText(b[BodySaturn].setTime) + " ,  ";
  for (const std::string& tide : table.tideTexts) line += text::SjisFormat("%5s ,", tide);
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
                          const std::string& term, const std::string& phase) {
  return YearlyDayHead(year, month, day, table) + YearlyEventTail(term, phase);
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
  const double year = std::atof(input.year.c_str());
  const double longitude = std::atof(input.longitude.c_str());
  const JulianDay jd0 = DateToJulianDay(year, 1, 1, 12.0, longitude, input.calendarMode);
  std::vector<YearlyDay> days;
  AstroTable table;
  for (int k = 0; k < kMemoryRows; ++k) {
    double y = 0, m = 0, d = 0, h = 0;
    JulianDayToDate(jd0 + k, y, m, d, h, longitude, input.calendarMode);
    if (y != year) break;
    request(m, d, table);
    days.push_back({static_cast<int>(m), static_cast<int>(d), YearlyDayHead(y, m, d, table)});
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
    error = e.what();
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
    const YearTexts texts = TextsOfYear(year, events);
    // Another run's rewrite waits here until this one has read its year back.
    db.BeginTrans();
    if (!RewriteMemory(db, texts, error) || !ReadYearlyText(db, days, &texts, out, error))
      return false;  // closing the database rolls the rewrite back
    db.CommitTrans();
    db.Close();
  } catch (const CDaoException& e) {
    error = e.what();
    return false;
  }
  return WriteTextFileAtomically(path, out, cp932, error);
}
