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

struct TermDay {
  std::string name;
  double noon;  // 12:00 JST of the term's day
};

// The 400-day term list from 1 January of a year, as BuildSolarTermTable gives
// it. It depends only on the year, the calendar rule, the zone and the
// model, and building it costs a search over 400 days, so each thread keeps
// the last two years it asked for.
struct TermYear {
  bool filled = false;
  double year = 0;
  CalendarRule calendar = CalendarRule::JulianThenGregorian;
  std::string zone;
  AstroModel model = AstroModel::Design;
  std::vector<TermDay> terms;
};

const std::vector<TermDay>& TermDaysOfYear(double year, const Moment& at) {
  thread_local std::array<TermYear, 2> cache;
  thread_local std::size_t next = 0;
  for (const TermYear& c : cache)
    if (c.filled && c.year == year && c.calendar == at.calendar && c.zone == at.zone.Name() && c.model == at.model)
      return c.terms;
  TermYear& c = cache[next];
  next = (next + 1) % cache.size();
  c = TermYear{true, year, at.calendar, at.zone.Name(), at.model, {}};
  for (const CalendarEvent& e : YearEventTable(EphemerisOf(at.model), EventKind::SolarTerms, year, 400, ListClock(at)))
    c.terms.push_back({e.name, DayNoon(e.year, e.month, e.day, at.calendar)});
  return c.terms;
}

struct TermInForce {
  std::string name;
  double days;  // since the term's day
};

// The term of `terms` in force at noon jd: the last one on or before it;
// none when jd lies outside the list's span.
std::optional<TermInForce> TermOn(const std::vector<TermDay>& terms, double jd) {
  for (std::size_t i = 0; i + 1 < terms.size(); ++i)
    if (terms[i].noon <= jd && jd < terms[i + 1].noon) return TermInForce{terms[i].name, jd - terms[i].noon};
  return std::nullopt;
}

// The current term and the days since its day: "%5s + %2.0f", read from the
// list of the day's year (for 1 to 9 January the previous year's, which spans
// them). The year is the date's own, so that a date written past its month
// (month 0 or 13, day 40) is read in the list that spans it. A day no list
// spans (a model without terms in an absurd year) leaves the field empty.
std::string CurrentTermText(const DayPanel& p) {
  const double jd = DayNoon(p.m_dYear, p.m_dMonth, p.m_dDay, p.m_at.calendar);
  const LocalTime date = JulianDayToDate(jd, DayCountClock(p.m_at.calendar));
  const double year = date.month == 1 && date.day < 10 ? date.year - 1 : date.year;
  const std::optional<TermInForce> term = TermOn(TermDaysOfYear(year, p.m_at), jd);
  return term ? SjisFormat("%5s + %2.0f", term->name, term->days) : std::string();
}

std::string Field(const CDaoRecordset& rs, int index) { return VariantToText(rs.GetFieldValue(index)); }

void FillPentad(DayPanel& p, CDaoRecordset& rs, int rounded) {
  rs.Open(dbOpenDynaset, SjisFormat("SELECT * FROM [七十二候] WHERE [ID]=%3d;", rounded / 5 + 1));
  p.m_strPentadName = Field(rs, 1);
  p.m_strPentadText = Field(rs, 2);
  rs.Close();
}

// The later of the two recent new moons that is not after jd.
std::optional<double> LastNewMoon(const Moment& at, double jd) {
  const MomentPair moons = EphemerisOf(at.model).RecentNewMoons(jd, ListClock(at));
  return moons.second && *moons.second <= jd ? moons.second : moons.first;
}

// Day signs, year signs and mansion from the Data table (noon JD j).
void FillDataSigns(DayPanel& p, DataTable& data, double j, bool haveLunarDate) {
  using C = DataTable::Column;
  p.m_strWeekday = data.Text(WeekdayRow(j), C::kWeekday);
  // The six-day sign counts from the lunisolar date; a day without one has none.
  p.m_strSixDaySign = haveLunarDate ? data.Text(SixDaySignRow(p.m_dLunarMonth, p.m_dLunarDay), C::kSixDay) : "";
  const int stemRow = DayStemRow(j), branchRow = DayBranchRow(j);
  p.m_strSexagenary = data.Text(stemRow, C::kStem) + data.Text(branchRow, C::kBranch) + " " +
                      data.Text(stemRow, C::kStemReading) + data.Text(branchRow, C::kBranchReading);
  const int mansionRow = LunarMansionRow(j);
  p.m_strMansion = data.Text(mansionRow, C::kMansion) + " " + data.Text(mansionRow, C::kMansionReading);
  p.m_strImperialYear +=
      " " + data.Text(YearStemRow(p.m_dYear), C::kStem) + data.Text(YearBranchRow(p.m_dYear), C::kBranch);
  p.m_nDayStem = StemNumberOfRow(stemRow);
  p.m_nDayBranch = BranchNumberOfRow(branchRow);
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

void FillDayPanel(DayPanel& p, const Moment& at, const std::string& databasePath) {
  // The window calls these right after Qt's drawing: without this the sun and
  // moon searches below run several times slower.
  cpu::ClearUpperVectorState();
  // The lists and the observances filled after the panel follow its moment.
  p.m_at = at;
  const Ephemeris& ephemeris = EphemerisOf(at.model);
  const DateClock lists = ListClock(at);
  p.m_dYear = at.year;
  p.m_dMonth = at.month;
  p.m_dDay = at.day;
  p.m_strImperialYear = SjisFormat("%4d年", ImperialYear(at.year));
  p.m_strMonthName = MonthName(TruncToInt(at.month));
  p.m_strSolarTerm.clear();
  p.m_strSolarLongitude.clear();
  p.m_strPentadName.clear();
  p.m_strPentadText.clear();

  const SolarTermDay termDay = ephemeris.SolarTermOfDay(at.year, at.month, at.day, lists);
  double longitude = termDay.longitude;
  p.m_strSolarTerm = termDay.term ? std::string(SolarTermNames[*termDay.term]) : CurrentTermText(p);
  // A longitude just short of 0 rounds to it: no "-0.0".
  if (longitude < 0.0 && longitude > -0.05) longitude = 0.0;
  p.m_strSolarLongitude = SjisFormat(" %4.1f度", longitude);
  p.m_dSolarLongitude = longitude;
  const int rounded = RoundedLongitude(longitude);

  // One connection for every lookup of the panel.
  CDaoDatabase db;
  db.Open(databasePath, true, true, kCalendarConnect);
  CDaoRecordset rs(&db);
  FillPentad(p, rs, rounded);
  p.m_strEra = EraPanelText(EraForYear(db, p.m_dYear));

  const double jd = DayNoon(at.year, at.month, at.day, at.calendar);
  const MomentPair switches = ephemeris.SolsticeCycleStartDays(jd, lists);
  p.m_strNineStar = switches.first && switches.second
                        ? SjisFormat("%9s ", NineStar(jd, *switches.first, *switches.second, at.calendar))
                        : std::string();

  LunisolarResult lunar = LunisolarLookup(db, at.year, at.month, at.day, p.m_dYear, p.m_dMonth, at.calendar);
  p.m_dLunarMonth = lunar.lunarMonth;
  p.m_dLunarDay = lunar.lunarDay;
  const std::optional<LunisolarDate> lunarDate = LunisolarDateOf(lunar.row.flag, lunar.lunarMonth, lunar.lunarDay);
  p.m_strLunarDate = lunarDate ? LunisolarDateText(*lunarDate) : "";
  p.m_bLeapMonth = lunar.found && lunar.row.flag == 2;
  p.m_dNoonJulianDay = DayNoon(p.m_dYear, p.m_dMonth, p.m_dDay, at.calendar);

  DataTable data(db);
  FillDataSigns(p, data, p.m_dNoonJulianDay, lunarDate.has_value());
  const std::optional<double> newMoon = LastNewMoon(at, jd);
  p.m_dMoonAge = newMoon ? std::optional<double>(jd - *newMoon) : std::nullopt;
  p.m_strMoonAge = p.m_dMoonAge ? SjisFormat("%5.1f  ", *p.m_dMoonAge) : std::string();
  p.m_strSoundSign = SoundSign(p.m_nDayStem, p.m_nDayBranch);
  const int solarMonth = SolarTermMonth(rounded);
  p.m_dSolarMonth = solarMonth;
  p.m_strTwelveDaySign = TwelveDaySign(p.m_nDayBranch, solarMonth);
  db.Close();
}

void FillSelectedDays(DayPanel& p) {
  p.m_listSelectedDays = SelectedDays(TruncToInt(p.m_dSolarMonth), p.m_nDayBranch, p.m_nDayStem);
}

std::optional<std::string> HolidayOfPanel(const DayPanel& p) {
  // Compared as a double first: the form's texts may hold any number.
  if (!(p.m_dYear >= holidays::kFirstYear && p.m_dYear < holidays::kLastYear + 1)) return std::nullopt;
  return holidays::HolidayName(TruncToInt(p.m_dYear), TruncToInt(p.m_dMonth), TruncToInt(p.m_dDay),
                               EphemerisOf(p.m_at.model));
}

DayAdditions ShownAdditions(const Conf& conf) {
  return {holidays::Shown(conf), eclipses::Shown(conf), moonlight::Shown(conf)};
}

void FillSeasonalDays(DayPanel& p, const std::string& anniversariesPath, DayAdditions additions) {
  cpu::ClearUpperVectorState();
  p.m_listSeasonalDays.clear();
  if (const std::optional<std::string> holiday = additions.holiday ? HolidayOfPanel(p) : std::nullopt)
    p.m_listSeasonalDays.push_back(*holiday);
  p.m_eclipses = {};
  if (additions.eclipses) AddEclipses(p);
  AnniversaryFile anniversaries = ReadAnniversaryFile(anniversariesPath);
  p.m_strAnniversaryWarning = std::move(anniversaries.warning);
  for (std::string& item : AnniversariesOn(anniversaries.list, p.m_dMonth, p.m_dDay))
    p.m_listSeasonalDays.push_back(std::move(item));
  // The sun's degree is that of the work date, which the panel's last search
  // left on the local date of the day's noon; it is taken from that noon here
  // rather than from the shared globals, so nothing run in between can move it.
  const Ephemeris& ephemeris = EphemerisOf(p.m_at.model);
  const DateClock lists = ListClock(p.m_at);
  const LocalTime date = JulianDayToDate(p.m_dNoonJulianDay, DayCountClock(p.m_at.calendar));
  const std::optional<SunDegree> degree = ephemeris.SunDegreeOfDay(date.year, date.month, date.day, lists);
  const std::optional<int> sinceSpring = ephemeris.DaysSinceSpringBegins(p.m_dYear, p.m_dMonth, p.m_dDay, lists);
  const std::optional<double> whole = degree ? std::optional<double>(degree->degree) : std::nullopt;
  for (std::string& item : SeasonalDays(whole, sinceSpring, p.m_nDayStem, p.m_nDayBranch, p.m_dNoonJulianDay))
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
