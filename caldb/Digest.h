// The content check of the calendar database: a digest of every row of the
// tables the almanac only reads (Kyuureki, History, Data, 七十二候), which the
// builder stores in the file's header (PRAGMA user_version). A file whose
// rows have changed since (a month start moved by a day, a row lost to a
// damaged page, an era row deleted) no longer matches; the Memory table,
// which the astronomical data rewrites, is not part of it.
#pragma once

#include <cstdint>
#include <string>

struct sqlite3;

// The digest of the read-only tables' rows in ID order, never 0. False with
// the reason (naming the table) when a row cannot be read.
bool CalendarDigest(sqlite3* db, std::uint32_t& digest, std::string& error);

// "" when the file is whole: its lunisolar months numbered without a gap,
// an era row for every year of the era table's span, and its rows matching
// the digest it carries (a file made before digests were stored carries
// none); else what is wrong, naming the table or the digest.
std::string CalendarContentProblem(sqlite3* db);
