// Places by name: the 47 prefectural offices, carried in the program from
// data/places-japan.tsv, and the principal place of each zone of the
// system's tz database (zone1970.tab, else zone.tab), read when asked for.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "astro/Moment.h"

namespace places {

// Where the system's tz database keeps its tables.
inline constexpr const char* kZoneInfoDir = "/usr/share/zoneinfo";

struct NamedPlace {
  // The prefecture (北海道) or the zone (America/New_York).
  std::string name;
  // The prefectural office's city (札幌市; 東京都's is 新宿区); empty abroad.
  std::string city;
  // The group the settings list shows it in: the region of Japan (東北, ...)
  // or 海外.
  std::string region;
  Place place;
  // The zone of a place abroad; a place in Japan keeps the settings' zone.
  std::optional<std::string> zone;
};

// The prefectural offices in the order of their JIS codes.
const std::vector<NamedPlace>& JapanPlaces();

// Each zone's principal place from `zoneInfoDir`'s zone1970.tab (zone.tab
// when that is missing), in the file's order, latitude and longitude
// rounded to 0.0001°; empty when neither can be read.
std::vector<NamedPlace> ZonePlaces(const std::string& zoneInfoDir);

// Japan's places, then those abroad.
std::vector<NamedPlace> AllPlaces(const std::string& zoneInfoDir);

// The ombrel.conf key that keeps the name of the place the settings dialog
// chose (its `name`), shown in the window; absent or empty: none.
inline constexpr const char* kPlaceKey = "place";

// A longitude or latitude as the settings file keeps a named place's: all
// the digits the table gives, none more ("141.346944", "-74.0064").
std::string DegreesText(double degrees);

// Whether the place lies at the longitude and latitude (to the table's
// precision).
bool IsAt(const NamedPlace& place, double longitude, double latitude);

// "北海道 札幌市" or "America/New_York": the names a place answers to.
std::string Label(const NamedPlace& place);

// The places whose names hold `pattern` (ASCII letters in either case, '_'
// and ' ' alike); all of them for an empty pattern.
std::vector<NamedPlace> Matching(const std::vector<NamedPlace>& places, const std::string& pattern);

// A name as the user gave it: the prefecture with or without 都/府/県, the
// city with or without 市/区, the zone or its last part ("New_York", "new
// york"); failing those, the start of exactly one place's name.
struct Found {
  std::optional<NamedPlace> place;
  // When none was found: whether several places answer to the name.
  bool ambiguous = false;
  // When none was found: the labels of the places the name could mean
  // (several starting with it), else of those nearest to it in spelling.
  std::vector<std::string> nearest;
};
Found Find(const std::vector<NamedPlace>& places, const std::string& name);

}  // namespace places
