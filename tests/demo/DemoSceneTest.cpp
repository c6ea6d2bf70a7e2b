// The demo scene on the headless platform, each case in a process of its own: set-up and its
// failures, and the keys. (The sprites' motion, the timers and the blend modes they cycle show in
// the golden frame of DemoProgramTest.)
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
using layer::argOf;

// "正在初始化BDI数据..." and "初始化BDI数据完成!" in GBK.
const std::string kLoadingText = "\xd5\xfd\xd4\xda\xb3\xf5\xca\xbc\xbb\xaf\x42\x44\x49\xca\xfd\xbe\xdd\x2e\x2e\x2e";
const std::string kReadyText = "\xb3\xf5\xca\xbc\xbb\xaf\x42\x44\x49\xca\xfd\xbe\xdd\xcd\xea\xb3\xc9\x21";

// A window and a display of the given size over `pack` as data.pak, and the set-up's result.
bool setUpScene(DemoScene& scene, const std::string& pack, int32_t width = 640, int32_t height = 480) {
  demotest::enterFreshRun(pack);
  layer::useVirtualClock(0);
  createMainWindow(nullptr);
  if (!theDisplay.initWindowed(mainWindow, width, height)) std::abort();
  layer::recordCalls(true);
  return scene.setUp(width, height);
}

// A scene set up from the whole data set.
DemoScene& startScene(Checks& checks, int32_t width = 640, int32_t height = 480) {
  static DemoScene scene;
  checks.expect(setUpScene(scene, demotest::packImage(demotest::dataSet()), width, height), "set-up succeeds");
  return scene;
}

TEST(DemoScene, SetUpShowsTwoStatusLinesAndLinksEachSpriteAloneIntoItsGroup) {
  DEMO_SCENARIO([](Checks& checks) {
    startScene(checks);
    // Each status line, at client (200, 200), follows a fill of the screen.
    POINT origin = {200, 200};
    ClientToScreen(mainWindow, &origin);
    const std::string at = " " + std::to_string(origin.x) + " " + std::to_string(origin.y);
    std::string steps;
    for (const layer::CallRecord& record : layer::calls()) {
      if (record.api == "TextOutA") steps += "|" + record.text + " " + argOf(record, "x") + " " + argOf(record, "y");
      if (record.api == "Blt" && argOf(record, "flags") == "0x400") steps += "|fill";
    }
    checks.equal(steps, "|fill|" + kLoadingText + at + "|fill|" + kReadyText + at, "fills and status lines");
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
                        {"data\\songti16x16.font", "font", 4},
                        {"data\\bdi.dat", "", 4}};  // the blend tables are computed instead
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DEMO_SCENARIO([&](Checks& checks) {
      auto files = demotest::dataSet();
      files.erase(c.what);
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
      const std::vector<layer::CallRecord> boxes = layer::callsOf("MessageBoxA");
      checks.equal(boxes.size(), 1u, "one message box");
      if (boxes.size() == 1) {
        checks.equal(boxes[0].caption + "|" + boxes[0].text + "|" + argOf(boxes[0], "style"),
                     std::string("|") + c.message + "|0x0", "box caption, text and MB_OK");
        checks.expect(boxes[0].window == mainWindow, "box owned by the window");
      }
      checks.expect(layer::callsOf("TextOutA").empty() && layer::callsOf("SetTimer").empty(),
                    "no status line, no timer");
      checks.expect(scene.loader == nullptr && scene.font == nullptr, "loader and font destroyed");
      Sprite* const sprites[] = {tile02Sprite, roleSprite, fireSprite, tile04Sprite};
      for (int later = c.lastImageRead + 1; later < 4; ++later) {
        checks.expect(sprites[later]->pixels == nullptr, "image " + std::to_string(later + 1) + " not read");
      }
    });
  }
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

}  // namespace
