// One sprite in a window: the picture the build packed into data.pak, in the middle of the
// screen, until Escape or the window is closed.
#include <brumal/app/Game.h>
#include <brumal/app/GameWindow.h>
#include <brumal/archive/FileLoader.h>
#include <brumal/archive/PackArchive.h>
#include <brumal/display/Display.h>
#include <brumal/render/Sprite.h>

class Minimal : public Game {
public:
  bool setUp(GameWindow& window) override {
    PackArchive pack;
    FileLoader loader(&pack);
    if (pack.open("data.pak") && snowflake.load(loader, "data\\snowflake.bdi")) return true;
    MessageBoxA(window.window(), "data.pak with data\\snowflake.bdi is needed", "minimal", MB_OK);
    return false;
  }
  void draw(Display& display) override {
    snowflake.x = (display.width - snowflake.width) / 2;
    snowflake.y = (display.height - snowflake.height) / 2;
    snowflake.draw(display);  // blendMode Copy: the picture as it is
  }

private:
  Sprite snowflake;
};

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  Minimal game;
  GameWindow window;
  return window.run(instance, game);
}
