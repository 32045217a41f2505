#include "astro/Clock.h"

#include <absl/time/time.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>

// The rules of a named zone: the tz database's, which continue past the
// file's last listed change by the rule written at its end.
struct TimeZone::Rules {
  absl::TimeZone zone;
  bool japan = false;  // Asia/Tokyo or a name of the same file: JST, the place's mean time before 1888
};

namespace {

// 1888-01-01 00:00 Universal Time; standard time begins at 00:00 of that day
// on the zone's own clock.
constexpr JulianDay kStandardTimeDay = 2410637.5;
constexpr JulianDay kUnixEpoch = 2440587.5;

// Whole-hour zone nearest |longitude|, halves rounded away from zero.
double ZoneHours(double absLongitude) { return std::floor(absLongitude / 15.0 + 0.5); }

double MeanTimeHours(double longitude) { return longitude / 15.0; }

absl::Time ToTime(JulianDay jd) {
  // The tz database answers for any moment a year's arithmetic can name.
  constexpr double kBound = 4.0e12;
  double seconds = std::floor((jd - kUnixEpoch) * 86400.0);
  if (!(seconds > -kBound)) seconds = -kBound;  // NaN too
  if (seconds > kBound) seconds = kBound;
  return absl::FromUnixSeconds(static_cast<int64_t>(seconds));
}

// --- The zone's file, read before the library reads it ---------------------
// A damaged tz database (a cut or overwritten file, a directory or a FIFO
// under a zone's name) is refused with a reason instead of reaching the
// library, which trusts the counts a file declares.

constexpr std::size_t kMaxZoneFileBytes = 1 << 20;  // the largest real one is a few kB

std::string ZoneDirectory() {
  const char* dir = std::getenv("TZDIR");  // where the library looks, too
  return dir && *dir ? dir : "/usr/share/zoneinfo";
}

// A zone name as the tz database writes them: parts of letters, digits and
// "._+-" between slashes, none of them "." or "..".
bool IsZoneName(const std::string& name) {
  if (name.empty() || name.size() > 255 || name.front() == '/' || name.back() == '/') return false;
  std::size_t partStart = 0;
  for (std::size_t i = 0; i <= name.size(); ++i) {
    if (i == name.size() || name[i] == '/') {
      const std::string part = name.substr(partStart, i - partStart);
      if (part.empty() || part == "." || part == "..") return false;
      partStart = i + 1;
      continue;
    }
    const char c = name[i];
    const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                         c == '_' || c == '-' || c == '+' || c == '.';
    if (!allowed) return false;
  }
  return true;
}

// The bytes of a regular file of at most kMaxZoneFileBytes; nullopt with the
// reason otherwise. Opening does not wait on a FIFO.
std::optional<std::string> ReadSmallFile(const std::string& path, std::string& reason) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    reason = "missing";
    return std::nullopt;
  }
  struct stat info {};
  std::string bytes;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    reason = "not a regular file";
  } else if (static_cast<std::size_t>(info.st_size) > kMaxZoneFileBytes) {
    reason = "too large for a zone file";
  } else {
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    if (got != bytes.size()) reason = "could not be read";
  }
  ::close(fd);
  if (!reason.empty()) return std::nullopt;
  return bytes;
}

uint32_t Big32(const std::string& b, std::size_t at) {
  return (uint32_t{static_cast<unsigned char>(b[at])} << 24) | (uint32_t{static_cast<unsigned char>(b[at + 1])} << 16) |
         (uint32_t{static_cast<unsigned char>(b[at + 2])} << 8) | uint32_t{static_cast<unsigned char>(b[at + 3])};
}

// The length of the data block after a compiled zone file's header at `at`
// (whose times take `timeBytes`), or nullopt when the header is not one.
std::optional<uint64_t> DataBlockBytes(const std::string& b, std::size_t at, uint64_t timeBytes) {
  constexpr std::size_t kHeaderBytes = 44;
  if (b.size() < at + kHeaderBytes || b.compare(at, 4, "TZif") != 0) return std::nullopt;
  const uint64_t isUt = Big32(b, at + 20), isStd = Big32(b, at + 24), leaps = Big32(b, at + 28);
  const uint64_t times = Big32(b, at + 32), types = Big32(b, at + 36), chars = Big32(b, at + 40);
  if (types == 0 || (isUt != 0 && isUt != types) || (isStd != 0 && isStd != types)) return std::nullopt;
  return times * (timeBytes + 1) + types * 6 + chars + leaps * (timeBytes + 4) + isStd + isUt;
}

// Whether the bytes hold a whole compiled zone file: the header's counts
// fit the file (both blocks from version 2 on).
bool IsZoneFile(const std::string& b) {
  const std::optional<uint64_t> first = DataBlockBytes(b, 0, 4);
  if (!first || 44 + *first > b.size()) return false;
  if (b[4] == '\0') return true;
  const std::size_t second = 44 + static_cast<std::size_t>(*first);
  const std::optional<uint64_t> rest = DataBlockBytes(b, second, 8);
  return rest && second + 44 + *rest <= b.size();
}

// The file of a zone name, checked; nullopt with `error` set otherwise.
std::optional<std::string> ZoneFile(const std::string& name, std::string& error) {
  const std::string path = ZoneDirectory() + "/" + name;
  std::string reason;
  std::optional<std::string> bytes = ReadSmallFile(path, reason);
  if (!bytes && reason == "missing") {
    error = "no time zone '" + name + "' in the tz database (an IANA name such as Asia/Tokyo, or design)";
    return std::nullopt;
  }
  if (bytes && !IsZoneFile(*bytes)) reason = "not a compiled tz database file";
  if (!reason.empty()) {
    error = "the tz database's file for time zone '" + name + "' (" + path + ") is " + reason;
    return std::nullopt;
  }
  return bytes;
}

}  // namespace

JulianDay CurrentJulianDay() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return kUnixEpoch + std::chrono::duration<double>(now).count() / 86400.0;
}

TimeZone TimeZone::Design() { return TimeZone{}; }

std::optional<TimeZone> TimeZone::Named(const std::string& name, std::string& error) {
  if (name == kDesignName) return Design();
  if (name.empty()) {
    error = "the time zone name is empty (an IANA name such as Asia/Tokyo, or design)";
    return std::nullopt;
  }
  if (!IsZoneName(name)) {
    error = "no time zone '" + name + "' in the tz database (an IANA name such as Asia/Tokyo, or design)";
    return std::nullopt;
  }
  const std::optional<std::string> file = ZoneFile(name, error);
  if (!file) return std::nullopt;
  auto rules = std::make_shared<Rules>();
  if (!absl::LoadTimeZone(name, &rules->zone)) {
    error = "the tz database's file for time zone '" + name + "' could not be read";
    return std::nullopt;
  }
  // Japan's clock is Japan Standard Time from 1888 on, under every name of
  // Asia/Tokyo's file (Japan is one): the almanac, like the national one,
  // prints JST also in the summers of 1948-1951 that the tz database keeps
  // as summer time.
  std::string unused;
  rules->japan = name == kDefaultName || file == ZoneFile(kDefaultName, unused);
  TimeZone z;
  z.name_ = name;
  z.rules_ = std::move(rules);
  return z;
}

TimeZone::Offset TimeZone::OffsetAt(JulianDay ut, double longitude) const {
  if (!rules_) {
    const double sign = longitude < 0.0 ? -1.0 : 1.0;
    const double zone = sign * ZoneHours(std::fabs(longitude));
    if (ut < kStandardTimeDay - zone / 24.0) return {MeanTimeHours(longitude), true};
    return {zone, false};
  }
  if (rules_->japan) {
    if (ut < kStandardTimeDay - 9.0 / 24.0) return {MeanTimeHours(longitude), true};
    return {9.0, false};
  }
  return {rules_->zone.At(ToTime(ut)).offset / 3600.0, false};
}
namespace {

// The offsets a day before and a day after a reading, and whether each is in
// force at the moment it makes of the reading.
struct ReadingOffsets {
  TimeZone::Offset before, after;
  bool beforeHolds = false, afterHolds = false;
};

ReadingOffsets OffsetsAround(const TimeZone& zone, JulianDay reading, double longitude) {
  ReadingOffsets r{zone.OffsetAt(reading - 1.0, longitude), zone.OffsetAt(reading + 1.0, longitude)};
  auto holds = [&](const TimeZone::Offset& o) {
    const TimeZone::Offset at = zone.OffsetAt(reading - o.hours / 24.0, longitude);
    return at.hours == o.hours && at.meanTime == o.meanTime;
  };
  r.beforeHolds = holds(r.before);
  r.afterHolds = holds(r.after);
  return r;
}

}  // namespace

TimeZone::Offset TimeZone::OffsetOfReading(JulianDay reading, double longitude) const {
  // A reading is the earlier offset's when that offset is in force at the
  // moment it names, else the later's; when neither is (a skipped reading),
  // the earlier: the moment as far past the jump as the reading is.
  const ReadingOffsets r = OffsetsAround(*this, reading, longitude);
  return r.beforeHolds || !r.afterHolds ? r.before : r.after;
}

TimeZone::Reading TimeZone::KindOfReading(JulianDay reading, double longitude) const {
  const ReadingOffsets r = OffsetsAround(*this, reading, longitude);
  if (!r.beforeHolds && !r.afterHolds) return Reading::Skipped;
  const bool differ = r.before.hours != r.after.hours || r.before.meanTime != r.after.meanTime;
  return r.beforeHolds && r.afterHolds && differ ? Reading::Twice : Reading::Once;
}
