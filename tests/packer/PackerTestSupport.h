// Helpers shared by the packer's tests: running the built program and snapshots of directory
// trees; scratch directories and archive images come from the archive tests.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tests/archive/ArchiveImage.h"

namespace packertest {

using namespace archivetest;

struct RunResult {
  std::string out;
  int status = -1;
};

// Runs the built packer with args in directory cwd and collects its standard output and exit
// status. With unprivileged, a root test run drops to user "nobody" first, so that permissions
// (unreadable files, unlistable directories) take effect.
inline RunResult runPacker(const std::string& cwd, const std::vector<std::string>& args, bool unprivileged = false) {
  const std::string program = PACKER_PATH;
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

inline std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  return text;
}

}  // namespace packertest
