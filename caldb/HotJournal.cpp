#include "caldb/HotJournal.h"

#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string JournalOf(const std::string& path) { return path + "-journal"; }

// Opens `path` read-write (never creating it) and reads its catalogue, which
// makes the engine roll a hot journal back. True when that read succeeds.
bool ReadWriteTouch(const std::string& path) {
  sqlite3* db = nullptr;
  bool ok = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) == SQLITE_OK;
  if (ok) {
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_busy_timeout(db, 2000);
    ok = sqlite3_exec(db, "PRAGMA main.schema_version", nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  sqlite3_close_v2(db);
  return ok;
}

bool Writable(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

std::string DirectoryOf(const std::string& path) {
  const fs::path parent = fs::path(path).parent_path();
  return parent.empty() ? "." : parent.string();
}

std::string TemporaryDirectory() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/ombrel-calendar-XXXXXX";
  return ::mkdtemp(pattern.data()) ? pattern : "";
}

}  // namespace

bool HasJournal(const std::string& path) {
  std::error_code ec;
  return fs::exists(JournalOf(path), ec);
}

bool MetHotJournal(sqlite3* db) { return sqlite3_extended_errcode(db) == SQLITE_READONLY_ROLLBACK; }

bool RollBackInPlace(const std::string& path) {
  if (!Writable(path) || !Writable(DirectoryOf(path))) return false;
  return ReadWriteTouch(path);
}

std::string RecoveredCopy(const std::string& path) {
  const std::string dir = TemporaryDirectory();
  if (dir.empty()) return "";
  const std::string copy = dir + "/" + fs::path(path).filename().string();
  std::error_code ec;
  // The copies are this program's own, to be written whatever the originals allow.
  for (const auto& [from, to] : {std::pair{path, copy}, std::pair{JournalOf(path), JournalOf(copy)}}) {
    if (!ec) fs::copy_file(from, to, ec);
    if (!ec) fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write, ec);
  }
  // A journal gone meanwhile was rolled back by another program: the copy may
  // hold a half of each state, so it is not used.
  if (ec || !ReadWriteTouch(copy) || fs::exists(JournalOf(copy), ec)) {
    RemoveRecoveredCopy(copy);
    return "";
  }
  return copy;
}

void RemoveRecoveredCopy(const std::string& copyPath) {
  std::error_code ec;
  fs::remove_all(fs::path(copyPath).parent_path(), ec);
}

std::string ReadOnlyReason(const std::string& path) {
  if (path.empty()) return "";
  if (!Writable(path)) return "the file " + path + " is read-only";
  const std::string dir = DirectoryOf(path);
  if (!Writable(dir)) return "the directory " + dir + " is read-only (the database's journal cannot be made there)";
  return "";
}
