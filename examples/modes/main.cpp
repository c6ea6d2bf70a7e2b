// The fifteen blend modes side by side: the snowflake drawn with each over a chart of the 256
// colour codes, its name below it.
#include <brumal/app/Game.h>
#include <brumal/app/GameOptions.h>
#include <brumal/app/GameWindow.h>
#include <brumal/archive/FileLoader.h>
#include <brumal/archive/PackArchive.h>
#include <brumal/display/Display.h>
#include <brumal/font/BitmapFont.h>
#include <brumal/render/BlendModes.h>
#include <brumal/render/BlendTables.h>
#include <brumal/render/Sprite.h>

#include <cstring>

namespace {

struct Mode {
  const char* name;
  int32_t mode;
};
const Mode kModes[] = {{"Copy", Copy},   {"CopyKeyed", CopyKeyed},   {"CopyGuarded", CopyGuarded},
                       {"Alpha", Alpha}, {"AlphaKeyed", AlphaKeyed}, {"AlphaGuarded", AlphaGuarded},
                       {"Add", Add},     {"AddKeyed", AddKeyed},     {"AddGuarded", AddGuarded},
                       {"Sub", Sub},     {"SubKeyed", SubKeyed},     {"SubGuarded", SubGuarded},
                       {"Grey", Grey},   {"GreyKeyed", GreyKeyed},   {"GreyGuarded", GreyGuarded}};
constexpr int32_t kCellWidth = 128;  // five cells across a 640 x 480 screen, three down
constexpr int32_t kCellHeight = 160;

}  // namespace

class Modes : public Game {
public:
  bool setUp(GameWindow& window) override {
    PackArchive pack;
    FileLoader loader(&pack);
    if (!pack.open("data.pak") || !snowflake.load(loader, "data\\snowflake.bdi") ||
        !font.load(loader, "data\\unifont.font")) {
      MessageBoxA(window.window(), "data.pak is missing or incomplete", "modes", MB_OK);
      return false;
    }
    loadBlendTables(&loader, "data\\bdi.dat");  // computed instead when the pack has none
    snowflake.setColorKey(0, 0, 0);             // the code -k 0 gave the corners: black's
    return true;
  }

  void draw(Display& display) override {
    // The background: the 256 codes as a chart of 16 x 16 blocks.
    for (int32_t y = 0; y < display.height; ++y) {
      for (int32_t x = 0; x < display.width; ++x) {
        display.buffer[y * display.width + x] =
            static_cast<uint8_t>(y * 16 / display.height * 16 + x * 16 / display.width);
      }
    }
    // A white bar through each row of cells: the guarded modes leave its pixels as they are.
    const uint8_t guard = nearestColorCode(pack565(255, 255, 255));
    for (int32_t top = 0; top < display.height; top += kCellHeight) {
      std::memset(&display.buffer[(top + 68) * display.width], guard, 8 * display.width);
    }
    int32_t cell = 0;
    for (const Mode& mode : kModes) {
      const int32_t left = cell % 5 * kCellWidth, top = cell / 5 * kCellHeight;
      ++cell;
      snowflake.x = left + (kCellWidth - snowflake.width) / 2;
      snowflake.y = top + 24;
      snowflake.blendMode = mode.mode;
      snowflake.blendParam = guard << 8 | 10;  // guard code in bits 8-15, alpha level 10/16
      snowflake.draw(display);
      // A black strip for the name, so that it reads on any colour.
      for (int32_t row = top + 128; row < top + 144; ++row)
        std::memset(&display.buffer[row * display.width + left], 0, kCellWidth);
      font.drawText(display, left + 8, top + 128, 14, 255, mode.name);
    }
  }

private:
  Sprite snowflake;
  BitmapFont font;
};

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  GameOptions options;
  options.settingsFile = nullptr;  // always 640 x 480: the cells are laid out for it
  Modes game;
  GameWindow window(options);
  return window.run(instance, game);
}
