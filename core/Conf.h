// The additions' settings: "ombrel.conf" beside ombrel.dat in the working
// directory. UTF-8 lines `key=value`; blank lines and lines starting with '#'
// are kept as they are. A missing file or key means the designed behaviour,
// so every reader passes its own default. Keys the program does not know are
// kept when the file is rewritten, and the rewrite is atomic. A file that
// could not be read whole is never rewritten, so no line of it is lost.
#pragma once

#include <string>
#include <utility>
#include <vector>

inline constexpr const char* kConfFileName = "ombrel.conf";

class Conf {
 public:
  // Reads the whole file (a UTF-8 byte order mark and CR, LF or CR LF line
  // ends accepted). A missing file reads as empty. An unreadable or
  // non-regular file, or one larger than kMaxSettingsFileBytes, reads as
  // empty too, and LoadError says why. A line without '=' is kept as a
  // comment-like line. Bytes that are not UTF-8 are kept as they are, and
  // LoadWarning says so.
  bool Load(const std::string& path = kConfFileName);

  // The value of a key, or `fallback` when the key is absent.
  std::string Get(const std::string& key, const std::string& fallback = "") const;
  bool Has(const std::string& key) const;
  // Sets a key, keeping its line's place; a new key goes at the end.
  void Set(const std::string& key, const std::string& value);

  // Writes every line back (known and unknown keys, comments) atomically.
  // Refused, with the reason, when the last Load could not read the file:
  // writing what was read would lose the file's lines.
  bool Save(std::string& error, const std::string& path = kConfFileName) const;

  const std::string& LoadError() const { return loadError_; }
  const std::string& LoadWarning() const { return loadWarning_; }
  // LoadError and LoadWarning, those that are not empty: what to tell the user.
  std::vector<std::string> Problems() const;

 private:
  // key (empty for a line that is not a setting) and the whole line's text.
  std::vector<std::pair<std::string, std::string>> lines_;
  std::string loadError_;
  std::string loadWarning_;
};
