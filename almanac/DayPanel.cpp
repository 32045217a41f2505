#include "almanac/DayPanel.h"

#include "almanac/TypedForm.h"

#include <array>
#include <cmath>
#include <cstdlib>

#include "astro/MoonLight.h"
#include "astro/astro.h"
#include "astro/TermsPhases.h"
#include "caldb/Dao.h"
#include "caldb/DataTable.h"
#include "caldb/Eras.h"
#include "caldb/Lunisolar.h"
#include "core/Cpu.h"
#include "core/Text.h"
#include "holidays/Holidays.h"
#include "signs/Observances.h"
#include "signs/Signs.h"

using text::SjisFormat;

namespace {

constexpr std::size_t kFormFieldChars = 9;

// The list operations read the date texts as whole numbers; returns the year.
double ReadFormDateWhole(DayPanel& p) {
  auto whole = [](const std::string& s) { return static_cast<double>(std::atoi(s.substr(0, kFormFieldChars).c_str())); };
  p.m_dYear = whole(p.m_strYear);
  p.m_dMonth = whole(p.m_strMonth);
  p.m_dDay = whole(p.m_strDay);
  return p.m_dYear;
}

// The 二十四節季 field: the term's name on its day, else the term in force
// and the days since its day, "%5s + %2.0f"; empty when no list spans the day.
std::string SolarTermText(const DayReport& r) {
  if (!r.term) return std::string();
  const char* name = SolarTermNames[r.term->term];
  return r.termDay ? std::string(name) : SjisFormat("%5s + %2.0f", name, static_cast<double>(r.term->days));
}

std::string Field(const CDaoRecordset& rs, int index) { return VariantToText(rs.GetFieldValue(index)); }

void FillPentad(DayPanel& p, CDaoRecordset& rs, int pentad) {
  rs.Open(dbOpenDynaset, SjisFormat("SELECT * FROM [七十二候] WHERE [ID]=%3d;", pentad));
  p.m_strPentadName = Field(rs, 1);
  p.m_strPentadText = Field(rs, 2);
  rs.Close();
}

// The fields of the sun's values, written before the database is opened
// (the pentad's texts, read from it, are cleared).
void WriteSunFields(DayPanel& p, const DayReport& r) {
  p.m_strImperialYear = SjisFormat("%4d年", ImperialYear(r.at.year));
  p.m_strMonthName = MonthName(TruncToInt(r.at.month));
  p.m_strSolarTerm = SolarTermText(r);
  p.m_strSolarLongitude = SjisFormat(" %4.1f度", r.solarLongitude);
  p.m_strPentadName.clear();
  p.m_strPentadText.clear();
}

// The pentad's texts (a query) and the era: with the sun's fields, the
// panel's upper fields.
void WritePentadAndEra(DayPanel& p, const DayReport& r, CDaoRecordset& rs) {
  FillPentad(p, rs, r.pentad);
  p.m_strEra = EraPanelText(*r.era);
}

// The lower fields; the names of the day and year signs from the Data table.
void WriteLowerFields(DayPanel& p, const DayReport& r, DataTable& data) {
  using C = DataTable::Column;
  p.m_strNineStar = r.nineStar ? SjisFormat("%9s ", NineStarName(*r.nineStar)) : std::string();
  p.m_strLunarDate = r.lunarDate ? LunisolarDateText(*r.lunarDate) : std::string();
  const double j = r.noon;
  p.m_strWeekday = data.Text(WeekdayRow(j), C::kWeekday);
  // The six-day sign counts from the lunisolar date; a day without one has none.
  p.m_strSixDaySign = r.lunarDate ? data.Text(SixDaySignRow(r.lunarMonth, r.lunarDay), C::kSixDay) : "";
  const int stemRow = DayStemRow(j), branchRow = DayBranchRow(j);
  p.m_strSexagenary = data.Text(stemRow, C::kStem) + data.Text(branchRow, C::kBranch) + " " +
                      data.Text(stemRow, C::kStemReading) + data.Text(branchRow, C::kBranchReading);
  const int mansionRow = LunarMansionRow(j);
  p.m_strMansion = data.Text(mansionRow, C::kMansion) + " " + data.Text(mansionRow, C::kMansionReading);
  p.m_strImperialYear +=
      " " + data.Text(YearStemRow(r.at.year), C::kStem) + data.Text(YearBranchRow(r.at.year), C::kBranch);
  p.m_strMoonAge = r.moonAge ? SjisFormat("%5.1f  ", *r.moonAge) : std::string();
  p.m_strSoundSign = SoundSign(r.stem, r.branch);
  p.m_strTwelveDaySign = TwelveDaySign(r.branch, r.solarMonth);
}

// The panel's events of a kind (1 January and the 366 days after it) and their list items.
std::vector<std::string> EventItems(const DayPanel& p, const Ephemeris& ephemeris, EventKind kind, double year,
                                    std::vector<CalendarEvent>& events) {
  const DateClock lists = ListClock(p.m_at);
  events = YearEventTable(ephemeris, kind, year, kDayPanelListDays, lists);
  std::vector<std::string> items;
  for (const CalendarEvent& e : events) items.push_back(EventListItem(e.name, e.julianDay, lists));
  return items;
}

// The day's eclipses as list items, on the place's clock (as `eclipses` dates them).
void AddEclipses(DayPanel& p) {
  const DateClock on = PlaceClock(p.m_at);
  p.m_eclipses = eclipses::EclipsesOfDay(p.m_dYear, p.m_dMonth, p.m_dDay, on, p.m_at.place);
  for (const precise::LunarEclipse& e : p.m_eclipses.lunar) p.m_listSeasonalDays.push_back(eclipses::ListItem(e, on));
  for (const precise::SolarEclipse& e : p.m_eclipses.solar) p.m_listSeasonalDays.push_back(eclipses::ListItem(e, on));
}

}  // namespace

double ReadFormNumber(const std::string& text) { return std::atof(text.substr(0, kFormFieldChars).c_str()); }

void WriteFormDate(DayPanel& p, double year, double month, double day, double hour) {
  p.m_strYear = SjisFormat("%4.0f", year);
  p.m_strMonth = SjisFormat("%2.0f", month);
  p.m_strDay = SjisFormat("%2.0f", day);
  p.m_strHour = HourFieldText(hour);
}

Moment ReadFormMoment(const DayPanel& p, const std::string& hourText, const Moment& settings) {
  Moment m = settings;
  m.year = ReadFormNumber(p.m_strYear);
  m.month = ReadFormNumber(p.m_strMonth);
  m.day = ReadFormNumber(p.m_strDay);
  m.hour = ReadFormNumber(hourText);
  return m;
}

void FillDayPanel(DayPanel& p, const Moment& at, const Ephemeris& ephemeris, const std::string& databasePath) {
  // The window calls these right after Qt's drawing: without this the sun and
  // moon searches below run several times slower.
  cpu::ClearUpperVectorState();
  // The lists and the observances filled after the panel follow its moment.
  p.m_at = at;
  p.m_dYear = at.year;
  p.m_dMonth = at.month;
  p.m_dDay = at.day;
  p.m_report = SunReport(at, ephemeris);
  WriteSunFields(p, p.m_report);
  // One connection for every lookup of the report and the fields.
  CDaoDatabase db;
  db.Open(databasePath, true, true, kCalendarConnect);
  CDaoRecordset rs(&db);
  try {
    CompleteDayReport(ephemeris, db, p.m_report);
  } catch (const CDaoException&) {
    // The upper fields are shown once the era is known.
    if (p.m_report.era) WritePentadAndEra(p, p.m_report, rs);
    throw;
  }
  WritePentadAndEra(p, p.m_report, rs);
  DataTable data(db);
  WriteLowerFields(p, p.m_report, data);
  db.Close();
}

void FillSelectedDays(DayPanel& p) {
  const DayReport& r = p.m_report;
  p.m_listSelectedDays = SelectedDays(r.solarMonth, r.branch, r.stem);
}

std::optional<std::string> HolidayOfPanel(const DayPanel& p, const Ephemeris& ephemeris) {
  // Compared as a double first: the form's texts may hold any number.
  if (!(p.m_dYear >= holidays::kFirstYear && p.m_dYear < holidays::kLastYear + 1)) return std::nullopt;
  return holidays::HolidayName(TruncToInt(p.m_dYear), TruncToInt(p.m_dMonth), TruncToInt(p.m_dDay), ephemeris);
}

DayAdditions ShownAdditions(const Conf& conf) {
  return {holidays::Shown(conf), eclipses::Shown(conf), moonlight::Shown(conf)};
}

void FillSeasonalDays(DayPanel& p, const Ephemeris& ephemeris, const std::string& anniversariesPath,
                      DayAdditions additions) {
  cpu::ClearUpperVectorState();
  p.m_listSeasonalDays.clear();
  if (const std::optional<std::string> holiday = additions.holiday ? HolidayOfPanel(p, ephemeris) : std::nullopt)
    p.m_listSeasonalDays.push_back(*holiday);
  p.m_eclipses = {};
  if (additions.eclipses) AddEclipses(p);
  AnniversaryFile anniversaries = ReadAnniversaryFile(anniversariesPath);
  p.m_strAnniversaryWarning = std::move(anniversaries.warning);
  for (std::string& item : AnniversariesOn(anniversaries.list, p.m_dMonth, p.m_dDay))
    p.m_listSeasonalDays.push_back(std::move(item));
  const DayReport& r = p.m_report;
  const SeasonalInputs inputs = SeasonalInputsOf(r, ephemeris);
  for (std::string& item : SeasonalDays(inputs.sunDegree, inputs.daysSinceSpring, r.stem, r.branch, r.noon))
    p.m_listSeasonalDays.push_back(std::move(item));
}

void FillPhaseList(DayPanel& p, const Ephemeris& ephemeris) {
  p.m_listPhases = EventItems(p, ephemeris, EventKind::MoonPhases, ReadFormDateWhole(p), p.m_phaseEvents);
}

void FillTermList(DayPanel& p, const Ephemeris& ephemeris) {
  p.m_listTerms = EventItems(p, ephemeris, EventKind::SolarTerms, ReadFormDateWhole(p), p.m_termEvents);
}

std::vector<std::pair<std::string, std::string>> DayPanelFields(const DayPanel& p) {
  return {
      {"神武天皇即位紀元", p.m_strImperialYear},
      {"和名月", p.m_strMonthName},
      {"二十四節季", p.m_strSolarTerm},
      {"黄経", p.m_strSolarLongitude},
      {"七十二候", p.m_strPentadName},
      {"七十二候2", p.m_strPentadText},
      {"和暦", p.m_strEra},
      {"九星", p.m_strNineStar},
      {"旧暦", p.m_strLunarDate},
      {"曜日", p.m_strWeekday},
      {"六曜", p.m_strSixDaySign},
      {"干支", p.m_strSexagenary},
      {"二十八宿", p.m_strMansion},
      {"月齢", p.m_strMoonAge},
      {"納音", p.m_strSoundSign},
      {"十二直", p.m_strTwelveDaySign},
  };
}
