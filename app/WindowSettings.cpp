#include "app/WindowSettings.h"

#include "demo/IniFile.h"
#include "display/Display.h"

namespace {

// A side from the settings; one out of bounds keeps the value held.
int32_t readSide(IniFile& settings, const char* key, int32_t held) {
  const int32_t value = settings.getInt(key, held);
  if (value < WindowSettings::kMinimumSide || value > WindowSettings::kMaximumSide) return held;
  return value;
}

}  // namespace

bool WindowSettings::read(const std::string& fileName) {
  IniFile settings;
  if (!settings.load(fileName)) return false;
  // Without the section no key is found, so every value is kept.
  settings.selectSection("Window");
  fullScreen = settings.getInt("FullScreen", fullScreen);
  width = readSide(settings, "Width", width);
  height = readSide(settings, "Height", height);
  return true;
}

bool WindowSettings::startDisplay(Display& display, HWND__* window) const {
  if (fullScreen) return display.initFullScreen(window, width, height);
  return display.initWindowed(window, width, height);
}
