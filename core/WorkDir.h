// The almanac opens its files ("History.mdb", "ombrel.dat", "kinenbi.dat") by
// bare names in the current directory, so both programs pick that directory
// once at start-up: an explicit --workdir; else the current directory when it
// holds the calendar database; else the user's data directory
// ($XDG_DATA_HOME/ombrel), made on first run with the database copied in from
// the built or installed copy.
#pragma once

#include <string>
#include <vector>

namespace workdir {

struct Choice {
  std::string dir;      // the directory chosen (absolute)
  bool changed = false; // true when it differs from the directory we started in
  std::string warning;  // non-empty when something the user should hear went wrong
};

// Where a fresh database may be copied from, for a program at exePath.
std::vector<std::string> DatabaseSources(const std::string& exePath);

// Chooses the directory and makes it current (chdir). Never fails hard: when
// the data directory cannot be made, the current directory stays and the
// warning says why.
Choice Enter(const std::string& explicitDir, const std::string& exePath);

// Absolute form of a path given relative to the directory we started in.
std::string FromStartDirectory(const std::string& path);

}  // namespace workdir
