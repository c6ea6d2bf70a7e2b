// Shared by the demo's tests: each whole-program scenario runs in a child process of its own,
// since the demo's globals (sprites, display, layer groups) live for the process; and the data
// set built by the demo_data target, repacked with pieces left out or damaged.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/headless/HeadlessControl.h"
#include "tests/archive/ArchiveImage.h"

namespace demotest {

// Collects failed checks inside a child; the child reports them on stderr and exits 1.
class Checks {
public:
  void expect(bool condition, const std::string& what) {
    if (!condition) {
      std::fprintf(stderr, "FAILED: %s\n", what.c_str());
      failed_ = true;
    }
  }
  template <typename A, typename B>
  void equal(const A& actual, const B& expected, const std::string& what) {
    if (!(actual == expected)) {
      std::ostringstream message;
      message << what << ": got " << actual << ", expected " << expected;
      expect(false, message.str());
    }
  }
  [[noreturn]] void finish() {
    std::fflush(stderr);
    std::fflush(stdout);
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
#define DEMO_SCENARIO(...)                                                                  \
  do {                                                                                      \
    auto demoScenarioBody = __VA_ARGS__;                                                    \
    EXPECT_EXIT(demotest::runChild(demoScenarioBody), ::testing::ExitedWithCode(0), "");   \
  } while (0)

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The files of the built data set, by their names inside data.pak.
inline std::map<std::string, std::string> dataSet() {
  std::map<std::string, std::string> files;
  for (const char* name : {"tile02.bdi", "role.bdi", "fire.bdi", "tile04.bdi", "songti16x16.font", "bdi.dat"}) {
    files[std::string("data\\") + name] = readFile(std::string(BRUMAL_BIN_DIR) + "/data/" + name);
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

// A fresh working directory for a child, entered at once.
inline std::string enterTempDir() {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("brumal-demo-" + std::to_string(::getpid()));
  std::filesystem::remove_all(path);
  std::filesystem::create_directories(path);
  if (chdir(path.c_str()) != 0) std::abort();
  return path.string();
}

inline void writeFile(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// "name=value" pairs of a record's args.
inline std::map<std::string, std::string> argsOf(const headless::CallRecord& record) {
  std::map<std::string, std::string> out;
  std::istringstream words(record.args);
  std::string word;
  while (words >> word) {
    const size_t equals = word.find('=');
    if (equals != std::string::npos) out[word.substr(0, equals)] = word.substr(equals + 1);
  }
  return out;
}

}  // namespace demotest
