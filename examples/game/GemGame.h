#pragma once

#include <brumal/app/Game.h>
#include <brumal/font/BitmapFont.h>
#include <brumal/render/LayerSet.h>
#include <brumal/render/Sprite.h>

#include <cstdint>

class Stamp;

// The game: a hero walks a stone floor and picks up the gems that keep appearing. The scene is
// four layer groups painted bottom to top: the floor, the gems (an added glow under each, the gem
// itself alpha-blended over it), the hero, and the effects of a pick-up (an inverting ring and the
// gem rising in grey). The score panel and the text go on top of them all.
class GemGame : public Game {
public:
  bool setUp(GameWindow& window) override;
  void update(double elapsedSeconds) override;
  void draw(Display& display) override;
  void tearDown() override;
  void onChar(uint32_t character) override;
  void onMouseDown(MouseButton button, int32_t x, int32_t y) override;
  void onTimer(uintptr_t identifier) override;

  int32_t score() const { return score_; }

private:
  static constexpr int kGemSlots = 6;
  static constexpr int kBurstSlots = 4;

  // A place where a gem may be; hidden while it has none.
  struct GemSlot {
    Stamp* glow = nullptr;
    Stamp* gem = nullptr;
    double x = 0;
    double y = 0;
    bool live = false;
  };
  // The effect of one pick-up, for kBurstSeconds.
  struct Burst {
    Stamp* ring = nullptr;
    Stamp* ghost = nullptr;
    double x = 0;
    double y = 0;
    double age = 0;
    bool live = false;
  };

  bool load();
  void buildScene();
  Stamp* add(int group, int32_t list, Sprite& picture, int32_t blendMode, int32_t blendParam = 0);
  void spawnGem(double x, double y);
  void spawnRandomGem();
  void moveHero(double seconds);
  void collect(GemSlot& slot);
  void placeStamps();
  // 0 to range - 1 (range at least 1).
  int32_t random(int32_t range);

  // The pictures, loaded once and drawn by the stamps. They come before the layers so that the
  // stamps pointing at them are destroyed first.
  Sprite floor_;
  Sprite gem_;
  Sprite glow_;
  Sprite ring_;
  Sprite panel_;
  BitmapFont font_;
  LayerSet layers_;
  Sprite* hero_ = nullptr;  // a sprite of its own, owned by its layer group
  GemSlot gems_[kGemSlots];
  Burst bursts_[kBurstSlots];

  HWND window_ = nullptr;
  int32_t width_ = 0;
  int32_t height_ = 0;
  double heroX_ = 0;
  double heroY_ = 0;
  double targetX_ = 0;  // where a click sent the hero
  double targetY_ = 0;
  bool walkingToTarget_ = false;
  double walked_ = 0;  // seconds spent walking, for the steps
  double clock_ = 0;   // seconds played, for the gems' shimmer
  int32_t score_ = 0;
  uint32_t seed_ = 2024;
};
