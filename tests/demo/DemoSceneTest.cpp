// The demo scene on the headless platform, each case in a process of its own: set-up and its
// failures, the two timers, the keys, the sprites' motion and wrap, and the alpha level's path.
#include "demo/DemoScene.h"

#include <windows.h>

#include <cmath>
#include <cstring>

#include "demo/DemoMain.h"
#include "display/Display.h"
#include "render/LayerSet.h"
#include "render/Sprite.h"
#include "tests/demo/DemoTestSupport.h"

namespace {

using demotest::Checks;

// "正在初始化BDI数据..." and "初始化BDI数据完成!" in GBK.
const std::string kLoadingText = "\xd5\xfd\xd4\xda\xb3\xf5\xca\xbc\xbb\xaf\x42\x44\x49\xca\xfd\xbe\xdd\x2e\x2e\x2e";
const std::string kReadyText = "\xb3\xf5\xca\xbc\xbb\xaf\x42\x44\x49\xca\xfd\xbe\xdd\xcd\xea\xb3\xc9\x21";

// The platform, a window and a display of the given size, in a fresh directory holding `pack`
// as data.pak (none when empty).
void startPlatform(const std::string& pack, int32_t width = 640, int32_t height = 480) {
  headless::reset();
  headless::useVirtualClock(0);
  demotest::enterTempDir();
  if (!pack.empty()) demotest::writeFile("data.pak", pack);
  createMainWindow(nullptr);
  if (!theDisplay.initWindowed(mainWindow, width, height)) std::abort();
  headless::recordCalls(true);
}

// A scene set up from the whole data set.
DemoScene& startScene(Checks& checks, int32_t width = 640, int32_t height = 480) {
  startPlatform(demotest::packImage(demotest::dataSet()), width, height);
  static DemoScene scene;
  checks.expect(scene.setUp(width, height), "set-up succeeds");
  return scene;
}

bool rectIs(const Rect& r, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  return r.left == left && r.top == top && r.right == right && r.bottom == bottom;
}

// ---- Set-up ------------------------------------------------------------------------------------

TEST(DemoSceneSetUp, LoadsShowsTwoStatusLinesStartsTimersAndLinksTheSprites) {
  DEMO_SCENARIO([](Checks& checks) {
    startScene(checks);
    checks.expect(!theDisplay.fastExpand, "frames go through the expansion table");
    checks.equal(static_cast<int>(roleSprite->colorKey), 0, "role key (black)");
    checks.equal(static_cast<int>(tile04Sprite->colorKey), 248, "tile04 key (magenta)");

    // Each status line follows a fill of the screen; the second one is the last thing drawn.
    std::vector<std::string> steps;
    for (const headless::CallRecord& record : headless::calls()) {
      if (record.api == "TextOutA") steps.push_back("text:" + record.text);
      if (record.api == "Blt" && demotest::argsOf(record)["flags"] == "0x400") steps.push_back("fill");
    }
    checks.expect(steps == std::vector<std::string>({"fill", "text:" + kLoadingText, "fill", "text:" + kReadyText}),
                  "fill, first status line, fill, second status line");
    POINT origin = {200, 200};
    ClientToScreen(mainWindow, &origin);
    for (const headless::CallRecord& record : headless::callsOf("TextOutA")) {
      auto args = demotest::argsOf(record);
      checks.equal(args["x"], std::to_string(origin.x), "status line at client x 200");
      checks.equal(args["y"], std::to_string(origin.y), "status line at client y 200");
    }

    const std::vector<headless::CallRecord> timers = headless::callsOf("SetTimer");
    checks.equal(timers.size(), 2u, "two timers");
    if (timers.size() == 2) {
      checks.equal(demotest::argsOf(timers[0])["id"], std::string("1"), "first timer");
      checks.equal(demotest::argsOf(timers[0])["elapse"], std::string("100"), "first period");
      checks.equal(demotest::argsOf(timers[1])["id"], std::string("2"), "second timer");
      checks.equal(demotest::argsOf(timers[1])["elapse"], std::string("1000"), "second period");
      checks.expect(timers[0].window == mainWindow && timers[1].window == mainWindow, "timers on the window");
    }

    // The timer message sent during set-up has shown fire frame 0.
    checks.equal(DemoScene::fireFrame, 1, "fireFrame after set-up");
    checks.expect(rectIs(fireSprite->sourceRect, 0, 0, 32, 128), "fire shows frame 0");

    Sprite* const sprites[] = {tile02Sprite, roleSprite, fireSprite, tile04Sprite};
    for (int g = 0; g < 4; ++g) {
      const LayerGroup& group = layerSet.groups[g];
      checks.expect(group.heads[0]->next == sprites[g] && sprites[g]->next == group.tails[0],
                    "group " + std::to_string(g) + " list 0 holds its sprite alone");
      for (int list = 1; list < 4; ++list) {
        checks.expect(group.heads[list]->next == group.tails[list], "other lists stay empty");
      }
    }
    checks.equal(headless::messageBoxCount(), 0, "no message box");
  });
}

// Set-up over a data set changed by `change`; checks that it fails with one box saying `message`.
void expectSetUpFailure(Checks& checks, const std::string& pack, const std::string& message) {
  startPlatform(pack);
  DemoScene scene;
  checks.expect(!scene.setUp(640, 480), "set-up fails");
  const std::vector<headless::CallRecord> boxes = headless::callsOf("MessageBoxA");
  checks.equal(boxes.size(), 1u, "one message box");
  if (boxes.size() == 1) {
    checks.equal(boxes[0].text, message, "box text");
    checks.equal(boxes[0].caption, std::string(), "box caption");
    checks.expect(boxes[0].window == mainWindow, "box owned by the window");
    checks.equal(demotest::argsOf(boxes[0])["style"], std::string("0x0"), "MB_OK");
  }
  checks.expect(headless::callsOf("TextOutA").empty(), "no status line");
  checks.expect(headless::callsOf("SetTimer").empty(), "no timer");
  checks.expect(scene.loader == nullptr && scene.font == nullptr, "loader and font destroyed");
}

TEST(DemoSceneSetUp, WithoutThePackFileSaysOpenPackFileFail) {
  DEMO_SCENARIO([](Checks& checks) { expectSetUpFailure(checks, "", "open pack file fail"); });
}

TEST(DemoSceneSetUp, APackFileThatIsNoArchiveSaysOpenPackFileFail) {
  DEMO_SCENARIO([](Checks& checks) { expectSetUpFailure(checks, "not an archive at all", "open pack file fail"); });
}

TEST(DemoSceneSetUp, AMissingImageNamesItsNumberAndStopsLoading) {
  const char* const images[] = {"data\\tile02.bdi", "data\\role.bdi", "data\\fire.bdi", "data\\tile04.bdi"};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(images[i]);
    const std::string image = images[i];
    const std::string number = std::to_string(i + 1);
    DEMO_SCENARIO([&](Checks& checks) {
      auto files = demotest::dataSet();
      files.erase(image);
      expectSetUpFailure(checks, demotest::packImage(files), number);
      // Loading stopped at the first failure: later images were not read.
      Sprite* const sprites[] = {tile02Sprite, roleSprite, fireSprite, tile04Sprite};
      for (int later = i + 1; later < 4; ++later) {
        checks.expect(sprites[later]->pixels == nullptr, "image " + std::to_string(later + 1) + " not read");
      }
    });
  }
}

TEST(DemoSceneSetUp, ADamagedImageFailsLikeAMissingOne) {
  DEMO_SCENARIO([](Checks& checks) {
    auto files = demotest::dataSet();
    std::swap(files["data\\fire.bdi"][0], files["data\\fire.bdi"][1]);  // magic bytes swapped
    expectSetUpFailure(checks, demotest::packImage(files), "3");
    checks.expect(tile04Sprite->pixels == nullptr, "tile04 not read");
  });
}

TEST(DemoSceneSetUp, AMissingFontSaysFont) {
  DEMO_SCENARIO([](Checks& checks) {
    auto files = demotest::dataSet();
    files.erase("data\\songti16x16.font");
    expectSetUpFailure(checks, demotest::packImage(files), "font");
  });
}

TEST(DemoSceneSetUp, AMissingBlendTableFileIsComputedInstead) {
  DEMO_SCENARIO([](Checks& checks) {
    auto files = demotest::dataSet();
    files.erase("data\\bdi.dat");
    startPlatform(demotest::packImage(files));
    DemoScene scene;
    checks.expect(scene.setUp(640, 480), "set-up succeeds");
    checks.equal(headless::messageBoxCount(), 0, "no message box");
  });
}

// ---- Timers and keys ---------------------------------------------------------------------------

TEST(DemoSceneEvents, TimerOneStepsThroughTheEightFireFrames) {
  DEMO_SCENARIO([](Checks& checks) {
    startScene(checks);
    // Set-up showed frame 0; the next timers show 1 to 7, then 0 again.
    for (int step = 1; step <= 9; ++step) {
      const int frame = step % 8;
      DemoScene::onTimer(DemoScene::kFireTimer);
      checks.expect(rectIs(fireSprite->sourceRect, 32 * frame, 0, 32 * frame + 32, 128),
                    "fire frame " + std::to_string(frame));
      checks.equal(DemoScene::fireFrame, (frame + 1) % 8, "next fire frame");
    }
    DemoScene::onTimer(7);  // other timers change nothing
    checks.equal(DemoScene::fireFrame, 2, "unknown timer ignored");
    checks.equal(DemoScene::modeCycle, 0, "unknown timer leaves the mode cycle");
  });
}

TEST(DemoSceneEvents, TimerTwoCyclesTile04ThroughGreyCopyAndAdd) {
  DEMO_SCENARIO([](Checks& checks) {
    DemoScene& scene = startScene(checks);
    const int32_t expected[] = {19, 1, 7, 19, 1};
    for (int second = 0; second < 5; ++second) {
      scene.drawFrame();
      checks.equal(tile04Sprite->blendMode, expected[second], "tile04 mode in second " + std::to_string(second));
      checks.equal(tile04Sprite->blendParam, 0, "tile04 parameter");
      DemoScene::onTimer(DemoScene::kModeTimer);
    }
  });
}

TEST(DemoSceneEvents, KeysOneToFourToggleTheirGroups) {
  DEMO_SCENARIO([](Checks& checks) {
    DemoScene& scene = startScene(checks);
    DemoScene::onChar('1');
    checks.expect(!layerSet.groups[0].visible, "'1' hides group 0");
    const int32_t before = tile02Sprite->x;
    scene.drawFrame();
    checks.equal(tile02Sprite->x, before + 2, "a hidden sprite keeps moving");
    DemoScene::onChar('1');
    checks.expect(layerSet.groups[0].visible, "'1' again shows group 0");

    for (uintptr_t other : {uintptr_t('0'), uintptr_t('5'), uintptr_t('a'), uintptr_t(0x131)}) {
      DemoScene::onChar(other);
    }
    for (int g = 0; g < 4; ++g) checks.expect(layerSet.groups[g].visible, "other characters change nothing");

    // All four hidden: only the frame-rate text is drawn.
    for (uintptr_t key : {uintptr_t('1'), uintptr_t('2'), uintptr_t('3'), uintptr_t('4')}) DemoScene::onChar(key);
    for (int g = 0; g < 4; ++g) checks.expect(!layerSet.groups[g].visible, "group hidden");
    std::memset(theDisplay.buffer, 0, static_cast<size_t>(theDisplay.bufferSize));
    scene.drawFrame();
    int text = 0;
    bool onlyText = true;
    for (int32_t i = 0; i < theDisplay.bufferSize; ++i) {
      const uint8_t code = theDisplay.buffer[i];
      if (code == 255) {
        ++text;
        const int32_t x = i % theDisplay.width;
        const int32_t y = i / theDisplay.width;
        if (x < 560 || y < 10 || y >= 26) onlyText = false;
      } else if (code != 0) {
        onlyText = false;
      }
    }
    checks.expect(text > 0 && onlyText, "only the frame-rate text at (560, 10)");
  });
}

// ---- Motion ------------------------------------------------------------------------------------

void checkMotion(Checks& checks, int32_t width, int32_t height, int frames) {
  DemoScene& scene = startScene(checks, width, height);
  const int32_t tile04Width = tile04Sprite->width;
  const int32_t tile02Width = tile02Sprite->width;
  const int32_t tile02Height = tile02Sprite->height;
  const int32_t roleWidth = roleSprite->width;
  checks.expect(tile04Width > 0 && tile02Width > 0 && roleWidth > 0, "images loaded");

  int32_t tile04X = 0, tile02X = 0, tile02Y = 0, roleX = 0;
  int wraps04 = 0, wraps02X = 0, wraps02Y = 0, wrapsRole = 0;
  int32_t rightmost04 = 0;
  for (int frame = 1; frame <= frames; ++frame) {
    scene.drawFrame();
    // Each one steps by its speed, and re-enters from the far side once it has left.
    tile04X = tile04X + 1 > width ? (++wraps04, -tile04Width) : tile04X + 1;
    tile02X = tile02X + 2 > width ? (++wraps02X, -tile02Width) : tile02X + 2;
    tile02Y = tile02Y + 1 > height ? (++wraps02Y, -tile02Height) : tile02Y + 1;
    roleX = roleX - 2 < -roleWidth ? (++wrapsRole, width) : roleX - 2;
    if (tile04Sprite->x != tile04X || tile02Sprite->x != tile02X || tile02Sprite->y != tile02Y ||
        roleSprite->x != roleX) {
      checks.expect(false, "positions of frame " + std::to_string(frame));
      return;
    }
    if (tile04Sprite->x > rightmost04) rightmost04 = tile04Sprite->x;
    checks.expect(tile04Sprite->y == 0 && roleSprite->y == 150 && fireSprite->x == 100 && fireSprite->y == 100,
                  "fixed coordinates");
    checks.expect(roleSprite->blendMode == 7 && fireSprite->blendMode == 6 && tile02Sprite->blendMode == 3,
                  "blend modes");
  }
  checks.expect(wraps04 > 0 && wraps02X > 0 && wraps02Y > 0 && wrapsRole > 0, "every sprite wrapped");
  // tile04 is drawn up to x = width; at width + 1 it jumps back.
  checks.equal(rightmost04, width, "tile04's rightmost position");
  checks.equal(scene.tile04X, tile04X, "scene state follows");
}

TEST(DemoSceneMotion, SpritesMoveAndWrapAtTheBufferBounds) {
  DEMO_SCENARIO([](Checks& checks) { checkMotion(checks, 640, 480, 1400); });
}

TEST(DemoSceneMotion, AWidthOf800WrapsAt800) {
  DEMO_SCENARIO([](Checks& checks) { checkMotion(checks, 800, 600, 1800); });
}

TEST(DemoSceneMotion, BlendLevelClimbsTo15FallsTo0AndClimbsAgain) {
  DEMO_SCENARIO([](Checks& checks) {
    DemoScene& scene = startScene(checks);
    scene.drawFrame();
    checks.expect(std::fabs(DemoScene::blendLevel - 8.2f) < 1e-5f, "8.2 after the first frame");
    checks.equal(tile02Sprite->blendParam, 8, "first parameter");

    // Phases: up to 15, down to 0, up to 15 again.
    int phase = 0;
    int framesToTop = 0;
    float previous = DemoScene::blendLevel;
    for (int frame = 2; frame < 400 && phase < 3; ++frame) {
      scene.drawFrame();
      const float level = DemoScene::blendLevel;
      checks.expect(level >= 0.0f && level <= 15.0f, "level within 0 to 15");
      checks.equal(tile02Sprite->blendParam, static_cast<int32_t>(level), "parameter is the truncated level");
      if (phase == 0) {
        if (level == 15.0f) {
          phase = 1;
          framesToTop = frame;
          checks.expect(DemoScene::blendLevelStep < 0.0f, "step turns negative at 15");
        } else {
          checks.expect(level > previous, "climbing");
        }
      } else if (phase == 1) {
        if (level == 0.0f) {
          phase = 2;
          checks.expect(DemoScene::blendLevelStep > 0.0f, "step turns positive at 0");
        } else {
          checks.expect(level < previous, "falling");
        }
      } else if (level == 15.0f) {
        phase = 3;
      }
      previous = level;
    }
    checks.equal(phase, 3, "a whole cycle");
    checks.expect(framesToTop >= 35 && framesToTop <= 36, "about 35 frames from 8 to 15");
  });
}

}  // namespace
