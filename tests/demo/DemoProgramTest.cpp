// The demo program on the headless platform, each run in a process of its own: settings and the
// display they choose, the main loop's frames and waits, the ways out (all exit code 1), and a
// golden frame of the whole scene with a driven clock.
#include "demo/DemoMain.h"

#include <cstdint>
#include <cstring>

#include <sys/wait.h>

#include "demo/DemoScene.h"
#include "display/Display.h"
#include "render/LayerSet.h"
#include "render/Sprite.h"
#include "tests/demo/DemoTestSupport.h"

namespace {

using demotest::Checks;
using layer::argOf;
using Type = platform::BackendEvent::Type;

// Frame kGoldenFrame of a headless run at a steady 60 frames a second, 640 x 480, from the data
// set of the demo_data target: FNV-1a (64-bit) of its 8-bit back buffer.
constexpr uint64_t kGoldenFrame = 150;
constexpr uint64_t kGoldenChecksum = 0x86db3d913be7a2ddULL;

// A fresh platform, its clock at a steady 60 frames a second, over the whole data set (or none)
// and `settings`.
void prepareRun(const std::string& settings = "", bool withPack = true) {
  demotest::enterFreshRun(withPack ? demotest::packImage(demotest::dataSet()) : "", settings);
  layer::setFixedFrameRate(60);
  layer::recordCalls(true);
}

// Runs WinMain until `frames` frames were shown (0: no limit); it must return 1.
void runDemo(Checks& checks, uint64_t frames) {
  layer::endAfterFrames(frames);
  char commandLine[] = "";
  checks.equal(WinMain(nullptr, nullptr, commandLine, SW_SHOW), 1, "exit code");
}

platform::BackendEvent event(Type type, uint32_t key = 0, uint32_t character = 0) {
  platform::BackendEvent made;
  made.type = type;
  made.key = key;
  made.character = character;
  return made;
}

// The 8-bit buffer after drawing the layer groups once over code 0.
std::vector<uint8_t> groupsDrawnOnce() {
  std::memset(theDisplay.buffer, 0, static_cast<size_t>(theDisplay.bufferSize));
  layerSet.draw(theDisplay);
  return std::vector<uint8_t>(theDisplay.buffer, theDisplay.buffer + theDisplay.bufferSize);
}

TEST(DemoProgram, SettingsChooseTheDisplayAndSidesOutOfBoundsFallBackToTheirDefaults) {
  struct Case {
    std::string settings;
    int32_t width;
    int32_t height;
  };
  const Case cases[] = {
      {"", 640, 480},
      {"[Window]\nFullScreen=0\nHeight=300\n", 640, 300},  // a missing key takes its default alone
      {"[Window]\nWidth=0\nHeight=0\n", 640, 480},
      {"[Window]\nWidth=-5\nHeight=-480\n", 640, 480},
      {"[Window]\nWidth=100000\nHeight=20\n", 640, 20},
      {"[Window]\nWidth=8193\nHeight=8193\n", 640, 480},
      {"[Window]\nWidth=8192\nHeight=2\n", 8192, 2},
      {"[Window]\nWidth=65536\nHeight=65536\n", 640, 480},
      {"[Window]\nWidth=2147483647\nHeight=99999999999\n", 640, 480},
      {"[Window]\nWidth=1\nHeight=1\n", 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    DEMO_SCENARIO([&](Checks& checks) {
      prepareRun(c.settings);
      runDemo(checks, 2);
      checks.equal(theDisplay.fullScreen, 0, "windowed");
      checks.equal(std::to_string(theDisplay.width) + " x " + std::to_string(theDisplay.height),
                   std::to_string(c.width) + " x " + std::to_string(c.height), "display size");
      checks.equal(theDisplay.bufferSize, c.width * c.height, "buffer size");
      checks.equal(layer::presentedFrames(), 2u, "frames shown");
      checks.expect(layer::callsOf("SetDisplayMode").empty(), "no mode change");
      if (c.settings.empty()) {
        const layer::CallRecord window = layer::callsOf("CreateWindowExA").at(0);
        checks.equal(argOf(window, "width") + " " + argOf(window, "height"), "640 480", "window");
      }
    });
  }
  DEMO_SCENARIO([](Checks& checks) {
    prepareRun("[Window]\r\nFullScreen=1\r\nWidth=800\r\nHeight=600\r\n");
    runDemo(checks, 800);
    checks.equal(theDisplay.fullScreen, 1, "full screen");
    checks.equal(layer::callsOf("SetDisplayMode").size(), 1u, "one mode change");
    const layer::CallRecord mode = layer::callsOf("SetDisplayMode").at(0);
    checks.equal(argOf(mode, "width") + " " + argOf(mode, "height"), "800 600", "mode");
    // The scene got 800 as its bound: tile04 has just reached x = 800 and not yet wrapped.
    checks.equal(tile04Sprite->x, 800, "tile04 at frame 800");
    checks.expect(!layer::callsOf("Flip").empty(), "frames are flipped");
  });
}

TEST(DemoProgram, TheLoopPassesKeysWaitsWhileInactiveClearsEveryFrameAndEndsWithExitCode1) {
  DEMO_SCENARIO([](Checks& checks) {
    prepareRun();
    headless::postAfterFrames(2, event(Type::KeyDown, 'A', 'a'));
    for (uint64_t frame : {3, 4, 5}) headless::postAfterFrames(frame, event(Type::Char, 0, frame == 3 ? '2' : '3'));
    headless::postAfterFrames(10, event(Type::KeyDown, VK_ESCAPE, 27));
    runDemo(checks, 0);
    checks.equal(layer::presentedFrames(), 10u, "other keys do not quit; Escape does");
    checks.equal(demotest::visibleGroups(), "1011", "'2' hid group 1; '3' twice left group 2 shown");
    std::string kills;
    for (const layer::CallRecord& record : layer::callsOf("KillTimer")) kills += argOf(record, "id");
    checks.equal(kills, "21", "timer 2 stopped, then timer 1");
  });
  DEMO_SCENARIO([](Checks& checks) {
    prepareRun();
    headless::postAfterFrames(4, event(Type::Close));
    runDemo(checks, 0);
    checks.equal(layer::presentedFrames(), 4u, "frames before closing");
  });
  DEMO_SCENARIO([](Checks& checks) {
    prepareRun();
    headless::postAfterFrames(3, event(Type::Activate));
    headless::postAtMilliseconds(2500, event(Type::Close));
    runDemo(checks, 0);
    checks.equal(layer::presentedFrames(), 3u, "no frame while inactive");
    checks.expect(!layer::callsOf("WaitMessage").empty(), "the loop waits for messages");
    // Two and a half seconds of timers went by while waiting: the mode cycle moved twice.
    checks.expect(layer::clockTicks() >= 25 * layer::kClockFrequency / 10, "the clock reached the close");
    checks.equal(DemoScene::modeCycle, 2, "two mode-cycle steps");
  });
  DEMO_SCENARIO([](Checks& checks) {
    prepareRun();
    runDemo(checks, 2);
    // Outside the frame-rate line the second frame is the groups drawn once over code 0.
    const std::vector<uint8_t> frame(theDisplay.buffer, theDisplay.buffer + theDisplay.bufferSize);
    const std::vector<uint8_t> once = groupsDrawnOnce();
    bool same = true;
    for (size_t i = 0; i < frame.size(); ++i) {
      const size_t x = i % 640, y = i / 640;
      same = same && ((x >= 560 && y >= 10 && y < 28) || frame[i] == once[i]);
    }
    checks.expect(same, "the last frame holds only its own sprites");
  });
}

TEST(DemoProgram, FailuresEndWithTheirBoxAndExitCode1) {
  DEMO_SCENARIO([](Checks& checks) {
    prepareRun();
    headless::setDesktop(32, 1024, 768);
    runDemo(checks, 0);
    checks.equal(headless::messageBoxCount(), 1, "the depth message only");
    checks.equal(layer::callsOf("MessageBoxA").at(0).caption, std::string("ERROR"), "its caption");
    checks.equal(layer::presentedFrames(), 0u, "nothing shown");
  });
  DEMO_SCENARIO([](Checks& checks) {
    prepareRun("", false);
    runDemo(checks, 0);
    checks.equal(headless::messageBoxCount(), 1, "one box");
    checks.equal(layer::callsOf("MessageBoxA").at(0).text, std::string("open pack file fail"), "its text");
    checks.equal(layer::presentedFrames(), 0u, "nothing shown");
  });
  // The built program itself, run headless, in the data's directory and in an empty one.
  const std::string empty = ::testing::TempDir() + "/brumal-demo-empty";
  std::filesystem::create_directories(empty);
  for (const std::string& directory : {std::string(BRUMAL_BIN_DIR), empty}) {
    const int status =
        std::system(("cd " + directory + " && " + BRUMAL_DEMO_EXE + " --headless --frames 5 >/dev/null 2>&1").c_str());
    ASSERT_TRUE(WIFEXITED(status)) << directory;
    EXPECT_EQ(WEXITSTATUS(status), 1) << directory;
  }
}

TEST(DemoGolden, FrameHasItsChecksumAndShowsFourSprites) {
  DEMO_SCENARIO([](Checks& checks) {
    prepareRun();
    runDemo(checks, kGoldenFrame);
    checks.equal(layer::presentedFrames(), kGoldenFrame, "frames shown");
    uint64_t checksum = 0xcbf29ce484222325ULL;  // FNV-1a
    for (int32_t i = 0; i < theDisplay.bufferSize; ++i) checksum = (checksum ^ theDisplay.buffer[i]) * 0x100000001b3ULL;
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%016llx", static_cast<unsigned long long>(checksum));
    checks.expect(checksum == kGoldenChecksum, std::string("checksum of frame 150 is ") + hex);

    // What was shown is the back buffer, expanded.
    const std::vector<uint16_t> picture = headlesstest::presented();
    bool same = picture.size() == 640u * 480u && theDisplay.bufferSize == 640 * 480;
    for (size_t i = 0; same && i < picture.size(); ++i) same = picture[i] == theDisplay.buffer[i] * 0x101;
    checks.expect(same, "the picture is the buffer, code c as c * 0x101");
    checks.expect(layer::savePresentedPng(BRUMAL_TEST_OUTPUT_DIR "/demo-golden.png"), "screenshot written");

    // Every sprite is in the picture: drawing the groups without it changes the frame.
    const std::vector<uint8_t> all = groupsDrawnOnce();
    for (int g = 0; g < 4; ++g) {
      for (int other = 0; other < 4; ++other) layerSet.groups[other].visible = other != g;
      checks.expect(groupsDrawnOnce() != all, "sprite of group " + std::to_string(g) + " is visible");
    }

    checks.expect(theDisplay.framesPerSecond >= 58 && theDisplay.framesPerSecond <= 60, "about 60 frames a second");
  });
}

}  // namespace
