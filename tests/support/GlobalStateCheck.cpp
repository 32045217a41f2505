// Linked into every GoogleTest program: a test that leaves the working
// directory, the environment, the C locale, the file mode mask or a scratch
// directory of its own process (named "<name>_<pid>_<n>" in the test temp
// dir) otherwise than it found them fails, naming what it changed. Such a
// test makes the ones after it depend on the order they run in.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct GlobalState {
  std::string workingDirectory;
  std::vector<std::string> environment;
  std::string locale;
  mode_t mask = 0;
  std::vector<std::string> scratch;

  static GlobalState Now() {
    GlobalState s;
    std::error_code ec;
    s.workingDirectory = std::filesystem::current_path(ec).string();
    for (char** e = environ; e && *e; ++e) s.environment.emplace_back(*e);
    std::sort(s.environment.begin(), s.environment.end());
    if (const char* l = std::setlocale(LC_ALL, nullptr)) s.locale = l;
    s.mask = ::umask(0);
    ::umask(s.mask);
    s.scratch = ScratchEntries();
    return s;
  }

  // The entries of the test temp dir that this process's scratch
  // directories would be named.
  static std::vector<std::string> ScratchEntries() {
    const std::string mark = "_" + std::to_string(::getpid()) + "_";
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(testing::TempDir(), ec)) {
      const std::string name = e.path().filename().string();
      if (name.find(mark) != std::string::npos) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

// What differs between two states, empty when nothing does.
std::string Changes(const GlobalState& before, const GlobalState& after) {
  std::string changed;
  if (before.workingDirectory != after.workingDirectory)
    changed += " the working directory (" + after.workingDirectory + ")";
  if (before.environment != after.environment) changed += " the environment";
  if (before.locale != after.locale) changed += " the C locale (" + after.locale + ")";
  if (before.mask != after.mask) changed += " the file mode mask";
  for (const std::string& name : after.scratch)
    if (!std::binary_search(before.scratch.begin(), before.scratch.end(), name))
      changed += " the scratch directory " + name;
  return changed;
}

class GlobalStateCheck : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override { m_before = GlobalState::Now(); }
  void OnTestEnd(const testing::TestInfo& test) override {
    const std::string changed = Changes(m_before, GlobalState::Now());
    if (!changed.empty())
      ADD_FAILURE() << test.test_suite_name() << "." << test.name() << " left changed:" << changed;
  }
  GlobalState m_before;
};

[[maybe_unused]] const bool kRegistered = [] {
  testing::UnitTest::GetInstance()->listeners().Append(new GlobalStateCheck);
  return true;
}();

}  // namespace
