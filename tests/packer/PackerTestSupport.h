// Running the built packer from the packer's tests; scratch directories and archive images come
// from the archive tests.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/archive/ArchiveImage.h"

namespace packertest {

using namespace archivetest;

struct RunOptions {
  bool unprivileged = false;   // under root, run as "nobody", so that permissions take effect
  uint64_t fileSizeLimit = 0;  // writes beyond this many bytes fail as on a full disk (0: none)
};

struct RunResult {
  std::string out;
  int status = -1;
};

// Starts the program at path with argv in directory cwd, its standard output on a pipe whose
// read end goes to output, its standard error dropped.
inline pid_t startProgram(const std::string& path, const std::vector<std::string>& argv, const std::string& cwd,
                          const RunOptions& options, int& output) {
  int ends[2];
  if (pipe(ends) != 0) return -1;
  pid_t child = fork();
  if (child == 0) {
    // Only standard output leads to the pipe, which what outlives the child must not hold open.
    dup2(ends[1], STDOUT_FILENO);
    close(ends[0]);
    close(ends[1]);
    dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);
    rlimit limit{options.fileSizeLimit, options.fileSizeLimit};
    signal(SIGXFSZ, SIG_IGN);  // the write then fails with EFBIG
    std::vector<char*> args;
    for (const std::string& arg : argv) {
      args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    if (chdir(cwd.c_str()) != 0 || (options.fileSizeLimit > 0 && setrlimit(RLIMIT_FSIZE, &limit) != 0) ||
        (options.unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))) {
      _exit(126);
    }
    execvp(path.c_str(), args.data());
    _exit(125);
  }
  close(ends[1]);
  output = ends[0];
  return child;
}

// Reads the child's whole output and waits for it.
inline RunResult finishProgram(pid_t child, int output) {
  RunResult result;
  char chunk[4096];
  for (ssize_t got; (got = read(output, chunk, sizeof chunk)) > 0;) result.out.append(chunk, static_cast<size_t>(got));
  close(output);
  int status = 0;
  waitpid(child, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// One run of the built packer, which names itself "packer".
inline RunResult runPacker(const std::string& cwd, std::vector<std::string> args, const RunOptions& options = {}) {
  args.insert(args.begin(), "packer");
  int output = -1;
  pid_t child = startProgram(PACKER_PATH, args, cwd, options, output);
  return child < 0 ? RunResult() : finishProgram(child, output);
}

}  // namespace packertest
