// The demo scene on the headless platform, each case in a process of its own: set-up and its
// failures, the two timers, the keys, the sprites' motion and wrap, and the alpha level's path.
#include "demo/DemoScene.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "demo/DemoMain.h"
#include "display/Display.h"
#include "render/LayerSet.h"
#include "render/Sprite.h"
#include "tests/demo/DemoTestSupport.h"

namespace {

using demotest::Checks;
using headlesstest::argsOf;

// "正在初始化BDI数据..." and "初始化BDI数据完成!" in GBK.
const std::string kLoadingText = "\xd5\xfd\xd4\xda\xb3\xf5\xca\xbc\xbb\xaf\x42\x44\x49\xca\xfd\xbe\xdd\x2e\x2e\x2e";
const std::string kReadyText = "\xb3\xf5\xca\xbc\xbb\xaf\x42\x44\x49\xca\xfd\xbe\xdd\xcd\xea\xb3\xc9\x21";

// A window and a display of the given size over `pack` as data.pak, and the set-up's result.
bool setUpScene(DemoScene& scene, const std::string& pack, int32_t width = 640, int32_t height = 480) {
  demotest::enterFreshRun(pack);
  headless::useVirtualClock(0);
  createMainWindow(nullptr);
  if (!theDisplay.initWindowed(mainWindow, width, height)) std::abort();
  headless::recordCalls(true);
  return scene.setUp(width, height);
}

// A scene set up from the whole data set.
DemoScene& startScene(Checks& checks, int32_t width = 640, int32_t height = 480) {
  static DemoScene scene;
  checks.expect(setUpScene(scene, demotest::packImage(demotest::dataSet()), width, height), "set-up succeeds");
  return scene;
}

bool fireShows(int frame) {
  const Rect& r = fireSprite->sourceRect;
  return r.left == 32 * frame && r.top == 0 && r.right == 32 * frame + 32 && r.bottom == 128;
}

TEST(DemoScene, SetUpLoadsShowsTwoStatusLinesStartsTimersAndLinksTheSprites) {
  DEMO_SCENARIO([](Checks& checks) {
    startScene(checks);
    checks.expect(!theDisplay.fastExpand, "frames go through the expansion table");
    checks.equal(std::to_string(roleSprite->colorKey) + " " + std::to_string(tile04Sprite->colorKey), "0 248",
                 "keys: role black, tile04 magenta");
    // Each status line, at client (200, 200), follows a fill of the screen.
    POINT origin = {200, 200};
    ClientToScreen(mainWindow, &origin);
    const std::string at = " " + std::to_string(origin.x) + " " + std::to_string(origin.y);
    std::string steps;
    for (const headless::CallRecord& record : headless::calls()) {
      if (record.api == "TextOutA") steps += "|" + record.text + " " + argsOf(record)["x"] + " " + argsOf(record)["y"];
      if (record.api == "Blt" && argsOf(record)["flags"] == "0x400") steps += "|fill";
    }
    checks.equal(steps, "|fill|" + kLoadingText + at + "|fill|" + kReadyText + at, "fills and status lines");
    checks.equal(argsOf("SetTimer", {"id", "elapse"}) + " " + argsOf("SetTimer", {"id", "elapse"}, 1), "1 100 2 1000",
                 "timers");
    for (const headless::CallRecord& timer : headless::callsOf("SetTimer")) {
      checks.expect(timer.window == mainWindow, "timers on the window");
    }
    // The timer message sent during set-up has shown fire frame 0.
    checks.expect(DemoScene::fireFrame == 1 && fireShows(0), "fire shows frame 0");
    Sprite* const sprites[] = {tile02Sprite, roleSprite, fireSprite, tile04Sprite};
    for (int g = 0; g < 4; ++g) {
      const LayerGroup& group = layerSet.groups[g];
      checks.expect(group.heads[0]->next == sprites[g] && sprites[g]->next == group.tails[0],
                    "group " + std::to_string(g) + " list 0 holds its sprite alone");
      for (int list = 1; list < 4; ++list) checks.expect(group.heads[list]->next == group.tails[list], "empty list");
    }
    checks.equal(headless::messageBoxCount(), 0, "no message box");
  });
}

TEST(DemoScene, SetUpFailuresShowTheirMessageAndStopThere) {
  struct Case {
    const char* what;
    const char* message;  // "" when set-up succeeds
    int lastImageRead;    // index of the last image tried: the ones after it are not read
  };
  const Case cases[] = {{"no pack", "open pack file fail", 0},
                        {"no archive", "open pack file fail", 0},
                        {"data\\tile02.bdi", "1", 0},
                        {"data\\role.bdi", "2", 1},
                        {"data\\fire.bdi", "3", 2},
                        {"data\\tile04.bdi", "4", 3},
                        {"damaged fire", "3", 2},
                        {"data\\songti16x16.font", "font", 4},
                        {"data\\bdi.dat", "", 4}};  // the blend tables are computed instead
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DEMO_SCENARIO([&](Checks& checks) {
      auto files = demotest::dataSet();
      files.erase(c.what);
      if (std::string(c.what) == "damaged fire") std::swap(files["data\\fire.bdi"][0], files["data\\fire.bdi"][1]);
      const std::string what = c.what;
      const std::string pack = what == "no pack"      ? ""
                               : what == "no archive" ? "not an archive"
                                                      : demotest::packImage(files);
      DemoScene scene;
      const bool succeeded = setUpScene(scene, pack);
      checks.equal(succeeded, *c.message == 0, "set-up result");
      if (succeeded) {
        checks.equal(headless::messageBoxCount(), 0, "no message box");
        return;
      }
      const std::vector<headless::CallRecord> boxes = headless::callsOf("MessageBoxA");
      checks.equal(boxes.size(), 1u, "one message box");
      if (boxes.size() == 1) {
        checks.equal(boxes[0].caption + "|" + boxes[0].text + "|" + argsOf(boxes[0])["style"],
                     std::string("|") + c.message + "|0x0", "box caption, text and MB_OK");
        checks.expect(boxes[0].window == mainWindow, "box owned by the window");
      }
      checks.expect(headless::callsOf("TextOutA").empty() && headless::callsOf("SetTimer").empty(),
                    "no status line, no timer");
      checks.expect(scene.loader == nullptr && scene.font == nullptr, "loader and font destroyed");
      Sprite* const sprites[] = {tile02Sprite, roleSprite, fireSprite, tile04Sprite};
      for (int later = c.lastImageRead + 1; later < 4; ++later) {
        checks.expect(sprites[later]->pixels == nullptr, "image " + std::to_string(later + 1) + " not read");
      }
    });
  }
}

TEST(DemoScene, TimersStepTheFireFramesAndTile04sModes) {
  DEMO_SCENARIO([](Checks& checks) {
    DemoScene& scene = startScene(checks);
    // Set-up showed frame 0; the next timers show 1 to 7, then 0 again.
    for (int step = 1; step <= 9; ++step) {
      DemoScene::onTimer(DemoScene::kFireTimer);
      checks.expect(fireShows(step % 8) && DemoScene::fireFrame == (step + 1) % 8, "fire step " + std::to_string(step));
    }
    DemoScene::onTimer(7);  // other timers change nothing
    checks.expect(DemoScene::fireFrame == 2 && DemoScene::modeCycle == 0, "unknown timer ignored");
    // Timer 2 cycles tile04 through grey, copy and add.
    const int32_t expected[] = {19, 1, 7, 19, 1};
    for (int second = 0; second < 5; ++second) {
      scene.drawFrame();
      checks.equal(tile04Sprite->blendMode, expected[second], "tile04 mode in second " + std::to_string(second));
      checks.equal(tile04Sprite->blendParam, 0, "tile04 parameter");
      DemoScene::onTimer(DemoScene::kModeTimer);
    }
  });
}

TEST(DemoScene, KeysOneToFourToggleTheirGroups) {
  DEMO_SCENARIO([](Checks& checks) {
    DemoScene& scene = startScene(checks);
    DemoScene::onChar('1');
    checks.equal(demotest::visibleGroups(), "0111", "'1' hides group 0");
    const int32_t before = tile02Sprite->x;
    scene.drawFrame();
    checks.equal(tile02Sprite->x, before + 2, "a hidden sprite keeps moving");
    for (uintptr_t key : {uintptr_t('1'), uintptr_t('0'), uintptr_t('5'), uintptr_t('a'), uintptr_t(0x131)}) {
      DemoScene::onChar(key);
    }
    checks.equal(demotest::visibleGroups(), "1111", "'1' again shows; others change nothing");

    // All four hidden: only the frame-rate text is drawn.
    for (uintptr_t key : {uintptr_t('1'), uintptr_t('2'), uintptr_t('3'), uintptr_t('4')}) DemoScene::onChar(key);
    checks.equal(demotest::visibleGroups(), "0000", "all hidden");
    std::memset(theDisplay.buffer, 0, static_cast<size_t>(theDisplay.bufferSize));
    scene.drawFrame();
    int text = 0;
    bool onlyText = true;
    for (int32_t i = 0; i < theDisplay.bufferSize; ++i) {
      const int32_t x = i % theDisplay.width;
      const int32_t y = i / theDisplay.width;
      text += theDisplay.buffer[i] == 255;
      if (theDisplay.buffer[i] != 0 && (theDisplay.buffer[i] != 255 || x < 560 || y < 10 || y >= 26)) onlyText = false;
    }
    checks.expect(text > 0 && onlyText, "only the frame-rate text at (560, 10)");
  });
}

TEST(DemoScene, SpritesMoveAndWrapAtTheBufferBounds) {
  for (const int32_t width : {640, 800}) {
    SCOPED_TRACE(width);
    DEMO_SCENARIO([&](Checks& checks) {
      const int32_t height = width * 3 / 4;
      const int frames = width * 9 / 4;  // long enough for every sprite to wrap
      DemoScene& scene = startScene(checks, width, height);
      const int32_t tile04Width = tile04Sprite->width, tile02Width = tile02Sprite->width;
      const int32_t tile02Height = tile02Sprite->height, roleWidth = roleSprite->width;
      checks.expect(tile04Width > 0 && tile02Width > 0 && roleWidth > 0, "images loaded");
      int32_t tile04X = 0, tile02X = 0, tile02Y = 0, roleX = 0, rightmost04 = 0;
      int wraps04 = 0, wraps02X = 0, wraps02Y = 0, wrapsRole = 0;
      for (int frame = 1; frame <= frames; ++frame) {
        scene.drawFrame();
        // Each one steps by its speed, and re-enters from the far side once it has left.
        tile04X = tile04X + 1 > width ? (++wraps04, -tile04Width) : tile04X + 1;
        tile02X = tile02X + 2 > width ? (++wraps02X, -tile02Width) : tile02X + 2;
        tile02Y = tile02Y + 1 > height ? (++wraps02Y, -tile02Height) : tile02Y + 1;
        roleX = roleX - 2 < -roleWidth ? (++wrapsRole, width) : roleX - 2;
        if (tile04Sprite->x != tile04X || tile02Sprite->x != tile02X || tile02Sprite->y != tile02Y ||
            roleSprite->x != roleX || tile04Sprite->y != 0 || roleSprite->y != 150 || fireSprite->x != 100 ||
            fireSprite->y != 100) {
          return checks.expect(false, "positions of frame " + std::to_string(frame));
        }
        rightmost04 = std::max(rightmost04, tile04Sprite->x);
        checks.expect(roleSprite->blendMode == 7 && fireSprite->blendMode == 6 && tile02Sprite->blendMode == 3,
                      "blend modes");
      }
      checks.expect(wraps04 > 0 && wraps02X > 0 && wraps02Y > 0 && wrapsRole > 0, "every sprite wrapped");
      checks.equal(rightmost04, width, "tile04 is drawn up to x = width; at width + 1 it jumps back");
      checks.equal(scene.tile04X, tile04X, "scene state follows");
    });
  }
}

TEST(DemoScene, BlendLevelClimbsTo15FallsTo0AndClimbsAgain) {
  DEMO_SCENARIO([](Checks& checks) {
    DemoScene& scene = startScene(checks);
    scene.drawFrame();
    checks.expect(std::fabs(DemoScene::blendLevel - 8.2f) < 1e-5f && tile02Sprite->blendParam == 8, "8.2 at first");
    // Phases: up to 15, down to 0, up to 15 again; the step turns at each bound.
    int phase = 0;
    int framesToTop = 0;
    float previous = DemoScene::blendLevel;
    for (int frame = 2; frame < 400 && phase < 3; ++frame) {
      scene.drawFrame();
      const float level = DemoScene::blendLevel;
      checks.expect(level >= 0.0f && level <= 15.0f, "level within 0 to 15");
      checks.equal(tile02Sprite->blendParam, static_cast<int32_t>(level), "parameter is the truncated level");
      const bool atBound = level == (phase == 1 ? 0.0f : 15.0f);
      if (atBound) {
        checks.expect(phase == 2 || (DemoScene::blendLevelStep < 0.0f) == (phase == 0), "step turns at the bound");
        framesToTop = phase == 0 ? frame : framesToTop;
        ++phase;
      } else {
        checks.expect(phase == 1 ? level < previous : level > previous, "climbing or falling");
      }
      previous = level;
    }
    checks.equal(phase, 3, "a whole cycle");
    checks.expect(framesToTop >= 35 && framesToTop <= 36, "about 35 frames from 8 to 15");
  });
}

}  // namespace
