// The demo's entry, window and main loop. The process-wide objects are defined here, in one
// translation unit, because their order of construction matters: the four sprites first, then
// the display, then the layer groups. Exit destroys them in reverse: the groups (deleting the
// sprites linked into them) before the display.
#include "demo/DemoMain.h"

#include <cstring>
#include <new>

#include "demo/DemoScene.h"
#include "app/WindowSettings.h"
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

  // Windowed at 640 x 480 unless setting.ini says otherwise.
  WindowSettings settings(0, 640, 480);
  settings.read("setting.ini");
  if (!settings.startDisplay(theDisplay, mainWindow)) return 1;

  DemoScene scene;
  if (!scene.setUp(settings.width, settings.height)) return 1;

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
