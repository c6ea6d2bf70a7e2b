// Helpers shared by the packer's tests: scratch directories, archive images built byte by byte
// (independently of the format module, so a fault there shows), running the built program, and
// snapshots of directory trees.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace packertest {

namespace fs = std::filesystem;

// A scratch directory, open to every user (so an unprivileged child can write into it), removed
// with everything in it at the end even if a test locked parts of it.
class TempDir {
public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "brumal-packer-XXXXXX").string();
    if (mkdtemp(&pattern[0]) != nullptr) {
      path = pattern;
      chmod(path.c_str(), 0777);
    }
  }
  ~TempDir() {
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(path, fs::directory_options::skip_permission_denied, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
      if (!it->is_symlink()) {
        chmod(it->path().c_str(), 0777);
      }
    }
    chmod(path.c_str(), 0777);
    fs::remove_all(path, ignored);
  }
  std::string operator/(const std::string& relative) const { return path + "/" + relative; }

  std::string path;
};

inline void writeFile(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Little-endian archive images, assembled field by field.
class ArchiveImage {
public:
  ArchiveImage& header(uint32_t directories, uint32_t files) {
    bytes += "ZPAC";
    put32(directories);
    put32(files);
    bytes += std::string("\x01\x00\x00\x00", 4);
    return *this;
  }
  ArchiveImage& directory(const std::string& name, uint32_t offset, uint16_t subdirectories,
                          uint16_t files) {
    return record(name, 16, offset, static_cast<uint32_t>(subdirectories) | (static_cast<uint32_t>(files) << 16));
  }
  ArchiveImage& file(const std::string& name, uint32_t offset, uint32_t size) {
    return record(name, 128, offset, size);
  }
  ArchiveImage& record(const std::string& name, uint32_t flags, uint32_t offset, uint32_t last) {
    std::string field = name.substr(0, 116);
    field.resize(116, '\0');
    bytes += field;
    put32(flags);
    put32(offset);
    put32(last);
    return *this;
  }
  ArchiveImage& data(const std::string& raw) {
    bytes += raw;
    return *this;
  }
  void put32(uint32_t value) {
    for (int i = 0; i < 4; ++i) {
      bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
  }

  std::string bytes;
};

struct RunResult {
  std::string out;
  int status = -1;
};

// Runs the built packer with args in directory cwd and collects its standard output and exit
// status. With unprivileged, a root test run drops to user "nobody" first, so that permissions
// (unreadable files, unlistable directories) take effect.
inline RunResult runPacker(const std::string& cwd, const std::vector<std::string>& args,
                           bool unprivileged = false, const std::string& program = PACKER_PATH) {
  RunResult result;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) {
    return result;
  }
  pid_t child = fork();
  if (child == 0) {
    dup2(pipeEnds[1], STDOUT_FILENO);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    if (chdir(cwd.c_str()) != 0) {
      _exit(127);
    }
    if (unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
      _exit(126);
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) {
      argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(125);
  }
  close(pipeEnds[1]);
  char chunk[4096];
  ssize_t got;
  while ((got = read(pipeEnds[0], chunk, sizeof chunk)) > 0) {
    result.out.append(chunk, static_cast<size_t>(got));
  }
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// Every entry below root: relative path (slash separated) to contents, directories as "<dir>".
inline std::map<std::string, std::string> snapshot(const std::string& root) {
  std::map<std::string, std::string> tree;
  if (!fs::exists(root)) {
    return tree;
  }
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    std::string relative = fs::relative(entry.path(), root).string();
    tree[relative] = entry.is_directory() ? "<dir>" : readFile(entry.path().string());
  }
  return tree;
}

// The last count bytes of text (all of it when shorter).
inline std::string tail(const std::string& text, size_t count) {
  return text.size() <= count ? text : text.substr(text.size() - count);
}

inline std::string lowered(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return text;
}

}  // namespace packertest
