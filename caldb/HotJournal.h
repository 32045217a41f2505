// A writer killed before it removed its rollback journal leaves a "hot"
// journal beside the calendar database: the file then holds a half-written
// transaction, and SQLite refuses to read it on a read-only connection until
// someone rolls the journal back. These helpers let the readers do that, and
// name what is read-only when a write cannot be made.
#pragma once

#include <string>

struct sqlite3;

// True when a rollback journal lies beside `path`: a write under way, or one
// that did not finish.
bool HasJournal(const std::string& path);

// True when the connection's last error is a hot journal that a read-only
// connection cannot roll back.
bool MetHotJournal(sqlite3* db);

// Rolls the hot journal of `path` back in place, through a short read-write
// connection; true when the file is whole again. False (and nothing changed)
// when the file or its directory cannot be written.
bool RollBackInPlace(const std::string& path);

// A private copy of `path` with its journal rolled back, for reading when the
// original cannot be written: the copy's path in a fresh directory under the
// temporary directory, or an empty text when no copy could be made. The caller
// opens it and then removes it with RemoveRecoveredCopy.
std::string RecoveredCopy(const std::string& path);
void RemoveRecoveredCopy(const std::string& copyPath);

// The engine's "attempt to write a readonly database" made specific: which of
// the file and its directory is read-only, for the database at `path`.
// Empty when neither is (the engine's own text is then the better one).
std::string ReadOnlyReason(const std::string& path);
