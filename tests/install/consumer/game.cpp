// A game outside the engine's tree that sees only an installed Brumal: it opens the pack its build
// made, loads a keyed sprite, the font and the blend tables, draws one frame, presents it and reads
// the picture back. Exit status 0 when every step worked.
#include <windows.h>

#include <brumal/archive/ByteBuffer.h>
#include <brumal/archive/FileLoader.h>
#include <brumal/archive/PackArchive.h>
#include <brumal/display/Display.h>
#include <brumal/font/BitmapFont.h>
#include <brumal/platform/win32/LayerControl.h>
#include <brumal/render/BlendTables.h>
#include <brumal/render/Sprite.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

int fail(const char* what) {
  std::printf("game: %s\n", what);
  return 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "game";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "game", "game", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOW);
  Display display;
  if (!display.initWindowed(window, 640, 480)) return fail("no display");

  PackArchive pack;
  if (!pack.open("data.pak")) return fail("data.pak does not open");
  FileLoader loader(&pack);
  ByteBuffer tables;
  if (!loader.readFile("data\\bdi.dat", tables) || tables.size != static_cast<int32_t>(kBlendTableFileSize))
    return fail("no bdi.dat");
  loadBlendTables(&loader, "data\\bdi.dat");
  Sprite dot;
  BitmapFont font;
  if (!dot.load(loader, "data\\dot.bdi") || !font.load(loader, "data\\unifont.font")) return fail("load");
  if (dot.header[0] >> 24 != 2) return fail("dot.bdi is not LZSS-coded as its options say");  // byte 3: method

  std::memset(display.buffer, 0x40, static_cast<size_t>(display.bufferSize));
  dot.x = 100;
  dot.y = 50;
  dot.blendMode = CopyKeyed;
  dot.setColorKey(0, 0, 0);  // the code its corners were given: -k 0
  dot.draw(display);
  font.drawText(display, 300, 200, 32, 255, "OK");
  display.present();

  int width = 0, height = 0;
  std::vector<uint16_t> shown = layer::presentedPicture(width, height);
  auto at = [&](int x, int y) { return shown.empty() ? -1 : shown[static_cast<size_t>(y * width + x)]; };
  int lit = 0;
  for (int y = 200; y < 216; ++y)
    for (int x = 300; x < 316; ++x) lit += at(x, y) == 0xFFFF;
  // The dot is white, its two transparent corners keyed; "O" has white pixels in its cell.
  if (at(108, 58) != 0xFFFF || at(100, 50) != 0x4040 || at(115, 65) != 0x4040 || lit == 0) return fail("picture");
  std::printf("game: frame presented as drawn\n");
  return 0;
}
