#include "demo/DemoScene.h"

#include <windows.h>

#include <new>

#include "archive/FileLoader.h"
#include "archive/PackArchive.h"
#include "demo/DemoMain.h"
#include "display/Display.h"
#include "font/BitmapFont.h"
#include "platform/gbk/GbkText.h"
#include "render/BlendModes.h"
#include "render/BlendTables.h"
#include "render/LayerSet.h"
#include "render/Sprite.h"

int32_t DemoScene::fireFrame = 0;
int32_t DemoScene::modeCycle = 0;
float DemoScene::blendLevel = 8.0f;
float DemoScene::blendLevelStep = 0.2f;
PackArchive* DemoScene::archive = nullptr;

namespace {

// "正在初始化BDI数据..." in GBK (20 bytes).
const char kLoadingTablesText[] = "\xd5\xfd\xd4\xda\xb3\xf5\xca\xbc\xbb\xaf\x42\x44\x49\xca\xfd\xbe\xdd\x2e\x2e\x2e";
// "初始化BDI数据完成!" in GBK (18 bytes).
const char kTablesReadyText[] = "\xb3\xf5\xca\xbc\xbb\xaf\x42\x44\x49\xca\xfd\xbe\xdd\xcd\xea\xb3\xc9\x21";

// Where the status lines go: yellow, one line of at most 20 bytes.
constexpr int32_t kStatusX = 200;
constexpr int32_t kStatusY = 200;
constexpr uint32_t kStatusColour = 0xFFFF;
constexpr int32_t kStatusLineBytes = 20;

// The fire image is a strip of 8 frames of 32 x 128 pixels side by side.
constexpr int32_t kFireFrameWidth = 32;
constexpr int32_t kFireFrameHeight = 128;
constexpr int32_t kFireFrameCount = 8;

// The scene's sprites, in the order they are loaded, with what a failed load says.
struct SpriteFile {
  Sprite** sprite;
  const char* name;
  const char* failure;
};

}  // namespace

bool DemoScene::fail(const char* message) {
  gbkMessageBox(mainWindow, message, "", MB_OK);
  delete loader;
  loader = nullptr;
  delete font;
  font = nullptr;
  return false;
}

bool DemoScene::setUp(int32_t width, int32_t height) {
  archive = new (std::nothrow) PackArchive;
  if (!archive || !archive->open("data.pak")) {
    gbkMessageBox(mainWindow, "open pack file fail", "", MB_OK);
    return false;
  }

  font = new (std::nothrow) BitmapFont;
  loader = new (std::nothrow) FileLoader(archive);
  if (!font || !loader) return fail("font");

  // A sprite whose allocation failed at start-up counts as one that did not load.
  const SpriteFile files[] = {
      {&tile02Sprite, "data\\tile02.bdi", "1"},
      {&roleSprite, "data\\role.bdi", "2"},
      {&fireSprite, "data\\fire.bdi", "3"},
      {&tile04Sprite, "data\\tile04.bdi", "4"},
  };
  for (const SpriteFile& file : files) {
    if (!*file.sprite || !(*file.sprite)->load(*loader, file.name)) return fail(file.failure);
  }
  if (!font->load(*loader, "data\\songti16x16.font")) return fail("font");

  // Every frame goes through the display's expansion table.
  theDisplay.fastExpand = false;
  roleSprite->setColorKey(0, 0, 0);

  theDisplay.clearScreen();
  theDisplay.drawText(kStatusX, kStatusY, kStatusColour, kStatusLineBytes, kLoadingTablesText);
  loadBlendTables(loader, "data\\bdi.dat");
  // This line stays on screen until the first frame is presented.
  theDisplay.clearScreen();
  theDisplay.drawText(kStatusX, kStatusY, kStatusColour, kStatusLineBytes, kTablesReadyText);

  SetTimer(mainWindow, kFireTimer, 100, nullptr);
  SetTimer(mainWindow, kModeTimer, 1000, nullptr);

  this->width = width;
  this->height = height;
  tile02X = 0;
  tile02Y = 0;
  roleX = 0;
  tile04X = 0;

  // Shows fire frame 0 before the first frame is drawn.
  SendMessageA(mainWindow, WM_TIMER, kFireTimer, 0);

  tile04Sprite->setColorKey(255, 0, 255);

  layerSet.groups[0].append(tile02Sprite);
  layerSet.groups[1].append(roleSprite);
  layerSet.groups[2].append(fireSprite);
  layerSet.groups[3].append(tile04Sprite);
  return true;
}

void DemoScene::onChar(uintptr_t code) {
  if (code >= '1' && code <= '4') {
    LayerGroup& group = layerSet.groups[code - '1'];
    group.visible = !group.visible;
  }
}

void DemoScene::onTimer(uintptr_t identifier) {
  if (identifier == kFireTimer) {
    const int32_t frame = fireFrame;
    const Rect source = {kFireFrameWidth * frame, 0, kFireFrameWidth * frame + kFireFrameWidth, kFireFrameHeight};
    if (fireSprite) fireSprite->setSourceRect(&source);
    fireFrame = frame + 1 > kFireFrameCount - 1 ? 0 : frame + 1;
  } else if (identifier == kModeTimer) {
    modeCycle = modeCycle + 1 > 2 ? 0 : modeCycle + 1;
  }
}

void DemoScene::drawFrame() {
  blendLevel += blendLevelStep;
  if (blendLevel > 15.0f) {
    blendLevel = 15.0f;
    blendLevelStep = -blendLevelStep;
  } else if (blendLevel < 0.0f) {
    blendLevel = 0.0f;
    blendLevelStep = -blendLevelStep;
  }

  // Speeds are in pixels per frame; each sprite re-enters from the far side once it has left.
  tile04X += 1;
  if (tile04X > width) tile04X = -tile04Sprite->width;

  tile02X += 2;
  tile02Y += 1;
  if (tile02X > width) tile02X = -tile02Sprite->width;
  if (tile02Y > height) tile02Y = -tile02Sprite->height;

  roleX -= 2;
  if (roleX < -roleSprite->width) roleX = width;

  tile02Sprite->x = tile02X;
  tile02Sprite->y = tile02Y;
  tile02Sprite->blendMode = static_cast<int32_t>(BlendMode::Alpha);
  tile02Sprite->blendParam = static_cast<int32_t>(blendLevel);

  roleSprite->x = roleX;
  roleSprite->y = 150;
  roleSprite->blendMode = static_cast<int32_t>(BlendMode::AddKeyed);
  roleSprite->blendParam = 0;

  fireSprite->x = 100;
  fireSprite->y = 100;
  fireSprite->blendMode = static_cast<int32_t>(BlendMode::Add);
  fireSprite->blendParam = 0;

  tile04Sprite->x = tile04X;
  tile04Sprite->y = 0;
  const BlendMode tile04Mode = modeCycle == 2   ? BlendMode::AddKeyed
                               : modeCycle == 1 ? BlendMode::CopyKeyed
                                                : BlendMode::GreyKeyed;
  tile04Sprite->blendMode = static_cast<int32_t>(tile04Mode);
  tile04Sprite->blendParam = 0;

  layerSet.draw(theDisplay);

  font->drawFormatted(theDisplay, 560, 10, 10, 255, "FPS=%d", theDisplay.framesPerSecond);
}

void DemoScene::tearDown() {
  KillTimer(mainWindow, kModeTimer);
  KillTimer(mainWindow, kFireTimer);
  delete loader;
  loader = nullptr;
  delete font;
  font = nullptr;
}
