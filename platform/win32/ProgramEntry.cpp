// The program entry on POSIX systems. Besides what the Windows program does, main() takes a few
// options of its own, for people and scripts; they are removed before WinMain sees the command
// line:
//   --headless          no window, even when a display is there
//   --frames N          end the run after N presented frames (WM_QUIT, so WinMain returns)
//   --screenshot FILE   save the last presented picture as PNG when WinMain returns
//   --fixed-fps N       a virtual clock that advances 1/N s per presented frame, so frame rates,
//                       timers and everything that depends on them repeat exactly
//   --keys LIST         keys and mouse input at given frames of a headless run
//                       (platform/win32/InputScript.h)
//   --help              lists these options and ends (status 0) without running the program
// Without a display (or an SDL build) the program runs headless; given none of the options then,
// it stops after kDefaultFrames frames and saves "screenshot.png", so a plain start still shows
// something. A run with --frames prints its average frame rate at the end and a fingerprint of
// its last picture ("frame: 0x..."), so two runs, on two back ends say, can be compared.
#include <limits.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <windows.h>

#include "platform/headless/HeadlessControl.h"
#include "platform/win32/Backend.h"
#include "platform/win32/InputScript.h"
#include "platform/win32/LayerControl.h"

namespace platform {

namespace {

constexpr uint64_t kDefaultFrames = 300;

const char kHelp[] =
    "Options (besides the program's own):\n"
    "  --headless          no window, even when a display is there\n"
    "  --frames N          end the run after N presented frames\n"
    "  --screenshot FILE   save the last presented picture as PNG at the end\n"
    "  --fixed-fps N       a clock that advances 1/N s per presented frame, so runs repeat exactly\n"
    "  --keys LIST         headless: input after given frames, as FRAME:WHAT,FRAME:WHAT...\n"
    "                      WHAT: KEY (pressed and released), down:KEY, up:KEY (held, let go),\n"
    "                      move:X,Y, down:BUTTON:X,Y, up:BUTTON:X,Y (the mouse in the picture;\n"
    "                      BUTTON: left, right, middle). KEY: a letter or digit, Escape, Return,\n"
    "                      Space, Tab, Backspace, Left, Right, Up, Down, Shift, Control, Home,\n"
    "                      End, PageUp, PageDown, Insert, Delete, F1 to F12.\n"
    "                      E.g. --keys 60:1,70:down:Left,90:up:Left,95:move:320,240,120:Escape\n"
    "  --help              this list\n"
    "Without a display the program runs headless.\n";

struct Options {
  bool help = false;
  bool headless = false;
  uint64_t frames = 0;
  std::string screenshot;
  int fixedFramesPerSecond = 0;
  std::vector<ScriptedInput> script;
  std::string commandLine;
  bool valid = true;
};

// "--name value" or "--name=value"; advances `index` past what it used.
bool optionValue(int argc, char** argv, int& index, const char* name, std::string& value) {
  const char* argument = argv[index];
  size_t length = std::strlen(name);
  if (std::strncmp(argument, name, length) != 0) return false;
  if (argument[length] == '=') {
    value = argument + length + 1;
    return true;
  }
  if (argument[length] != '\0') return false;
  if (index + 1 >= argc) {
    value.clear();
    return true;
  }
  value = argv[++index];
  return true;
}

bool parseCount(const std::string& text, uint64_t limit, uint64_t& count) {
  uint64_t value = 0;
  if (!parseNumber(text, limit, value) || value == 0) return false;
  count = value;
  return true;
}

void appendArgument(std::string& commandLine, const char* argument) {
  if (!commandLine.empty()) commandLine += ' ';
  bool quote = std::strchr(argument, ' ') != nullptr || *argument == '\0';
  if (quote) commandLine += '"';
  commandLine += argument;
  if (quote) commandLine += '"';
}

Options parseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string value;
    uint64_t count = 0;
    if (std::strcmp(argv[i], "--help") == 0) {
      options.help = true;
    } else if (std::strcmp(argv[i], "--headless") == 0) {
      options.headless = true;
    } else if (optionValue(argc, argv, i, "--frames", value)) {
      if (!parseCount(value, 1000000000ull, count)) {
        std::fprintf(stderr, "--frames needs a positive number of frames\n");
        options.valid = false;
      }
      options.frames = count;
    } else if (optionValue(argc, argv, i, "--screenshot", value)) {
      if (value.empty()) {
        std::fprintf(stderr, "--screenshot needs a file name\n");
        options.valid = false;
      }
      options.screenshot = value;
    } else if (optionValue(argc, argv, i, "--fixed-fps", value)) {
      if (!parseCount(value, 100000, count)) {
        std::fprintf(stderr, "--fixed-fps needs a positive number of frames per second\n");
        options.valid = false;
      }
      options.fixedFramesPerSecond = static_cast<int>(count);
    } else if (optionValue(argc, argv, i, "--keys", value)) {
      std::string error;
      if (!parseInputScript(value, options.script, error)) {
        std::fprintf(stderr, "--keys: %s\n", error.c_str());
        options.valid = false;
      }
    } else {
      appendArgument(options.commandLine, argv[i]);
    }
  }
  return options;
}

std::string absolutePath(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

}  // namespace

int runProgram(int argc, char** argv, BackendFactory windowFactory) {
  Options options = parseOptions(argc, argv);
  if (options.help) {
    std::printf("%s", kHelp);
    std::fflush(stdout);
    return 0;
  }
  if (!options.valid) return 2;

  bool headless = true;
  if (!options.headless && windowFactory) {
    std::unique_ptr<Backend> window = windowFactory();
    if (window) {
      installBackend(std::move(window));
      headless = false;
    }
  }
  if (headless && !options.headless && options.frames == 0) {
    // Nobody asked for headless and nobody can watch: a short run that leaves a picture.
    options.frames = kDefaultFrames;
    if (options.screenshot.empty()) options.screenshot = "screenshot.png";
    std::printf("no display: running headless for %llu frames\n", static_cast<unsigned long long>(options.frames));
  }
  if (options.fixedFramesPerSecond > 0) layer::setFixedFrameRate(options.fixedFramesPerSecond);
  if (options.frames > 0) layer::endAfterFrames(options.frames);
  if (!options.script.empty() && !headless) std::fprintf(stderr, "--keys: ignored, the run is not headless\n");
  for (const ScriptedInput& input : options.script) {
    for (const BackendEvent& event : input.events) headless::postAfterFrames(input.frame, event);
  }

  auto start = std::chrono::steady_clock::now();
  // Any non-null value serves as the program's instance handle.
  static char instanceTag;
  int result = WinMain(reinterpret_cast<HINSTANCE>(&instanceTag), nullptr, options.commandLine.data(), SW_SHOW);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  if (options.frames > 0) {
    uint64_t frames = layer::presentedFrames();
    std::printf("%s: %llu frames in %.3f s, average %.1f frames/s\n", backend().name(),
                static_cast<unsigned long long>(frames), seconds,
                seconds > 0 ? static_cast<double>(frames) / seconds : 0.0);
    uint64_t hash = 0;
    if (layer::presentedPictureHash(hash)) std::printf("frame: 0x%016llx\n", static_cast<unsigned long long>(hash));
  }
  if (!options.screenshot.empty()) {
    if (layer::savePresentedPng(options.screenshot)) {
      std::printf("screenshot: %s\n", absolutePath(options.screenshot).c_str());
    } else {
      std::fprintf(stderr, "screenshot: nothing was presented, or %s cannot be written\n", options.screenshot.c_str());
    }
  }
  std::fflush(stdout);
  return result;
}

}  // namespace platform
