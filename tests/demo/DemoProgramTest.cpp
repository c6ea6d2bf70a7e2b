// The demo program on the headless platform, each run in a process of its own: settings and the
// display they choose, the main loop's frames and waits, the ways out (all exit code 1), and a
// golden frame of the whole scene with a driven clock.
#include "demo/DemoMain.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

#include <sys/wait.h>

#include "archive/FileLoader.h"
#include "demo/DemoScene.h"
#include "display/Display.h"
#include "font/BitmapFont.h"
#include "render/LayerSet.h"
#include "render/Sprite.h"
#include "tests/demo/DemoTestSupport.h"

namespace {

using demotest::Checks;

// Frame kGoldenFrame of a headless run at a steady 60 frames a second, 640 x 480, from the data
// set of the demo_data target: FNV-1a (64-bit) of its 8-bit back buffer.
constexpr uint64_t kGoldenFrame = 150;
constexpr uint64_t kGoldenChecksum = 0x86db3d913be7a2ddULL;

uint64_t checksumOf(const uint8_t* bytes, size_t size) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (size_t i = 0; i < size; ++i) {
    hash ^= bytes[i];
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

// The platform and a working directory holding the whole data set, and `settings` as
// setting.ini unless it is empty.
void prepareRun(const std::string& settings, bool withPack = true) {
  headless::reset();
  headless::setFixedFrameRate(60);
  demotest::enterTempDir();
  if (withPack) demotest::writeFile("data.pak", demotest::packImage(demotest::dataSet()));
  if (!settings.empty()) demotest::writeFile("setting.ini", settings);
  headless::recordCalls(true);
}

int runDemo() {
  char commandLine[] = "";
  return WinMain(nullptr, nullptr, commandLine, SW_SHOW);
}

platform::BackendEvent keyDown(uint32_t key, uint32_t character) {
  platform::BackendEvent event;
  event.type = platform::BackendEvent::Type::KeyDown;
  event.key = key;
  event.character = character;
  return event;
}

platform::BackendEvent charEvent(uint32_t character) {
  platform::BackendEvent event;
  event.type = platform::BackendEvent::Type::Char;
  event.character = character;
  return event;
}

platform::BackendEvent activation(bool active) {
  platform::BackendEvent event;
  event.type = platform::BackendEvent::Type::Activate;
  event.active = active;
  return event;
}

platform::BackendEvent closing() {
  platform::BackendEvent event;
  event.type = platform::BackendEvent::Type::Close;
  return event;
}

// ---- Settings ----------------------------------------------------------------------------------

TEST(DemoProgramSettings, WithoutSettingsTheDemoRunsWindowedAt640x480) {
  DEMO_SCENARIO([](Checks& checks) {
    prepareRun("");
    headless::endAfterFrames(3);
    checks.equal(runDemo(), 1, "exit code");
    checks.equal(theDisplay.fullScreen, 0, "windowed");
    checks.equal(theDisplay.width, 640, "width");
    checks.equal(theDisplay.height, 480, "height");
    checks.equal(headless::presentedFrames(), 3u, "frames shown");
    checks.expect(headless::callsOf("SetDisplayMode").empty(), "no mode change");
    const std::vector<headless::CallRecord> windows = headless::callsOf("CreateWindowExA");
    checks.equal(windows.size(), 1u, "one window");
    if (!windows.empty()) {
      auto args = demotest::argsOf(windows[0]);
      checks.equal(args["width"], std::string("640"), "window created 640 wide");
      checks.equal(args["height"], std::string("480"), "window created 480 high");
    }
  });
}

TEST(DemoProgramSettings, FullScreen800x600FromTheSettingsFile) {
  DEMO_SCENARIO([](Checks& checks) {
    prepareRun("[Window]\r\nFullScreen=1\r\nWidth=800\r\nHeight=600\r\n");
    headless::endAfterFrames(800);
    checks.equal(runDemo(), 1, "exit code");
    checks.equal(theDisplay.fullScreen, 1, "full screen");
    const std::vector<headless::CallRecord> modes = headless::callsOf("SetDisplayMode");
    checks.equal(modes.size(), 1u, "one mode change");
    if (!modes.empty()) {
      checks.equal(demotest::argsOf(modes[0])["width"], std::string("800"), "mode width");
      checks.equal(demotest::argsOf(modes[0])["height"], std::string("600"), "mode height");
    }
    // The scene got 800 as its bound: tile04 has just reached x = 800 and not yet wrapped.
    checks.equal(tile04Sprite->x, 800, "tile04 at frame 800");
    checks.expect(!headless::callsOf("Flip").empty(), "frames are flipped");
  });
}

TEST(DemoProgramSettings, AMissingWidthKeyUses640AndTakesTheOthers) {
  DEMO_SCENARIO([](Checks& checks) {
    prepareRun("[Window]\nFullScreen=0\nHeight=300\n");
    headless::endAfterFrames(1);
    checks.equal(runDemo(), 1, "exit code");
    checks.equal(theDisplay.width, 640, "default width");
    checks.equal(theDisplay.height, 300, "height from the file");
  });
}

TEST(DemoProgramSettings, SidesOutOfBoundsFallBackToTheirDefaults) {
  const std::pair<std::string, std::pair<int32_t, int32_t>> cases[] = {
      {"Width=0\nHeight=0\n", {640, 480}},
      {"Width=-5\nHeight=-480\n", {640, 480}},
      {"Width=100000\nHeight=20\n", {640, 20}},
      {"Width=8193\nHeight=8193\n", {640, 480}},
      {"Width=8192\nHeight=2\n", {8192, 2}},
      {"Width=65536\nHeight=65536\n", {640, 480}},
      {"Width=2147483647\nHeight=99999999999\n", {640, 480}},
      {"Width=1\nHeight=1\n", {1, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    const std::string text = "[Window]\n" + c.first;
    const int32_t width = c.second.first;
    const int32_t height = c.second.second;
    DEMO_SCENARIO([&](Checks& checks) {
      prepareRun(text);
      headless::endAfterFrames(2);
      checks.equal(runDemo(), 1, "exit code");
      checks.equal(theDisplay.width, width, "width");
      checks.equal(theDisplay.height, height, "height");
      checks.equal(theDisplay.bufferSize, width * height, "buffer size");
      checks.equal(headless::presentedFrames(), 2u, "frames shown");
    });
  }
}

// ---- The loop and the ways out -----------------------------------------------------------------

TEST(DemoProgramLoop, EscapeEndsTheRunWithExitCode1AndStopsTheTimers) {
  DEMO_SCENARIO([](Checks& checks) {
    prepareRun("");
    headless::postAfterFrames(5, keyDown(VK_ESCAPE, 27));
    checks.equal(runDemo(), 1, "exit code");
    checks.equal(headless::presentedFrames(), 5u, "frames before Escape");
    std::vector<std::string> kills;
    for (const headless::CallRecord& record : headless::callsOf("KillTimer")) {
      kills.push_back(demotest::argsOf(record)["id"]);
    }
    checks.expect(kills == std::vector<std::string>({"2", "1"}), "timer 2 stopped, then timer 1");
  });
}

TEST(DemoProgramLoop, ClosingTheWindowEndsTheRunWithExitCode1) {
  DEMO_SCENARIO([](Checks& checks) {
    prepareRun("");
    headless::postAfterFrames(4, closing());
    checks.equal(runDemo(), 1, "exit code");
    checks.equal(headless::presentedFrames(), 4u, "frames before closing");
  });
}

TEST(DemoProgramLoop, OtherKeysDoNotQuitAndCharactersReachTheScene) {
  DEMO_SCENARIO([](Checks& checks) {
    prepareRun("");
    headless::postAfterFrames(2, keyDown('A', 'a'));
    headless::postAfterFrames(3, charEvent('2'));
    headless::postAfterFrames(4, charEvent('3'));
    headless::postAfterFrames(5, charEvent('3'));
    headless::endAfterFrames(10);
    checks.equal(runDemo(), 1, "exit code");
    checks.equal(headless::presentedFrames(), 10u, "all frames");
    checks.expect(layerSet.groups[0].visible && !layerSet.groups[1].visible && layerSet.groups[2].visible &&
                      layerSet.groups[3].visible,
                  "'2' hid group 1; '3' twice left group 2 shown");
  });
}

TEST(DemoProgramLoop, AnInactiveWindowDrawsNothingButItsTimersRun) {
  DEMO_SCENARIO([](Checks& checks) {
    prepareRun("");
    headless::postAfterFrames(3, activation(false));
    headless::postAtMilliseconds(2500, closing());
    checks.equal(runDemo(), 1, "exit code");
    checks.equal(headless::presentedFrames(), 3u, "no frame while inactive");
    checks.expect(!headless::callsOf("WaitMessage").empty(), "the loop waits for messages");
    // Two and a half seconds of timers went by while waiting: the fire strip and the mode cycle moved.
    checks.expect(headless::clockTicks() >= 25 * headless::kClockFrequency / 10, "the clock reached the close");
    checks.equal(DemoScene::modeCycle, 2, "two mode-cycle steps");
  });
}

TEST(DemoProgramLoop, EveryFrameClearsDrawsAndPresents) {
  DEMO_SCENARIO([](Checks& checks) {
    prepareRun("");
    headless::endAfterFrames(2);
    checks.equal(runDemo(), 1, "exit code");
    // The buffer holds exactly the second frame: the first frame's sprites were cleared away.
    std::vector<uint8_t> frame(theDisplay.buffer, theDisplay.buffer + theDisplay.bufferSize);
    std::memset(theDisplay.buffer, 0, static_cast<size_t>(theDisplay.bufferSize));
    layerSet.draw(theDisplay);
    // Outside the frame-rate line, the frame is the groups drawn once over code 0.
    bool same = true;
    for (int32_t i = 0; i < theDisplay.bufferSize; ++i) {
      const int32_t x = i % theDisplay.width;
      const int32_t y = i / theDisplay.width;
      if (x >= 560 && y >= 10 && y < 28) continue;
      if (frame[static_cast<size_t>(i)] != theDisplay.buffer[i]) same = false;
    }
    checks.expect(same, "the last frame holds only its own sprites");
  });
}

// ---- Failures ----------------------------------------------------------------------------------

TEST(DemoProgramFailures, ADisplayThatCannotStartEndsWithExitCode1) {
  DEMO_SCENARIO([](Checks& checks) {
    prepareRun("");
    headless::setDesktop(32, 1024, 768);
    checks.equal(runDemo(), 1, "exit code");
    checks.equal(headless::messageBoxCount(), 1, "the depth message only");
    checks.equal(headless::callsOf("MessageBoxA").at(0).caption, std::string("ERROR"), "its caption");
    checks.equal(headless::presentedFrames(), 0u, "nothing shown");
  });
}

TEST(DemoProgramFailures, AMissingPackFileEndsWithItsBoxAndExitCode1) {
  DEMO_SCENARIO([](Checks& checks) {
    prepareRun("", false);
    checks.equal(runDemo(), 1, "exit code");
    const std::vector<headless::CallRecord> boxes = headless::callsOf("MessageBoxA");
    checks.equal(boxes.size(), 1u, "one box");
    if (!boxes.empty()) checks.equal(boxes[0].text, std::string("open pack file fail"), "its text");
    checks.equal(headless::presentedFrames(), 0u, "nothing shown");
  });
}

// The built program itself, run headless: its exit status is 1 whichever way it ends.
TEST(DemoProgramFailures, TheProgramExitsWith1) {
  const std::string run = std::string("cd ") + BRUMAL_BIN_DIR + " && " + BRUMAL_DEMO_EXE + " --headless --frames 5";
  int status = std::system((run + " >/dev/null 2>&1").c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);

  const std::string empty = ::testing::TempDir() + "/brumal-demo-empty";
  std::filesystem::create_directories(empty);
  status = std::system(("cd " + empty + " && " + BRUMAL_DEMO_EXE + " --headless --frames 5 >/dev/null 2>&1").c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
}

// ---- Golden frame ------------------------------------------------------------------------------

TEST(DemoGolden, FrameHasItsChecksumAndShowsFourSpritesAndTheFrameRate) {
  DEMO_SCENARIO([](Checks& checks) {
    prepareRun("");
    headless::endAfterFrames(kGoldenFrame);
    checks.equal(runDemo(), 1, "exit code");
    checks.equal(headless::presentedFrames(), kGoldenFrame, "frames shown");

    const uint64_t checksum = checksumOf(theDisplay.buffer, static_cast<size_t>(theDisplay.bufferSize));
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%016llx", static_cast<unsigned long long>(checksum));
    checks.expect(checksum == kGoldenChecksum, std::string("checksum of frame 150 is ") + hex);

    // What was shown is the back buffer, expanded.
    int w = 0;
    int h = 0;
    const std::vector<uint16_t> picture = headless::presentedPicture(w, h);
    checks.expect(w == 640 && h == 480, "picture size");
    bool same = picture.size() == static_cast<size_t>(theDisplay.bufferSize);
    for (size_t i = 0; same && i < picture.size(); ++i) same = picture[i] == theDisplay.buffer[i] * 0x101;
    checks.expect(same, "the picture is the buffer, code c as c * 0x101");
    checks.expect(headless::savePresentedPng(BRUMAL_TEST_OUTPUT_DIR "/demo-golden.png"), "screenshot written");

    // Every sprite is in the picture: drawing the groups without it changes the frame.
    std::vector<uint8_t> all(static_cast<size_t>(theDisplay.bufferSize));
    std::memset(theDisplay.buffer, 0, all.size());
    layerSet.draw(theDisplay);
    std::memcpy(all.data(), theDisplay.buffer, all.size());
    for (int g = 0; g < 4; ++g) {
      for (int other = 0; other < 4; ++other) layerSet.groups[other].visible = other != g;
      std::memset(theDisplay.buffer, 0, all.size());
      layerSet.draw(theDisplay);
      checks.expect(std::memcmp(all.data(), theDisplay.buffer, all.size()) != 0,
                    "sprite of group " + std::to_string(g) + " is visible");
    }

    // "FPS=" and the rate: every pixel the font sets for that line is white in the picture.
    checks.expect(theDisplay.framesPerSecond >= 58 && theDisplay.framesPerSecond <= 60, "about 60 frames a second");
    FileLoader disk(nullptr);
    BitmapFont font;
    checks.expect(font.load(disk, std::string(BRUMAL_BIN_DIR) + "/data/songti16x16.font"), "font for the check");
    Display scratch;
    scratch.width = 640;
    scratch.height = 480;
    scratch.bufferSize = 640 * 480;
    std::vector<uint8_t> text(static_cast<size_t>(scratch.bufferSize), 0);
    scratch.buffer = text.data();
    font.drawFormatted(scratch, 560, 10, 10, 255, "FPS=%d", theDisplay.framesPerSecond);
    scratch.buffer = nullptr;
    int textPixels = 0;
    bool textShown = true;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] != 255) continue;
      ++textPixels;
      if (picture.size() != text.size() || picture[i] != 0xFFFF) textShown = false;
    }
    checks.expect(textPixels > 50 && textShown, "the frame-rate line is in the picture");
  });
}

}  // namespace
