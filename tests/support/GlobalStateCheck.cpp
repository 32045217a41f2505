// Linked into every GoogleTest program: a test that leaves the working
// directory or the environment otherwise than it found them fails, naming
// what it changed. Such a test makes the ones after it depend on the order
// they run in.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct GlobalState {
  std::string workingDirectory;
  std::vector<std::string> environment;

  static GlobalState Now() {
    GlobalState s;
    std::error_code ec;
    s.workingDirectory = std::filesystem::current_path(ec).string();
    for (char** e = environ; e && *e; ++e) s.environment.emplace_back(*e);
    std::sort(s.environment.begin(), s.environment.end());
    return s;
  }
};

// What differs between two states, empty when nothing does.
std::string Changes(const GlobalState& before, const GlobalState& after) {
  std::string changed;
  if (before.workingDirectory != after.workingDirectory)
    changed += " the working directory (" + after.workingDirectory + ")";
  if (before.environment != after.environment) changed += " the environment";
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
