#include "GemGame.h"

#include <brumal/app/GameWindow.h>
#include <brumal/archive/FileLoader.h>
#include <brumal/archive/PackArchive.h>
#include <brumal/display/Display.h>
#include <brumal/render/BlendModes.h>
#include <brumal/render/BlendTables.h>

#include <algorithm>
#include <cmath>

#include "Stamp.h"

namespace {

enum Group { kFloorGroup, kGemGroup, kHeroGroup, kEffectGroup };

constexpr UINT_PTR kSpawnTimer = 1;
constexpr UINT kSpawnMilliseconds = 1200;

constexpr int32_t kHeroSize = 32;   // hero.png holds two steps of 32 x 32 side by side
constexpr double kHeroSpeed = 160;  // pixels a second
constexpr double kStepSeconds = 0.15;
constexpr int32_t kGemSize = 16;
constexpr double kReach = 20;  // how close the hero's centre comes to a gem's to pick it up
constexpr double kBurstSeconds = 0.5;
constexpr double kGhostRise = 80;  // pixels a second

constexpr int32_t kTop = 40;     // below the score panel
constexpr int32_t kBottom = 32;  // above the hint line
constexpr int32_t kWhite = 255;
constexpr int32_t kYellow = 231;
// "方向键或鼠标移动" (arrow keys or the mouse to move) in GBK.
const char kHint[] = "\xb7\xbd\xcf\xf2\xbc\xfc\xbb\xf2\xca\xf3\xb1\xea\xd2\xc6\xb6\xaf";

// value kept within 0 to high; 0 when high is below 0 (a window smaller than the hero).
double within(double value, double high) {
  return std::max(0.0, std::min(value, high));
}

}  // namespace

bool GemGame::setUp(GameWindow& window) {
  window_ = window.window();
  width_ = window.display().width;
  height_ = window.display().height;
  if (!load()) {
    MessageBoxA(window_, "data.pak is missing or incomplete", "Gems", MB_OK);
    return false;
  }
  buildScene();
  heroX_ = (width_ - kHeroSize) / 2;
  heroY_ = (height_ - kHeroSize) / 2;
  spawnGem(heroX_ + 120, heroY_ + 8);  // the first one straight ahead
  spawnRandomGem();
  SetTimer(window_, kSpawnTimer, kSpawnMilliseconds, nullptr);
  placeStamps();
  return true;
}

bool GemGame::load() {
  PackArchive pack;
  FileLoader loader(&pack);
  hero_ = new Sprite;
  layers_.groups[kHeroGroup].append(hero_);
  if (!pack.open("data.pak") || !hero_->load(loader, "data\\hero.bdi") || !floor_.load(loader, "data\\floor.bdi") ||
      !gem_.load(loader, "data\\gem.bdi") || !glow_.load(loader, "data\\glow.bdi") ||
      !ring_.load(loader, "data\\ring.bdi") || !panel_.load(loader, "data\\panel.bdi") ||
      !font_.load(loader, "data\\unifont.font")) {
    return false;
  }
  // The alpha, add, subtract and grey blends look colours up in these tables: read from bdi.dat,
  // or computed when the pack has none.
  loadBlendTables(&loader, "data\\bdi.dat");
  // The pictures were coded with -k 0: their transparent pixels are code 0, black's code.
  hero_->setColorKey(0, 0, 0);
  gem_.setColorKey(0, 0, 0);
  ring_.setColorKey(0, 0, 0);
  return true;
}

void GemGame::buildScene() {
  for (int32_t y = 0; y < height_; y += floor_.height) {
    for (int32_t x = 0; x < width_; x += floor_.width) {
      Stamp* tile = add(kFloorGroup, 0, floor_, Copy);
      tile->x = x;
      tile->y = y;
    }
  }
  // List 0 is painted before list 1, so every glow lies under every gem.
  for (GemSlot& slot : gems_) {
    slot.glow = add(kGemGroup, 0, glow_, Add);
    slot.gem = add(kGemGroup, 1, gem_, AlphaKeyed);
  }
  hero_->blendMode = CopyKeyed;
  for (Burst& burst : bursts_) {
    burst.ring = add(kEffectGroup, 0, ring_, SubKeyed);  // white minus the floor: its negative
    burst.ghost = add(kEffectGroup, 1, gem_, GreyKeyed);
  }
  panel_.x = 8;
  panel_.y = 8;
  panel_.blendMode = Alpha;
  panel_.blendParam = 11;  // 11/16 panel, 5/16 floor
}

Stamp* GemGame::add(int group, int32_t list, Sprite& picture, int32_t blendMode, int32_t blendParam) {
  Stamp* stamp = new Stamp(picture, blendMode, blendParam);
  stamp->listIndex = list;
  layers_.groups[group].append(stamp);  // the group deletes it at the end
  return stamp;
}

void GemGame::spawnGem(double x, double y) {
  for (GemSlot& slot : gems_) {
    if (slot.live) continue;
    slot = GemSlot{slot.glow, slot.gem, x, y, true};
    return;
  }
}

void GemGame::spawnRandomGem() {
  const int32_t across = std::max(1, width_ - kGemSize);
  const int32_t down = std::max(1, height_ - kTop - kBottom - kGemSize);
  spawnGem(random(across), kTop + random(down));
}

void GemGame::update(double elapsedSeconds) {
  clock_ += elapsedSeconds;
  moveHero(elapsedSeconds);
  for (GemSlot& slot : gems_) {
    const double dx = slot.x + kGemSize / 2 - (heroX_ + kHeroSize / 2);
    const double dy = slot.y + kGemSize / 2 - (heroY_ + kHeroSize / 2);
    if (slot.live && std::abs(dx) < kReach && std::abs(dy) < kReach) collect(slot);
  }
  for (Burst& burst : bursts_) {
    burst.age += elapsedSeconds;
    burst.live = burst.live && burst.age < kBurstSeconds;
  }
  placeStamps();
}

void GemGame::moveHero(double seconds) {
  double dx = (GameWindow::keyDown(VK_RIGHT) ? 1 : 0) - (GameWindow::keyDown(VK_LEFT) ? 1 : 0);
  double dy = (GameWindow::keyDown(VK_DOWN) ? 1 : 0) - (GameWindow::keyDown(VK_UP) ? 1 : 0);
  double reach = kHeroSpeed * seconds;
  if (dx != 0 || dy != 0) {
    walkingToTarget_ = false;  // the keys take over from a click
  } else if (walkingToTarget_) {
    dx = targetX_ - heroX_;
    dy = targetY_ - heroY_;
    reach = std::min(reach, std::hypot(dx, dy));  // stops on the spot
  }
  const double length = std::hypot(dx, dy);
  if (length == 0) {
    walkingToTarget_ = false;
    return;
  }
  heroX_ = within(heroX_ + dx / length * reach, width_ - kHeroSize);
  heroY_ = within(heroY_ + dy / length * reach, height_ - kHeroSize);
  walked_ += seconds;
}

void GemGame::collect(GemSlot& slot) {
  slot.live = false;
  ++score_;
  // A free effect, or else the oldest.
  Burst* burst = &bursts_[0];
  for (Burst& candidate : bursts_) {
    if (!candidate.live || candidate.age > burst->age) burst = &candidate;
    if (!candidate.live) break;
  }
  *burst = Burst{burst->ring, burst->ghost, slot.x, slot.y, 0, true};
}

void GemGame::placeStamps() {
  const int32_t step = static_cast<int32_t>(walked_ / kStepSeconds) % 2;
  const Rect frame = {step * kHeroSize, 0, step * kHeroSize + kHeroSize, kHeroSize};
  hero_->setSourceRect(&frame);
  hero_->x = static_cast<int32_t>(heroX_);
  hero_->y = static_cast<int32_t>(heroY_);
  for (int i = 0; i < kGemSlots; ++i) {
    GemSlot& slot = gems_[i];
    slot.glow->shown = slot.gem->shown = slot.live;
    slot.gem->x = static_cast<int32_t>(slot.x);
    slot.gem->y = static_cast<int32_t>(slot.y);
    slot.glow->x = slot.gem->x - (glow_.width - kGemSize) / 2;
    slot.glow->y = slot.gem->y - (glow_.height - kGemSize) / 2;
    // Each gem shimmers in its own time: alpha levels 7 to 15.
    slot.gem->blendParam = static_cast<int32_t>(std::lround(11 + 4 * std::sin(6 * clock_ + i)));
  }
  for (Burst& burst : bursts_) {
    burst.ring->shown = burst.ghost->shown = burst.live;
    burst.ring->x = static_cast<int32_t>(burst.x) - (ring_.width - kGemSize) / 2;
    burst.ring->y = static_cast<int32_t>(burst.y) - (ring_.height - kGemSize) / 2;
    burst.ghost->x = static_cast<int32_t>(burst.x);
    burst.ghost->y = static_cast<int32_t>(burst.y - kGhostRise * burst.age);
  }
}

void GemGame::draw(Display& display) {
  layers_.draw(display);
  panel_.draw(display);
  font_.drawFormatted(display, 16, 12, 40, kWhite, "SCORE %d", score_);
  font_.drawText(display, 8, display.height - 24, 80, kYellow, kHint);
}

void GemGame::tearDown() {
  KillTimer(window_, kSpawnTimer);
}

void GemGame::onChar(uint32_t character) {
  // 1 to 4 hide and show a layer group, as in the engine's demo.
  if (character >= '1' && character <= '4') {
    LayerGroup& group = layers_.groups[character - '1'];
    group.visible = !group.visible;
  }
}

void GemGame::onMouseDown(MouseButton button, int32_t x, int32_t y) {
  if (button != MouseButton::Left) return;
  targetX_ = within(x - kHeroSize / 2, width_ - kHeroSize);
  targetY_ = within(y - kHeroSize / 2, height_ - kHeroSize);
  walkingToTarget_ = true;
}

void GemGame::onTimer(uintptr_t identifier) {
  if (identifier == kSpawnTimer) spawnRandomGem();
}

int32_t GemGame::random(int32_t range) {
  seed_ = seed_ * 1664525u + 1013904223u;  // the same gems every run
  return static_cast<int32_t>((seed_ >> 8) % static_cast<uint32_t>(range));
}
