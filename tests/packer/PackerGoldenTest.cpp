// The packer's golden cases of tests/packer/golden-cases.txt, run with the Linux packer; the
// Windows check runs them on packer.exe under Wine, named by BRUMAL_PACKER_EXE, without the
// posix cases and with packer.exe's output from an "[on windows]" block where there is one.
//   BRUMAL_RECORD_GOLDEN=1    rewrites the table's outputs from the runs instead of comparing
//   BRUMAL_GOLDEN_KEEP=DIR    runs each case in DIR/<case> and keeps it there
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "tests/packer/PackerTestSupport.h"

using namespace packertest;

namespace {

using Lines = std::vector<std::string>;

struct Step {
  std::string command;
  Lines output;   // the Linux packer's, and packer.exe's unless it differs
  Lines windows;  // packer.exe's where it differs
  bool differs = false;
};

struct Case {
  std::string header;  // "== NAME [posix]"
  Lines notes;
  std::vector<Step> steps;
  std::string name() const { return header.substr(3, header.find(' ', 3) - 3); }
};

bool startsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

// The preamble is the first case's notes; blank lines only separate.
std::vector<Case> readTable() {
  std::vector<Case> cases(1);
  std::istringstream in(readFile(GOLDEN_TABLE));
  for (std::string line; std::getline(in, line);) {
    Case& last = cases.back();
    Step* step = last.steps.empty() ? nullptr : &last.steps.back();
    if (startsWith(line, "== ")) {
      cases.push_back(Case{line, {}, {}});
    } else if (startsWith(line, "+ ") || startsWith(line, "$ ")) {
      last.steps.push_back(Step{line, {}, {}, false});
    } else if (!step && !line.empty()) {
      last.notes.push_back(line);
    } else if (line == "[on windows]") {
      step->differs = true;
    } else if (!line.empty()) {
      (step->differs ? step->windows : step->output).push_back(line);
    }
  }
  return cases;
}

std::string joined(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

void writeTable(const std::vector<Case>& cases) {
  std::string text;
  for (const Case& golden : cases) {
    text += (text.empty() ? "" : "\n" + golden.header + "\n") + joined(golden.notes);
    for (const Step& step : golden.steps) {
      text += step.command + "\n" + joined(step.output) + (step.differs ? "[on windows]\n" + joined(step.windows) : "");
    }
  }
  writeFile(GOLDEN_TABLE, text);
}

// An archive image from "H dirs files [magic] | D offset subdirs files NAME | F offset size NAME
// | B bytes", field by field.
std::string imageOf(const std::string& layout) {
  ArchiveImage image;
  for (size_t start = 0, end = 0; start < layout.size(); start = end + 3) {
    end = std::min(layout.find(" | ", start), layout.size());
    std::istringstream fields(layout.substr(start + 1, end - start - 1));
    uint32_t a = 0, b = 0, c = 0;
    std::string rest;
    if (layout[start] == 'H') {
      fields >> a >> b >> rest;
      image.header(a, b, rest.empty() ? "ZPAC" : rest);
    } else if (layout[start] == 'D' && std::getline(fields >> a >> b >> c >> std::ws, rest)) {
      image.directory(rest, a, static_cast<uint16_t>(b), static_cast<uint16_t>(c));
    } else if (layout[start] == 'F' && std::getline(fields >> a >> b >> std::ws, rest)) {
      image.file(rest, a, b);
    } else {
      image.data(layout.substr(start + 2, end - start - 2));
    }
  }
  return image.bytes;
}

// The entries at and below paths, named from top and sorted: "dir/", "file SIZE CONTENTS" (short
// printable contents as they are, others by an FNV-1a digest; list files with CRLF read as LF),
// "other @" (links, pipes).
Lines manifest(const fs::path& top, const Lines& paths) {
  std::vector<fs::path> found;
  for (const std::string& path : paths) {
    if (!path.empty()) found.push_back(top / path);
    if (fs::is_directory(fs::symlink_status(top / path))) {
      found.insert(found.end(), fs::recursive_directory_iterator(top / path), fs::recursive_directory_iterator());
    }
  }
  Lines lines;
  for (const fs::path& path : found) {
    std::ostringstream line;
    line << path.lexically_relative(top).string();
    fs::file_status status = fs::symlink_status(path);
    std::string bytes = fs::is_regular_file(status) ? readFile(path.string()) : "";
    if (startsWith(path.filename().string(), "list")) {
      bytes.erase(std::remove(bytes.begin(), bytes.end(), '\r'), bytes.end());
    }
    uint64_t hash = 14695981039346656037ull;
    for (char c : bytes) hash = (hash ^ static_cast<uint8_t>(c)) * 1099511628211ull;
    if (fs::is_directory(status)) {
      line << '/';
    } else if (!fs::is_regular_file(status)) {
      line << " @";
    } else if (bytes.size() <= 24 && std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= 0x20; })) {
      line << ' ' << bytes.size() << " \"" << bytes << '"';
    } else {
      line << ' ' << bytes.size() << " #" << std::hex << hash;
    }
    lines.push_back(line.str());
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// One case's steps, run in its directory; each gives its lines of the transcript. "+" steps:
// mkdir PATH..., write PATH [TEXT], image PATH LAYOUT (see imageOf), sample PATH (data\tile02.bdi
// and data\maps\a.bin), chain PATH LEVELS (directories each claiming the next), cut PATH LENGTH,
// link PATH TARGET, fifo PATH, lock PATH (no access), limit BYTES (the runs after it meet a full
// disk there), show [PATH...] (by default the whole case); "\xNN" in them is the byte NN.
class Runner {
public:
  Runner(const std::string& directory, const char* windowsProgram) : top(directory) {
    options.unprivileged = true;
    if (windowsProgram) {
      program = windowsProgram;
      dosProgram = "Z:" + fs::canonical(program).string();
      std::replace(dosProgram.begin(), dosProgram.end(), '/', '\\');
      setenv("WINEDEBUG", "-all", 1);
    }
  }

  Lines step(std::string command) {
    for (size_t at = 0; command[0] == '+' && (at = command.find("\\x", at)) != std::string::npos;) {
      command.replace(at, 4, 1, static_cast<char>(std::stoi(command.substr(at + 2, 2), nullptr, 16)));
    }
    std::istringstream words(command.substr(2));
    std::string verb, path, text;
    std::getline(words >> verb >> path >> std::ws, text);
    std::string at = top + "/" + path;
    Lines paths{path};
    for (std::istringstream more(text); more >> path;) paths.push_back(path);
    if (verb == "packer") {
      return run(command.substr(9));
    } else if (verb == "show") {
      return manifest(top, paths);
    } else if (verb == "mkdir") {
      for (const std::string& each : paths) fs::create_directories(top + "/" + each);
    } else if (verb == "write" || verb == "image" || verb == "sample") {
      writeFile(at, verb == "write" ? text : verb == "image" ? imageOf(text) : archiveImage(sampleTree()));
    } else if (verb == "chain") {
      ArchiveImage chain;
      chain.header(0, 0);
      for (int level = 0, levels = std::stoi(text); level < levels; ++level) {
        chain.directory("d" + std::to_string(level), 16 + 128 * level, level + 1 < levels, 0);
      }
      writeFile(at, chain.bytes);
    } else if (verb == "cut") {
      fs::resize_file(at, std::stoull(text));
    } else if (verb == "link") {
      fs::create_directories(fs::path(at).parent_path());
      fs::create_symlink(text, at);
    } else if (verb == "fifo" || verb == "lock") {
      EXPECT_EQ(0, verb == "fifo" ? mkfifo(at.c_str(), 0666) : chmod(at.c_str(), 0)) << command;
    } else if (verb == "limit") {
      options.fileSizeLimit = std::stoull(path);
    } else {
      ADD_FAILURE() << "unknown step: " << command;
    }
    return {};
  }

private:
  // "[ARG] [ARG]...": one run; its output (under Wine with CRLF read as LF) and exit status.
  Lines run(const std::string& line) {
    std::vector<std::string> args;
    for (size_t open = line.find('['), close; open != std::string::npos; open = line.find('[', close)) {
      close = line.find(']', open);
      args.push_back(line.substr(open + 1, close - open - 1));
    }
    RunResult result;
    if (program.empty()) {
      result = runPacker(top, args, options);
    } else {
      args.insert(args.begin(), {"wine", program});
      int output = -1;
      pid_t child = startProgram("wine", args, top, RunOptions(), output);
      result = finishProgram(child, output);
      replaceAll(result.out, "\r\n", "\n");
      replaceAll(result.out, dosProgram, "packer");
    }
    Lines lines;
    std::istringstream out(result.out);
    for (std::string each; std::getline(out, each);) lines.push_back(each);
    if (!result.out.empty() && result.out.back() != '\n') lines.push_back("[no line feed at the end]");
    if (result.status != 1) lines.push_back("[exit " + std::to_string(result.status) + "]");
    return lines;
  }

  std::string top;
  std::string program;
  std::string dosProgram;
  RunOptions options;
};

class PackerGolden : public ::testing::TestWithParam<std::string> {};

TEST_P(PackerGolden, Case) {
  std::vector<Case> cases = readTable();
  auto golden =
      std::find_if(cases.begin() + 1, cases.end(), [](const Case& each) { return each.name() == GetParam(); });
  ASSERT_NE(golden, cases.end());
  const char* windows = std::getenv("BRUMAL_PACKER_EXE");
  if (windows && golden->header.find(" posix") != std::string::npos) {
    GTEST_SKIP() << "needs POSIX file kinds, links or permissions";
  }
  umask(0);  // the unprivileged runs write everywhere in the case
  TempDir scratch;
  const char* keep = std::getenv("BRUMAL_GOLDEN_KEEP");
  std::string directory = (keep ? std::string(keep) : scratch.path) + "/" + GetParam();
  fs::remove_all(directory);
  fs::create_directories(directory);

  Runner runner(directory, windows);
  std::string expected, actual;
  for (Step& step : golden->steps) {
    Lines lines = runner.step(step.command);
    expected += step.command + "\n" + joined(windows && step.differs ? step.windows : step.output);
    actual += step.command + "\n" + joined(lines);
    (windows ? step.windows : step.output) = lines;
    step.differs = (step.differs || windows) && step.windows != step.output;
  }
  if (std::getenv("BRUMAL_RECORD_GOLDEN")) {
    writeTable(cases);
  } else {
    EXPECT_EQ(expected, actual);
  }
}

std::vector<std::string> caseNames() {
  std::vector<std::string> names;
  for (const Case& golden : readTable()) {
    if (!golden.header.empty()) names.push_back(golden.name());
  }
  return names;
}

INSTANTIATE_TEST_SUITE_P(Table, PackerGolden, ::testing::ValuesIn(caseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
