// The year list's CSV file and the small readers of typed texts.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/Text.h"
#include "yearlist/YearList.h"

int TypedInt(const std::string& text) {
  // strtol, not atoi: an overlong number must not be undefined behaviour.
  long v = std::strtol(text.c_str(), nullptr, 10);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

double TypedDouble(const std::string& text) {
  double v = std::strtod(text.c_str(), nullptr);
  return std::isfinite(v) ? v : 0.0;
}

bool YearInListRange(int year) { return year >= kFirstListedYear && year <= kLastListedYear; }

std::string YearCalendarName(int calendarMode, const std::string& yearText) {
  return (calendarMode == 0 && TypedInt(yearText) <= 1582) ? "ユリウス暦" : "グレゴリオ暦";
}

int YearGridColumnCount(const YearGrid& grid, int layout) {
  return (layout == kLunisolarLayout && !grid[0][13].empty()) ? 13 : 12;
}

std::string YearFileText(const YearGrid& grid, int layout, const std::string& yearText, int calendarMode) {
  const int columns = YearGridColumnCount(grid, layout);
  std::string out = "日,";
  for (int k = 1; k <= columns; ++k) out += text::SjisFormat("    %2s月", grid[0][k]) + ",";
  out += text::SjisFormat(layout == kLunisolarLayout ? " %4s年和暦表示" : " %4s年西暦表示", yearText) + ",";
  out += YearCalendarName(calendarMode, yearText) + ",\n";
  for (int r = 1; r < kYearGridRows; ++r) {
    out += text::SjisFormat("%2s", grid[r][0]) + ",";
    for (int k = 1; k <= columns; ++k) out += text::SjisFormat("%10s", grid[r][k]) + ",";
    out += "\n";
  }
  return out;
}

namespace {

std::string Reason(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// A link is written through to the file it names, as a plain write would.
std::string ResolveTarget(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved)) return resolved;
  }
  return path;
}

}  // namespace

bool WriteTextFileAtomically(const std::string& path, const std::string& utf8Text, bool cp932, std::string& error) {
  if (path.empty()) {
    error = "no file name";
    return false;
  }
  const std::string target = ResolveTarget(path);
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      errno = EISDIR;
      error = Reason("cannot write", target);
      return false;
    }
    // Renaming over a read-only file would get round its protection.
    if (::access(target.c_str(), W_OK) != 0) {
      error = Reason("cannot write", target);
      return false;
    }
  }
  const std::string bytes = cp932 ? text::ToCp932(utf8Text) : utf8Text;
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    error = Reason("cannot create", target);
    return false;
  }
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int savedErrno = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    savedErrno = errno;
  }
  if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
    ok = false;
    savedErrno = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    errno = savedErrno;
    error = Reason("cannot write", target);
  }
  return ok;
}
