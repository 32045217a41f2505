#include "signs/Observances.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <limits>

#include "core/Files.h"
#include "core/Text.h"
#include "signs/Signs.h"

namespace {

bool In(int v, std::initializer_list<int> set) {
  for (int x : set)
    if (x == v) return true;
  return false;
}

// The branch a month-indexed rule names for solar month m (1..12).
bool BranchOfMonth(int m, int b, const int (&branches)[12]) { return m >= 1 && m <= 12 && branches[m - 1] == b; }

const int kBlackDay[12] = {11, 5, 0, 6, 1, 7, 2, 8, 3, 9, 4, 10};
const int kBloodDay[12] = {2, 8, 3, 9, 4, 10, 5, 11, 6, 0, 7, 1};
const int kEarthFireDay[12] = {6, 7, 8, 9, 10, 11, 0, 1, 2, 3, 4, 5};

// Months in the quarter rules: 1,4,7,10 / 2,5,8,11 / 3,6,9,12.
int Quarter(int m) { return (m - 1) % 3; }

const int kTenDeathDay[3] = {10, 6, 2};
const int kReturnAvoidDay[3] = {2, 3, 1};

bool TenDeathDay(int m, int b) { return m >= 1 && m <= 12 && b == kTenDeathDay[Quarter(m)]; }
bool ReturnAvoidDay(int m, int b) { return m >= 1 && m <= 12 && b == kReturnAvoidDay[Quarter(m)]; }

bool RepeatDay(int m, int s) {
  if (In(m, {1, 7})) return In(s, {1, 7});
  if (In(m, {2, 8})) return In(s, {2, 8});
  if (In(m, {4, 10})) return In(s, {3, 9});
  if (In(m, {5, 11})) return In(s, {4, 0});
  if (In(m, {3, 6, 9, 12})) return In(s, {5, 6});
  return false;
}

bool HeavenFireDay(int m, int b) { return m >= 1 && m <= 12 && b == 1 + 3 * ((m - 1) % 4); }

bool HeavenGraceDay(int s, int b) {
  static const int pairs[][2] = {{1, 1}, {2, 2}, {3, 3}, {4, 4},  {5, 5},  {6, 4}, {6, 10}, {7, 5},
                                 {7, 11}, {8, 6}, {8, 0}, {9, 7}, {9, 1}, {0, 8}, {0, 2}};
  for (const auto& p : pairs)
    if (p[0] == s && p[1] == b) return true;
  return false;
}

bool MotherStoreDay(int m, int b) {
  if (In(m, {1, 2})) return In(b, {1, 0});
  if (In(m, {3, 6, 9, 12})) return In(b, {6, 7});
  if (In(m, {4, 5})) return In(b, {3, 4});
  if (In(m, {7, 8})) return In(b, {2, 5, 8, 11});
  if (In(m, {10, 11})) return In(b, {9, 10});
  return false;
}

// The branch of 三隣亡 in the 30° sector of degree l (-15 ≤ l < 345, as
// SeasonalDays folds it) counted from 315°: 亥, 寅, 午 in turn; none for a
// degree outside that range.
std::optional<int> ThreeNeighboursBranch(double l) {
  static const int branches[3] = {0, 3, 7};
  if (!(l >= -15 && l < 360)) return std::nullopt;
  int sector = static_cast<int>(std::fmod(l - 315.0 + 720.0, 360.0) / 30.0);
  return branches[sector % 3];
}

}  // namespace

std::vector<std::string> SelectedDays(int m, int b, int s) {
  std::vector<std::string> items;
  if (BranchOfMonth(m, b, kBlackDay)) items.push_back("黒日 くろび");
  if (TenDeathDay(m, b)) items.push_back("十死日　じゅうしにち");
  if (ReturnAvoidDay(m, b)) items.push_back("帰忌日　きこにち");
  if (BranchOfMonth(m, b, kBloodDay)) items.push_back("血忌日　ちいみにち");
  if (RepeatDay(m, s)) items.push_back("復日　ふくにち");
  if (HeavenFireDay(m, b)) items.push_back("天火日　てんかにち");
  if (BranchOfMonth(m, b, kEarthFireDay)) items.push_back("地火日　じかにち");
  if (HeavenGraceDay(s, b)) items.push_back("天恩日 てんおんにち");
  if (MotherStoreDay(m, b)) items.push_back("母倉日 ぼそうにち");
  return items;
}

std::vector<std::string> SeasonalDays(std::optional<double> sunDegree, std::optional<int> daysSinceSpring, int s,
                                      int b, double j) {
  // A day without a whole degree matches no rule of the degree, a day
  // without a 立春 to count from none of the count (an optional compares
  // unequal to every number).
  std::vector<std::string> items;
  const std::optional<double>& l = sunDegree;
  const std::optional<int>& n = daysSinceSpring;
  if (l == 80) items.push_back("入梅");
  if (l == 100) items.push_back("半夏生");
  if (l == 27 || l == 117 || l == 207 || l == 297) items.push_back("土用");
  if (l == 357 || l == 177) items.push_back("彼岸");
  if (n == -1) items.push_back("節分");
  if (n == 0) items.push_back("立春");
  if (n == 87) items.push_back("八十八夜");
  if (n == 209) items.push_back("二百十日");
  // The degree folded to -15 .. 345, so that 社日 and 三隣亡 read 345..359 as
  // just before 0.
  std::optional<double> folded;
  if (l) folded = *l > 345 ? *l - 360 : *l;
  if (s == 5 && folded && ((-10 <= *folded && *folded < 10) || (170 <= *folded && *folded <= 190)))
    items.push_back("社日");
  int d = CycleIndex(j, 2 - 11, 60);  // the cycle position plus one: 甲子 1 … 癸亥 0
  if (d == 50 || d == 53 || d == 55 || d == 59) items.push_back("ま日");
  if (d == 49) items.push_back("八せんはじめ");
  if (d == 0) items.push_back("八せんおはり");
  if (d == 21) items.push_back("十方くれﾆ入る");
  if (d == 30) items.push_back("天一天上");
  if (s == 7 && folded) {
    if (110 <= *folded && *folded < 120) items.push_back("初伏");
    if (120 <= *folded && *folded < 130) items.push_back("中伏");
    if (135 <= *folded && *folded < 145) items.push_back("末伏");
  }
  if (folded && ThreeNeighboursBranch(*folded) == b) items.push_back("三隣亡");
  return items;
}

namespace {

constexpr int kMaxAnniversaryLines = 600;
constexpr std::size_t kMaxLineWidth = 99;  // CP932 bytes, as the line buffer of 100 holds
// 600 lines of at most 99 characters of three UTF-8 bytes and a line end fit
// here; anything longer is an overlong line that ends the reading anyway.
constexpr std::size_t kMaxReadBytes = 256 * 1024;

std::size_t Utf8SequenceLength(unsigned char c) {
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0) return 2;
  if ((c & 0xF0) == 0xE0) return 3;
  if ((c & 0xF8) == 0xF0) return 4;
  return 1;
}

// The longest prefix of a UTF-8 text whose CP932 width is at most `width`.
std::string CutToCp932Width(const std::string& line, std::size_t width) {
  std::size_t used = 0, pos = 0;
  while (pos < line.size()) {
    std::size_t len = std::min(Utf8SequenceLength(static_cast<unsigned char>(line[pos])), line.size() - pos);
    std::size_t w = text::Cp932Width(std::string_view(line).substr(pos, len));
    if (used + w > width) break;
    used += w;
    pos += len;
  }
  return line.substr(0, pos);
}

// The file's head as UTF-8: the decision between CP932 and UTF-8 is made on
// whole lines, so a read cut inside a character does not flip it. `clean`
// tells whether those lines decode without doubt.
std::string DecodeHead(const std::string& bytes, bool cut, bool& clean) {
  std::string_view whole(bytes);
  if (cut) {
    std::size_t nl = bytes.rfind('\n');
    whole = nl == std::string::npos ? whole.substr(0, whole.size() - std::min<std::size_t>(3, whole.size()))
                                    : whole.substr(0, nl + 1);
  }
  clean = text::DecodesCleanly(whole);
  if (text::IsJapaneseUtf8(whole)) return std::string(whole);
  return text::FromCp932(bytes);
}

// Full-width digits (０ to ９, U+FF10..U+FF19, as a Japanese input method types
// them) as ASCII digits, so that atof reads them.
std::string AsciiDigits(std::string s) {
  for (std::size_t at = 0; (at = s.find("\xEF\xBC", at)) != std::string::npos;) {
    const unsigned char last = at + 2 < s.size() ? static_cast<unsigned char>(s[at + 2]) : 0;
    if (last >= 0x90 && last <= 0x99) {
      s.replace(at, 3, 1, static_cast<char>('0' + (last - 0x90)));
      ++at;
    } else {
      at += 2;
    }
  }
  return s;
}

}  // namespace

Anniversary ParseAnniversaryLine(const std::string& line) {
  Anniversary a;
  std::size_t c1 = line.find(',');
  std::size_t c2 = c1 == std::string::npos ? c1 : line.find(',', c1 + 1);
  if (c2 == std::string::npos) {
    // Without two commas the line never matches, whatever the date.
    a.month = a.day = std::numeric_limits<double>::quiet_NaN();
    return a;
  }
  a.month = std::atof(AsciiDigits(line.substr(c1 + 1, c2 - c1 - 1)).c_str());
  a.day = std::atof(AsciiDigits(line.substr(c2 + 1)).c_str());
  std::size_t colon = line.find(':');
  std::size_t start = colon != std::string::npos && colon < c1 ? colon + 1 : 0;
  a.text = line.substr(start, c1 - start);
  return a;
}

AnniversaryFile ReadAnniversaryFile(const std::string& path) {
  AnniversaryFile file;
  std::vector<Anniversary>& list = file.list;
  std::string bytes;
  if (!ReadFileHead(path, kMaxReadBytes + 1, bytes)) return file;
  bool cut = bytes.size() > kMaxReadBytes;
  if (cut) bytes.resize(kMaxReadBytes);
  bool clean = true;
  std::string content = DecodeHead(text::UnifyLineEnds(bytes), cut, clean);
  if (!clean) file.warning = path + ": neither clean CP932 nor UTF-8; read as CP932";

  std::size_t pos = 0;
  for (int n = 0; n < kMaxAnniversaryLines && pos < content.size(); ++n) {
    std::size_t end = content.find('\n', pos);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(pos, end - pos);
    pos = end + 1;
    line = line.substr(0, line.find('\0'));  // a text line ends at a NUL byte
    if (line.empty()) break;
    std::string kept = CutToCp932Width(line, kMaxLineWidth);
    list.push_back(ParseAnniversaryLine(kept));
    if (kept.size() < line.size()) break;
  }
  return file;
}

std::vector<Anniversary> ReadAnniversaries(const std::string& path) { return ReadAnniversaryFile(path).list; }

std::vector<std::string> AnniversariesOn(const std::vector<Anniversary>& list, double month, double day) {
  std::vector<std::string> texts;
  for (const Anniversary& a : list)
    if (a.month == month && a.day == day) texts.push_back(a.text);
  return texts;
}
