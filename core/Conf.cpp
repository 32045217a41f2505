#include "core/Conf.h"

#include "core/Files.h"
#include "core/Text.h"

namespace {

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  const auto e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

// A value is kept on one line: line breaks and other control characters
// would split the setting or hide the next one.
std::string OneLine(const std::string& value) {
  std::string out;
  for (unsigned char c : value) out += (c < 0x20 || c == 0x7f) ? ' ' : static_cast<char>(c);
  return out;
}

}  // namespace

bool Conf::Load(const std::string& path) {
  lines_.clear();
  loadError_.clear();
  loadWarning_.clear();
  const WholeFile file = ReadWholeFile(path, kMaxSettingsFileBytes);
  if (file.status != WholeFile::Status::kRead) {
    loadError_ = file.problem;
    return false;
  }
  if (!text::IsValidUtf8(file.bytes)) loadWarning_ = path + ": not valid UTF-8; its lines are read as they are";
  const std::string bytes = text::UnifyLineEnds(file.bytes);
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find('\n', pos);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(pos, end - pos);
    pos = end + 1;
    const std::string trimmed = Trim(line);
    const auto eq = trimmed.find('=');
    if (trimmed.empty() || trimmed[0] == '#' || eq == std::string::npos) {
      lines_.emplace_back("", line);
    } else {
      lines_.emplace_back(Trim(trimmed.substr(0, eq)), line);
    }
  }
  return true;
}

std::string Conf::Get(const std::string& key, const std::string& fallback) const {
  // The last line of a key wins, as a person appending a line would expect.
  for (auto it = lines_.rbegin(); it != lines_.rend(); ++it) {
    if (!key.empty() && it->first == key) return Trim(it->second.substr(it->second.find('=') + 1));
  }
  return fallback;
}

bool Conf::Has(const std::string& key) const {
  for (const auto& l : lines_)
    if (!key.empty() && l.first == key) return true;
  return false;
}

void Conf::Set(const std::string& key, const std::string& value) {
  const std::string line = OneLine(key) + "=" + OneLine(value);
  for (auto it = lines_.rbegin(); it != lines_.rend(); ++it) {
    if (it->first == key) {
      it->second = line;
      return;
    }
  }
  lines_.emplace_back(key, line);
}

std::vector<std::string> Conf::Problems() const {
  std::vector<std::string> problems;
  for (const std::string* p : {&loadError_, &loadWarning_})
    if (!p->empty()) problems.push_back(*p);
  return problems;
}

bool Conf::Save(std::string& error, const std::string& path) const {
  if (!loadError_.empty()) {
    error = loadError_ + "; not rewritten";
    return false;
  }
  std::string text;
  for (const auto& l : lines_) text += l.second + "\n";
  return WriteTextFileAtomically(path, text, /*cp932=*/false, error);
}
