#pragma once

// Whole files and scratch directories for tests that run programs or write files.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testsupport {

namespace fs = std::filesystem;

inline void writeFile(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<uint8_t> readBytes(const std::string& path) {
  const std::string bytes = readFile(path);
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// A scratch directory, open to every user (so an unprivileged child can write into it), removed
// with everything in it at the end even if a test locked parts of it.
class TempDir {
public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "brumal-test-XXXXXX").string();
    if (mkdtemp(&pattern[0]) != nullptr) {
      path = pattern;
      chmod(path.c_str(), 0777);
    }
  }
  ~TempDir() {
    std::error_code ignored;
    for (fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, ignored), end;
         it != end; it.increment(ignored)) {
      if (!it->is_symlink()) chmod(it->path().c_str(), 0777);
    }
    fs::remove_all(path, ignored);
  }
  std::string operator/(const std::string& relative) const { return path + "/" + relative; }
  // Writes a file below the directory and returns its path.
  std::string write(const std::string& relative, const std::string& bytes) const {
    writeFile(*this / relative, bytes);
    return *this / relative;
  }

  std::string path;
};

}  // namespace testsupport
