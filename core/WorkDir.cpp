#include "core/WorkDir.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace workdir {
namespace {

const char* const kDatabase = "History.mdb";
const char* const kCopySuffix = ".~ombrel-copy-";

fs::path CurrentDirectory() {
  std::error_code ec;
  fs::path p = fs::current_path(ec);
  return ec ? fs::path("/") : p;
}

fs::path& StartDirectory() {
  static fs::path start = CurrentDirectory();
  return start;
}

fs::path UserDataDirectory() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg == '/') return fs::path(xdg) / "ombrel";
  const char* home = std::getenv("HOME");
  if (home && *home) return fs::path(home) / ".local" / "share" / "ombrel";
  return {};
}

// Copies through a temporary name so that a half-copied database is never
// mistaken for a real one; the name is the process's own, so that programs
// started together on a first run never write into each other's copy.
bool CopyDatabase(const fs::path& from, const fs::path& to, std::string& error) {
  std::error_code ec;
  fs::path tmp = to;
  tmp += kCopySuffix + std::to_string(::getpid());
  // Never over a file of that name: it is not ours to replace.
  fs::copy_file(from, tmp, fs::copy_options::none, ec);
  if (!ec) fs::rename(tmp, to, ec);
  if (ec) {
    error = "cannot copy the calendar database to " + to.string() + ": " + ec.message();
    if (ec != std::errc::file_exists) fs::remove(tmp, ec);
    return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> DatabaseSources(const std::string& exePath) {
  std::vector<std::string> out;
  std::error_code ec;
  fs::path exe = fs::weakly_canonical(fs::path(exePath), ec);
  if (ec || exe.empty()) exe = fs::path(exePath);
  fs::path dir = exe.parent_path();
  out.push_back((dir / kDatabase).string());
  out.push_back((dir.parent_path() / kDatabase).string());  // build tree: cli/ sits below
  out.push_back((dir.parent_path() / "share" / "ombrel" / kDatabase).string());
#ifdef OMBREL_DATADIR
  out.push_back((fs::path(OMBREL_DATADIR) / kDatabase).string());
#endif
  return out;
}

namespace {

// Makes the directory if need be and copies the installed database into it
// when it has none; "" or what went wrong, naming the directory.
std::string Seed(const fs::path& target, const std::string& exePath) {
  std::error_code ec;
  fs::create_directories(target, ec);
  if (ec) return "cannot create the directory " + target.string() + ": " + ec.message();
  if (fs::exists(target / kDatabase, ec)) return "";
  for (const std::string& src : DatabaseSources(exePath)) {
    if (!fs::is_regular_file(src, ec)) continue;
    std::string error;
    return CopyDatabase(src, target / kDatabase, error) ? "" : error;
  }
  return "no calendar database (History.mdb) was found to copy into " + target.string();
}

// True when the directory holds nothing but copies of the database still
// being made by programs started on it at the same moment.
bool EmptyButForCopies(const fs::path& dir) {
  std::error_code ec;
  const std::string copy = std::string(kDatabase) + kCopySuffix;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    if (it->path().filename().string().rfind(copy, 0) != 0) return false;
  return !ec;
}

// An explicit directory must exist, and is seeded only when it is empty (or
// being seeded by a program started with this one): a missing one or one of
// other files without the database is more likely a mistyped name.
std::string SeedExplicit(const fs::path& target, const std::string& given, const std::string& exePath) {
  std::error_code ec;
  if (!fs::exists(target, ec)) return "--workdir " + given + ": the directory does not exist";
  if (!fs::is_directory(target, ec)) return "--workdir " + given + ": not a directory";
  // Looked at again after the listing: a program started with this one may
  // have put its copy in place in between (the listing then shows it, or
  // its journal, beside no copy).
  if (!fs::exists(target / kDatabase, ec) && !EmptyButForCopies(target) && !fs::exists(target / kDatabase, ec))
    return "--workdir " + given + ": the directory holds no History.mdb and is not empty, so none is copied there";
  return Seed(target, exePath);
}

}  // namespace

Choice Enter(const std::string& explicitDir, const std::string& exePath) {
  Choice c;
  // The directory the user started in is the one current when the choice is
  // made (once, at start-up), whatever ran before in the process.
  const fs::path start = StartDirectory() = CurrentDirectory();
  c.dir = start.string();
  std::error_code ec;
  fs::path target;
  if (!explicitDir.empty()) {
    target = fs::absolute(explicitDir, ec);
    if (ec) {
      c.warning = "--workdir " + explicitDir + ": " + ec.message();
      return c;
    }
    c.warning = SeedExplicit(target, explicitDir, exePath);
    if (!c.warning.empty()) return c;
  } else if (fs::exists(start / kDatabase, ec)) {
    return c;
  } else {
    target = UserDataDirectory();
    if (target.empty()) {
      c.warning = "no home directory to keep the almanac's files in";
      return c;
    }
    c.warning = Seed(target, exePath);
    if (!fs::is_directory(target, ec)) return c;
  }
  fs::current_path(target, ec);
  if (ec) {
    c.warning = "cannot enter " + target.string() + ": " + ec.message();
    return c;
  }
  c.dir = target.string();
  c.changed = target != start;
  return c;
}

std::string FromStartDirectory(const std::string& path) {
  if (path.empty()) return path;
  fs::path p(path);
  if (p.is_absolute()) return path;
  return (StartDirectory() / p).string();
}

}  // namespace workdir
