#include "signs/Signs.h"

#include <array>
#include <climits>
#include <cmath>

#include "astro/TimeScales.h"

namespace {

template <std::size_t N>
const char* Pick(const std::array<const char*, N>& table, int index) {
  return table[static_cast<std::size_t>(index) % N];
}

const std::array<const char*, 9> kNineStars = {"一白水星", "二黒土星", "三碧木星", "四緑木星", "五黄土星",
                                               "六白金星", "七赤金星", "八白土星", "九紫火星"};
const std::array<const char*, 12> kTwelveDaySigns = {"建 たつ", "除 のぞく", "満 みつ", "平 たいら",
                                                     "定 さだん", "執 とる", "破 やぶる", "危 あやぶ",
                                                     "成 なる", "納 おさん", "開 ひらく", "閉 とづ"};
const std::array<const char*, 12> kMonthNames = {"睦月　", "如月　", "弥生　", "卯月　", "皐月　", "水無月",
                                                 "文月　", "葉月　", "長月　", "神無月", "霜月　", "師走　"};
// Sound sign element by stem pair (甲乙, 丙丁, 戊己, 庚辛, 壬癸) and branch pair
// class (子丑/午未, 寅卯/申酉, 辰巳/戌亥).
const char* const kSoundSigns[5][3] = {
    {"金", "水", "火"}, {"水", "火", "土"}, {"火", "土", "木"}, {"土", "木", "金"}, {"木", "金", "水"}};

// Years are whole numbers; a fraction typed into the year field is dropped.
double WholeYear(double year) { return std::isfinite(year) ? std::trunc(year) : 0.0; }

int Wrap(int value, int n) {
  int r = value % n;
  return r < 0 ? r + n : r;
}

}  // namespace

int CycleIndex(double x, double k, int n) {
  double r = std::fmod(x + k, static_cast<double>(n));
  if (!std::isfinite(r)) return 0;
  // floor, not truncation, so the cycles run on through negative day numbers.
  return Wrap(static_cast<int>(std::floor(r)), n);
}

int TruncToInt(double x) {
  if (std::isnan(x)) return 0;
  if (x >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (x <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(x);
}

int NineStarNumber(double j, double s1, double s2, CalendarRule calendar) {
  double sel = s2 <= j ? s2 : s1;
  const double m = JulianDayToDate(sel, DayCountClock(calendar)).month;
  bool downwards = m > 2 && m <= 8;  // a switch day near the summer solstice
  int b = CycleIndex(j - sel, 0, 9);
  return downwards ? 9 - b : b + 1;
}

std::string NineStar(double j, double s1, double s2, CalendarRule calendar) {
  return NineStarName(NineStarNumber(j, s1, s2, calendar));
}

std::string NineStarName(int number) { return Pick(kNineStars, number - 1); }

std::string SoundSign(int stem, int branch) {
  int stemPair = Wrap(stem + 9, 10) / 2;
  int branchPair = (Wrap(branch, 6) + 5) % 6 / 2;
  return kSoundSigns[stemPair][branchPair];
}

std::string TwelveDaySign(int branch, int solarMonth) {
  return Pick(kTwelveDaySigns, Wrap(Wrap(branch, 12) - Wrap(solarMonth, 12) + 22, 12));
}

std::string MonthName(int month) {
  if (month < 1 || month > 12) return "";
  return kMonthNames[static_cast<std::size_t>(month - 1)];
}

int ImperialYear(double year) { return TruncToInt(year + 660); }

int SexagenaryPosition(double j) { return CycleIndex(j, -10, 60); }

int SolarTermMonth(int roundedLongitude) { return Wrap(roundedLongitude + 45, 360) / 30 + 1; }

int RoundedLongitude(double longitude) {
  double r = std::floor(longitude + 0.5);
  if (!std::isfinite(r)) return 0;
  return Wrap(static_cast<int>(std::fmod(r, 360.0)), 360);
}

int WeekdayRow(double j) { return CycleIndex(j, 3, 7); }
int SixDaySignRow(double lunarMonth, double lunarDay) { return CycleIndex(lunarMonth + lunarDay, 5, 6); }
int DayStemRow(double j) { return CycleIndex(j, 2, 10); }
int DayBranchRow(double j) { return CycleIndex(j, 2, 12); }
int LunarMansionRow(double j) { return CycleIndex(j, 13, 28); }
int YearStemRow(double year) { return CycleIndex(WholeYear(year), 5998, 10); }
int YearBranchRow(double year) { return CycleIndex(WholeYear(year), 5996, 12); }
int StemNumberOfRow(int stemRow) { return Wrap(stemRow + 9, 10); }
int BranchNumberOfRow(int branchRow) { return Wrap(branchRow + 1, 12); }
