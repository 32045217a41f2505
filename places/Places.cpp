#include "places/Places.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "places/JapanTable.h"

namespace places {
namespace {

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string f; std::getline(in, f, '\t');) fields.push_back(f);
  return fields;
}

// The usual eight regions by JIS prefecture code (沖縄 with 九州).
std::string RegionOfCode(int code) {
  static const struct {
    int last;
    const char* name;
  } kRegions[] = {{1, "北海道"}, {7, "東北"}, {14, "関東"}, {23, "中部"},
                  {30, "近畿"},  {35, "中国"}, {39, "四国"}, {47, "九州・沖縄"}};
  for (const auto& r : kRegions)
    if (code <= r.last) return r.name;
  return "";
}

std::vector<NamedPlace> ReadJapanTable() {
  std::vector<NamedPlace> out;
  std::istringstream in(kJapanTable);
  std::string line;
  std::getline(in, line);  // the header
  while (std::getline(in, line)) {
    const std::vector<std::string> f = Fields(line);
    if (f.size() < 5) continue;
    out.push_back({f[1], f[2], RegionOfCode(std::stoi(f[0])), {std::stod(f[3]), std::stod(f[4])}, std::nullopt});
  }
  return out;
}

// "+4042" / "+404251" (latitude) or "-07400" / "-0740023" (longitude) in
// degrees, from `digits` digits of whole degrees; none when malformed.
std::optional<double> TabAngle(const std::string& text, std::size_t digits) {
  if (text.size() != digits + 3 && text.size() != digits + 5) return std::nullopt;
  if (text[0] != '+' && text[0] != '-') return std::nullopt;
  if (!std::all_of(text.begin() + 1, text.end(), [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
  double value = std::stoi(text.substr(1, digits)) + std::stoi(text.substr(1 + digits, 2)) / 60.0;
  if (text.size() == digits + 5) value += std::stoi(text.substr(3 + digits, 2)) / 3600.0;
  return text[0] == '-' ? -value : value;
}

double Rounded(double degrees) { return std::round(degrees * 1e4) / 1e4; }

// A zone table's row: codes, coordinates (latitude then longitude, each
// with its sign), zone, comment.
std::optional<NamedPlace> ZoneRow(const std::string& line) {
  if (line.empty() || line[0] == '#') return std::nullopt;
  const std::vector<std::string> f = Fields(line);
  if (f.size() < 3) return std::nullopt;
  const std::string& c = f[1];
  const std::size_t split = c.find_first_of("+-", 1);
  if (split == std::string::npos) return std::nullopt;
  const std::optional<double> lat = TabAngle(c.substr(0, split), 2), lon = TabAngle(c.substr(split), 3);
  if (!lat || !lon) return std::nullopt;
  return NamedPlace{f[2], "", "海外", {Rounded(*lat), Rounded(*lon)}, f[2]};
}

// Names compared with ASCII letters in lower case and '_' as a blank.
std::string Folded(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c == '_') c = ' ';
  }
  return out;
}

// `text` without the ending `suffix`, when it is longer than that.
std::optional<std::string> Without(const std::string& text, const std::string& suffix) {
  if (text.size() <= suffix.size() || text.compare(text.size() - suffix.size(), suffix.size(), suffix) != 0)
    return std::nullopt;
  return text.substr(0, text.size() - suffix.size());
}

// Every name a place answers to, folded.
std::vector<std::string> Names(const NamedPlace& p) {
  std::vector<std::string> names{Folded(p.name)};
  if (p.zone) {
    names.push_back(Folded(p.name.substr(p.name.rfind('/') + 1)));
    return names;
  }
  names.push_back(p.city);
  for (const char* suffix : {"都", "府", "県"})
    if (auto short_ = Without(p.name, suffix)) names.push_back(*short_);
  for (const char* suffix : {"市", "区"})
    if (auto short_ = Without(p.city, suffix)) names.push_back(*short_);
  return names;
}

// The characters of a text (a byte that does not begin a UTF-8 character
// belongs to the one before it).
std::vector<std::string> Characters(const std::string& text) {
  std::vector<std::string> out;
  for (char c : text) {
    if (out.empty() || (static_cast<unsigned char>(c) & 0xC0) != 0x80) out.emplace_back();
    out.back() += c;
  }
  return out;
}

// The edit distance of two texts in characters.
std::size_t Distance(const std::string& a, const std::string& b) {
  const std::vector<std::string> x = Characters(a), y = Characters(b);
  std::vector<std::size_t> row(y.size() + 1);
  for (std::size_t j = 0; j <= y.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= x.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= y.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[y.size()];
}

constexpr std::size_t kNearestShown = 8;

std::vector<std::string> Labels(const std::vector<const NamedPlace*>& places) {
  std::vector<std::string> out;
  for (const NamedPlace* p : places)
    if (out.size() < kNearestShown) out.push_back(Label(*p));
  return out;
}

// The places nearest to `name` in spelling, the nearest first.
std::vector<std::string> NearestLabels(const std::vector<NamedPlace>& places, const std::string& name) {
  std::vector<std::pair<std::size_t, const NamedPlace*>> ranked;
  for (const NamedPlace& p : places) {
    std::size_t best = SIZE_MAX;
    for (const std::string& n : Names(p)) best = std::min(best, Distance(name, n));
    ranked.emplace_back(best, &p);
  }
  std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<const NamedPlace*> nearest;
  for (const auto& [distance, p] : ranked) nearest.push_back(p);
  return Labels(nearest);
}

}  // namespace

const std::vector<NamedPlace>& JapanPlaces() {
  static const std::vector<NamedPlace> places = ReadJapanTable();
  return places;
}

std::vector<NamedPlace> ZonePlaces(const std::string& zoneInfoDir) {
  std::vector<NamedPlace> out;
  for (const char* table : {"/zone1970.tab", "/zone.tab"}) {
    std::ifstream in(zoneInfoDir + table);
    if (!in) continue;
    for (std::string line; std::getline(in, line);)
      if (std::optional<NamedPlace> p = ZoneRow(line)) out.push_back(*p);
    break;
  }
  return out;
}

std::vector<NamedPlace> AllPlaces(const std::string& zoneInfoDir) {
  std::vector<NamedPlace> all = JapanPlaces();
  for (NamedPlace& p : ZonePlaces(zoneInfoDir)) all.push_back(std::move(p));
  return all;
}

std::string DegreesText(double degrees) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", degrees);
  return text;
}

bool IsAt(const NamedPlace& place, double longitude, double latitude) {
  return std::fabs(place.place.longitude - longitude) < 5e-7 && std::fabs(place.place.latitude - latitude) < 5e-7;
}

std::string Label(const NamedPlace& place) { return place.city.empty() ? place.name : place.name + " " + place.city; }

std::vector<NamedPlace> Matching(const std::vector<NamedPlace>& places, const std::string& pattern) {
  std::vector<NamedPlace> out;
  const std::string folded = Folded(pattern);
  for (const NamedPlace& p : places)
    if (Folded(Label(p)).find(folded) != std::string::npos) out.push_back(p);
  return out;
}

Found Find(const std::vector<NamedPlace>& places, const std::string& name) {
  const std::string folded = Folded(name);
  std::vector<const NamedPlace*> exact, starting;
  for (const NamedPlace& p : places) {
    const std::vector<std::string> names = Names(p);
    if (std::find(names.begin(), names.end(), folded) != names.end()) exact.push_back(&p);
    else if (!folded.empty() && std::any_of(names.begin(), names.end(),
                                            [&](const std::string& n) { return n.rfind(folded, 0) == 0; }))
      starting.push_back(&p);
  }
  if (exact.size() == 1) return {*exact.front(), false, {}};
  if (exact.size() > 1) return {std::nullopt, true, Labels(exact)};
  if (starting.size() == 1) return {*starting.front(), false, {}};
  if (starting.size() > 1) return {std::nullopt, true, Labels(starting)};
  return {std::nullopt, false, NearestLabels(places, folded)};
}

}  // namespace places
