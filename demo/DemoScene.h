#pragma once

#include <cstdint>

class BitmapFont;
class FileLoader;
class LayerSet;
class PackArchive;
class Sprite;

// The four sprites, created by static construction before the entry function runs. Once linked
// into a layer group a sprite belongs to that group.
extern Sprite* tile02Sprite;
extern Sprite* roleSprite;
extern Sprite* fireSprite;
extern Sprite* tile04Sprite;

// The program's four layer groups.
extern LayerSet layerSet;

// What the demo shows: four sprites read from "data.pak", blended over each other in four layer
// groups, and the frame rate. The entry function owns one scene from setUp to tearDown.
class DemoScene {
public:
  static constexpr uintptr_t kFireTimer = 1;  // every 100 ms: next frame of the fire strip
  static constexpr uintptr_t kModeTimer = 2;  // every 1000 ms: next blend mode of tile04

  // Animation and blending state; it lives for the whole process, like the sprites. (Kept in the
  // class: the render headers already use the name blendLevel for a free function.)
  static int32_t fireFrame;     // frame of the fire strip shown next, 0 to 7 (timer 1)
  static int32_t modeCycle;     // 0 to 2, picks tile04's blend mode (timer 2)
  static float blendLevel;      // 0 to 15; truncated, tile02's alpha level
  static float blendLevelStep;  // added once per frame; flips sign at the bounds

  DemoScene() = default;
  DemoScene(const DemoScene&) = delete;
  DemoScene& operator=(const DemoScene&) = delete;
  virtual ~DemoScene() = default;

  // Opens the archive, loads the sprites, the font and the blend tables while two status lines
  // show, starts the timers and links the sprites. False after a message box has said why.
  bool setUp(int32_t width, int32_t height);
  // Timer and character messages; they change scene state between frames only.
  static void onTimer(uintptr_t identifier);
  static void onChar(uintptr_t code);
  // Moves the sprites and draws the visible groups and the frame rate into the back buffer.
  void drawFrame();
  // Stops the timers and destroys the loader and the font.
  void tearDown();

  // The open archive: kept, open, to the end of the process, so it is held by a process-wide
  // pointer rather than by the scene that opened it.
  static PackArchive* archive;
  FileLoader* loader = nullptr;
  BitmapFont* font = nullptr;
  int32_t width = 0;  // bounds of the motion: the back buffer's size
  int32_t height = 0;
  int32_t tile02X = 0;
  int32_t tile02Y = 0;
  int32_t roleX = 0;
  int32_t tile04X = 0;

private:
  // The message box of a failed set-up step, and the loader and font destroyed.
  bool fail(const char* message);
};
