// Shared by the demo's tests: each whole-program scenario runs in a child process of its own,
// since the demo's globals (sprites, display, layer groups) live for the process; and the data
// set built by the demo_data target, repacked with pieces left out or damaged.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include <unistd.h>

#include "render/LayerSet.h"
#include "tests/archive/ArchiveImage.h"
#include "tests/support/HeadlessFixture.h"

namespace demotest {

// Collects failed checks inside a child; the child reports them on stderr and exits 1.
class Checks {
public:
  void expect(bool condition, const std::string& what) {
    if (!condition) std::fprintf(stderr, "FAILED: %s\n", what.c_str());
    failed_ = failed_ || !condition;
  }
  template <typename A, typename B>
  void equal(const A& actual, const B& expected, const std::string& what) {
    std::ostringstream message;
    message << what << ": got " << actual << ", expected " << expected;
    expect(actual == expected, message.str());
  }
  [[noreturn]] void finish() {
    std::fflush(nullptr);
    std::_Exit(failed_ ? 1 : 0);
  }

private:
  bool failed_ = false;
};

// Runs `body(checks)` in this process (a child) and exits with 0 when every check held.
template <typename Body>
[[noreturn]] void runChild(Body& body) {
  Checks checks;
  body(checks);
  checks.finish();
}

// Runs the lambda given in a forked child; the test fails with the child's messages when a check
// failed or the child died.
#define DEMO_SCENARIO(...)                                                               \
  do {                                                                                   \
    auto demoScenarioBody = __VA_ARGS__;                                                 \
    EXPECT_EXIT(demotest::runChild(demoScenarioBody), ::testing::ExitedWithCode(0), ""); \
  } while (0)

// The files of the built data set, by their names inside data.pak.
inline std::map<std::string, std::string> dataSet() {
  std::map<std::string, std::string> files;
  for (const char* name : {"tile02.bdi", "role.bdi", "fire.bdi", "tile04.bdi", "songti16x16.font", "bdi.dat"}) {
    files[std::string("data\\") + name] = archivetest::readFile(std::string(BRUMAL_BIN_DIR) + "/data/" + name);
  }
  return files;
}

// A data.pak image holding these files under the directory "data".
inline std::string packImage(const std::map<std::string, std::string>& files) {
  archivetest::Dir root;
  root.name = "data";
  for (const auto& file : files) root.files.push_back({file.first, file.second});
  return archivetest::archiveImage(root);
}

// Resets the platform with its clock under the test's hand, and enters a fresh working directory
// holding `pack` as data.pak (none when empty) and `settings` as setting.ini (none when empty).
inline void enterFreshRun(const std::string& pack, const std::string& settings = "") {
  layer::reset();
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("brumal-demo-" + std::to_string(::getpid()));
  std::filesystem::remove_all(path);
  std::filesystem::create_directories(path);
  if (chdir(path.c_str()) != 0) std::abort();
  if (!pack.empty()) archivetest::writeFile("./data.pak", pack);
  if (!settings.empty()) archivetest::writeFile("./setting.ini", settings);
}

// The four layer groups' visibility, "1" for shown: "1011" has group 1 hidden.
inline std::string visibleGroups() {
  std::string out;
  for (const LayerGroup& group : layerSet.groups) out += group.visible ? '1' : '0';
  return out;
}

}  // namespace demotest
