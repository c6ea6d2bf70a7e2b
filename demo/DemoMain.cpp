// The demo's entry, window and main loop. The process-wide objects are defined here, in one
// translation unit, because their order of construction matters: the four sprites first, then
// the display, then the layer groups. Exit destroys them in reverse: the groups (deleting the
// sprites linked into them) before the display.
#include "demo/DemoMain.h"

#include <cstring>
#include <new>

#include "demo/DemoScene.h"
#include "demo/IniFile.h"
#include "display/Display.h"
#include "render/LayerSet.h"
#include "render/Sprite.h"

Sprite* fireSprite = new (std::nothrow) Sprite;
Sprite* tile02Sprite = new (std::nothrow) Sprite;
Sprite* roleSprite = new (std::nothrow) Sprite;
Sprite* tile04Sprite = new (std::nothrow) Sprite;
Display theDisplay;
LayerSet layerSet;

HWND mainWindow = nullptr;
int32_t appActive = 0;

namespace {

constexpr int32_t kDefaultWidth = 640;
constexpr int32_t kDefaultHeight = 480;

// A side of the back buffer from the settings; one out of bounds keeps its default.
int32_t readSide(IniFile& settings, const char* key, int32_t fallback) {
  const int32_t value = settings.getInt(key, fallback);
  if (value < kMinimumSide || value > kMaximumSide) return fallback;
  return value;
}

}  // namespace

bool createMainWindow(HINSTANCE instance) {
  WNDCLASSA windowClass;
  std::memset(&windowClass, 0, sizeof windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = windowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = instance;
  windowClass.hIcon = nullptr;
  windowClass.hCursor = nullptr;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = "test";
  RegisterClassA(&windowClass);

  // Always 640 x 480 here; the display gives it the configured size.
  mainWindow =
      CreateWindowExA(0, "test", "test", WS_POPUP, (GetSystemMetrics(SM_CXSCREEN) - 640) / 2,
                      (GetSystemMetrics(SM_CYSCREEN) - 480) / 2, 640, 480, nullptr, nullptr, instance, nullptr);
  if (!mainWindow) return false;
  ShowWindow(mainWindow, SW_SHOW);
  UpdateWindow(mainWindow);
  return true;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATEAPP:
      appActive = static_cast<int32_t>(wParam);
      break;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) PostQuitMessage(0);
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      break;
    case WM_CHAR:
      DemoScene::onChar(wParam);
      break;
    case WM_TIMER:
      DemoScene::onTimer(wParam);
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Start-up goes on without a window; the display reports what it cannot do without one.
  createMainWindow(instance);

  int32_t width = kDefaultWidth;
  int32_t height = kDefaultHeight;
  bool displayReady = false;
  IniFile* settings = new (std::nothrow) IniFile;
  if (settings && settings->load("setting.ini")) {
    settings->selectSection("Window");
    const int32_t fullScreenSetting = settings->getInt("FullScreen", 0);
    width = readSide(*settings, "Width", kDefaultWidth);
    height = readSide(*settings, "Height", kDefaultHeight);
    if (fullScreenSetting) {
      displayReady = theDisplay.initFullScreen(mainWindow, width, height);
    } else {
      displayReady = theDisplay.initWindowed(mainWindow, width, height);
    }
  } else {
    displayReady = theDisplay.initWindowed(mainWindow, kDefaultWidth, kDefaultHeight);
  }
  delete settings;
  if (!displayReady) return 1;

  DemoScene scene;
  if (!scene.setUp(width, height)) return 1;

  // Messages first; with none waiting, render while active and sleep in WaitMessage otherwise.
  MSG message;
  for (;;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      if (GetMessageA(&message, nullptr, 0, 0) == 0) break;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else if (appActive == 0) {
      WaitMessage();
    } else {
      std::memset(theDisplay.buffer, 0, static_cast<size_t>(theDisplay.bufferSize));
      scene.drawFrame();
      theDisplay.present();
    }
  }

  scene.tearDown();
  return 1;
}
