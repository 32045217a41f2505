// The additions' settings: "ombrel.conf" beside ombrel.dat in the working
// directory. UTF-8 lines `key=value`; blank lines and lines starting with '#'
// are kept as they are. A missing file or key means the designed behaviour,
// so every reader passes its own default. Keys the program does not know are
// kept when the file is rewritten, and the rewrite is atomic.
#pragma once

#include <string>
#include <utility>
#include <vector>

inline constexpr const char* kConfFileName = "ombrel.conf";

class Conf {
 public:
  // Reads the file (at most its first 64 KiB). A missing, unreadable or
  // non-regular file reads as empty; `error` says why when it is not just
  // missing. A line without '=' is kept as a comment-like line.
  bool Load(const std::string& path = kConfFileName);

  // The value of a key, or `fallback` when the key is absent.
  std::string Get(const std::string& key, const std::string& fallback = "") const;
  bool Has(const std::string& key) const;
  // Sets a key, keeping its line's place; a new key goes at the end.
  void Set(const std::string& key, const std::string& value);

  // Writes every line back (known and unknown keys, comments) atomically.
  bool Save(std::string& error, const std::string& path = kConfFileName) const;

  const std::string& LoadError() const { return loadError_; }

 private:
  // key (empty for a line that is not a setting) and the whole line's text.
  std::vector<std::pair<std::string, std::string>> lines_;
  std::string loadError_;
};
