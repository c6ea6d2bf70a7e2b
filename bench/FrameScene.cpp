#include "bench/FrameScene.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "demo/DemoMain.h"
#include "demo/DemoScene.h"
#include "display/Display.h"
#include "platform/win32/LayerControl.h"

DemoScene* startFrameScene(const char* dataDir) {
  static DemoScene* scene = nullptr;
  if (scene) return scene;
  layer::reset();
  layer::setFixedFrameRate(60);
  if (chdir(dataDir) != 0) {
    std::fprintf(stderr, "cannot enter %s\n", dataDir);
    std::exit(1);
  }
  createMainWindow(nullptr);
  if (!theDisplay.initWindowed(mainWindow, 640, 480)) {
    std::fprintf(stderr, "the display did not start\n");
    std::exit(1);
  }
  scene = new DemoScene;
  if (!scene->setUp(640, 480)) {
    std::fprintf(stderr, "the scene did not start (is data.pak built? target demo_data)\n");
    std::exit(1);
  }
  return scene;
}
